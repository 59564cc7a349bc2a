#include "toolkit/UtilityWindow.h"

#include "toolkit/Forms.h"
#include "toolkit/SysUtils.h"

namespace vcl {
namespace {
constexpr const char* kClassName = "TPUtilWindow";
}

TUtilityWindow::TUtilityWindow(std::function<LRESULT(UINT, WPARAM, LPARAM, bool&)> handler)
    : handler_(std::move(handler)) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TUtilityWindow::WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!handle_) throw EOutOfResources("Error creating window");
  SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TUtilityWindow::~TUtilityWindow() {
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

LRESULT CALLBACK TUtilityWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self && self->handler_) {
    LRESULT result = 0;
    bool handled = false;
    Guarded([&] { result = self->handler_(message, wParam, lParam, handled); });
    if (handled) return result;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vcl
