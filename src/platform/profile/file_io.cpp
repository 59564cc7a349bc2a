#include "platform/profile/file_io.h"

#include <atomic>
#include <cctype>
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
#include <sys/file.h>
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

// A file open for writing, as a descriptor.
class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile() { Close(); }

  bool Open(const fs::path& file, bool create) {
#ifdef _WIN32
    fd_ = create ? _wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE)
                 : _wopen(file.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
#else
    fd_ = ::open(file.c_str(),
                 create ? O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC : O_WRONLY | O_CLOEXEC, 0666);
#endif
    return fd_ >= 0;
  }

  int fd() const {
    return fd_;
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

  bool Truncate(std::size_t size) {
#ifdef _WIN32
    return _chsize_s(fd_, static_cast<long long>(size)) == 0;
#else
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
#endif
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

 private:
  int fd_ = -1;
};

uint64_t Fnv1a(std::string_view text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

constexpr std::size_t kTempSuffixLength = 14;  // ".~" 8 hex digits ".tmp"

// What a temporary's name starts with: the file's own name, or a hash of it when the name and the
// suffix together would be longer than the folder's file system allows.
std::string TempStem(const fs::path& target) {
  std::string name = target.filename().string();
  long max = 255;
#ifndef _WIN32
  fs::path folder = target.parent_path();
  if (long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX); limit > 0) {
    max = limit;
  }
#endif
  if (name.size() + kTempSuffixLength <= static_cast<std::size_t>(max)) return name;
  char stem[24];
  std::snprintf(stem, sizeof stem, "~%016llx", static_cast<unsigned long long>(Fnv1a(name)));
  return stem;
}

bool IsTempOf(const std::string& entry, const std::string& stem) {
  if (entry.size() != stem.size() + kTempSuffixLength || entry.compare(0, stem.size(), stem) != 0 ||
      entry.compare(stem.size(), 2, ".~") != 0 || entry.compare(entry.size() - 4, 4, ".tmp") != 0) {
    return false;
  }
  for (std::size_t i = stem.size() + 2; i < entry.size() - 4; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(entry[i]))) return false;
  }
  return true;
}

// A temporary file beside the target; removed again unless it was renamed into place.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    out_.Close();
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }

  // The name is random and the file is created exclusively, so two writers (or a stale temporary
  // left by a crash) never share one. On failure errno tells why.
  bool Create(const fs::path& target) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    const std::string stem = TempStem(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, ".~%08x.tmp", static_cast<unsigned>(random()));
      fs::path candidate = target.parent_path() / (stem + suffix);
      if (out_.Open(candidate, true)) {
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
      [[maybe_unused]] int ignored = ::fchown(out_.fd(), st.st_uid, st.st_gid);
    }
    return ::fchmod(out_.fd(), st.st_mode & 07777) == 0;
#endif
  }

  OutFile& out() {
    return out_;
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
  OutFile out_;
};

// Without a temporary the new text goes over the old one: a crash midway can leave the file torn,
// which is the price Windows pays in a read-only folder too.
bool WriteInPlace(const fs::path& file, const std::string& data) {
  OutFile out;
  return out.Open(file, false) && out.Write(data.data(), data.size()) &&
         out.Truncate(data.size()) && out.Sync() && out.Close();
}

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

FolderLock::FolderLock(const fs::path& file, bool wait) {
#ifndef _WIN32
  fs::path folder = file.parent_path();
  fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  while (::flock(fd_, wait ? LOCK_EX : LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
#else
  (void)file;
  (void)wait;
#endif
}

FolderLock::~FolderLock() {
#ifndef _WIN32
  if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
#endif
}

void RemoveStaleTemporaries(const fs::path& file, const FolderLock& lock) {
  if (!lock.held()) return;
  const std::string stem = TempStem(file);
  fs::path folder = file.parent_path();
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end;
       !ec && it != end; it.increment(ec)) {
    if (IsTempOf(it->path().filename().string(), stem)) {
      std::error_code ignored;
      fs::remove(it->path(), ignored);
    }
  }
}

bool ReplaceFile(const fs::path& file, const std::string& data) {
  using testing::WriteStage;
  const int armed = armed_failure.exchange(kNoFailure);

  TempFile temp;
  if (Fails(armed, WriteStage::kCreateTemp)) return false;
  if (!temp.Create(file)) {
    const bool refused = errno == EACCES || errno == EPERM;
    return refused && WriteInPlace(file, data);
  }
  if (!temp.KeepAttributesOf(file)) return false;
  if (Fails(armed, WriteStage::kWriteTemp)) {
    temp.out().Write(data.data(), data.size() / 2);
    return false;
  }
  if (!temp.out().Write(data.data(), data.size())) return false;
  if (Fails(armed, WriteStage::kSyncTemp) || !temp.out().Sync()) return false;
  if (!temp.out().Close()) return false;
  if (Fails(armed, WriteStage::kReplace) || !temp.RenameOver(file)) return false;
  SyncFolderOf(file);
  return true;
}

}  // namespace detail
}  // namespace profile
