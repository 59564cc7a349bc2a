// A window class of the emulation's tests that writes what reaches it into `seen`.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

namespace emu_testing {

// The message a notification-area icon reports with.
inline constexpr UINT kIconCallback = WM_USER + 200;

inline std::vector<std::string> seen;

inline LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::string entry;
  if (message == WM_TIMER) {
    entry = "timer " + std::to_string(wParam);
  } else if (message == WM_COMMAND) {
    entry = "command " + std::to_string(LOWORD(wParam));
  } else if (message == kIconCallback) {
    entry = "icon " + std::to_string(wParam) + ":" + std::to_string(lParam);
  } else if (message >= 0xC000) {
    entry = "registered";
  } else if (message >= WM_USER) {
    entry = "posted " + std::to_string(message - WM_USER);
  } else {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  seen.push_back(entry);
  // A message posted by a handler: WM_USER + 9 posts WM_USER + 10.
  if (message == WM_USER + 9) PostMessageA(window, WM_USER + 10, 0, 0);
  return 0;
}

inline HWND MakeWindow(DWORD style = WS_POPUP, HWND parent = nullptr) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "Recording";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "Recording", "", style, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
}

}  // namespace emu_testing
