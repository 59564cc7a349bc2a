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
// A key pressed and released (with Shift held if asked) on the window that has the focus in the
// thread that owns `anyWindow`. False when that thread has no focus.
bool PressKey(Machine& machine, HWND anyWindow, int virtualKey, bool shift);
// The window with the focus in the thread that owns `anyWindow`.
HWND FocusWindow(Machine& machine, HWND anyWindow);

// A window as the user sees it.
struct ControlInfo {
  std::string className;
  std::string text;  // code page 932
  DWORD style = 0;
  bool shown = false;    // it and every window around it visible
  bool enabled = false;  // it and every window around it enabled
  int check = 0;
  std::vector<std::string> items;  // list entries or tabs
  int selection = -1;
  HFONT font = nullptr;
  RECT rect{};
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
