// user32: the message box's own window and buttons, thread hooks (WH_CBT), dialog items and the
// wide window text.
#include <algorithm>
#include <cstring>

#include "platform/emu/machine_impl.h"
#include "platform/emu/shell_internal.h"

namespace emu {

std::vector<BoxButton> SystemBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case 2:  // MB_ABORTRETRYIGNORE
      return {{3, "&Abort"}, {4, "&Retry"}, {5, "&Ignore"}};
    case 3:  // MB_YESNOCANCEL
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case 5:  // MB_RETRYCANCEL
      return {{4, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

HWND Machine::Impl::CreateBoxWindowLocked(const BoxInfo& box, DWORD threadId) {
  // The screen is 1024 x 768; a box is centred on it.
  constexpr LONG kWidth = 360, kHeight = 140, kButtonWidth = 75, kButtonHeight = 23;
  auto make = [&](const char* cls, const std::string& text, DWORD style, HWND parent, int id,
                  RECT rect) {
    HWND handle = reinterpret_cast<HWND>(nextWindow);
    nextWindow += 4;
    WindowRec w;
    w.handle = handle;
    w.className = cls;
    w.text = text;
    w.style = style;
    w.parent = parent;
    w.rect = rect;
    w.visible = true;
    w.threadId = threadId;
    w.id = id;
    windows[handle] = std::move(w);
    return handle;
  };
  const LONG left = (1024 - kWidth) / 2, top = (768 - kHeight) / 2;
  HWND dialog = make("#32770", box.caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                     box.owner, 0, RECT{left, top, left + kWidth, top + kHeight});
  const std::vector<BoxButton> buttons = SystemBoxButtons(box.type);
  LONG x = left + kWidth - static_cast<LONG>(buttons.size()) * (kButtonWidth + 8);
  for (const BoxButton& b : buttons) {
    make("Button", b.caption, WS_CHILD | WS_VISIBLE, dialog, b.id,
         RECT{x, top + kHeight - 40, x + kButtonWidth, top + kHeight - 40 + kButtonHeight});
    x += kButtonWidth + 8;
  }
  return dialog;
}

std::vector<BoxButton> Machine::Impl::BoxButtonsLocked(HWND box) const {
  std::vector<std::pair<LONG, BoxButton>> found;
  for (const auto& [handle, w] : windows) {
    if (w.parent == box && w.className == "Button") found.push_back({w.rect.left, {w.id, w.text}});
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<BoxButton> out;
  for (auto& [x, b] : found) out.push_back(std::move(b));
  return out;
}

void Machine::Impl::CallCbtHooks(int code, WPARAM wParam, LPARAM lParam) {
  HOOKPROC proc = nullptr;
  {
    std::lock_guard lock(mu);
    const DWORD self = CurrentThreadLocked().id;
    // The newest hook of the thread is called first; it hands on with CallNextHookEx.
    for (const auto& [handle, hook] : exit.hooks) {
      if (hook.type == WH_CBT && hook.threadId == self) proc = hook.proc;
    }
  }
  if (proc) proc(code, wParam, lParam);
}

}  // namespace emu

HHOOK SetWindowsHookExA(int hookType, HOOKPROC proc, HINSTANCE /*module*/, DWORD threadId) {
  auto& impl = emu::Impl();
  if (auto error = impl.machine.TakeFailure("SetWindowsHookExA")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  // Only hooks on a thread of the calling process are made here; a system-wide hook needs a DLL.
  auto* thread = impl.ThreadLocked(threadId);
  if (hookType != WH_CBT || !proc || !thread || thread->pid != impl.CurrentThreadLocked().pid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HHOOK hook = reinterpret_cast<HHOOK>(impl.exit.nextHook);
  impl.exit.nextHook += 4;
  impl.exit.hooks[hook] = emu::HookRec{hookType, proc, threadId};
  return hook;
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  if (!impl.exit.hooks.erase(hook)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK /*hook*/, int /*code*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  // One hook per thread is all this machine runs; there is no next one.
  return 0;
}

HWND GetDlgItem(HWND dialog, int id) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  for (const auto& [handle, w] : impl.windows) {
    if (w.parent == dialog && dialog && w.id == id) return handle;
  }
  SetLastError(impl.WindowLocked(dialog) ? 1421L /* ERROR_CONTROL_ID_NOT_FOUND */
                                         : ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) {
  if (emu::RefusedOnWin9x("SetWindowTextW")) return FALSE;
  const emu::MachineText narrow(text);
  return SetWindowTextA(window, narrow.c_str());
}

int GetClassNameA(HWND window, LPSTR className, int maxCount) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w || !className || maxCount <= 0) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  int n = std::min<int>(static_cast<int>(w->className.size()), maxCount - 1);
  std::memcpy(className, w->className.data(), n);
  className[n] = '\0';
  return n;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return 1024;
    case SM_CYSCREEN:
      return 768;
    default:
      return emu::IconMetric(index);
  }
}
