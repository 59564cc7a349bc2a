// The machine's keyboard as far as hot keys go, for tests and the console: pressing a key that a
// program registered posts WM_HOTKEY to it, and a program outside the machine's processes can be
// made to hold a key, as another player would.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/emu/machine.h"

namespace emu {

struct HotKeyInfo {
  UINT vk = 0;
  UINT modifiers = 0;
  int id = 0;
  HWND window = nullptr;
  int pid = 0;        // 0: the host (a test's own thread) or a program outside the machine
  std::string owner;  // the registering program's name (the exe's file name without extension)
};

// The registered hot keys, oldest first.
std::vector<HotKeyInfo> HotKeys(Machine& machine);

// The user presses `vk` with no modifier held and lets go; the owner of that hot key gets
// WM_HOTKEY (posted, never inside this call) and the programs settle. Returns the owner's name,
// or nothing when no one holds the key (the keystroke then reaches no program of this machine).
std::optional<std::string> PressHotKey(Machine& machine, UINT vk);

// A program that is not one of the machine's processes (another media player) takes `vk` with no
// modifiers, as if it had called RegisterHotKey first; false when the key is already taken.
bool HoldHotKeyOutside(Machine& machine, UINT vk, std::string owner);
// That program lets go of `vk`; false when it did not hold it.
bool ReleaseHotKeyOutside(Machine& machine, UINT vk);

}  // namespace emu
