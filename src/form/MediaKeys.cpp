#include "form/MediaKeys.h"

#include <array>

#ifndef VK_MEDIA_PLAY_PAUSE
#define VK_MEDIA_NEXT_TRACK 0xB0
#define VK_MEDIA_PREV_TRACK 0xB1
#define VK_MEDIA_STOP 0xB2
#define VK_MEDIA_PLAY_PAUSE 0xB3
#endif

namespace {
constexpr std::array<UINT, 4> kKeys{VK_MEDIA_PLAY_PAUSE, VK_MEDIA_STOP, VK_MEDIA_NEXT_TRACK,
                                    VK_MEDIA_PREV_TRACK};
}  // namespace

TMediaKeys::TMediaKeys(std::function<void(UINT key)> pressed)
    : pressed_(std::move(pressed)),
      window_([this](UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
        return Message(message, wParam, lParam, handled);
      }) {}

TMediaKeys::~TMediaKeys() {
  Release();
}

void TMediaKeys::Hold() {
  // Each key's hot-key ID is the key itself: both lie in the range an application may use.
  for (UINT key : kKeys) {
    if (!Holds(key) && RegisterHotKey(window_.Handle(), static_cast<int>(key), 0, key)) {
      held_.insert(key);
    }
  }
}

void TMediaKeys::Release() {
  for (UINT key : held_) UnregisterHotKey(window_.Handle(), static_cast<int>(key));
  held_.clear();
}

LRESULT TMediaKeys::Message(UINT message, WPARAM wParam, LPARAM /*lParam*/, bool& handled) {
  if (message != WM_HOTKEY) return 0;
  handled = true;
  // A press queued just before the keys were let go is not the player's any more.
  const auto key = static_cast<UINT>(wParam);
  if (Holds(key) && pressed_) pressed_(key);
  return 0;
}

bool TMediaKeys::SystemHasKeys() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         version.dwMajorVersion >= 5;
}
