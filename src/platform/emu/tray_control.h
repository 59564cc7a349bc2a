// The machine's user at the notification area and at popup menus, for tests and the console.
//
// The notification area holds icons by (window, ID) as Shell_NotifyIconA leaves them. Pressing a
// button on an icon moves the cursor onto it and sends the icon's callback message to its window
// the way the shell does (without waiting for it, as SendNotifyMessage does), then lets the
// programs settle. A popup menu opened with TrackPopupMenu waits for the user here, the way a
// message box waits for AnswerBox.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/emu/machine.h"

namespace emu {

struct TrayIconInfo {
  HWND window = nullptr;
  UINT id = 0;
  bool hasMessage = false;  // the icon asked for mouse reports (NIF_MESSAGE)
  UINT callbackMessage = 0;
  HICON icon = nullptr;
  std::string image;  // resource name of `icon` (ImageName), empty for none
  std::string tip;    // code page 932
  POINT at{};         // where the icon sits on the screen
};

// One Shell_NotifyIconA call as the shell saw it.
struct ShellCall {
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  DWORD size = 0;     // cbSize
  HWND window = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  HICON icon = nullptr;
  std::string image;
  std::string tip;  // what the shell read from szTip (code page 932), whatever the flags
  bool succeeded = false;
};

struct MenuItemInfo {
  UINT id = 0;
  UINT flags = 0;    // MF_GRAYED, MF_CHECKED, MF_SEPARATOR ...
  std::string text;  // code page 932 (a wide caption is converted back)
  bool Separator() const { return (flags & MF_SEPARATOR) != 0; }
  bool Enabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) == 0; }
  bool Checked() const { return (flags & MF_CHECKED) != 0; }
};

struct PopupMenuInfo {
  HMENU menu = nullptr;
  HWND owner = nullptr;
  UINT flags = 0;  // TrackPopupMenu's TPM_ flags
  POINT at{};
  std::vector<MenuItemInfo> items;  // as they were when the menu opened
};

enum class TrayButton { Left, Right, Middle };

// --- The notification area -----------------------------------------------------------------------
std::vector<TrayIconInfo> TrayIcons(Machine& machine);
// Every Shell_NotifyIconA call so far, oldest first.
std::vector<ShellCall> ShellTrace(Machine& machine);
void ClearShellTrace(Machine& machine);

// The mouse on an icon: each sends one callback message (WM_xBUTTONDOWN, WM_xBUTTONUP,
// WM_LBUTTONDBLCLK, WM_MOUSEMOVE) and settles. A press while a popup menu is open closes the menu
// first, as a click outside it would. An icon whose window is gone leaves the area instead (as
// under Windows, where a dead program's icon vanishes when the mouse reaches it). False when the
// icon is not in the area (any more).
bool PressTrayIcon(Machine& machine, const TrayIconInfo& icon, TrayButton button);
bool ReleaseTrayIcon(Machine& machine, const TrayIconInfo& icon, TrayButton button);
bool MoveOverTrayIcon(Machine& machine, const TrayIconInfo& icon);
// Press and release.
bool ClickTrayIcon(Machine& machine, const TrayIconInfo& icon, TrayButton button);
// A left double click as the shell reports it: down, up, double-click, up.
bool DoubleClickTrayIcon(Machine& machine, const TrayIconInfo& icon);

// Explorer ends (the area empties and every later call fails) and starts again, broadcasting
// "TaskbarCreated" to the top-level windows.
void StopExplorer(Machine& machine);
void StartExplorer(Machine& machine);
void RestartExplorer(Machine& machine);

// --- Popup menus ---------------------------------------------------------------------------------
std::optional<PopupMenuInfo> OpenPopupMenu(Machine& machine);
// Chooses the open menu's item with command `id` and settles. False, and the menu stays open, when
// there is no menu, no such item, or the item is a separator or disabled.
bool ChoosePopupMenuItem(Machine& machine, UINT id);
// Closes the open menu without a choice and settles. False when none is open.
bool DismissPopupMenu(Machine& machine);
// When set, TrackPopupMenu is answered at once by this function (the command ID, 0 to dismiss):
// for tests that run the program's code on their own thread.
void SetPopupMenuAnswerer(Machine& machine, std::function<UINT(const PopupMenuInfo&)> answerer);

// --- Mouse and windows ---------------------------------------------------------------------------
POINT CursorPos(Machine& machine);
void SetCursorPos(Machine& machine, POINT at);
HWND ForegroundWindow(Machine& machine);
void SetDoubleClickTime(Machine& machine, UINT ms);

}  // namespace emu
