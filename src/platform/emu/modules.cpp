// kernel32: the modules a program loads at run time. The machine has two system modules a program
// asks for by name: kernel32 itself, which on Windows 9x exports the 16-bit route
// (exitwindows.cpp), and comctl32, which exports its class registration (controls.cpp).
#include <strings.h>

#include <cstring>

#include "platform/emu/exit_internal.h"
#include "platform/emu/win32_controls.h"

namespace {

const HMODULE kKernel32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FE00000));
const HMODULE kComctl32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FD00000));
const HMODULE kUser32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FC00000));

// A module name as LoadLibraryA takes it: the file name, with or without ".dll", in any case.
bool Names(LPCSTR name, const char* module) {
  if (!name) return false;
  const size_t length = std::strlen(module);
  return ::strncasecmp(name, module, length) == 0 &&
         (name[length] == '\0' || ::strcasecmp(name + length, ".dll") == 0);
}

HMODULE SystemModule(LPCSTR name) {
  if (Names(name, "kernel32")) return kKernel32;
  if (Names(name, "comctl32")) return kComctl32;
  return nullptr;
}

FARPROC Comctl32Export(LPCSTR name) {
  if (::strcmp(name, "InitCommonControlsEx") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&::InitCommonControlsEx));
  if (::strcmp(name, "InitCommonControls") == 0)
    return reinterpret_cast<FARPROC>(&::InitCommonControls);
  return nullptr;
}

}  // namespace

namespace emu {
HMODULE Kernel32Module() {
  return kKernel32;
}
HMODULE User32Module() {
  return kUser32;
}
}  // namespace emu

HANDLE GetCurrentProcess() {
  // The pseudo handle: the calling process, whoever it is.
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

HMODULE LoadLibraryA(LPCSTR fileName) {
  auto& impl = emu::Impl();
  emu::TraceExitCall(impl, std::string("LoadLibraryA ") + (fileName ? fileName : "(null)"));
  if (auto error = impl.machine.TakeFailure("LoadLibraryA")) {
    SetLastError(*error ? *error : ERROR_MOD_NOT_FOUND);
    emu::TraceFailed(impl);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  auto* self = impl.CurrentProcessLocked();
  HMODULE module = SystemModule(fileName);
  if (!self || !module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    emu::TraceFailedLocked(impl);
    return nullptr;
  }
  ++self->libraries[module];
  return module;
}

BOOL FreeLibrary(HMODULE module) {
  auto& impl = emu::Impl();
  emu::TraceExitCall(impl, module == kKernel32   ? "FreeLibrary Kernel32.dll"
                           : module == kComctl32 ? "FreeLibrary comctl32.dll"
                                                 : "FreeLibrary ?");
  std::lock_guard lock(impl.mu);
  auto* self = impl.CurrentProcessLocked();
  if (!self || !self->libraries.count(module)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return emu::TraceFailedLocked(impl);
  }
  if (--self->libraries[module] == 0) self->libraries.erase(module);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  auto& impl = emu::Impl();
  const bool byOrdinal = IS_INTRESOURCE(procName);
  const ULONG_PTR ordinal = reinterpret_cast<ULONG_PTR>(procName);
  emu::TraceExitCall(impl, "GetProcAddress " + emu::ExportName(procName));
  // `fail QT_Thunk` takes the thunk out of the export table.
  if (!byOrdinal && ::strcmp(procName, "QT_Thunk") == 0 && impl.machine.TakeFailure("QT_Thunk")) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    emu::TraceFailed(impl);
    return nullptr;
  }
  if (auto error = impl.machine.TakeFailure("GetProcAddress")) {
    SetLastError(*error ? *error : ERROR_PROC_NOT_FOUND);
    emu::TraceFailed(impl);
    return nullptr;
  }
  FARPROC found = nullptr;
  if (module == kComctl32) {
    // By name only; a module no process has loaded has no exports to find.
    std::lock_guard lock(impl.mu);
    auto* self = impl.CurrentProcessLocked();
    found =
        self && self->libraries.count(kComctl32) && !byOrdinal ? Comctl32Export(procName) : nullptr;
  } else if (module == kKernel32 && impl.platform == emu::Platform::Win9x) {
    // Names are exact; the 16-bit exports exist by number only.
    found = byOrdinal ? emu::Kernel16Export(ordinal)
                      : (::strcmp(procName, "QT_Thunk") == 0 ? emu::QtThunkExport() : nullptr);
  } else if (module == kUser32) {
    found = byOrdinal ? nullptr : emu::User32Export(procName);
  } else if (module != kKernel32 && module != GetModuleHandleA(nullptr)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    emu::TraceFailed(impl);
    return nullptr;
  }
  if (!found) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    emu::TraceFailed(impl);
  }
  return found;
}
