// The Windows exit component on both Windows families: the calls each operation makes, in order,
// what Windows was asked, and the message of every way it can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "exitwin/ExitWin32.h"
#include "exitwin/ExportTable.h"
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
// The 16-bit exports come from kernel32's export directory: no GetProcAddress by number, which
// Windows 9x refuses for kernel32.
const Trace kLoadUser = {"GetVersionExA", "LoadLibrary16 User.exe"};
const Trace kFindExitWindows = Then(kLoadUser, {"GetProcAddress16 ExitWindows"});
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

// A 32-bit image of ordinals 5 to 9 (Base 5) in a buffer: 5 and 8 are code, 6 has no entry, 7
// forwards to another module, 9 points at the export data.
class ExportImage {
 public:
  static constexpr DWORD kExports = 0x200, kFunctions = 0x240, kForwarder = 0x260;
  ExportImage() : bytes_(0x1000) {
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = 0x80;
    Put(0, dos);
    IMAGE_NT_HEADERS32 nt{};
    nt.Signature = IMAGE_NT_SIGNATURE;
    nt.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    nt.OptionalHeader.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT] = {kExports, 0x80};
    Put(0x80, nt);
    IMAGE_EXPORT_DIRECTORY exports{};
    exports.Base = 5;
    exports.NumberOfFunctions = 5;
    exports.AddressOfFunctions = kFunctions;
    Put(kExports, exports);
    const DWORD functions[] = {0x5000, 0, kForwarder, 0x7000, kExports + 0x7F};
    Put(kFunctions, functions);
    std::memcpy(&bytes_[kForwarder], "NTDLL.Other", sizeof "NTDLL.Other");
  }
  HMODULE Module() { return reinterpret_cast<HMODULE>(bytes_.data()); }
  uintptr_t At(DWORD rva) { return reinterpret_cast<uintptr_t>(bytes_.data()) + rva; }
  template <class T>
  void Put(size_t at, const T& value) {
    std::memcpy(&bytes_[at], &value, sizeof value);
  }

 private:
  std::vector<BYTE> bytes_;
};

uintptr_t Found(HMODULE module, WORD ordinal) {
  return reinterpret_cast<uintptr_t>(ExportByOrdinal(module, ordinal));
}

TEST(ExitWin, ExportsByNumberAreFoundInTheExportDirectoryAndOnlyThere) {
  ExportImage image;
  EXPECT_EQ(Found(image.Module(), 5), image.At(0x5000)) << "the table's first entry is Base";
  EXPECT_EQ(Found(image.Module(), 8), image.At(0x7000));
  // No entry, a forwarder, an address inside the export data, numbers outside the table.
  for (WORD ordinal : {6, 7, 9, 4, 10, 0}) {
    EXPECT_EQ(Found(image.Module(), ordinal), 0u) << ordinal;
  }
  EXPECT_EQ(Found(nullptr, 5), 0u);
  // Headers that are not a 32-bit image's find nothing.
  ExportImage wide;
  wide.Put(0x80 + offsetof(IMAGE_NT_HEADERS32, OptionalHeader), WORD{0x20B});  // PE32+
  EXPECT_EQ(Found(wide.Module(), 5), 0u);
  ExportImage noSignature;
  noSignature.Put(0x80, DWORD{0});
  EXPECT_EQ(Found(noSignature.Module(), 5), 0u);
  ExportImage noDos;
  noDos.Put(0, WORD{0});
  EXPECT_EQ(Found(noDos.Module(), 5), 0u);
}

// Windows 9x's kernel32 will not give its own exports by number; its export directory has them.
// NT's kernel32 has no 16-bit route at all.
TEST(ExitWin, Windows9xKernelRefusesItsOrdinalsButItsExportDirectoryHasThem) {
  for (const emu::Platform platform : {emu::Platform::Win9x, emu::Platform::NT}) {
    emu::Machine machine;
    machine.SetPlatform(platform);
    FARPROC byNumber = nullptr, qtThunk = nullptr;
    DWORD error = 0;
    std::vector<uintptr_t> exports;
    machine.StartProcess([&] {
      const HMODULE kernel = GetModuleHandleA("kernel32.dll");
      byNumber = GetProcAddress(kernel, MAKEINTRESOURCEA(35));
      error = GetLastError();
      qtThunk = GetProcAddress(kernel, "QT_Thunk");
      EXPECT_EQ(LoadLibraryA("KERNEL32"), kernel);
      FreeLibrary(kernel);
      for (WORD ordinal : {34, 35, 36, 37, 38}) exports.push_back(Found(kernel, ordinal));
      return 0;
    });
    const bool win9x = platform == emu::Platform::Win9x;
    EXPECT_EQ(byNumber, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(qtThunk != nullptr, win9x);
    ASSERT_EQ(exports.size(), 5u);
    EXPECT_EQ(exports[0], 0u);
    EXPECT_EQ(exports[4], 0u);
    for (size_t i = 1; i <= 3; ++i) EXPECT_EQ(exports[i] != 0, win9x) << 34 + i;
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
