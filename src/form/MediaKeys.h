// The keyboard's media keys as the player's hot keys. They are held only while a disc plays or is
// paused, so that another player has them whenever this one is idle.
#pragma once

#include <functional>
#include <set>

#include "platform/win32.h"
#include "toolkit/UtilityWindow.h"

class TMediaKeys {
 public:
  // `pressed` gets the virtual key (VK_MEDIA_PLAY_PAUSE ...) of each key pressed while held.
  explicit TMediaKeys(std::function<void(UINT key)> pressed);
  ~TMediaKeys();
  TMediaKeys(const TMediaKeys&) = delete;
  TMediaKeys& operator=(const TMediaKeys&) = delete;

  // Takes every key not held yet. A key another program holds is left to it without a word and
  // asked for again at the next Hold.
  void Hold();
  void Release();
  bool Holds(UINT key) const { return held_.count(key) != 0; }

  // Windows 2000 and later have the keys; Windows 9x and NT 4.0 have none.
  static bool SystemHasKeys();

 private:
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  std::function<void(UINT)> pressed_;
  vcl::TUtilityWindow window_;
  std::set<UINT> held_;
};
