#include "toolkit/IniFiles.h"

#include "platform/win32.h"
#include "toolkit/SysUtils.h"

namespace vcl {
namespace {
// The largest value the program reads, in bytes with the terminating zero.
constexpr DWORD kReadBufferSize = 1024;
constexpr const char* kWriteError = "%s に書き込めません";
}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  char buffer[kReadBufferSize];
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                     kReadBufferSize, fileName_.c_str());
  return std::string(buffer, n);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t fallback) const {
  return StrToIntDef(ReadString(section, key, ""), fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str())) {
    throw EIniFileException(Format(kWriteError, {fileName_}));
  }
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace vcl
