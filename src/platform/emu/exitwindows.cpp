// Ending Windows: user32's ExitWindowsEx and, for Windows 9x, the 16-bit USER module with its
// ExitWindows, reached through kernel32's 16-bit exports and QT_Thunk. Nothing real ends; the
// requests are recorded (exit_control.h).
#include <strings.h>

#include <cstring>

#include "platform/emu/exit_internal.h"

namespace emu {
namespace {

// The 16-bit USER module as the machine's Windows 9x has it.
constexpr WORD kUser16Instance = 0x1F4E;
constexpr DWORD kExitWindows1616 = 0x17CF0007;  // selector:offset of USER's ExitWindows
// LoadLibrary16's answer for a module it cannot load (below 32: an error; 2 is "file not found").
constexpr DWORD kModuleNotFound16 = 2;

bool IsUser16(LPCSTR name) {
  return name && (::strcasecmp(name, "User.exe") == 0 || ::strcasecmp(name, "User") == 0);
}

template <class F>
FARPROC AsFarProc(F* function) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Traces a call and takes a pending failure of it (both under `mu`).
bool Failing(Machine::Impl& impl, const char* function, std::string call) {
  TraceExitCall(impl, std::move(call));
  if (!impl.machine.TakeFailure(function)) return false;
  TraceFailed(impl);
  return true;
}

DWORD WINAPI LoadLibrary16(LPCSTR name) {
  auto& impl = Impl();
  if (Failing(impl, "LoadLibrary16", std::string("LoadLibrary16 ") + (name ? name : "(null)"))) {
    return kModuleNotFound16;
  }
  std::lock_guard lock(impl.mu);
  if (!IsUser16(name)) {
    TraceFailedLocked(impl);
    return kModuleNotFound16;
  }
  ++impl.exit.user16Loads;
  return kUser16Instance;
}

void WINAPI FreeLibrary16(WORD instance) {
  auto& impl = Impl();
  TraceExitCall(impl, instance == kUser16Instance ? "FreeLibrary16 User.exe"
                                                  : "FreeLibrary16 " + Hex(instance));
  std::lock_guard lock(impl.mu);
  if (instance == kUser16Instance && impl.exit.user16Loads > 0) {
    --impl.exit.user16Loads;
  } else {
    TraceFailedLocked(impl);
  }
}

DWORD WINAPI GetProcAddress16(WORD instance, LPCSTR name) {
  auto& impl = Impl();
  const std::string what = ExportName(name);
  if (Failing(impl, "GetProcAddress16", "GetProcAddress16 " + what)) return 0;
  std::lock_guard lock(impl.mu);
  const bool loaded = instance == kUser16Instance && impl.exit.user16Loads > 0;
  if (!loaded || IS_INTRESOURCE(name) || ::strcasecmp(name, "ExitWindows") != 0) {
    TraceFailedLocked(impl);
    return 0;
  }
  return kExitWindows1616;
}

// USER's ExitWindows(DWORD dwReturnCode, UINT wReserved), a Pascal function: its arguments were
// pushed left to right, so the stack holds the reserved word first, then the return code.
WORD WINAPI QT_Thunk(DWORD edx, const BYTE* stack, DWORD size) {
  auto& impl = Impl();
  if (Failing(impl, "ExitWindows",
              edx == kExitWindows1616 ? "QT_Thunk ExitWindows" : "QT_Thunk " + Hex(edx))) {
    return 0;
  }
  std::lock_guard lock(impl.mu);
  if (edx != kExitWindows1616 || impl.exit.user16Loads == 0 || size != 6) {
    // The real thunk would jump into nothing; the machine refuses and says so in its trace.
    TraceFailedLocked(impl);
    return 0;
  }
  ExitRequest request;
  request.route = ExitRequest::Route::ExitWindows16;
  request.platform = impl.platform;
  std::memcpy(&request.reserved, stack, sizeof request.reserved);
  std::memcpy(&request.returnCode, stack + sizeof request.reserved, sizeof request.returnCode);
  impl.exit.requests.push_back(request);
  return 1;
}

}  // namespace

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string ExportName(LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return name;
  // Appended, not "#" + std::to_string(…): GCC 12 at -O2 sees a false overlap there (-Wrestrict).
  std::string text = "#";
  text += std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return text;
}

void TraceExitCall(Machine::Impl& impl, std::string call) {
  std::lock_guard lock(impl.mu);
  impl.exit.trace.push_back(std::move(call));
}

BOOL TraceFailedLocked(Machine::Impl& impl) {
  if (!impl.exit.trace.empty()) impl.exit.trace.back() += " -> failed";
  return FALSE;
}

BOOL TraceFailed(Machine::Impl& impl) {
  std::lock_guard lock(impl.mu);
  return TraceFailedLocked(impl);
}

FARPROC Kernel16Export(ULONG_PTR ordinal) {
  switch (ordinal) {
    case 35:
      return AsFarProc(&LoadLibrary16);
    case 36:
      return AsFarProc(&FreeLibrary16);
    case 37:
      return AsFarProc(&GetProcAddress16);
    default:
      return nullptr;
  }
}

FARPROC QtThunkExport() {
  return AsFarProc(&QT_Thunk);
}

std::vector<ExitRequest> ExitRequests(const Machine& machine) {
  auto& impl = const_cast<Machine&>(machine).impl();
  std::lock_guard lock(impl.mu);
  return impl.exit.requests;
}

std::vector<std::string> ExitTrace(const Machine& machine) {
  auto& impl = const_cast<Machine&>(machine).impl();
  std::lock_guard lock(impl.mu);
  return impl.exit.trace;
}

bool ShutdownPrivilegeEnabled(const Machine& machine, int pid) {
  auto& impl = const_cast<Machine&>(machine).impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.processes.find(pid);
  return it != impl.processes.end() && it->second->shutdownPrivilege;
}

}  // namespace emu

BOOL ExitWindowsEx(UINT flags, DWORD reason) {
  auto& impl = emu::Impl();
  emu::TraceExitCall(impl, "ExitWindowsEx " + emu::Hex(flags) + " " + emu::Hex(reason));
  if (auto error = impl.machine.TakeFailure("ExitWindowsEx")) {
    SetLastError(*error ? *error : ERROR_ACCESS_DENIED);
    return emu::TraceFailed(impl);
  }
  std::lock_guard lock(impl.mu);
  auto* self = impl.CurrentProcessLocked();
  emu::ExitRequest request;
  request.platform = impl.platform;
  request.flags = flags;
  request.reason = reason;
  request.privilege = self && self->shutdownPrivilege;
  // NT ends the machine (shut down, power off, reboot) only for a caller that holds the shutdown
  // privilege enabled; a log-off needs none. Windows 9x checks nothing.
  const bool endsMachine = (flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) != 0;
  if (impl.platform == emu::Platform::NT && endsMachine && !request.privilege) {
    SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    return emu::TraceFailedLocked(impl);
  }
  impl.exit.requests.push_back(request);
  return TRUE;
}
