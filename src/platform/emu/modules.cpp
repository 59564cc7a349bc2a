// kernel32: the modules a program loads at run time. The machine has the system modules a program
// asks for by name: kernel32 itself, which on Windows 9x exports the 16-bit route
// (exitwindows.cpp), comctl32, which exports its class registration (controls.cpp), user32, whose
// DPI calls exist only on a machine with per-monitor DPI, and on NT uxtheme (XP and later).
#include <strings.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/emu/exit_internal.h"
#include "platform/emu/shell_internal.h"
#include "platform/emu/win32_controls.h"

namespace {

// kernel32's image as a program reading its headers finds it: a 32-bit image whose export
// directory holds, on Windows 9x, the 16-bit route's ordinals 35 to 37 (LoadLibrary16,
// FreeLibrary16, GetProcAddress16) and nothing else. An export's address is the image's base plus
// a 32-bit RVA, so the image is placed below the machine's own code, within 4 GB of it.
class KernelImage {
 public:
  explicit KernelImage(bool win9x) {
    const uintptr_t low = std::min({Address(35), Address(36), Address(37)});
    const uintptr_t high = std::max({Address(35), Address(36), Address(37)});
    base_ = Place(low, high);
    if (!base_) {
      std::fprintf(stderr, "emu: no room for kernel32's image below the machine's code\n");
      std::abort();
    }
    Build(win9x);
  }
  HMODULE Module() const { return reinterpret_cast<HMODULE>(base_); }

 private:
  static constexpr size_t kSize = 0x1000;
  static constexpr DWORD kNtHeaders = 0x40, kExports = 0x140, kName = 0x170, kFunctions = 0x180;
  static constexpr DWORD kFirstOrdinal = 1, kLastOrdinal = 37;

  static uintptr_t Address(ULONG_PTR ordinal) {
    return reinterpret_cast<uintptr_t>(emu::Kernel16Export(ordinal));
  }

  // A page at an address from which every export is a 32-bit offset away; null when none is free.
  static BYTE* Place(uintptr_t low, uintptr_t high) {
    constexpr uintptr_t kStep = uintptr_t{64} << 20;
    const uintptr_t aligned = low & ~(kSize - 1);
    for (uintptr_t i = 1; i <= 32; ++i) {
      if (aligned <= i * kStep) break;
      const uintptr_t at = aligned - i * kStep;
      if (high - at >= 0xFFFFFFFFu) break;
      void* page = ::mmap(reinterpret_cast<void*>(at), kSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
      if (page == MAP_FAILED) continue;
      if (reinterpret_cast<uintptr_t>(page) == at) return static_cast<BYTE*>(page);
      ::munmap(page, kSize);  // a kernel that took the address for a hint only
    }
    return nullptr;
  }

  template <class T>
  void Put(DWORD rva, const T& value) {
    std::memcpy(base_ + rva, &value, sizeof value);
  }

  void Build(bool win9x) {
    IMAGE_DOS_HEADER dos{};
    dos.e_magic = IMAGE_DOS_SIGNATURE;
    dos.e_lfanew = kNtHeaders;
    Put(0, dos);
    IMAGE_NT_HEADERS32 nt{};
    nt.Signature = IMAGE_NT_SIGNATURE;
    nt.FileHeader.Machine = 0x14C;  // i386
    nt.FileHeader.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER32);
    nt.OptionalHeader.Magic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    nt.OptionalHeader.SizeOfImage = kSize;
    nt.OptionalHeader.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    const DWORD count = win9x ? kLastOrdinal - kFirstOrdinal + 1 : 0;
    nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT] = {
        kExports, kFunctions + count * static_cast<DWORD>(sizeof(DWORD)) - kExports};
    Put(kNtHeaders, nt);
    IMAGE_EXPORT_DIRECTORY exports{};
    exports.Name = kName;
    exports.Base = kFirstOrdinal;
    exports.NumberOfFunctions = count;
    exports.AddressOfFunctions = kFunctions;
    Put(kExports, exports);
    std::memcpy(base_ + kName, "KERNEL32.dll", sizeof "KERNEL32.dll");
    for (DWORD ordinal = kFirstOrdinal; ordinal < kFirstOrdinal + count; ++ordinal) {
      const uintptr_t address = Address(ordinal);
      const DWORD rva = address ? static_cast<DWORD>(address - reinterpret_cast<uintptr_t>(base_))
                                : 0;  // no export by this number
      Put(kFunctions + (ordinal - kFirstOrdinal) * static_cast<DWORD>(sizeof(DWORD)), rva);
    }
  }

  BYTE* base_ = nullptr;
};

HMODULE Kernel32Of(emu::Platform platform) {
  // Made once per host process and never unmapped: module handles outlive machines.
  static const KernelImage win9x(true), nt(false);
  return platform == emu::Platform::Win9x ? win9x.Module() : nt.Module();
}

bool IsKernel32(HMODULE module) {
  return module &&
         (module == Kernel32Of(emu::Platform::Win9x) || module == Kernel32Of(emu::Platform::NT));
}

const HMODULE kComctl32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FD00000));
const HMODULE kUser32 = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FC00000));
const HMODULE kUxtheme = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FB00000));

// A module name as LoadLibraryA takes it: the file name, with or without ".dll", in any case.
bool Names(LPCSTR name, const char* module) {
  if (!name) return false;
  const size_t length = std::strlen(module);
  return ::strncasecmp(name, module, length) == 0 &&
         (name[length] == '\0' || ::strcasecmp(name + length, ".dll") == 0);
}

HMODULE SystemModule(LPCSTR name, emu::Platform platform) {
  if (Names(name, "kernel32")) return Kernel32Of(platform);
  if (Names(name, "comctl32")) return kComctl32;
  if (Names(name, "user32")) return kUser32;
  // Visual styles came with XP: Windows 9x has no uxtheme.
  if (Names(name, "uxtheme") && platform == emu::Platform::NT) return kUxtheme;
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
  return Kernel32Of(Impl().platform);
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
  HMODULE module = SystemModule(fileName, impl.platform);
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
  emu::TraceExitCall(impl, IsKernel32(module)    ? "FreeLibrary Kernel32.dll"
                           : module == kComctl32 ? "FreeLibrary comctl32.dll"
                           : module == kUxtheme  ? "FreeLibrary uxtheme.dll"
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
  } else if (module == kUxtheme) {
    std::lock_guard lock(impl.mu);
    auto* self = impl.CurrentProcessLocked();
    found = self && self->libraries.count(kUxtheme) && !byOrdinal ? emu::UxthemeExport(procName)
                                                                  : nullptr;
  } else if (module == kUser32) {
    found = byOrdinal ? nullptr : emu::User32Export(procName);
  } else if (IsKernel32(module) && impl.platform == emu::Platform::Win9x) {
    // Names are exact. Windows 9x's kernel32 refuses every lookup of its own exports by number
    // ("kernel32 by id not supported"): the 16-bit exports are found in its export directory.
    found = !byOrdinal && ::strcmp(procName, "QT_Thunk") == 0 ? emu::QtThunkExport() : nullptr;
  } else if (!IsKernel32(module) && module != GetModuleHandleA(nullptr)) {
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
