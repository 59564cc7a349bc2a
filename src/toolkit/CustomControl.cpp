#include "toolkit/CustomControl.h"

#include "toolkit/Forms.h"
#include "toolkit/SysUtils.h"

namespace vcl {
namespace {

int XOf(LPARAM lParam) {
  return static_cast<short>(LOWORD(lParam));
}
int YOf(LPARAM lParam) {
  return static_cast<short>(HIWORD(lParam));
}

}  // namespace

TCustomControl::TCustomControl(TComponent* owner) : TControl(owner) {}

TCustomControl::~TCustomControl() {
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

HWND TCustomControl::Handle() {
  if (handle_) return handle_;
  HWND parent = nullptr;
  if (auto* form = dynamic_cast<TForm*>(Parent())) {
    parent = form->Handle();
  } else if (auto* control = dynamic_cast<TCustomControl*>(Parent())) {
    parent = control->Handle();
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TCustomControl::WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = WindowClassName();
  RegisterClassA(&wc);  // fails harmlessly when already registered
  DWORD style = parent ? WS_CHILD : WS_POPUP;
  if (parent && Visible()) style |= WS_VISIBLE;
  if (tabStop_) style |= WS_TABSTOP;
  HWND handle = CreateWindowExA(0, WindowClassName(), "", style, Left(), Top(), Width(), Height(),
                                parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!handle) throw EOutOfResources("Error creating window");
  handle_ = handle;
  SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return handle_;
}

void TCustomControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TCustomControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  // A control without a windowed parent is never shown: its window only receives messages.
  if (handle_ && Parent()) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

LRESULT CALLBACK TCustomControl::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<TCustomControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The parent's window took this one with it; a later Handle() makes a new one.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->handle_ = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  Guarded([&] { result = self->WndProc(message, wParam, lParam); });
  return result;
}

LRESULT TCustomControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(handle_, &paint);
      if (dc) {
        Paint(dc);
        EndPaint(handle_, &paint);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // Paint covers the whole client area
    case WM_GETDLGCODE:
      return DialogCode();
    case WM_KEYDOWN:
      KeyDown(static_cast<WORD>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      MouseDown(XOf(lParam), YOf(lParam));
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(XOf(lParam), YOf(lParam), (wParam & MK_LBUTTON) != 0);
      return 0;
    case WM_LBUTTONUP:
      MouseUp(XOf(lParam), YOf(lParam));
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      focused_ = message == WM_SETFOCUS;
      FocusChanged();
      return 0;
    case WM_SIZE:
      SetWidth(LOWORD(lParam));
      SetHeight(HIWORD(lParam));
      Resize();
      return 0;
    default:
      return DefWindowProcA(handle_, message, wParam, lParam);
  }
}

}  // namespace vcl
