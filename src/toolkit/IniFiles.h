// The INI accessor: one file named by its full path; every read and write goes to the file at once.
#pragma once

#include <cstdint>
#include <string>

namespace vcl {

class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // The value read as an integer (decimal, or hexadecimal after "$" or "0x"); `fallback` when the
  // key is missing or its value is not wholly such a number.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t fallback) const;
  bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

  // Each raises EIniFileException "<file> に書き込めません" when the file cannot be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

 private:
  std::string fileName_;
};

}  // namespace vcl
