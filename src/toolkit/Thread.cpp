#include "toolkit/Thread.h"

#include <exception>

#include "toolkit/Forms.h"

namespace vcl {
namespace {

constexpr const char* kClassName = "TThreadWindow";
constexpr UINT kCompleted = WM_USER + 1;

}  // namespace

TThread::TThread() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TThread::WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window_) throw EOutOfResources("Error creating window");
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TThread::~TThread() {
  if (handle_ && !freedByWorker_) {
    Terminate();
    WaitFor();
  }
  if (handle_) CloseHandle(handle_);
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

void TThread::Start() {
  if (handle_) return;
  handle_ = CreateThread(nullptr, 0, &TThread::ThreadProc, this, 0, nullptr);
  if (!handle_) throw EThread("Thread creation error");
}

void TThread::WaitFor() {
  if (!handle_ || joined_) return;
  WaitForSingleObject(handle_, INFINITE);
  joined_ = true;
}

DWORD WINAPI TThread::ThreadProc(LPVOID parameter) {
  auto* self = static_cast<TThread*>(parameter);
  // No exception may leave a thread into Windows: it is kept for the main thread to show.
  try {
    self->Execute();
  } catch (const Exception& e) {
    self->fatalError_ = e.Message();
  } catch (const std::exception& e) {
    self->fatalError_ = e.what();
  } catch (...) {
    self->fatalError_ = "Unknown error in a thread";
  }
  HWND window = self->window_;
  if (!PostMessageA(window, kCompleted, 0, 0)) {
    // The main thread's window is gone, so the program is ending and no completion will run:
    // nobody else will free a thread that frees itself.
    if (self->FreeOnTerminate) {
      self->freedByWorker_ = true;
      delete self;
    }
  }
  // After a successful post the main thread may free the object at any moment.
  return 0;
}

LRESULT CALLBACK TThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TThread*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kCompleted && self) {
    self->Completed();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void TThread::Completed() {
  // The worker ends right after its post.
  WaitFor();
  Guarded([this] {
    if (OnTerminate) OnTerminate(this);
  });
  if (!fatalError_.empty() && Application) Application->ShowException(fatalError_);
  if (FreeOnTerminate) delete this;
}

}  // namespace vcl
