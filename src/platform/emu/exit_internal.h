// Helpers shared by the emulated calls of the exit route (advapi32.cpp, exitwindows.cpp,
// modules.cpp). For this folder only.
#pragma once

#include <string>

#include "platform/emu/machine_impl.h"

namespace emu {

std::string Hex(DWORD value);
// An export's name as traced: "#N" for an ordinal.
std::string ExportName(LPCSTR name);
// Appends a call to the exit route's trace (takes `mu`).
void TraceExitCall(Machine::Impl& impl, std::string call);
// Marks the last traced call as failed and returns FALSE (takes `mu` / expects it held).
BOOL TraceFailed(Machine::Impl& impl);
BOOL TraceFailedLocked(Machine::Impl& impl);

// The module handle of kernel32 on this machine.
HMODULE Kernel32Module();
HMODULE User32Module();

}  // namespace emu

namespace emu {

// Windows 9x's kernel32 exports for the 16-bit route: ordinals 35 (LoadLibrary16), 36
// (FreeLibrary16), 37 (GetProcAddress16), and QT_Thunk. Null for anything else.
FARPROC Kernel16Export(ULONG_PTR ordinal);
FARPROC QtThunkExport();

}  // namespace emu
