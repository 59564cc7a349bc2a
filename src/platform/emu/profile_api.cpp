// kernel32's profile functions over the machine's files.
#include "platform/emu/machine_impl.h"
#include "platform/profile/profile.h"

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue,
                               LPSTR returnedString, DWORD size, LPCSTR fileName) {
  auto& machine = emu::Machine::Current();
  if (auto error = machine.TakeFailure("GetPrivateProfileStringA")) {
    SetLastError(*error ? *error : ERROR_FILE_NOT_FOUND);
    return profile::GetString({}, nullptr, nullptr, defaultValue, returnedString, size);
  }
  return profile::GetString(machine.HostPath(fileName ? fileName : "win.ini"), appName, keyName,
                            defaultValue, returnedString, size, machine.AnsiCodePage());
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
