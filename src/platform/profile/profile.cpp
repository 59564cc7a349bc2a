#include "platform/profile/profile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/profile/file_io.h"
#include "platform/profile/ini_text.h"

namespace fs = std::filesystem;

namespace profile {
namespace {

using detail::Document;
using detail::LineKind;
using detail::TrimBlanks;

// Windows cuts the bytes plainly, even inside a double-byte character. memmove: callers may pass
// the result buffer as the default too.
uint32_t CopyString(std::string_view s, char* buf, uint32_t size) {
  std::size_t n = std::min<std::size_t>(s.size(), size - 1);
  std::memmove(buf, s.data(), n);
  buf[n] = '\0';
  return static_cast<uint32_t>(n);
}

// A list that does not fit is cut to size - 2 bytes and closed with two zeros, and the return
// value is then size - 2, as Windows documents.
uint32_t CopyList(const std::vector<std::string_view>& names, char* buf, uint32_t size) {
  std::string list;
  for (std::string_view name : names) {
    // An empty name would read as the end of the list and hide the names after it.
    if (!name.empty()) list.append(name).push_back('\0');
  }
  if (size < 2) {
    buf[0] = '\0';
    return 0;
  }
  if (list.size() + 1 > size) {
    std::memcpy(buf, list.data(), size - 2);
    buf[size - 2] = '\0';
    buf[size - 1] = '\0';
    return size - 2;
  }
  std::memcpy(buf, list.data(), list.size());
  buf[list.size()] = '\0';
  if (list.empty()) buf[1] = '\0';
  return static_cast<uint32_t>(list.size());
}

std::vector<std::string_view> SectionNames(const Document& doc) {
  std::vector<std::string_view> names;
  for (const detail::Section& s : doc.Sections()) names.push_back(doc.lines()[s.header].name);
  return names;
}

std::vector<std::string_view> KeyNames(const Document& doc, std::string_view section) {
  std::vector<std::string_view> names;
  if (std::optional<detail::Section> found = doc.FindSection(section)) {
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
      if (doc.lines()[i].kind == LineKind::kKey) names.push_back(doc.lines()[i].name);
    }
  }
  return names;
}

// Read, edit and replace must not interleave between two writers of this process, or one edit
// would be lost (the folder lock does the same between processes).
std::mutex& WriteMutex() {
  static std::mutex mutex;
  return mutex;
}

// Replacing a symbolic link by a file would cut it off from what it pointed to.
fs::path FollowLinks(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(file, ec))) return file;
  fs::path real = fs::canonical(file, ec);
  return ec ? file : real;
}

}  // namespace

uint32_t GetString(const fs::path& file, const char* section, const char* key, const char* def,
                   char* buf, uint32_t size, unsigned codePage) {
  if (buf == nullptr || size == 0) return 0;
  std::optional<std::string> text = detail::ReadWholeFile(file);
  Document doc(text ? std::string_view(*text) : std::string_view(), codePage);

  if (section == nullptr) return CopyList(SectionNames(doc), buf, size);
  std::string_view section_name = TrimBlanks(section);
  if (key == nullptr) return CopyList(KeyNames(doc, section_name), buf, size);

  if (std::optional<detail::Section> found = doc.FindSection(section_name)) {
    if (std::optional<std::size_t> line = doc.FindKey(*found, TrimBlanks(key))) {
      return CopyString(doc.Value(*line), buf, size);
    }
  }
  std::string_view fallback = def != nullptr ? def : "";
  while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) {
    fallback.remove_suffix(1);
  }
  return CopyString(fallback, buf, size);
}

bool ClearDeadWritersTemporaries(const fs::path& file) {
  const detail::FolderLock folder_lock(FollowLinks(file), /*wait=*/false);
  detail::RemoveStaleTemporaries(FollowLinks(file), folder_lock);
  return folder_lock.held();
}

bool WriteString(const fs::path& file, const char* section, const char* key, const char* value,
                 unsigned codePage) {
  // All three null is Windows' request to flush its cache; there is no cache here.
  if (section == nullptr) return key == nullptr && value == nullptr;

  std::lock_guard<std::mutex> lock(WriteMutex());
  const fs::path target = FollowLinks(file);
  const detail::FolderLock folder_lock(target);
  detail::RemoveStaleTemporaries(target, folder_lock);
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  const bool exists = status.type() == fs::file_type::regular;
  if (!exists && status.type() != fs::file_type::not_found) return false;

  std::string old;
  if (exists) {
    // A file that cannot be read cannot have its other lines kept, so it is not overwritten.
    std::optional<std::string> text = detail::ReadWholeFile(target);
    if (!text) return false;
    old = std::move(*text);
  }

  Document doc(old, codePage);
  std::string_view section_name = TrimBlanks(section);
  std::string updated = key == nullptr     ? doc.WithoutSection(section_name)
                        : value == nullptr ? doc.WithoutKey(section_name, TrimBlanks(key))
                                           : doc.WithValue(section_name, TrimBlanks(key), value);
  // Windows makes the file even when the write changes nothing in it (a key or section deleted
  // from a file that was not there): it is left empty.
  if (exists && updated == old) return true;

  if (exists) {
    // The rename would only need a writable folder, but Windows refuses to replace a file its
    // caller may not write, and so does this.
    std::fstream probe(target, std::ios::in | std::ios::out | std::ios::binary);
    if (!probe) return false;
  }
  return detail::ReplaceFile(target, updated);
}

}  // namespace profile
