// user32: the cursor, the foreground window, the double-click time, registered messages; and the
// shell's way of sending a message without waiting.
#include <algorithm>
#include <cctype>

#include "platform/emu/shell_internal.h"
#include "platform/emu/tray_control.h"

namespace emu {

bool SendNotifyLocked(Machine::Impl& impl, std::unique_lock<std::mutex>& lock, HWND window,
                      UINT message, WPARAM wParam, LPARAM lParam) {
  auto& shell = impl.shell;
  // Records whose receiver took them, or ended before it could, are no longer referred to.
  std::erase_if(shell.notifications, [&](const ShellState::Notification& n) {
    return n.message->done || !impl.ThreadLocked(n.threadId);
  });
  auto* w = impl.WindowLocked(window);
  if (!w) return false;
  auto& self = impl.CurrentThreadLocked();
  if (w->threadId == self.id) {
    WNDPROC proc = w->proc;
    lock.unlock();
    proc(window, message, wParam, lParam);
    lock.lock();
    return true;
  }
  auto* target = impl.ThreadLocked(w->threadId);
  if (!target) return false;
  auto record = std::make_unique<SentMessage>();
  record->msg = MSG{window, message, wParam, lParam, static_cast<DWORD>(impl.NowLocked()), {}};
  target->sent.push_back(record.get());
  shell.notifications.push_back(ShellState::Notification{target->id, std::move(record)});
  impl.WakeLocked(*target);
  return true;
}

bool ThreadHasMessageLocked(Machine::Impl& impl, const ThreadRec& thread) {
  if (!thread.sent.empty() || !thread.posted.empty() || thread.quit) return true;
  const uint64_t now = impl.NowLocked();
  return std::any_of(impl.timers.begin(), impl.timers.end(), [&](const TimerRec& timer) {
    return timer.threadId == thread.id && timer.due <= now;
  });
}

POINT CursorPos(Machine& machine) {
  std::lock_guard lock(machine.impl().mu);
  return machine.impl().shell.cursor;
}

void SetCursorPos(Machine& machine, POINT at) {
  std::lock_guard lock(machine.impl().mu);
  machine.impl().shell.cursor = at;
}

HWND ForegroundWindow(Machine& machine) {
  std::lock_guard lock(machine.impl().mu);
  auto& impl = machine.impl();
  // A destroyed window is no longer in the foreground.
  if (!impl.WindowLocked(impl.shell.foreground)) impl.shell.foreground = nullptr;
  return impl.shell.foreground;
}

void SetDoubleClickTime(Machine& machine, UINT ms) {
  std::lock_guard lock(machine.impl().mu);
  machine.impl().shell.doubleClickTime = ms;
}

}  // namespace emu

BOOL GetCursorPos(LPPOINT point) {
  auto& impl = emu::Impl();
  if (!point) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(impl.mu);
  *point = impl.shell.cursor;
  return TRUE;
}

BOOL SetForegroundWindow(HWND window) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  if (!impl.WindowLocked(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  impl.shell.foreground = window;
  return TRUE;
}

HWND GetForegroundWindow() {
  return emu::ForegroundWindow(emu::Machine::Current());
}

UINT GetDoubleClickTime() {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  return impl.shell.doubleClickTime;
}

UINT RegisterWindowMessageA(LPCSTR name) {
  auto& impl = emu::Impl();
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string key(name);
  for (auto& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::lock_guard lock(impl.mu);
  auto& shell = impl.shell;
  auto it = shell.registeredMessages.find(key);
  if (it != shell.registeredMessages.end()) return it->second;
  // The machine keeps the top of the range (0xFFF0 on) for its own thread messages.
  if (shell.nextRegisteredMessage >= 0xFF00) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  UINT id = shell.nextRegisteredMessage++;
  shell.registeredMessages[key] = id;
  return id;
}
