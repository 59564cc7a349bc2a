// user32: popup menus. TrackPopupMenu runs a modal loop, as under Windows: the thread's messages
// keep being dispatched while the menu is open, and the machine's user closes it (a choice or a
// dismissal). A choice is posted to the owner as WM_COMMAND, or returned with TPM_RETURNCMD.
#include "platform/emu/shell_internal.h"
#include "platform/emu/tray_control.h"

namespace {

using emu::Impl;

BOOL Append(HMENU menu, UINT flags, UINT_PTR id, std::string text, const char* function) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure(function)) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::lock_guard lock(impl.mu);
  auto it = impl.shell.menus.find(menu);
  if (it == impl.shell.menus.end()) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  // Submenus are not emulated: nothing here uses them.
  if (flags & MF_POPUP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (flags & MF_SEPARATOR) text.clear();
  it->second.items.push_back(emu::MenuItemInfo{static_cast<UINT>(id & 0xFFFF), flags, text});
  return TRUE;
}

// The item the user may choose: there, not a separator, enabled.
bool Choosable(const emu::PopupMenuInfo& info, UINT id) {
  for (const auto& item : info.items) {
    if (item.id == id && !item.Separator() && item.Enabled()) return true;
  }
  return false;
}

bool Close(emu::Machine& machine, UINT chosen) {
  auto& impl = machine.impl();
  {
    std::lock_guard lock(impl.mu);
    auto& track = impl.shell.tracking;
    if (!track || track->closed) return false;
    if (chosen != 0 && !Choosable(track->info, chosen)) return false;
    track->closed = true;
    track->chosen = chosen;
    if (auto* t = impl.ThreadLocked(track->threadId)) impl.WakeLocked(*t);
  }
  machine.Settle();
  return true;
}

}  // namespace

namespace emu {

std::optional<PopupMenuInfo> OpenPopupMenu(Machine& machine) {
  std::lock_guard lock(machine.impl().mu);
  const auto& track = machine.impl().shell.tracking;
  if (!track || track->closed) return std::nullopt;
  return track->info;
}

bool ChoosePopupMenuItem(Machine& machine, UINT id) {
  return id != 0 && Close(machine, id);
}

bool DismissPopupMenu(Machine& machine) {
  return Close(machine, 0);
}

void SetPopupMenuAnswerer(Machine& machine, std::function<UINT(const PopupMenuInfo&)> answerer) {
  std::lock_guard lock(machine.impl().mu);
  machine.impl().shell.menuAnswerer = std::move(answerer);
}

}  // namespace emu

HMENU CreatePopupMenu() {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("CreatePopupMenu")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  auto menu = reinterpret_cast<HMENU>(impl.shell.nextMenu);
  impl.shell.nextMenu += 4;
  impl.shell.menus[menu] = emu::MenuRec{};
  return menu;
}

BOOL DestroyMenu(HMENU menu) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  if (!impl.shell.menus.erase(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL IsMenu(HMENU menu) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return impl.shell.menus.count(menu) ? TRUE : FALSE;
}

int GetMenuItemCount(HMENU menu) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.shell.menus.find(menu);
  if (it == impl.shell.menus.end()) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  return static_cast<int>(it->second.items.size());
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
  return Append(menu, flags, idNewItem, emu::StoredText(newItem), "AppendMenuA");
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
  if (emu::RefusedOnWin9x("AppendMenuW")) return FALSE;
  std::u16string wide;
  for (const WCHAR* p = newItem; p && *p; ++p) wide += static_cast<char16_t>(*p);
  return Append(menu, flags, idNewItem, emu::NarrowCodePage932(wide), "AppendMenuW");
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int /*reserved*/, HWND window,
                    const RECT* /*rect*/) {
  auto& impl = Impl();
  if (auto error = impl.machine.TakeFailure("TrackPopupMenu")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  std::unique_lock lock(impl.mu);
  auto& shell = impl.shell;
  auto it = shell.menus.find(menu);
  if (it == shell.menus.end()) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (!impl.WindowLocked(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // One menu at a time on the whole desktop.
  if (shell.tracking) {
    SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
    return FALSE;
  }
  emu::PopupMenuInfo info{menu, window, flags, POINT{x, y}, it->second.items};
  UINT chosen = 0;
  if (auto answerer = shell.menuAnswerer) {
    lock.unlock();
    chosen = answerer(info);
    lock.lock();
    if (!Choosable(info, chosen)) chosen = 0;
  } else {
    auto& self = impl.CurrentThreadLocked();
    shell.tracking = std::make_unique<emu::TrackRec>(emu::TrackRec{info, self.id, false, 0});
    emu::TrackRec* track = shell.tracking.get();
    ++self.modalDepth;
    for (;;) {
      if (track->closed) break;
      // WM_QUIT ends the menu; the quit stays pending for the caller's own loop.
      if (self.quit) break;
      lock.unlock();
      MSG msg;
      bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
      if (got && msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
      } else if (got) {
        DispatchMessageA(&msg);
      }
      lock.lock();
      if (got) continue;
      impl.BlockLocked(lock, self,
                       [&] { return track->closed || emu::ThreadHasMessageLocked(impl, self); });
    }
    --self.modalDepth;
    chosen = track->closed ? track->chosen : 0;
    shell.tracking.reset();
  }
  lock.unlock();
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (chosen != 0 && !(flags & TPM_NONOTIFY)) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  }
  return TRUE;
}
