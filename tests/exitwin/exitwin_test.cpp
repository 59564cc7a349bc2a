// The Windows exit component on both Windows families: the calls each operation makes, in order,
// what Windows was asked, and the message of every way it can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exitwin/ExitWin32.h"
#include "platform/emu/exit_control.h"

namespace {

using Operation = void (TExitWin::*)();
using Trace = std::vector<std::string>;

struct Outcome {
  std::string error;  // "EExitError: ..." or "Exception: ..."; empty when Windows accepted
  Trace trace;
  std::vector<emu::ExitRequest> requests;
};

// Runs one operation in a program of its own on a fresh machine, with one call made to fail.
Outcome RunExit(emu::Platform platform, Operation operation, const std::string& failing = "") {
  emu::Machine machine;
  machine.SetPlatform(platform);
  if (!failing.empty()) machine.FailNext(failing);
  Outcome outcome;
  machine.StartProcess([&] {
    TExitWin exitWin(nullptr);
    try {
      (exitWin.*operation)();
    } catch (const EExitError& e) {
      outcome.error = "EExitError: " + e.Message();
    } catch (const vcl::Exception& e) {
      outcome.error = "Exception: " + e.Message();
    }
    return 0;
  });
  outcome.trace = emu::ExitTrace(machine);
  outcome.requests = emu::ExitRequests(machine);
  return outcome;
}

const Trace kPrivileged = {"GetVersionExA", "OpenProcessToken 0x28",
                           "LookupPrivilegeValueA SeShutdownPrivilege",
                           "AdjustTokenPrivileges 19 enable"};

Trace Then(Trace trace, std::initializer_list<std::string> more) {
  trace.insert(trace.end(), more);
  return trace;
}

// Every operation but the 9x restart, on each family: the calls it makes, what Windows was asked
// (flags; none when -1) and the message of each failure. NT enables the shutdown privilege in the
// process token first and shuts down without being asked to power off; log-off asks nothing first.
TEST(ExitWin, EachOperationMakesItsCallsOrFailsWithItsOwnMessage) {
  const std::string shutdownToken = "Could not open the Token.\r\nShutting down Windows is failed";
  const std::string shutdownAdjust =
      "Could not adjust the Privilege.\r\nShutting down Windows is failed";
  const std::string rebootToken = "Could not open the Token.\r\nRebooting Windows is failed";
  const std::string rebootAdjust = "Could not adjust the Privilege.\r\nRebooting Windows is failed";
  struct Case {
    emu::Platform platform;
    Operation operation;
    const char* failing;
    std::string error;  // of an EExitError; empty when Windows accepted
    Trace trace = {};   // not compared when empty
    int flags = -1;
  };
  const emu::Platform nt = emu::Platform::NT, win9x = emu::Platform::Win9x;
  const Operation off = &TExitWin::PowerOffWindows, reboot = &TExitWin::RebootWindows,
                  logOff = &TExitWin::LogOffWindows;
  const Case cases[] = {
      {nt, off, "", "", Then(kPrivileged, {"ExitWindowsEx 0x1 0x0", "CloseHandle token"}),
       EWX_SHUTDOWN},
      {nt, reboot, "", "", Then(kPrivileged, {"ExitWindowsEx 0x2 0x0", "CloseHandle token"}),
       EWX_REBOOT},
      {win9x, off, "", "", {"GetVersionExA", "ExitWindowsEx 0x9 0x0"}, 0x9},
      {win9x, reboot, "", "", {"GetVersionExA", "ExitWindowsEx 0x2 0x0"}, EWX_REBOOT},
      {nt, logOff, "", "", {"ExitWindowsEx 0x0 0x0"}, EWX_LOGOFF},
      {win9x, logOff, "", "", {"ExitWindowsEx 0x0 0x0"}, EWX_LOGOFF},
      // NT refuses the restart before touching any library.
      {nt,
       &TExitWin::RestartWindows,
       "",
       "Can not restart Windows on Windows NT",
       {"GetVersionExA"}},
      {nt, off, "OpenProcessToken", shutdownToken},
      // Without the privilege's identifier nothing was enabled: said, not silently dropped.
      {nt, off, "LookupPrivilegeValueA", shutdownAdjust},
      {nt, off, "AdjustTokenPrivileges", shutdownAdjust},
      // Refused after a successful adjustment: the same words.
      {nt, off, "ExitWindowsEx", shutdownAdjust},
      {nt, reboot, "OpenProcessToken", rebootToken},
      {nt, reboot, "LookupPrivilegeValueA", rebootAdjust},
      {nt, reboot, "ExitWindowsEx", rebootAdjust},
      {nt, logOff, "ExitWindowsEx", "Could not log off Windows"},
      {win9x, off, "ExitWindowsEx", "Could not power off Windows"},
      {win9x, reboot, "ExitWindowsEx", "Could not reboot Windows"},
      {win9x, logOff, "ExitWindowsEx", "Could not log off Windows"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const Outcome outcome = RunExit(c.platform, c.operation, c.failing);
    EXPECT_EQ(outcome.error, c.error.empty() ? "" : "EExitError: " + c.error) << "row " << i;
    if (!c.trace.empty()) {
      EXPECT_EQ(outcome.trace, c.trace) << "row " << i;
    }
    ASSERT_EQ(outcome.requests.size(), c.flags < 0 ? 0u : 1u) << "row " << i;
    if (c.flags >= 0) {
      EXPECT_EQ(outcome.requests[0].flags, static_cast<UINT>(c.flags)) << "row " << i;
      const bool enabled = std::ranges::count(c.trace, kPrivileged.back()) == 1;
      EXPECT_EQ(outcome.requests[0].privilege, enabled) << "row " << i;
    }
    // A token that was opened is closed on the way out.
    const bool opened = std::find(outcome.trace.begin(), outcome.trace.end(),
                                  "OpenProcessToken 0x28") != outcome.trace.end();
    EXPECT_EQ(opened, !outcome.trace.empty() && outcome.trace.back() == "CloseHandle token")
        << "row " << i;
  }
}

// The 16-bit route of the Windows 9x restart, step by step.
const Trace kLoadUser = {"GetVersionExA", "GetProcAddress #35", "GetProcAddress #36",
                         "LoadLibrary16 User.exe"};
const Trace kFindExitWindows =
    Then(kLoadUser, {"GetProcAddress #37", "GetProcAddress16 ExitWindows"});
const Trace kFindThunk =
    Then(kFindExitWindows, {"LoadLibraryA Kernel32.dll", "GetProcAddress QT_Thunk"});

TEST(ExitWin, Windows9xRestartCallsUsersExitWindowsThroughTheThunkAndReleasesBoth) {
  const Outcome outcome = RunExit(emu::Platform::Win9x, &TExitWin::RestartWindows);
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(outcome.trace, Then(kFindThunk, {"QT_Thunk ExitWindows", "FreeLibrary Kernel32.dll",
                                             "FreeLibrary16 User.exe"}));
  ASSERT_EQ(outcome.requests.size(), 1u);
  EXPECT_EQ(outcome.requests[0].route, emu::ExitRequest::Route::ExitWindows16);
  EXPECT_EQ(outcome.requests[0].returnCode, 0x42u);
  EXPECT_EQ(outcome.requests[0].reserved, 0u);
}

TEST(ExitWin, Windows9xRestartReleasesWhatItLoadedOnEveryWayOut) {
  struct Case {
    const char* failing;
    std::string error;
    Trace trace;
  };
  const Case cases[] = {
      {"LoadLibrary16", "Exception: Faild to call User.exe",
       Then(Trace(kLoadUser.begin(), kLoadUser.end() - 1), {"LoadLibrary16 User.exe -> failed"})},
      {"GetProcAddress16", "Exception: Faild to call ExitWindows",
       Then(Trace(kFindExitWindows.begin(), kFindExitWindows.end() - 1),
            {"GetProcAddress16 ExitWindows -> failed", "FreeLibrary16 User.exe"})},
      {"LoadLibraryA", "Exception: Faild to call Kernel32.dll",
       Then(kFindExitWindows, {"LoadLibraryA Kernel32.dll -> failed", "FreeLibrary16 User.exe"})},
      {"QT_Thunk", "Exception: Faild to call QT_Thunk",
       Then(Trace(kFindThunk.begin(), kFindThunk.end() - 1),
            {"GetProcAddress QT_Thunk -> failed", "FreeLibrary Kernel32.dll",
             "FreeLibrary16 User.exe"})},
      {"ExitWindows", "EExitError: Could not restart Windows",
       Then(kFindThunk, {"QT_Thunk ExitWindows -> failed", "FreeLibrary Kernel32.dll",
                         "FreeLibrary16 User.exe"})},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunExit(emu::Platform::Win9x, &TExitWin::RestartWindows, c.failing);
    EXPECT_EQ(outcome.error, c.error) << c.failing;
    EXPECT_EQ(outcome.trace, c.trace) << c.failing;
    EXPECT_TRUE(outcome.requests.empty()) << c.failing;
  }
}

// The emulated Windows holds the program to NT's rule: no shutdown without the privilege enabled.
TEST(ExitWin, NtRefusesShutdownToAProcessWithoutThePrivilege) {
  emu::Machine machine;
  BOOL shutdown = TRUE, logoff = FALSE;
  DWORD error = 0;
  machine.StartProcess([&] {
    shutdown = ExitWindowsEx(EWX_SHUTDOWN, 0);
    error = GetLastError();
    logoff = ExitWindowsEx(EWX_LOGOFF, 0);
    return 0;
  });
  EXPECT_FALSE(shutdown);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
  EXPECT_TRUE(logoff);
}

}  // namespace
