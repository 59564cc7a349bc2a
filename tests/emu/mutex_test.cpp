// Named mutexes: visible to other copies on the machine, across real Linux processes too, and gone
// with the last handle or the process that held it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/emu/exit_control.h"
#include "platform/emu/machine.h"
#include "platform/win32.h"

namespace {

TEST(Mutex, ExistsWhileAHandleIsOpen) {
  emu::Machine machine;
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "hOrvanta"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE created = CreateMutexA(nullptr, FALSE, "hOrvanta");
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE again = CreateMutexA(nullptr, FALSE, "hOrvanta");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  HANDLE opened = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "hOrvanta");
  EXPECT_NE(opened, nullptr);
  EXPECT_FALSE(ReleaseMutex(created)) << "never owned";
  CloseHandle(opened);
  CloseHandle(again);
  EXPECT_NE(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "hOrvanta"), nullptr);
  CloseHandle(created);
  EXPECT_FALSE(CloseHandle(created));
}

// What a process leaves open, the machine closes at its end as Windows does, but reports it (and
// traces no close of the program's): only what the program closed itself reads as closed.
TEST(Mutex, HandlesAProcessLeavesOpenAreReleasedAndReported) {
  emu::Machine machine;
  static HANDLE closedToken;
  const int leaky = machine.StartProcess([] {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    CreateMutexA(nullptr, FALSE, "hOrvanta");
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &closedToken);
    CloseHandle(closedToken);
    return 0;
  });
  machine.Settle();
  EXPECT_EQ(machine.Process(leaky).handlesLeftOpen,
            (std::vector<std::string>{"token", "mutex hOrvanta"}));
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "hOrvanta"), nullptr) << "the name went with it";
  const std::vector<std::string> trace = emu::ExitTrace(machine);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "CloseHandle token"), 1);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "left open at exit: token"), 1);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "left open at exit: mutex hOrvanta"), 1);

  const int tidy = machine.StartProcess([] {
    CloseHandle(CreateMutexA(nullptr, FALSE, "hOrvanta"));
    return 0;
  });
  machine.Settle();
  EXPECT_EQ(machine.Process(tidy).handlesLeftOpen, std::vector<std::string>{});
}

// The child makes its own machine on the same folder, creates the mutex, reports, and waits to be
// told to end: while it lives the parent's machine sees the mutex; after it has ended, not.
TEST(Mutex, IsSystemWideAcrossRealProcessesOnOneMachineFolder) {
  auto folder =
      std::filesystem::temp_directory_path() / ("orvanta-mutex-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  int toChild[2], fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    emu::Machine machine(emu::MachineOptions{folder, true});
    HANDLE h = CreateMutexA(nullptr, FALSE, "hOrvanta");
    char ok = h && GetLastError() == ERROR_SUCCESS ? 'y' : 'n';
    (void)!write(fromChild[1], &ok, 1);
    char go;
    (void)!read(toChild[0], &go, 1);
    _exit(0);  // no clean-up: the name must go with the process
  }
  char created = 0;
  ASSERT_EQ(read(fromChild[0], &created, 1), 1);
  EXPECT_EQ(created, 'y');
  {
    emu::Machine machine(emu::MachineOptions{folder, true});
    HANDLE mine = CreateMutexA(nullptr, FALSE, "hOrvanta");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(mine);
  }
  (void)!write(toChild[1], "x", 1);
  int status = 0;
  waitpid(child, &status, 0);
  {
    emu::Machine machine(emu::MachineOptions{folder, true});
    EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "hOrvanta"), nullptr);
  }
  // Another machine folder is another computer: its names are its own.
  {
    emu::Machine other;
    HANDLE h = CreateMutexA(nullptr, FALSE, "hOrvanta");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(h);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
