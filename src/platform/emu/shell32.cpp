// shell32: the notification area (Shell_NotifyIconA), and the user's mouse on its icons.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/emu/shell_internal.h"
#include "platform/emu/tray_control.h"

namespace {

using emu::Impl;
using emu::NotifyIconRec;

// The area sits at the right end of the taskbar of a 1024x768 screen, the first icon rightmost.
constexpr POINT kFirstIconAt{1013, 758};
constexpr LONG kIconPitch = 20;

// The first version's tip field holds 64 bytes; the later ones 128.
std::string ReadTip(const NOTIFYICONDATAA& data) {
  const size_t field = data.cbSize >= NOTIFYICONDATAA_V2_SIZE ? 128 : 64;
  return emu::StoredText(std::string(data.szTip, strnlen(data.szTip, field - 1)).c_str());
}

std::vector<NotifyIconRec>::iterator FindIconLocked(emu::ShellState& shell, HWND window, UINT id) {
  return std::find_if(shell.icons.begin(), shell.icons.end(), [&](const NotifyIconRec& icon) {
    return icon.window == window && icon.id == id;
  });
}

std::string ImageNameLocked(emu::Machine::Impl& impl, HICON icon) {
  auto it = impl.iconNames.find(icon);
  return it == impl.iconNames.end() ? std::string() : it->second;
}

emu::TrayIconInfo InfoLocked(emu::Machine::Impl& impl, size_t index) {
  const NotifyIconRec& icon = impl.shell.icons[index];
  return emu::TrayIconInfo{
      icon.window,
      icon.id,
      icon.hasMessage,
      icon.callbackMessage,
      icon.icon,
      ImageNameLocked(impl, icon.icon),
      icon.tip,
      POINT{kFirstIconAt.x - kIconPitch * static_cast<LONG>(index), kFirstIconAt.y}};
}

// One mouse message to an icon's window, as the shell sends it.
bool Report(emu::Machine& machine, const emu::TrayIconInfo& wanted, UINT mouseMessage, bool press) {
  if (press) emu::DismissPopupMenu(machine);
  auto& impl = machine.impl();
  {
    std::unique_lock lock(impl.mu);
    auto& shell = impl.shell;
    auto it = FindIconLocked(shell, wanted.window, wanted.id);
    if (it == shell.icons.end()) return false;
    shell.cursor = InfoLocked(impl, static_cast<size_t>(it - shell.icons.begin())).at;
    if (!impl.WindowLocked(it->window)) {
      shell.icons.erase(it);
      return false;
    }
    if (it->hasMessage) {
      NotifyIconRec icon = *it;
      emu::SendNotifyLocked(impl, lock, icon.window, icon.callbackMessage, icon.id, mouseMessage);
    }
  }
  machine.Settle();
  return true;
}

UINT Down(emu::TrayButton button) {
  switch (button) {
    case emu::TrayButton::Left:
      return WM_LBUTTONDOWN;
    case emu::TrayButton::Right:
      return WM_RBUTTONDOWN;
    case emu::TrayButton::Middle:
      return WM_MBUTTONDOWN;
  }
  return WM_LBUTTONDOWN;
}

}  // namespace

BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
  auto& impl = Impl();
  if (!data || data->cbSize < NOTIFYICONDATAA_V1_SIZE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool injected = impl.machine.TakeFailure("Shell_NotifyIconA").has_value();
  std::lock_guard lock(impl.mu);
  auto& shell = impl.shell;
  emu::ShellCall call{message,        data->cbSize,
                      data->hWnd,     data->uID,
                      data->uFlags,   data->uCallbackMessage,
                      data->hIcon,    ImageNameLocked(impl, data->hIcon),
                      ReadTip(*data), false};
  auto it = FindIconLocked(shell, data->hWnd, data->uID);
  bool ok = !injected && shell.explorerRunning;
  if (ok) {
    switch (message) {
      case NIM_ADD: {
        if (it != shell.icons.end()) {
          ok = false;
          break;
        }
        NotifyIconRec icon;
        icon.window = data->hWnd;
        icon.id = data->uID;
        shell.icons.push_back(icon);
        it = shell.icons.end() - 1;
        [[fallthrough]];
      }
      case NIM_MODIFY:
        if (it == shell.icons.end()) {
          ok = false;
          break;
        }
        // Only what the flags name changes; an add starts from nothing.
        if (data->uFlags & NIF_MESSAGE) {
          it->hasMessage = true;
          it->callbackMessage = data->uCallbackMessage;
        }
        if (data->uFlags & NIF_ICON) it->icon = data->hIcon;
        if (data->uFlags & NIF_TIP) it->tip = call.tip;
        break;
      case NIM_DELETE:
        if (it == shell.icons.end()) {
          ok = false;
          break;
        }
        shell.icons.erase(it);
        break;
      default:
        ok = false;
        break;
    }
  }
  call.succeeded = ok;
  shell.trace.push_back(call);
  return ok ? TRUE : FALSE;
}

namespace emu {

std::vector<TrayIconInfo> TrayIcons(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  std::vector<TrayIconInfo> out;
  for (size_t i = 0; i < impl.shell.icons.size(); ++i) out.push_back(InfoLocked(impl, i));
  return out;
}

std::vector<ShellCall> ShellTrace(Machine& machine) {
  std::lock_guard lock(machine.impl().mu);
  return machine.impl().shell.trace;
}

void ClearShellTrace(Machine& machine) {
  std::lock_guard lock(machine.impl().mu);
  machine.impl().shell.trace.clear();
}

bool PressTrayIcon(Machine& machine, const TrayIconInfo& icon, TrayButton button) {
  return Report(machine, icon, Down(button), true);
}

bool ReleaseTrayIcon(Machine& machine, const TrayIconInfo& icon, TrayButton button) {
  // The up message of each button is one above its down message.
  return Report(machine, icon, Down(button) + 1, false);
}

bool MoveOverTrayIcon(Machine& machine, const TrayIconInfo& icon) {
  return Report(machine, icon, WM_MOUSEMOVE, false);
}

bool ClickTrayIcon(Machine& machine, const TrayIconInfo& icon, TrayButton button) {
  return PressTrayIcon(machine, icon, button) && ReleaseTrayIcon(machine, icon, button);
}

bool DoubleClickTrayIcon(Machine& machine, const TrayIconInfo& icon) {
  return ClickTrayIcon(machine, icon, TrayButton::Left) &&
         Report(machine, icon, WM_LBUTTONDBLCLK, true) &&
         ReleaseTrayIcon(machine, icon, TrayButton::Left);
}

void StopExplorer(Machine& machine) {
  std::lock_guard lock(machine.impl().mu);
  machine.impl().shell.explorerRunning = false;
  machine.impl().shell.icons.clear();
}

void StartExplorer(Machine& machine) {
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  auto& impl = machine.impl();
  {
    std::unique_lock lock(impl.mu);
    impl.shell.explorerRunning = true;
    // Sent to every top-level window (HWND_BROADCAST), without waiting.
    std::vector<HWND> topLevel;
    for (const auto& [handle, window] : impl.windows) {
      if (!(window.style & WS_CHILD) && !window.destroying) topLevel.push_back(handle);
    }
    for (HWND handle : topLevel) emu::SendNotifyLocked(impl, lock, handle, taskbarCreated, 0, 0);
  }
  machine.Settle();
}

void RestartExplorer(Machine& machine) {
  StopExplorer(machine);
  StartExplorer(machine);
}

}  // namespace emu
