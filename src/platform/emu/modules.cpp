// kernel32: the modules a program loads at run time. The machine has one system module a program
// asks for by name, kernel32 itself; on Windows 9x it exports the 16-bit route (exitwindows.cpp).
#include <strings.h>

#include <cstring>

#include "platform/emu/exit_internal.h"

namespace {

const HMODULE kKernel32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FE00000));

bool IsKernel32(LPCSTR name) {
  return name && (::strcasecmp(name, "kernel32.dll") == 0 || ::strcasecmp(name, "kernel32") == 0);
}

}  // namespace

namespace emu {
HMODULE Kernel32Module() {
  return kKernel32;
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
  if (!self || !IsKernel32(fileName)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    emu::TraceFailedLocked(impl);
    return nullptr;
  }
  ++self->libraries[kKernel32];
  return kKernel32;
}

BOOL FreeLibrary(HMODULE module) {
  auto& impl = emu::Impl();
  emu::TraceExitCall(impl, module == kKernel32 ? "FreeLibrary Kernel32.dll" : "FreeLibrary ?");
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
  if (module == kKernel32 && impl.platform == emu::Platform::Win9x) {
    // Names are exact; the 16-bit exports exist by number only.
    found = byOrdinal ? emu::Kernel16Export(ordinal)
                      : (::strcmp(procName, "QT_Thunk") == 0 ? emu::QtThunkExport() : nullptr);
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
