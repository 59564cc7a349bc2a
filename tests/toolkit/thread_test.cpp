// Threads: the completion on the main thread, errors of the body, freeing, and the program ending
// while a worker still sleeps.
#include <gtest/gtest.h>

#include <atomic>

#include "ApplicationFixture.h"
#include "toolkit/Thread.h"

namespace {

std::atomic<int> destroyed{0};

class TSleeper : public vcl::TThread {
 public:
  explicit TSleeper(DWORD ms, bool fail = false) : ms_(ms), fail_(fail) {}
  ~TSleeper() override { ++destroyed; }
  DWORD bodyThread = 0;

 protected:
  void Execute() override {
    bodyThread = GetCurrentThreadId();
    Sleep(ms_);
    if (fail_) throw vcl::Exception("worker failed");
  }

 private:
  DWORD ms_;
  bool fail_;
};

class Threads : public toolkit_test::ApplicationFixture {
 protected:
  void SetUp() override {
    destroyed = 0;
    ApplicationFixture::SetUp();
  }
};

TEST_F(Threads, CompletionRunsOnTheMainThreadFromItsQueueThenFreesTheThreadAndThenTheError) {
  auto* worker = new TSleeper(100);
  worker->FreeOnTerminate = true;
  DWORD completionThread = 0;
  DWORD bodyThread = 0;
  worker->OnTerminate = [&](vcl::TObject* sender) {
    completionThread = GetCurrentThreadId();
    bodyThread = static_cast<TSleeper*>(sender)->bodyThread;
  };
  worker->Start();
  machine.Advance(99);
  application->ProcessMessages();
  EXPECT_EQ(completionThread, 0u) << "still sleeping";
  machine.Advance(1);
  EXPECT_EQ(completionThread, 0u) << "the body has ended; its completion waits in the queue";
  EXPECT_EQ(destroyed, 0);
  application->ProcessMessages();
  EXPECT_EQ(completionThread, GetCurrentThreadId());
  EXPECT_NE(bodyThread, 0u);
  EXPECT_NE(bodyThread, completionThread);
  EXPECT_EQ(destroyed, 1);

  // An error of the body is shown after the completion.
  worker = new TSleeper(0, true);
  worker->FreeOnTerminate = true;
  worker->OnTerminate = [&](vcl::TObject*) { shown.push_back("completion"); };
  worker->Start();
  machine.Settle();
  application->ProcessMessages();
  EXPECT_EQ(shown, (std::vector<std::string>{"completion", "worker failed."}));
  EXPECT_EQ(destroyed, 2);
}

TEST_F(Threads, ThreadThatIsNotFreedByItselfIsWaitedForByItsDestructor) {
  class TSpinner : public vcl::TThread {
   public:
    ~TSpinner() override {
      Terminate();
      WaitFor();
    }

   protected:
    void Execute() override {
      while (!Terminated()) Sleep(0);
    }
  };
  auto spinner = std::make_unique<TSpinner>();
  spinner->Start();
  EXPECT_TRUE(spinner->Started());
  spinner.reset();  // would hang if the body were not told to end
  application->ProcessMessages();
}

TEST(ThreadsAtTheEnd, WorkerOfAnEndedProgramFreesItself) {
  destroyed = 0;
  bool completed = false;
  {
    emu::Machine machine;
    int pid = machine.StartProcess([&] {
      auto* worker = new TSleeper(1000);
      worker->FreeOnTerminate = true;
      worker->OnTerminate = [&](vcl::TObject*) { completed = true; };
      worker->Start();
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
      return 0;
    });
    machine.EndAllProcesses();
    EXPECT_FALSE(machine.Process(pid).running);
  }
  EXPECT_FALSE(completed) << "no completion runs once the program has ended";
  EXPECT_EQ(destroyed, 1) << "and the worker does not leak";
}

// A worker that completed is freed with its handle: the program ends with nothing left open.
TEST(ThreadsAtTheEnd, CompletedWorkerLeavesNoHandleOpen) {
  emu::Machine machine;
  const int pid = machine.StartProcess([] {
    auto* worker = new TSleeper(10);
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [](vcl::TObject*) { PostQuitMessage(0); };
    worker->Start();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return 0;
  });
  machine.Advance(10);
  EXPECT_FALSE(machine.Process(pid).running);
  EXPECT_EQ(machine.Process(pid).handlesLeftOpen, std::vector<std::string>{});
}

}  // namespace
