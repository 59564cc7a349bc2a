// user32: window classes and windows, the per-thread message queues, timers, message boxes.
//
// Messages follow Windows' order: sent messages first, then posted ones, then WM_QUIT, then due
// timers. A posted message is delivered by a later GetMessageA/PeekMessageA, never inside the call
// that posted it; a message sent to a window of the calling thread calls its procedure at once.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "platform/emu/machine_impl.h"
#include "platform/emu/shell_internal.h"

namespace {

using emu::Impl;
using emu::ThreadRec;

// Windows raises a smaller interval to this minimum.
constexpr UINT kUserTimerMinimum = 10;

std::string Upper(const char* s) {
  std::string out(s ? s : "");
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool Matches(const MSG& m, HWND window, UINT min, UINT max) {
  if (window && m.hwnd != window) return false;
  if (min == 0 && max == 0) return true;
  return m.message >= min && m.message <= max;
}

// Something the thread could take from its queue now.
bool HasMessageLocked(emu::Machine::Impl& impl, ThreadRec& t, HWND window, UINT min, UINT max) {
  if (!t.sent.empty() || t.quit) return true;
  for (const auto& m : t.posted) {
    if (Matches(m, window, min, max)) return true;
  }
  uint64_t now = impl.NowLocked();
  for (const auto& timer : impl.timers) {
    if (timer.threadId == t.id && timer.due <= now && (!window || timer.window == window) &&
        Matches(MSG{timer.window, WM_TIMER, 0, 0, 0, {}}, window, min, max)) {
      return true;
    }
  }
  return false;
}

// Runs the messages that other threads sent to this thread's windows.
void DeliverSentLocked(emu::Machine::Impl& impl, std::unique_lock<std::mutex>& lock, ThreadRec& t) {
  while (!t.sent.empty()) {
    emu::SentMessage* sent = t.sent.front();
    t.sent.pop_front();
    WNDPROC proc = nullptr;
    if (auto* w = impl.WindowLocked(sent->msg.hwnd)) proc = w->proc;
    lock.unlock();
    LRESULT result =
        proc ? proc(sent->msg.hwnd, sent->msg.message, sent->msg.wParam, sent->msg.lParam) : 0;
    lock.lock();
    // A window deactivated from another thread: its thread's focus goes once it has answered.
    if (sent->msg.message == WM_ACTIVATE && LOWORD(sent->msg.wParam) == WA_INACTIVE &&
        impl.shell.foreground != sent->msg.hwnd) {
      emu::ClearFocusWithinLocked(impl, sent->msg.hwnd);
    }
    if (sent->msg.message == WM_ACTIVATE && LOWORD(sent->msg.wParam) != WA_INACTIVE) {
      emu::FocusActivatedLocked(impl, sent->msg.hwnd);
    }
    sent->result = result;
    sent->done = true;
    impl.WakeAllLocked();
  }
}

// Takes (or looks at) the next message in Windows' order.
bool TakeLocked(emu::Machine::Impl& impl, std::unique_lock<std::mutex>& lock, ThreadRec& t,
                MSG* out, HWND window, UINT min, UINT max, bool remove) {
  DeliverSentLocked(impl, lock, t);
  for (auto it = t.posted.begin(); it != t.posted.end(); ++it) {
    if (Matches(*it, window, min, max)) {
      *out = *it;
      if (remove) t.posted.erase(it);
      return true;
    }
  }
  if (t.quit) {
    *out = MSG{
        nullptr, WM_QUIT, static_cast<WPARAM>(t.quitCode), 0, static_cast<DWORD>(impl.NowLocked()),
        {}};
    if (remove) t.quit = false;
    return true;
  }
  uint64_t now = impl.NowLocked();
  emu::TimerRec* due = nullptr;
  for (auto& timer : impl.timers) {
    if (timer.threadId == t.id && timer.due <= now && (!window || timer.window == window) &&
        (!due || timer.due < due->due)) {
      due = &timer;
    }
  }
  if (due && Matches(MSG{due->window, WM_TIMER, 0, 0, 0, {}}, window, min, max)) {
    *out = MSG{due->window,
               WM_TIMER,
               due->id,
               reinterpret_cast<LPARAM>(due->proc),
               static_cast<DWORD>(now),
               {}};
    // One WM_TIMER at a time per timer; the next one is due a full interval later.
    if (remove) due->due = now + due->elapse;
    return true;
  }
  return false;
}

LRESULT CallProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  WNDPROC proc = nullptr;
  {
    std::lock_guard lock(impl.mu);
    if (auto* w = impl.WindowLocked(window)) proc = w->proc;
  }
  return proc ? proc(window, message, wParam, lParam) : 0;
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  auto& impl = Impl();
  if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard lock(impl.mu);
  std::string name = Upper(wndClass->lpszClassName);
  if (impl.classes.count(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  impl.classes[name] = emu::WindowClass{wndClass->lpszClassName, wndClass->lpfnWndProc};
  return static_cast<ATOM>(0xC000 + impl.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  std::string name = Upper(className);
  for (const auto& [h, w] : impl.windows) {
    if (Upper(w.className.c_str()) == name) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  }
  if (!impl.classes.erase(name)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return FALSE;
  }
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("CreateWindowExA")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  HWND handle = nullptr;
  std::string text = emu::StoredText(windowName);
  {
    std::lock_guard lock(impl.mu);
    auto cls = impl.classes.find(Upper(className));
    emu::WindowClass builtin;
    if (cls == impl.classes.end()) {
      // The standard controls; the tab control only once the common controls are asked for.
      builtin.name = className ? className : "";
      builtin.proc = emu::Machine::Impl::BuiltinClassProc(Upper(className));
      const bool tabs = Upper(className) == "SYSTABCONTROL32";
      if (!builtin.proc || (tabs && !impl.commonControls.count(impl.CurrentThreadLocked().pid))) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
      }
    }
    const emu::WindowClass& windowClass = cls == impl.classes.end() ? builtin : cls->second;
    if (parent && parent != HWND_MESSAGE && !impl.WindowLocked(parent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    handle = reinterpret_cast<HWND>(impl.nextWindow);
    impl.nextWindow += 4;
    emu::WindowRec w;
    w.handle = handle;
    w.className = windowClass.name;
    w.proc = windowClass.proc;
    w.z = ++impl.nextZBottom;  // a new window goes to the bottom of its siblings
    w.text = std::move(text);
    w.style = style;
    w.exStyle = exStyle;
    w.parent = parent == HWND_MESSAGE ? nullptr : parent;
    // A child window's "menu" is its control ID.
    if (style & WS_CHILD) w.id = static_cast<int>(reinterpret_cast<uintptr_t>(menu));
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
    w.rect = RECT{x, y, x + width, y + height};
    w.visible = (style & WS_VISIBLE) != 0;
    w.threadId = impl.CurrentThreadLocked().id;
    impl.windows[handle] = std::move(w);
  }
  CREATESTRUCTA cs{
      param,      instance,  nullptr, parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  if (!CallProc(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      CallProc(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  return handle;
}

BOOL DestroyWindow(HWND window) {
  auto& impl = Impl();
  std::vector<HWND> children;
  {
    std::lock_guard lock(impl.mu);
    auto* w = impl.WindowLocked(window);
    if (!w || w->destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (w->threadId != impl.CurrentThreadLocked().id) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    w->destroying = true;
    w->visible = false;
    for (const auto& [h, c] : impl.windows) {
      if (c.parent == window) children.push_back(h);
    }
  }
  CallProc(window, WM_DESTROY, 0, 0);
  for (HWND child : children) DestroyWindow(child);
  CallProc(window, WM_NCDESTROY, 0, 0);
  std::lock_guard lock(impl.mu);
  impl.windows.erase(window);
  std::erase_if(impl.timers, [&](const emu::TimerRec& t) { return t.window == window; });
  emu::ForgetHotKeysOfWindowLocked(impl, window);
  return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_SETTEXT:
      return SetWindowTextA(window, reinterpret_cast<LPCSTR>(lParam));
    case WM_GETTEXT:
      return GetWindowTextA(window, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_SETFONT:
    case WM_GETFONT: {
      auto& impl = Impl();
      std::lock_guard lock(impl.mu);
      auto* w = impl.WindowLocked(window);
      if (!w) return 0;
      if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(w->font);
      w->font = reinterpret_cast<HFONT>(wParam);
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_ACTIVATE:
      // The window itself takes the focus, not the control that had it before.
      if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) SetFocus(window);
      return 0;
    case WM_SETCURSOR: {
      // A child's parent is asked first; then the arrow.
      HWND parent = nullptr;
      {
        auto& impl = Impl();
        std::lock_guard lock(impl.mu);
        auto* w = impl.WindowLocked(window);
        if (w && (w->style & WS_CHILD)) parent = w->parent;
      }
      if (parent && SendMessageA(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (LOWORD(lParam) == HTCLIENT) SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
      return FALSE;
    }
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessageA(window, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          ShowWindow(window, SW_MINIMIZE);
          break;
        case SC_RESTORE:
          ShowWindow(window, SW_RESTORE);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (index == GWLP_USERDATA) return w->userData;
  if (index == GWLP_WNDPROC) return reinterpret_cast<LONG_PTR>(w->proc);
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR newLong) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = 0;
  if (index == GWLP_USERDATA) {
    old = w->userData;
    w->userData = newLong;
  } else if (index == GWLP_WNDPROC) {
    old = reinterpret_cast<LONG_PTR>(w->proc);
    w->proc = reinterpret_cast<WNDPROC>(newLong);
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
  }
  return old;
}

BOOL IsWindow(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return impl.WindowLocked(window) != nullptr;
}

BOOL IsWindowVisible(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  return w && w->visible;
}

BOOL ShowWindow(HWND window, int cmdShow) {
  auto& impl = Impl();
  bool was = false, now = false;
  bool active = false;  // a top-level window that is the foreground
  HWND owner = nullptr;
  {
    std::lock_guard lock(impl.mu);
    auto* w = impl.WindowLocked(window);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    was = w->visible;
    switch (cmdShow) {
      case SW_HIDE:
        w->visible = false;
        break;
      case SW_MINIMIZE:
      case SW_SHOWMINIMIZED:
      case SW_SHOWMINNOACTIVE:
        w->visible = true;
        w->minimized = true;
        break;
      case SW_RESTORE:
      case SW_SHOWNORMAL:
        w->visible = true;
        w->minimized = false;
        break;
      default:
        w->visible = true;
        break;
    }
    now = w->visible;
    if (was && !now) {
      if (w->style & WS_CHILD) {
        // A hidden child's focus goes to its parent.
        auto* thread = impl.ThreadLocked(w->threadId);
        for (HWND f = thread ? thread->focus : nullptr; f;) {
          if (f == window) {
            thread->focus = w->parent;
            break;
          }
          auto* fw = impl.WindowLocked(f);
          f = fw && (fw->style & WS_CHILD) ? fw->parent : nullptr;
        }
      } else if (impl.shell.foreground == window) {
        active = true;
        // The activation goes to the owner, where there is one that can take it.
        auto* o = impl.WindowLocked(w->parent);
        if (o && o->visible && !(o->style & WS_DISABLED)) owner = w->parent;
      }
    }
  }
  if (was != now) CallProc(window, WM_SHOWWINDOW, now ? TRUE : FALSE, 0);
  if (active) emu::MoveActivation(impl, owner, WA_ACTIVE);
  return was ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = w->rect;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto& impl = Impl();
  {
    std::lock_guard lock(impl.mu);
    auto* w = impl.WindowLocked(window);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
      r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    }
    if (!(flags & SWP_NOSIZE)) {
      r.right = r.left + cx;
      r.bottom = r.top + cy;
    }
    w->rect = r;
    if (!(flags & SWP_NOZORDER) && insertAfter == HWND_BOTTOM) w->z = ++impl.nextZBottom;
    if (!(flags & SWP_NOZORDER) && insertAfter == HWND_TOP) w->z = --impl.nextZTop;
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w || !placement) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  placement->flags = 0;
  placement->showCmd = !w->visible ? SW_HIDE : w->minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  placement->rcNormalPosition = w->rect;
  return TRUE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  auto& impl = Impl();
  if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  {
    std::lock_guard lock(impl.mu);
    auto* w = impl.WindowLocked(window);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    w->rect = placement->rcNormalPosition;
  }
  ShowWindow(window, static_cast<int>(placement->showCmd));
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  auto& impl = Impl();
  std::string stored = emu::StoredText(text);
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  w->text = std::move(stored);
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w || !text || maxCount <= 0) return 0;
  const std::string ansi = emu::AnsiText(w->text);
  int n = std::min<int>(static_cast<int>(ansi.size()), maxCount - 1);
  std::memcpy(text, ansi.data(), n);
  text[n] = '\0';
  return n;
}

namespace {

// Queues a message for `target`; it is taken by a later GetMessageA/PeekMessageA of that thread.
void PostLocked(emu::Machine::Impl& impl, ThreadRec& target, HWND window, UINT message,
                WPARAM wParam, LPARAM lParam) {
  target.posted.push_back(
      MSG{window, message, wParam, lParam, static_cast<DWORD>(impl.NowLocked()), {}});
  impl.WakeLocked(target);
}

}  // namespace

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("PostMessageA")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::lock_guard lock(impl.mu);
  ThreadRec* target = nullptr;
  if (!window) {
    target = &impl.CurrentThreadLocked();
  } else if (auto* w = impl.WindowLocked(window)) {
    target = impl.ThreadLocked(w->threadId);
  }
  if (!target) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  PostLocked(impl, *target, window, message, wParam, lParam);
  return TRUE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* target = impl.ThreadLocked(threadId);
  if (!target) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  PostLocked(impl, *target, nullptr, message, wParam, lParam);
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  auto& self = impl.CurrentThreadLocked();
  if (w->threadId == self.id) {
    WNDPROC proc = w->proc;
    lock.unlock();
    return proc(window, message, wParam, lParam);
  }
  auto* target = impl.ThreadLocked(w->threadId);
  if (!target) return 0;
  emu::SentMessage sent;
  sent.msg = MSG{window, message, wParam, lParam, static_cast<DWORD>(impl.NowLocked()), {}};
  target->sent.push_back(&sent);
  impl.WakeLocked(*target);
  const DWORD targetId = target->id;
  impl.BlockLocked(lock, self, [&] {
    // The receiver may end before it takes the message.
    if (!impl.ThreadLocked(targetId)) {
      sent.done = true;
    }
    return sent.done;
  });
  if (auto* t = impl.ThreadLocked(targetId)) std::erase(t->sent, &sent);
  return sent.result;
}

void PostQuitMessage(int exitCode) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  self.quit = true;
  self.quitCode = exitCode;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  while (!TakeLocked(impl, lock, self, msg, window, filterMin, filterMax, true)) {
    impl.BlockLocked(lock, self,
                     [&] { return HasMessageLocked(impl, self, window, filterMin, filterMax); });
  }
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  return TakeLocked(impl, lock, self, msg, window, filterMin, filterMax,
                    (removeMsg & PM_REMOVE) != 0)
             ? TRUE
             : FALSE;
}

BOOL WaitMessage() {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  DeliverSentLocked(impl, lock, self);
  impl.BlockLocked(lock, self, [&] { return HasMessageLocked(impl, self, nullptr, 0, 0); });
  return TRUE;
}

BOOL TranslateMessage(const MSG* /*msg*/) {
  return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == emu::kRunActionMessage && !msg->hwnd && msg->lParam) {
    std::unique_ptr<std::function<void()>> action(
        reinterpret_cast<std::function<void()>*>(msg->lParam));
    (*action)();
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  if (!msg->hwnd) return 0;
  return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND window, UINT_PTR idEvent, UINT elapse, TIMERPROC timerFunc) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("SetTimer")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  std::lock_guard lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  if (window) {
    auto* w = impl.WindowLocked(window);
    if (!w || w->threadId != self.id) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  elapse = std::max(elapse, kUserTimerMinimum);
  if (!window) {
    bool known = std::any_of(impl.timers.begin(), impl.timers.end(), [&](const auto& t) {
      return !t.window && t.id == idEvent && t.threadId == self.id;
    });
    if (!known) idEvent = impl.nextThreadTimerId++;
  }
  std::erase_if(impl.timers,
                [&](const emu::TimerRec& t) { return t.window == window && t.id == idEvent; });
  impl.timers.push_back(
      emu::TimerRec{window, idEvent, elapse, timerFunc, self.id, impl.NowLocked() + elapse});
  return window ? (idEvent ? idEvent : 1) : idEvent;
}

BOOL KillTimer(HWND window, UINT_PTR idEvent) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto before = impl.timers.size();
  std::erase_if(impl.timers,
                [&](const emu::TimerRec& t) { return t.window == window && t.id == idEvent; });
  // A WM_TIMER already taken from the queue is still delivered; none is generated afterwards.
  if (impl.timers.size() == before) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

namespace {

// The box's own message loop: the thread's timers and posted messages keep being dispatched while
// it is open, as under Windows. Returns the button that closed it.
int RunBoxLoop(emu::Machine::Impl& impl, const emu::BoxInfo& info) {
  std::unique_lock lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  auto box = std::make_unique<emu::OpenBox>();
  box->info = info;
  box->threadId = self.id;
  emu::OpenBox* open = box.get();
  impl.boxes.push_back(std::move(box));
  ++self.modalDepth;
  int answer = 0;
  for (;;) {
    if (open->answer != 0) {
      answer = open->answer;
      break;
    }
    if (self.quit) {
      // WM_QUIT ends the box; the quit stays pending for the caller's own loop.
      answer = (info.type & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
      break;
    }
    MSG msg;
    if (TakeLocked(impl, lock, self, &msg, nullptr, 0, 0, true)) {
      if (msg.message == WM_QUIT) {
        // A quit that came while a sent message ran (a box opened by it ended on the quit, too)
        // is taken here: Windows' box loop ends and posts it again for the loop around it.
        self.quit = true;
        self.quitCode = static_cast<int>(msg.wParam);
        continue;
      }
      lock.unlock();
      DispatchMessageA(&msg);
      lock.lock();
      continue;
    }
    impl.BlockLocked(lock, self, [&] {
      return open->answer != 0 || HasMessageLocked(impl, self, nullptr, 0, 0);
    });
  }
  --self.modalDepth;
  std::erase_if(impl.boxes, [&](const auto& b) { return b.get() == open; });
  return answer;
}

}  // namespace

namespace {

// The windows a box takes input from while it is open, as Windows does: its owner, or, for a
// task-modal box without one, every top-level window of the calling thread. Only windows that
// were enabled are listed, so that only they are enabled again.
std::vector<HWND> DisableForBoxLocked(emu::Machine::Impl& impl, HWND owner, UINT type, HWND box) {
  std::vector<HWND> disabled;
  const DWORD self = impl.CurrentThreadLocked().id;
  for (auto& [handle, w] : impl.windows) {
    const bool affected = owner ? handle == owner
                                : (type & MB_TASKMODAL) && handle != box && w.threadId == self &&
                                      !(w.style & WS_CHILD);
    if (affected && !(w.style & WS_DISABLED)) {
      w.style |= WS_DISABLED;
      disabled.push_back(handle);
    }
  }
  return disabled;
}

int ShowBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type, const char* function) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure(function)) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  emu::BoxInfo info;
  info.owner = owner;
  info.caption = caption ? emu::StoredText(caption) : "Error";
  info.text = emu::StoredText(text);
  info.type = type;
  std::function<int(const emu::BoxInfo&)> answerer;
  std::vector<HWND> disabled;
  {
    std::lock_guard lock(impl.mu);
    if (owner && !impl.WindowLocked(owner)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    info.window = impl.CreateBoxWindowLocked(info, impl.CurrentThreadLocked().id);
    disabled = DisableForBoxLocked(impl, owner, type, info.window);
    answerer = impl.boxAnswerer;
  }
  // The box is activated before it waits for the user: a CBT hook of the thread sees it first.
  CBTACTIVATESTRUCT activation{FALSE, nullptr};
  impl.CallCbtHooks(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(info.window),
                    reinterpret_cast<LPARAM>(&activation));
  {
    std::lock_guard lock(impl.mu);
    info.buttons = impl.BoxButtonsLocked(info.window);
    impl.boxLog.push_back(info);
  }
  int answer = 0;
  if (answerer) {
    answer = answerer(info);
  } else {
    answer = RunBoxLoop(impl, info);
  }
  std::lock_guard lock(impl.mu);
  std::erase_if(impl.windows, [&](const auto& w) {
    return w.first == info.window || w.second.parent == info.window;
  });
  for (HWND handle : disabled) {
    if (auto* w = impl.WindowLocked(handle)) w->style &= ~static_cast<DWORD>(WS_DISABLED);
  }
  return answer;
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  const emu::MachineText t(text);
  const emu::MachineText c(caption);
  return ShowBox(owner, text ? t.c_str() : nullptr, caption ? c.c_str() : nullptr, type,
                 "MessageBoxW");
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return ShowBox(owner, text, caption, type, "MessageBoxA");
}

BOOL MessageBeep(UINT /*type*/) {
  return TRUE;
}
