// The machine's user at a dialog: the mouse on its controls, the keyboard, and what the controls
// show. Every act goes to the program as Windows would deliver it (posted mouse and key messages,
// and the notifications a standard control sends its parent), so the program's own code answers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/emu/machine.h"

namespace emu {

// A click of the left button on a window (the cursor on it). False, and nothing happens, when the
// user could not reach it: it or a window around it is hidden or disabled.
bool ClickWindow(Machine& machine, HWND window);
// The user opens a drop-down list and picks entry `index` / clicks tab `index` of a tab control.
bool SelectListItem(Machine& machine, HWND comboBox, int index);
bool ClickTab(Machine& machine, HWND tabControl, int index);
// A key pressed and released (with Shift and Ctrl held if asked) on the window that has the focus
// in the thread that owns `anyWindow`. False when that thread has no focus.
bool PressKey(Machine& machine, HWND anyWindow, int virtualKey, bool shift, bool ctrl = false);
// The window with the focus in the thread that owns `anyWindow`.
HWND FocusWindow(Machine& machine, HWND anyWindow);

// The mouse comes to rest on a window: it is asked for its cursor with WM_SETCURSOR (whose
// default asks the windows around it first), then gets WM_MOUSEMOVE. False when it is hidden.
bool MoveMouseOver(Machine& machine, HWND window);
// The cursor the screen shows (the last SetCursor).
HCURSOR CurrentCursor(Machine& machine);

// The user brings a top-level window (or the one around `window`) to the front, as a click on it
// does: it becomes the foreground window and is activated (WM_ACTIVATE WA_CLICKACTIVE), the one
// before it deactivated (WA_INACTIVE) and its thread's focus taken away.
bool ActivateWindow(Machine& machine, HWND window);

// Windows 10 1607 and later: monitors of their own pixels per inch, and user32's exports that
// tell them to GetProcAddress (GetDpiForSystem, GetDpiForWindow, GetSystemMetricsForDpi,
// AdjustWindowRectExForDpi), which came with them. Off (the default): one for the whole system,
// as before Windows 8.1, and none of those exports.
void SetPerMonitorDpi(Machine& machine, bool on);
// The user drags a top-level window onto a monitor of `dpi` pixels per inch. With per-monitor
// DPI, a change sends WM_DPICHANGED as Windows does: both words of wParam the new DPI, lParam the
// window's rectangle at its place scaled by new / old. False when there is no such window.
bool MoveToMonitor(Machine& machine, HWND window, int dpi);

// What a window procedure set on a device context while answering (WM_CTLCOLORSTATIC ...).
struct DcColours {
  COLORREF text = 0;
  int bkMode = 2;  // OPAQUE
};
DcColours DcState(Machine& machine, HDC dc);

// Whether the NT machine's user has a visual style on (uxtheme's IsAppThemed; default on) or the
// classic look.
void SetVisualStyles(Machine& machine, bool on);
// uxtheme's EnableThemeDialogTexture calls, in order (the machine has uxtheme on NT only).
struct ThemeTextureCall {
  HWND window = nullptr;
  DWORD flags = 0;
};
std::vector<ThemeTextureCall> ThemeTextureTrace(Machine& machine);

// A window as the user sees it.
struct ControlInfo {
  std::string className;
  std::string text;  // code page 932
  DWORD style = 0;
  DWORD exStyle = 0;
  bool shown = false;    // it and every window around it visible
  bool enabled = false;  // it and every window around it enabled
  int check = 0;
  std::vector<std::string> items;  // list entries or tabs
  int selection = -1;
  HFONT font = nullptr;
  RECT rect{};    // in its parent's client area, or on the screen
  RECT client{};  // its client area: the rectangle less a caption and frame at its DPI
  int dpi = 96;
};
std::optional<ControlInfo> Control(Machine& machine, HWND window);

struct FontInfo {
  std::string face;  // code page 932
  LONG height = 0;   // as asked: negative for a character height
  LONG weight = 0;
  bool underline = false;
  BYTE charSet = 0;
};
std::optional<FontInfo> Font(Machine& machine, HFONT font);

// The font families the machine has (default: the Japanese Windows set) and its screen's pixels
// per inch (default 96).
void SetFontFamilies(Machine& machine, std::vector<std::string> faces);
void SetScreenDpi(Machine& machine, int dpi);

struct ShellExecuteCall {
  HWND window = nullptr;
  std::string verb, file, parameters, directory;
  int show = 0;
};
std::vector<ShellExecuteCall> ShellExecuteTrace(Machine& machine);

}  // namespace emu
