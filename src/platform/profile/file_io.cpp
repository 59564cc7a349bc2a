#include "platform/profile/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/profile/profile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace profile {
namespace {

constexpr int kNoFailure = -1;
std::atomic<int> armed_failure{kNoFailure};

bool Fails(int armed, testing::WriteStage stage) {
  return armed == static_cast<int>(stage);
}

// A temporary file beside the target; removed again unless it was renamed into place.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    Close();
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }

  // The name is random and the file is created exclusively, so two writers (or a stale temporary
  // left by a crash) never share one.
  bool Create(const fs::path& target) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, ".~%08x.tmp", static_cast<unsigned>(random()));
      fs::path candidate = target;
      candidate += suffix;
#ifdef _WIN32
      fd_ = _wopen(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
#else
      fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
      if (fd_ >= 0) {
        path_ = candidate;
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  // Copies mode and, where allowed, owner, before any data lands, so a private file's contents are
  // never readable through the temporary.
  bool KeepAttributesOf(const fs::path& old) {
#ifdef _WIN32
    std::error_code ec;
    fs::file_status status = fs::status(old, ec);
    if (ec) return true;
    fs::permissions(path_, status.permissions(), ec);
    return !ec;
#else
    struct stat st;
    if (::stat(old.c_str(), &st) != 0) return true;
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
      // Only root may give a file away; anyone else keeps the file as their own, as an editor
      // would.
      [[maybe_unused]] int ignored = ::fchown(fd_, st.st_uid, st.st_gid);
    }
    return ::fchmod(fd_, st.st_mode & 07777) == 0;
#endif
  }

  bool Write(const char* data, std::size_t size) {
    while (size > 0) {
      unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
#ifdef _WIN32
      int n = _write(fd_, data, chunk);
#else
      ssize_t n = ::write(fd_, data, chunk);
      if (n < 0 && errno == EINTR) continue;
#endif
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Sync() {
#ifdef _WIN32
    return _commit(fd_) == 0;
#else
    return ::fsync(fd_) == 0;
#endif
  }

  bool Close() {
    if (fd_ < 0) return true;
#ifdef _WIN32
    bool ok = _close(fd_) == 0;
#else
    bool ok = ::close(fd_) == 0;
#endif
    fd_ = -1;
    return ok;
  }

  bool RenameOver(const fs::path& target) {
    std::error_code ec;
    fs::rename(path_, target, ec);
    if (ec) return false;
    path_.clear();
    return true;
  }

 private:
  fs::path path_;
  int fd_ = -1;
};

// Makes the rename itself durable; the data is already safe, so a failure here changes nothing.
void SyncFolderOf(const fs::path& file) {
#ifndef _WIN32
  fs::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#else
  (void)file;
#endif
}

}  // namespace

namespace testing {
void FailNextWrite(WriteStage stage) {
  armed_failure = static_cast<int>(stage);
}
}  // namespace testing

namespace detail {

std::optional<std::string> ReadWholeFile(const fs::path& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string data;
  char chunk[16384];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    data.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return data;
}

bool ReplaceFile(const fs::path& file, const std::string& data) {
  using testing::WriteStage;
  const int armed = armed_failure.exchange(kNoFailure);

  TempFile temp;
  if (Fails(armed, WriteStage::kCreateTemp) || !temp.Create(file)) return false;
  if (!temp.KeepAttributesOf(file)) return false;
  if (Fails(armed, WriteStage::kWriteTemp)) {
    temp.Write(data.data(), data.size() / 2);
    return false;
  }
  if (!temp.Write(data.data(), data.size())) return false;
  if (Fails(armed, WriteStage::kSyncTemp) || !temp.Sync()) return false;
  if (!temp.Close()) return false;
  if (Fails(armed, WriteStage::kReplace) || !temp.RenameOver(file)) return false;
  SyncFolderOf(file);
  return true;
}

}  // namespace detail
}  // namespace profile
