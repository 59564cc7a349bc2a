// kernel32: last error, drives and volumes, module and system information, the clock.
#include <strings.h>

#include <cctype>
#include <cstring>
#include <string>

#include "platform/emu/exit_internal.h"

namespace {

thread_local DWORD tls_last_error = 0;

// Copies a zero-terminated text into a caller's buffer, cut to fit; returns the length copied.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  DWORD n = static_cast<DWORD>(std::min<size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

// "D:", "D:\" or "d:\" name drive D; anything else names no drive.
std::optional<char> DriveOfRoot(LPCSTR root) {
  if (!root) return std::nullopt;
  size_t n = std::strlen(root);
  if ((n != 2 && n != 3) || root[1] != ':' || !std::isalpha(static_cast<unsigned char>(root[0])))
    return std::nullopt;
  if (n == 3 && root[2] != '\\' && root[2] != '/') return std::nullopt;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
}

}  // namespace

DWORD GetLastError() {
  return tls_last_error;
}
void SetLastError(DWORD error) {
  tls_last_error = error;
}

DWORD GetLogicalDriveStringsA(DWORD bufferLength, LPSTR buffer) {
  auto& machine = emu::Machine::Current();
  if (auto error = machine.TakeFailure("GetLogicalDriveStringsA")) {
    SetLastError(*error ? *error : ERROR_ACCESS_DENIED);
    return 0;
  }
  std::string list;
  for (auto [letter, type] : machine.Drives()) {
    list += letter;
    list += ":\\";
    list += '\0';
  }
  // Too small: the size needed, including the final zero, and nothing written.
  if (list.size() + 1 > bufferLength) return static_cast<DWORD>(list.size() + 1);
  std::memcpy(buffer, list.data(), list.size());
  buffer[list.size()] = '\0';
  return static_cast<DWORD>(list.size());
}

UINT GetDriveTypeA(LPCSTR rootPathName) {
  auto& machine = emu::Machine::Current();
  auto letter = DriveOfRoot(rootPathName);
  if (!letter) return DRIVE_NO_ROOT_DIR;
  for (auto [l, type] : machine.Drives()) {
    if (l == *letter) return type;
  }
  return DRIVE_NO_ROOT_DIR;
}

BOOL GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeNameBuffer, DWORD volumeNameSize,
                           LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength,
                           LPDWORD fileSystemFlags, LPSTR fileSystemNameBuffer,
                           DWORD fileSystemNameSize) {
  auto& machine = emu::Machine::Current();
  if (auto error = machine.TakeFailure("GetVolumeInformationA")) {
    SetLastError(*error ? *error : ERROR_NOT_READY);
    return FALSE;
  }
  auto letter = DriveOfRoot(rootPathName);
  if (!letter) {
    SetLastError(rootPathName && *rootPathName ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  bool exists = false;
  for (auto [l, type] : machine.Drives()) exists = exists || l == *letter;
  if (!exists) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  // "D:" is the current directory on D:, which must then be the root.
  if (std::strlen(rootPathName) == 2 && machine.DriveDirectory(*letter) != "\\") {
    SetLastError(ERROR_DIR_NOT_ROOT);
    return FALSE;
  }
  auto volume = machine.Volume(*letter);
  if (!volume) {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  if (volumeNameBuffer && volumeNameSize) {
    if (volume->label.size() + 1 > volumeNameSize) {
      SetLastError(ERROR_BAD_LENGTH);
      return FALSE;
    }
    CopyOut(volume->label, volumeNameBuffer, volumeNameSize);
  }
  if (fileSystemNameBuffer && fileSystemNameSize) {
    if (volume->fileSystem.size() + 1 > fileSystemNameSize) {
      SetLastError(ERROR_BAD_LENGTH);
      return FALSE;
    }
    CopyOut(volume->fileSystem, fileSystemNameBuffer, fileSystemNameSize);
  }
  if (volumeSerialNumber) *volumeSerialNumber = volume->serial;
  if (maximumComponentLength) *maximumComponentLength = volume->maxComponentLength;
  if (fileSystemFlags) *fileSystemFlags = volume->flags;
  return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  auto& machine = emu::Machine::Current();
  if (module != nullptr && module != GetModuleHandleA(nullptr)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string path = machine.ProgramPath();
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  DWORD n = CopyOut(path, fileName, size);
  // Windows XP and later: a cut path returns the buffer size and reports the shortage.
  if (path.size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  SetLastError(ERROR_SUCCESS);
  return n;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  // The program's own module, and kernel32, which every process has loaded.
  if (moduleName == nullptr) return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
  if (::strcasecmp(moduleName, "kernel32.dll") == 0 || ::strcasecmp(moduleName, "kernel32") == 0) {
    return emu::Kernel32Module();
  }
  // Every program with a window has user32 loaded.
  if (::strcasecmp(moduleName, "user32.dll") == 0 || ::strcasecmp(moduleName, "user32") == 0) {
    return emu::User32Module();
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  std::string dir = emu::Machine::Current().WindowsDirectory();
  if (dir.size() + 1 > size) return static_cast<UINT>(dir.size() + 1);
  return CopyOut(dir, buffer, size);
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  auto& machine = emu::Machine::Current();
  emu::TraceExitCall(machine.impl(), "GetVersionExA");
  if (auto error = machine.TakeFailure("GetVersionExA")) {
    SetLastError(*error ? *error : ERROR_INVALID_PARAMETER);
    emu::TraceFailed(machine.impl());
    return FALSE;
  }
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (machine.GetPlatform() == emu::Platform::NT) {
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(info->szCSDVersion, "Service Pack 3");
  } else {
    // Windows 98 Second Edition: the high word of the build number holds the version.
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 10;
    info->dwBuildNumber = (4u << 24) | (10u << 16) | 2222u;
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    std::strcpy(info->szCSDVersion, " A ");
  }
  return TRUE;
}

DWORD GetVersion() {
  // Major and minor version in the low word; the top bit set on Windows 9x, the build number
  // above it on NT.
  if (emu::Machine::Current().GetPlatform() == emu::Platform::NT) return (2600u << 16) | 0x0105u;
  return 0xC0000000u | 0x0A04u;
}

DWORD GetTickCount() {
  return static_cast<DWORD>(emu::Machine::Current().Now());
}

void Sleep(DWORD milliseconds) {
  auto& impl = emu::Impl();
  std::unique_lock lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  const int pid = self.pid;
  const uint64_t until = impl.NowLocked() + milliseconds;
  self.sleepUntil = until;
  // A sleeper whose process has ended wakes at once: its program is gone.
  impl.BlockLocked(lock, self, [&] {
    auto p = impl.processes.find(pid);
    bool ended = pid != 0 && (p == impl.processes.end() || !p->second->running);
    return ended || impl.NowLocked() >= until;
  });
  self.sleepUntil.reset();
}
