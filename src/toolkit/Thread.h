// Threads whose completion runs on the main thread.
#pragma once

#include <atomic>
#include <string>

#include "platform/win32.h"
#include "toolkit/Classes.h"
#include "toolkit/SysUtils.h"

namespace vcl {

class EThread : public Exception {
  using Exception::Exception;
};

// A worker thread. It is made on the main thread and runs Execute once started. When Execute has
// returned, its completion reaches the main thread through a message posted to a window of that
// thread: OnTerminate runs there, an error that left Execute is shown by the application's error
// display, and a thread marked FreeOnTerminate is freed. So a worker needs no lock to hand its end
// over, and the main thread never waits for it to get there.
class TThread : public TObject {
 public:
  TThread();
  // A thread that runs still is told to terminate and waited for. A class with members that its
  // Execute uses does that in its own destructor already: by the time this one runs, they are gone
  // (and so is its Execute).
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Runs Execute on a new thread; raises EThread when the system gives none.
  void Start();
  bool Started() const { return handle_ != nullptr; }
  // Asks Execute to end; Execute looks at Terminated() when it can.
  void Terminate() { terminated_ = true; }
  // Waits until Execute has returned.
  void WaitFor();

  bool FreeOnTerminate = false;
  TNotifyEvent OnTerminate;

 protected:
  virtual void Execute() = 0;
  bool Terminated() const { return terminated_; }

 private:
  static DWORD WINAPI ThreadProc(LPVOID parameter);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // On the main thread, once Execute has returned.
  void Completed();

  HWND window_ = nullptr;
  HANDLE handle_ = nullptr;
  std::atomic<bool> terminated_{false};
  bool joined_ = false;
  bool freedByWorker_ = false;
  std::string fatalError_;  // written by the worker before it posts its completion
};

}  // namespace vcl
