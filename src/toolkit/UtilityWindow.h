// A hidden window that only receives messages, for components that need one (timers, devices).
#pragma once

#include <functional>

#include "platform/win32.h"

namespace vcl {

class TUtilityWindow {
 public:
  // `handler` gets every message; what it does not handle goes to DefWindowProcA. Exceptions from
  // it go to the application's error display.
  explicit TUtilityWindow(std::function<LRESULT(UINT, WPARAM, LPARAM, bool& handled)> handler);
  ~TUtilityWindow();
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;

  HWND Handle() const { return handle_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND handle_ = nullptr;
  std::function<LRESULT(UINT, WPARAM, LPARAM, bool&)> handler_;
};

}  // namespace vcl
