#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace profile::detail {

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Holds the folder of `file` locked against every other writer, in this process and in others, so
// that a read-modify-write is whole. (A lock on the file itself would not do: the file is replaced
// by another one.) Not held when the folder cannot be opened; the write goes on unguarded then.
class FolderLock {
 public:
  // `wait`: false takes the lock only when no one holds it, and leaves it unheld otherwise.
  explicit FolderLock(const std::filesystem::path& file, bool wait = true);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Removes the temporaries of `file` that writes killed midway left behind. Only under the lock can
// a temporary be known to be stale.
void RemoveStaleTemporaries(const std::filesystem::path& file, const FolderLock& lock);

// Puts `data` in place of `file` so that a crash at any point leaves either the old or the new text
// complete, with the old file's permissions. On failure the temporary file is removed and `file`
// is untouched. The temporary is named after the file (`NAME.~XXXXXXXX.tmp`), or after a hash of
// the name where that would be too long. Where the folder refuses a temporary, an existing file is
// written in place, as Windows does.
bool ReplaceFile(const std::filesystem::path& file, const std::string& data);

}  // namespace profile::detail
