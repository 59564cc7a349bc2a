// user32: RegisterHotKey / UnregisterHotKey over the machine's one table of hot keys, and the
// keyboard that presses them.
#include <algorithm>

#include "platform/emu/hotkey_control.h"
#include "platform/emu/machine_impl.h"

namespace emu {
namespace {

constexpr UINT kKeyModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

// The program's name as the machine shows an owner: the exe's file name without its extension.
std::string ProgramName(const std::string& path) {
  std::string name = path.substr(path.find_last_of("\\:") + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// Checks the window argument of both calls as Windows does; the error, or 0 when it may be used.
DWORD WindowErrorLocked(Machine::Impl& impl, HWND window) {
  if (!window) return 0;
  auto* w = impl.WindowLocked(window);
  if (!w || w->destroying) return ERROR_INVALID_WINDOW_HANDLE;
  if (w->threadId != impl.CurrentThreadLocked().id) return ERROR_WINDOW_OF_OTHER_THREAD;
  return 0;
}

bool TakenLocked(const HotKeyState& state, UINT modifiers, UINT vk) {
  return std::any_of(state.keys.begin(), state.keys.end(), [&](const HotKeyRec& key) {
    return key.vk == vk && key.modifiers == modifiers;
  });
}

}  // namespace

std::vector<HotKeyInfo> HotKeys(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  std::vector<HotKeyInfo> keys;
  for (const HotKeyRec& key : impl.hotKeys.keys) {
    keys.push_back(HotKeyInfo{key.vk, key.modifiers, key.id, key.window, key.pid, key.owner});
  }
  return keys;
}

std::optional<std::string> PressHotKey(Machine& machine, UINT vk) {
  auto& impl = machine.impl();
  std::optional<std::string> owner;
  {
    std::lock_guard lock(impl.mu);
    for (const HotKeyRec& key : impl.hotKeys.keys) {
      if (key.vk != vk || key.modifiers != 0) continue;
      owner = key.owner;
      // A program outside the machine takes its key where the machine cannot see.
      ThreadRec* thread = key.threadId ? impl.ThreadLocked(key.threadId) : nullptr;
      if (!thread) break;
      const LPARAM lParam = static_cast<LPARAM>(static_cast<DWORD>(vk) << 16);
      thread->posted.push_back(MSG{key.window,
                                   WM_HOTKEY,
                                   static_cast<WPARAM>(key.id),
                                   lParam,
                                   static_cast<DWORD>(impl.NowLocked()),
                                   {}});
      impl.WakeLocked(*thread);
      break;
    }
  }
  machine.Settle();
  return owner;
}

bool HoldHotKeyOutside(Machine& machine, UINT vk, std::string owner) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  if (TakenLocked(impl.hotKeys, 0, vk)) return false;
  impl.hotKeys.keys.push_back(HotKeyRec{nullptr, 0, 0, 1, 0, vk, std::move(owner)});
  return true;
}

bool ReleaseHotKeyOutside(Machine& machine, UINT vk) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return std::erase_if(impl.hotKeys.keys, [&](const HotKeyRec& key) {
           return key.threadId == 0 && key.pid == 0 && key.vk == vk;
         }) != 0;
}

void ForgetHotKeysOfWindowLocked(Machine::Impl& impl, HWND window) {
  std::erase_if(impl.hotKeys.keys, [&](const HotKeyRec& key) { return key.window == window; });
}

}  // namespace emu

BOOL RegisterHotKey(HWND window, int id, UINT modifiers, UINT vk) {
  auto& impl = emu::Impl();
  if (auto error = impl.machine.TakeFailure("RegisterHotKey")) {
    SetLastError(*error ? *error : ERROR_HOTKEY_ALREADY_REGISTERED);
    return FALSE;
  }
  const std::string name = emu::ProgramName(impl.machine.ProgramPath());
  std::lock_guard lock(impl.mu);
  if (DWORD error = emu::WindowErrorLocked(impl, window)) {
    SetLastError(error);
    return FALSE;
  }
  const UINT keyModifiers = modifiers & emu::kKeyModifiers;
  // One owner per key and modifiers, whoever asks: the same window asking again is refused too.
  if (emu::TakenLocked(impl.hotKeys, keyModifiers, vk)) {
    SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
    return FALSE;
  }
  auto& thread = impl.CurrentThreadLocked();
  impl.hotKeys.keys.push_back(emu::HotKeyRec{window, thread.id, thread.pid, id, keyModifiers, vk,
                                             thread.pid ? name : std::string("host")});
  return TRUE;
}

BOOL UnregisterHotKey(HWND window, int id) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  if (DWORD error = emu::WindowErrorLocked(impl, window)) {
    SetLastError(error);
    return FALSE;
  }
  const DWORD self = impl.CurrentThreadLocked().id;
  auto& keys = impl.hotKeys.keys;
  // A thread's own keys (no window) are told apart by the thread that registered them.
  auto it = std::find_if(keys.begin(), keys.end(), [&](const emu::HotKeyRec& key) {
    return key.window == window && key.id == id && (window || key.threadId == self);
  });
  if (it == keys.end()) {
    SetLastError(ERROR_HOTKEY_NOT_REGISTERED);
    return FALSE;
  }
  keys.erase(it);
  return TRUE;
}
