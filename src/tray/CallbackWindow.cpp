// The callback window: the shell's mouse reports turned into the icons' events and menus, and the
// wait that tells a single left click from a double click.
#include <exception>

#include "platform/process_global.h"
#include "toolkit/Forms.h"
#include "tray/TrayIcon.h"

namespace {

constexpr const char* kClassName = "TCallbackWindow";
// The double-click interval is the least a second click may take; a little more makes sure the
// double-click message, if one comes, is handled before the wait ends.
constexpr DWORD kSingleClickMargin = 50;

ProcessGlobal<TCallbackWindow*> g_callbackWindow;

}  // namespace

TCallbackWindow* CallbackWindow() {
  return *g_callbackWindow;
}

TCallbackWindow* TCallbackWindow::Ensure(vcl::TComponent* owner) {
  if (!*g_callbackWindow) *g_callbackWindow = new TCallbackWindow(owner);
  return *g_callbackWindow;
}

TCallbackWindow::TCallbackWindow(vcl::TComponent* owner) : vcl::TControl(owner) {
  SetParent(dynamic_cast<vcl::TControl*>(owner));
}

TCallbackWindow::~TCallbackWindow() {
  // Icons added later get a new callback window instead of this one.
  if (*g_callbackWindow == this) *g_callbackWindow = nullptr;
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

HWND TCallbackWindow::Handle() {
  if (handle_) return handle_;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TCallbackWindow::WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  // Owned by the form's window; a top-level window, so that it hears the shell's broadcasts.
  HWND ownerWindow = nullptr;
  if (auto* form = dynamic_cast<vcl::TForm*>(Owner())) ownerWindow = form->Handle();
  handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, ownerWindow,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!handle_) throw vcl::EOutOfResources("Error creating window");
  SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  return handle_;
}

LRESULT CALLBACK TCallbackWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  auto* self = reinterpret_cast<TCallbackWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  LRESULT result = 0;
  vcl::Guarded([&] { result = self->WndProc(message, wParam, lParam); });
  return result;
}

LRESULT TCallbackWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallbackMessage) {
    TrayMessage(wParam, lParam);
    return 0;
  }
  if (taskbarCreated_ != 0 && message == taskbarCreated_) {
    TaskbarCreated();
    return 0;
  }
  return DefWindowProcA(handle_, message, wParam, lParam);
}

void TCallbackWindow::TrayMessage(WPARAM id, LPARAM mouseMessage) {
  TTrayIcon* icon =
      id <= static_cast<WPARAM>(INT32_MAX) ? FindTrayIcon(static_cast<int>(id)) : nullptr;
  if (!icon) return;
  currentIcon_ = icon;
  if (!icon->Enabled()) return;
  // A disabled window takes no input: a task-modal box of the program is open.
  if (!IsWindowEnabled(handle_)) return;
  // Where the cursor is now: the message carries no position.
  POINT at{};
  GetCursorPos(&at);
  const int x = at.x;
  const int y = at.y;
  switch (mouseMessage) {
    case WM_MOUSEMOVE:
      if (icon->OnMouseMove) icon->OnMouseMove(icon, 0, x, y);
      break;
    case WM_LBUTTONDOWN:
      if (icon->LBPopupMenu() && icon->AutoPopup()) {
        MenuPopup(icon, true, x, y);
      } else if (icon->OnMouseDown) {
        icon->OnMouseDown(icon, mbLeft, ssLeft, x, y);
      }
      break;
    case WM_LBUTTONUP:
      if (icon->OnMouseUp) {
        icon->OnMouseUp(icon, mbLeft, ssLeft, x, y);
      } else {
        SingleClick(icon);
      }
      break;
    case WM_LBUTTONDBLCLK:
      icon->clickPending_ = true;
      if (icon->OnDblClick) icon->OnDblClick(icon);
      break;
    case WM_RBUTTONDOWN:
      if (icon->RBPopupMenu() && icon->AutoPopup()) {
        MenuPopup(icon, false, x, y);
      } else if (icon->OnMouseDown) {
        icon->OnMouseDown(icon, mbRight, ssRight, x, y);
      }
      break;
    case WM_RBUTTONUP:
      if (icon->OnMouseUp) icon->OnMouseUp(icon, mbRight, ssRight, x, y);
      break;
    case WM_MBUTTONDOWN:
      if (icon->OnMouseDown) icon->OnMouseDown(icon, mbMiddle, ssMiddle, x, y);
      break;
    case WM_MBUTTONUP:
      if (icon->OnMouseUp) icon->OnMouseUp(icon, mbMiddle, ssMiddle, x, y);
      break;
    default:
      break;
  }
}

void TCallbackWindow::MenuPopup(TTrayIcon* icon, bool left, int x, int y) {
  // The menu closes on a click elsewhere only when its thread has the foreground.
  if (auto* form = dynamic_cast<vcl::TForm*>(icon->Owner())) {
    const int id = icon->IconID();
    SetForegroundWindow(form->Handle());
    if (vcl::Application) vcl::Application->ProcessMessages();
    // The waiting messages may have freed the icon.
    icon = FindTrayIcon(id);
    if (!icon) return;
  }
  vcl::TPopupMenu* menu = left ? icon->LBPopupMenu() : icon->RBPopupMenu();
  if (menu) menu->Popup(x, y);
}

void TCallbackWindow::SingleClick(TTrayIcon* icon) {
  if (!icon->OnClick) {
    icon->clickPending_ = false;
    return;
  }
  // The release that ends a double click.
  if (icon->clickPending_) {
    icon->clickPending_ = false;
    return;
  }
  auto* worker = new TSingleClick();
  worker->FreeOnTerminate = true;
  // Whichever callback window there is when the wait ends; the worker keeps no reference.
  worker->OnTerminate = [](vcl::TObject*) {
    if (TCallbackWindow* window = CallbackWindow()) window->SingleClickDone();
  };
  try {
    worker->Start();
  } catch (...) {
    delete worker;
    throw;
  }
  // The completion cannot come before this handler returns: it runs on this thread.
  icon->clickPending_ = true;
}

void TCallbackWindow::SingleClickDone() {
  TTrayIcon* icon = currentIcon_;
  if (!icon) return;
  if (icon->OnClick && icon->clickPending_) icon->OnClick(icon);
  // OnClick may have destroyed the icon, or made another one current.
  if (currentIcon_) currentIcon_->clickPending_ = false;
}

void TCallbackWindow::TaskbarCreated() {
  // The shell was restarted and has forgotten every icon: each one meant to be shown is added
  // again. A refusal of one does not keep the others away; the first is reported.
  std::exception_ptr firstError;
  for (TTrayIcon* icon : TrayIcons()) {
    if (!icon->Visible()) continue;
    icon->registered_ = false;
    try {
      icon->UpdateShellIcon(NIM_ADD);
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  }
  if (firstError) std::rethrow_exception(firstError);
}

void TSingleClick::Execute() {
  Sleep(GetDoubleClickTime() + kSingleClickMargin);
}
