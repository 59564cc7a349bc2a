// The machine's table of registered hot keys (hotkeys.cpp).
#pragma once

#include <string>
#include <vector>

#include "platform/emu/win32_api.h"

namespace emu {

struct HotKeyRec {
  HWND window = nullptr;  // null: the registering thread's own queue gets WM_HOTKEY
  DWORD threadId = 0;     // 0 for a program outside the machine's processes
  int pid = 0;
  int id = 0;
  UINT modifiers = 0;  // without MOD_NOREPEAT, which does not make a key another one
  UINT vk = 0;
  std::string owner;  // the program's name
};

struct HotKeyState {
  std::vector<HotKeyRec> keys;
};

}  // namespace emu
