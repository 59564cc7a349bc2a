#include "exitwin/ExportTable.h"

#include <cstdint>
#include <cstring>

namespace {

template <class T>
T Read(const BYTE* base, DWORD rva) {
  T value;
  std::memcpy(&value, base + rva, sizeof value);
  return value;
}

}  // namespace

FARPROC ExportByOrdinal(HMODULE module, WORD ordinal) {
  if (!module) return nullptr;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto dos = Read<IMAGE_DOS_HEADER>(base, 0);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) return nullptr;
  const auto nt = Read<IMAGE_NT_HEADERS32>(base, static_cast<DWORD>(dos.e_lfanew));
  if (nt.Signature != IMAGE_NT_SIGNATURE ||
      nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC ||
      nt.OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT) {
    return nullptr;
  }
  const IMAGE_DATA_DIRECTORY directory =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (directory.VirtualAddress == 0 || directory.Size < sizeof(IMAGE_EXPORT_DIRECTORY)) {
    return nullptr;
  }
  const auto exports = Read<IMAGE_EXPORT_DIRECTORY>(base, directory.VirtualAddress);
  // Numbers start at the directory's base: the function table's first entry is ordinal Base.
  if (ordinal < exports.Base || ordinal - exports.Base >= exports.NumberOfFunctions) return nullptr;
  const auto rva =
      Read<DWORD>(base, exports.AddressOfFunctions +
                            (ordinal - exports.Base) * static_cast<DWORD>(sizeof(DWORD)));
  if (rva == 0) return nullptr;
  // An address inside the export data is a forwarder's text ("MODULE.Name"), not code.
  if (rva >= directory.VirtualAddress && rva - directory.VirtualAddress < directory.Size) {
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(reinterpret_cast<uintptr_t>(base) + rva);
}
