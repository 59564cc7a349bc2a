// What the machine's Windows was asked to end, for tests and the console.
//
// The machine never ends anything real: every request to log off, shut down, reboot or restart
// Windows is recorded here, with what Windows would have checked (the caller's shutdown privilege
// on NT). The calls the exit route makes on the way (the platform query, the process token, the
// modules and the Windows 9x 16-bit route) are traced in order, so a test can see what was and was
// not touched.
#pragma once

#include <string>
#include <vector>

#include "platform/emu/machine.h"

namespace emu {

struct ExitRequest {
  enum class Route {
    ExitWindowsEx,  // user32: log off, shut down, power off, reboot
    ExitWindows16,  // the 16-bit USER's ExitWindows, through QT_Thunk (Windows 9x)
  };
  Route route = Route::ExitWindowsEx;
  Platform platform = Platform::NT;
  UINT flags = 0;          // ExitWindowsEx: EWX_*
  DWORD reason = 0;        // ExitWindowsEx's second argument
  bool privilege = false;  // the shutdown privilege was enabled in the caller's process (NT)
  DWORD returnCode = 0;    // ExitWindows16: EW_RESTARTWINDOWS ...
  WORD reserved = 0;
};

// Every request Windows accepted, oldest first.
std::vector<ExitRequest> ExitRequests(const Machine& machine);

// The calls of the exit route, oldest first, one word line each: "GetVersionExA",
// "OpenProcessToken 0x28", "LookupPrivilegeValueA SeShutdownPrivilege", "AdjustTokenPrivileges 19
// enable", "CloseHandle token", "ExitWindowsEx 0x1 0x0", "LoadLibraryA Kernel32.dll",
// "GetProcAddress #35", "GetProcAddress QT_Thunk", "FreeLibrary Kernel32.dll",
// "LoadLibrary16 User.exe", "GetProcAddress16 ExitWindows", "QT_Thunk ExitWindows",
// "FreeLibrary16 User.exe". A call that failed ends in " -> failed". A handle a process had not
// closed when it ended reads "left open at exit: token" (or "mutex NAME", "thread").
std::vector<std::string> ExitTrace(const Machine& machine);

// The shutdown privilege of the first running copy's token is enabled (NT).
bool ShutdownPrivilegeEnabled(const Machine& machine, int pid);

}  // namespace emu
