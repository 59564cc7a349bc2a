// user32 on the emulated machine: queues, their order, timers on the manual clock, program threads
// and message boxes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/win32.h"
#include "recorder.h"

namespace {

using emu_testing::MakeWindow;
using emu_testing::seen;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      seen.push_back("quit");
      continue;
    }
    DispatchMessageA(&msg);
  }
}

class Messages : public ::testing::Test {
 protected:
  emu::Machine machine;
  void SetUp() override { seen.clear(); }
};

TEST_F(Messages, PostedLaterSentAtOnceQuitAfterPostedTimersLast) {
  HWND w = MakeWindow();
  ASSERT_NE(w, nullptr);
  SetTimer(w, 5, 100, nullptr);
  machine.Advance(100);
  PostQuitMessage(0);
  PostMessageA(w, WM_USER + 1, 0, 0);
  EXPECT_TRUE(seen.empty()) << "a posted message is not delivered inside the call that posts it";
  SendMessageA(w, WM_USER + 2, 0, 0);
  EXPECT_EQ(seen, std::vector<std::string>{"posted 2"});
  PostMessageA(w, WM_USER + 9, 0, 0);
  Pump();
  // The message posted while handling 9 comes before the quit: quit waits for an empty queue.
  EXPECT_EQ(seen, (std::vector<std::string>{"posted 2", "posted 1", "posted 9", "posted 10", "quit",
                                            "timer 5"}));
}

TEST_F(Messages, TimerIsDueAFullIntervalAfterItWasTakenAndOnlyOnceAtATime) {
  HWND w = MakeWindow();
  SetTimer(w, 1, 1000, nullptr);
  const auto ticksAfter = [&](uint32_t ms) {
    machine.Advance(ms);
    Pump();
    return seen.size();
  };
  EXPECT_EQ(ticksAfter(3500), 1u) << "nobody took the first tick: still one WM_TIMER";
  EXPECT_EQ(seen, std::vector<std::string>{"timer 1"});
  EXPECT_EQ(ticksAfter(999), 1u);
  EXPECT_EQ(ticksAfter(1), 2u);
  KillTimer(w, 1);
  EXPECT_EQ(ticksAfter(5000), 2u);
  EXPECT_FALSE(KillTimer(w, 1));
  EXPECT_EQ(SetTimer(w, 2, 0, nullptr), 2u) << "a zero interval is raised to the minimum";
}

// A program thread runs its timers as the clock is advanced, a message box's loop among them, and
// waits in the box for the machine's user.
TEST_F(Messages, ProgramTimersRunWithTheClockAndAMessageBoxWaitsForTheUser) {
  static int ticks;
  static int answer;
  ticks = 0;
  answer = 0;
  machine.SetAnsiCodePage(932);  // a Japanese Windows reads the box's ANSI text
  int pid = machine.StartProcess([] {
    SetTimer(nullptr, 0, 150, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    answer = MessageBoxA(nullptr, "\r\nシャットダウンしてもよろしいですか？", "警告",
                         MB_OKCANCEL | MB_ICONWARNING);
    return 3;
  });
  EXPECT_TRUE(machine.Process(pid).running);
  auto boxes = machine.OpenBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "警告");
  machine.Advance(149);
  EXPECT_EQ(ticks, 0);
  machine.Advance(451);  // 150, 300, 450, 600
  EXPECT_EQ(ticks, 4) << "the box runs the thread's timers";
  EXPECT_FALSE(machine.AnswerBox(IDYES)) << "no such button";
  EXPECT_TRUE(machine.AnswerBox(IDCANCEL));
  EXPECT_EQ(answer, IDCANCEL);
  EXPECT_FALSE(machine.Process(pid).running);
  EXPECT_EQ(machine.Process(pid).exitCode, 3);
  EXPECT_FALSE(machine.AnswerBox(IDOK)) << "no box is open";
}

// While a box is open Windows disables its owner, or, for a task-modal box without one, every
// top-level window of the calling thread; at its end it enables again what it disabled, and only
// that. A box that cannot be shown disables nothing.
TEST_F(Messages, ABoxDisablesItsOwnerOrTheThreadsWindowsWhileItIsOpen) {
  HWND owner = MakeWindow(), other = MakeWindow(), off = MakeWindow();
  HWND child = MakeWindow(WS_CHILD, owner);
  EnableWindow(off, FALSE);
  auto enabled = [&] {
    std::string flags;
    for (HWND w : {owner, other, off, child}) flags += IsWindowEnabled(w) ? '1' : '0';
    return flags;
  };
  std::string during;
  machine.SetBoxAnswerer([&](const emu::BoxInfo&) {
    during = enabled();
    return IDOK;
  });
  struct Case {
    HWND owner;
    UINT type;
    const char* during;
  };
  const Case cases[] = {
      {owner, MB_OK, "0101"}, {nullptr, MB_OK | MB_TASKMODAL, "0001"}, {nullptr, MB_OK, "1101"}};
  for (const Case& c : cases) {
    during.clear();
    EXPECT_EQ(MessageBoxA(c.owner, "text", "caption", c.type), IDOK);
    EXPECT_EQ(during, c.during);
    EXPECT_EQ(enabled(), "1101");
  }
  machine.FailNext("MessageBoxW", ERROR_NOT_ENOUGH_MEMORY);
  during.clear();
  const WCHAR text[] = {'t', 0};
  EXPECT_EQ(MessageBoxW(nullptr, text, text, MB_OK | MB_TASKMODAL), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(during, "") << "a box that failed was shown";
  // The failure was MessageBoxW's alone.
  EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK);
  EXPECT_THROW(machine.FailNext("NoSuchFunction"), std::invalid_argument);
}

TEST_F(Messages, WindowsBelongToTheirThread) {
  HWND w = MakeWindow();
  static HWND shared;
  static BOOL destroyed;
  shared = w;
  machine.StartProcess([] {
    destroyed = DestroyWindow(shared);
    return 0;
  });
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(DestroyWindow(w));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
