// user32: the cursor, the foreground window and its activation, the double-click time, registered
// messages; and the shell's way of sending a message without waiting.
//
// Activation as Windows does it: the window that loses it gets WM_ACTIVATE WA_INACTIVE while its
// focus is still there, then its thread's focus goes; the one that gains it gets WM_ACTIVATE,
// whose default puts the focus on the window itself, not back on the control that had it; a
// window that answered without the default and left the focus outside gets it all the same (as
// Wine shows).
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

namespace {

// The top-level window that `window` is, or is a child of.
HWND TopLevelLocked(Machine::Impl& impl, HWND window) {
  auto* w = impl.WindowLocked(window);
  while (w && (w->style & WS_CHILD) && w->parent) {
    auto* parent = impl.WindowLocked(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w ? w->handle : nullptr;
}

bool WithinLocked(Machine::Impl& impl, HWND ancestor, HWND window) {
  for (auto* w = impl.WindowLocked(window); w;
       w = (w->style & WS_CHILD) && w->parent ? impl.WindowLocked(w->parent) : nullptr) {
    if (w->handle == ancestor) return true;
  }
  return false;
}

}  // namespace

void ClearFocusWithinLocked(Machine::Impl& impl, HWND window) {
  auto* w = impl.WindowLocked(window);
  auto* thread = w ? impl.ThreadLocked(w->threadId) : nullptr;
  if (thread && thread->focus && WithinLocked(impl, window, thread->focus)) thread->focus = nullptr;
}

void MoveActivation(Machine::Impl& impl, HWND top, WORD state) {
  std::unique_lock lock(impl.mu);
  HWND old = impl.WindowLocked(impl.shell.foreground) ? impl.shell.foreground : nullptr;
  if (old == top) return;
  impl.shell.foreground = top;
  if (auto* w = impl.WindowLocked(old)) {
    const bool ownThread = w->threadId == impl.CurrentThreadLocked().id;
    // The window told first keeps its focus while it answers, so that it can remember it.
    SendNotifyLocked(impl, lock, old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0),
                     reinterpret_cast<LPARAM>(top));
    // Another thread loses its focus once it has answered (user32.cpp).
    if (ownThread) ClearFocusWithinLocked(impl, old);
  }
  if (auto* w = impl.WindowLocked(top)) {
    const bool ownThread = w->threadId == impl.CurrentThreadLocked().id;
    SendNotifyLocked(impl, lock, top, WM_ACTIVATE, MAKEWPARAM(state, w->minimized ? 1 : 0),
                     reinterpret_cast<LPARAM>(old));
    if (ownThread) FocusActivatedLocked(impl, top);
  }
}

void FocusActivatedLocked(Machine::Impl& impl, HWND window) {
  auto* w = impl.WindowLocked(window);
  auto* thread = w ? impl.ThreadLocked(w->threadId) : nullptr;
  if (!thread || w->minimized || impl.shell.foreground != window) return;
  if (!WithinLocked(impl, window, thread->focus)) thread->focus = window;
}

bool ActivateWindow(Machine& machine, HWND window) {
  auto& impl = machine.impl();
  HWND top = nullptr;
  {
    std::lock_guard lock(impl.mu);
    top = TopLevelLocked(impl, window);
    auto* w = impl.WindowLocked(top);
    // A hidden or disabled window takes no click.
    if (!w || !w->visible || (w->style & WS_DISABLED)) return false;
  }
  MoveActivation(impl, top, WA_CLICKACTIVE);
  machine.Settle();
  return true;
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
  HWND top = nullptr;
  {
    std::lock_guard lock(impl.mu);
    if (!impl.WindowLocked(window)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    top = emu::TopLevelLocked(impl, window);
  }
  emu::MoveActivation(impl, top, WA_ACTIVE);
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
