// kernel32's profile functions over the machine's files.
#include <set>
#include <string>

#include "platform/emu/machine_impl.h"
#include "platform/emu/process_data.h"
#include "platform/profile/profile.h"

namespace {

// A write killed midway (the machine's, or the whole console's) leaves its temporary beside the
// file; the next write would remove it, but a program that only reads would leave it for good. So
// a program's first read of a file clears a dead writer's temporaries, as start-up reads the
// settings first. A folder busy with a live writer is looked at again on the next read.
void ClearTemporariesOnFirstRead(const std::filesystem::path& file) {
  static const int key = 0;
  auto* cleared = static_cast<std::set<std::string>*>(emu::ProcessData(
      &key, [] { return static_cast<void*>(new std::set<std::string>); },
      [](void* data) { delete static_cast<std::set<std::string>*>(data); }));
  if (cleared->count(file.string())) return;
  if (profile::ClearDeadWritersTemporaries(file)) cleared->insert(file.string());
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                               LPSTR returnedString, DWORD size, LPCSTR fileName) {
  auto& machine = emu::Machine::Current();
  if (auto error = machine.TakeFailure("GetPrivateProfileStringA")) {
    SetLastError(*error ? *error : ERROR_FILE_NOT_FOUND);
    return profile::GetString({}, nullptr, nullptr, defaultValue, returnedString, size);
  }
  const std::filesystem::path file = machine.HostPath(fileName ? fileName : "win.ini");
  ClearTemporariesOnFirstRead(file);
  return profile::GetString(file, appName, keyName, defaultValue, returnedString, size,
                            machine.AnsiCodePage());
}

BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName) {
  auto& machine = emu::Machine::Current();
  if (auto error = machine.TakeFailure("WritePrivateProfileStringA")) {
    SetLastError(*error ? *error : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!appName) {
    // All three null asks Windows to flush its cache (there is none here); a key or value without
    // a section names nothing to write.
    if (!keyName && !value) return TRUE;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string path = fileName ? fileName : "win.ini";
  if (machine.IsReadOnly(path)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!profile::WriteString(machine.HostPath(path), appName, keyName, value,
                            machine.AnsiCodePage())) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}
