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

TEST(ExitWin, NtShutdownAndRebootEnableThePrivilegeFirstAndCloseTheToken) {
  struct Case {
    Operation operation;
    UINT flags;
    const char* exitCall;
  };
  for (const Case& c : {Case{&TExitWin::PowerOffWindows, EWX_SHUTDOWN, "ExitWindowsEx 0x1 0x0"},
                        Case{&TExitWin::RebootWindows, EWX_REBOOT, "ExitWindowsEx 0x2 0x0"}}) {
    const Outcome outcome = RunExit(emu::Platform::NT, c.operation);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.trace, Then(kPrivileged, {c.exitCall, "CloseHandle token"}));
    ASSERT_EQ(outcome.requests.size(), 1u);
    // NT shuts down without being asked to power off.
    EXPECT_EQ(outcome.requests[0].flags, c.flags);
    EXPECT_TRUE(outcome.requests[0].privilege);
  }
}

TEST(ExitWin, EveryFailureHasItsOwnMessage) {
  const std::string shutdownToken = "Could not open the Token.\r\nShutting down Windows is failed";
  const std::string shutdownAdjust =
      "Could not adjust the Privilege.\r\nShutting down Windows is failed";
  const std::string rebootToken = "Could not open the Token.\r\nRebooting Windows is failed";
  const std::string rebootAdjust = "Could not adjust the Privilege.\r\nRebooting Windows is failed";
  struct Case {
    emu::Platform platform;
    Operation operation;
    const char* failing;
    std::string error;
  };
  const emu::Platform nt = emu::Platform::NT, win9x = emu::Platform::Win9x;
  const Case cases[] = {
      {nt, &TExitWin::PowerOffWindows, "OpenProcessToken", "EExitError: " + shutdownToken},
      // Without the privilege's identifier nothing was enabled: said, not silently dropped.
      {nt, &TExitWin::PowerOffWindows, "LookupPrivilegeValueA", "EExitError: " + shutdownAdjust},
      {nt, &TExitWin::PowerOffWindows, "AdjustTokenPrivileges", "EExitError: " + shutdownAdjust},
      // Refused after a successful adjustment: the same words.
      {nt, &TExitWin::PowerOffWindows, "ExitWindowsEx", "EExitError: " + shutdownAdjust},
      {nt, &TExitWin::RebootWindows, "OpenProcessToken", "EExitError: " + rebootToken},
      {nt, &TExitWin::RebootWindows, "LookupPrivilegeValueA", "EExitError: " + rebootAdjust},
      {nt, &TExitWin::RebootWindows, "ExitWindowsEx", "EExitError: " + rebootAdjust},
      {nt, &TExitWin::LogOffWindows, "ExitWindowsEx", "EExitError: Could not log off Windows"},
      {win9x, &TExitWin::PowerOffWindows, "ExitWindowsEx",
       "EExitError: Could not power off Windows"},
      {win9x, &TExitWin::RebootWindows, "ExitWindowsEx", "EExitError: Could not reboot Windows"},
      {win9x, &TExitWin::LogOffWindows, "ExitWindowsEx", "EExitError: Could not log off Windows"},
      {nt, &TExitWin::RestartWindows, "", "EExitError: Can not restart Windows on Windows NT"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunExit(c.platform, c.operation, c.failing);
    EXPECT_EQ(outcome.error, c.error) << c.failing;
    EXPECT_TRUE(outcome.requests.empty()) << c.failing;
    // A token that was opened is closed on the way out.
    const bool opened = std::find(outcome.trace.begin(), outcome.trace.end(),
                                  "OpenProcessToken 0x28") != outcome.trace.end();
    const bool closed = outcome.trace.back() == "CloseHandle token";
    EXPECT_EQ(opened, closed) << c.failing;
  }
}

TEST(ExitWin, Windows9xAsksWithoutPrivilegesAndPowersOff) {
  Outcome powerOff = RunExit(emu::Platform::Win9x, &TExitWin::PowerOffWindows);
  EXPECT_EQ(powerOff.trace, (Trace{"GetVersionExA", "ExitWindowsEx 0x9 0x0"}));
  Outcome reboot = RunExit(emu::Platform::Win9x, &TExitWin::RebootWindows);
  EXPECT_EQ(reboot.trace, (Trace{"GetVersionExA", "ExitWindowsEx 0x2 0x0"}));
  EXPECT_EQ(powerOff.requests.size() + reboot.requests.size(), 2u);
}

TEST(ExitWin, LogOffNeverAsksForThePlatformNorForPrivileges) {
  for (emu::Platform platform : {emu::Platform::NT, emu::Platform::Win9x}) {
    const Outcome outcome = RunExit(platform, &TExitWin::LogOffWindows);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(outcome.trace, (Trace{"ExitWindowsEx 0x0 0x0"}));
    ASSERT_EQ(outcome.requests.size(), 1u);
    EXPECT_EQ(outcome.requests[0].flags, static_cast<UINT>(EWX_LOGOFF));
  }
}

TEST(ExitWin, NtRefusesTheRestartBeforeTouchingAnyLibrary) {
  const Outcome outcome = RunExit(emu::Platform::NT, &TExitWin::RestartWindows);
  EXPECT_EQ(outcome.trace, (Trace{"GetVersionExA"}));
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
