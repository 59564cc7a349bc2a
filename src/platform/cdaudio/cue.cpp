#include "platform/cdaudio/cue.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cdaudio {
namespace {

// A sheet is a few kilobytes; anything far larger is not one.
constexpr uint64_t kMaxSheetBytes = 1 << 20;

std::string Upper(std::string_view word) {
  std::string out(word);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Splits a line into words; a word in double quotes may hold blanks. None for an unclosed quote.
std::optional<std::vector<std::string>> SplitLine(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) return words;
    if (line[i] == '"') {
      const size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      words.emplace_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
      words.emplace_back(line.substr(start, i - start));
    }
  }
}

// mm:ss:ff with seconds below 60 and frames below 75; minutes up to 99.
std::optional<uint32_t> ParseTime(std::string_view text) {
  const size_t c1 = text.find(':');
  const size_t c2 = c1 == std::string_view::npos ? c1 : text.find(':', c1 + 1);
  if (c2 == std::string_view::npos) return std::nullopt;
  const std::string_view m = text.substr(0, c1);
  const std::string_view s = text.substr(c1 + 1, c2 - c1 - 1);
  const std::string_view f = text.substr(c2 + 1);
  if (!AllDigits(m) || m.size() > 2 || !AllDigits(s) || s.size() != 2 || !AllDigits(f) ||
      f.size() != 2) {
    return std::nullopt;
  }
  const uint32_t minutes = std::stoul(std::string(m));
  const uint32_t seconds = std::stoul(std::string(s));
  const uint32_t frames = std::stoul(std::string(f));
  if (seconds >= 60 || frames >= kFramesPerSecond) return std::nullopt;
  return minutes * kFramesPerMinute + seconds * kFramesPerSecond + frames;
}

// A two-digit number from `low` to 99.
std::optional<int> ParseNumber(std::string_view text, int low) {
  if (!AllDigits(text) || text.size() > 2) return std::nullopt;
  const int value = std::stoi(std::string(text));
  if (value < low) return std::nullopt;
  return value;
}

std::string TimeText(uint64_t frames) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u",
                static_cast<unsigned>(frames / kFramesPerMinute),
                static_cast<unsigned>(frames / kFramesPerSecond % 60),
                static_cast<unsigned>(frames % kFramesPerSecond));
  return text;
}

struct SheetTrack {
  int line = 0;
  bool audio = true;
  int last_index = -1;     // the highest INDEX number seen, -1 before any
  bool gap_given = false;  // PREGAP
  uint64_t start = 0;      // INDEX 01 as a disc position
};

class SheetReader {
 public:
  explicit SheetReader(const ImageFileReader& files) : files_(files) {}

  // Counts a line; returns its number.
  int NextLine() { return ++line_; }
  // Empty when the line is fine, otherwise why not.
  std::string Line(const std::vector<std::string>& words);
  // What the sheet as a whole lacks, or the disc.
  Parsed<Disc> Finish();

 private:
  std::string File(const std::vector<std::string>& words);
  std::string Track(const std::vector<std::string>& words);
  std::string Index(const std::vector<std::string>& words);
  std::string Gap(const std::vector<std::string>& words, bool pregap);
  // Why the track before a new TRACK or the end cannot be closed.
  std::string CloseTrack() const;
  // Why the current FILE cannot be left: no TRACK or INDEX of it, so its frames would silently
  // lengthen the track before (or push the first track back).
  std::string UnusedFile() const;

  const ImageFileReader& files_;
  int line_ = 0;
  bool have_file_ = false;
  bool file_used_ = false;  // a TRACK or INDEX since the last FILE
  int file_line_ = 0;
  std::string file_name_;
  uint64_t file_base_ = 0;    // frames of the files before the current one
  uint64_t file_frames_ = 0;  // frames of the current one
  uint64_t gaps_ = 0;         // PREGAP and POSTGAP frames so far
  uint64_t last_position_ = 0;
  std::vector<SheetTrack> tracks_;
};

std::string SheetReader::Line(const std::vector<std::string>& words) {
  static const std::array<const char*, 8> kIgnored = {
      "REM", "TITLE", "PERFORMER", "SONGWRITER", "CATALOG", "ISRC", "FLAGS", "CDTEXTFILE"};
  const std::string command = Upper(words[0]);
  for (const char* ignored : kIgnored) {
    if (command == ignored) return {};
  }
  if (command == "FILE") return File(words);
  if (command == "TRACK") return Track(words);
  if (command == "INDEX") return Index(words);
  if (command == "PREGAP") return Gap(words, true);
  if (command == "POSTGAP") return Gap(words, false);
  return "unknown command " + words[0];
}

std::string SheetReader::File(const std::vector<std::string>& words) {
  if (words.size() != 3) return "expected FILE \"NAME\" BINARY|WAVE";
  if (words[1].empty()) return "the file name is empty";
  // Every file call ends a name at a NUL: the file opened would not be the one written.
  if (words[1].find('\0') != std::string::npos) return "the file name holds a NUL byte";
  if (std::string why = UnusedFile(); !why.empty()) return why;
  const std::string type = Upper(words[2]);
  ImageFileKind kind;
  if (type == "BINARY") {
    kind = ImageFileKind::kBinary;
  } else if (type == "WAVE") {
    kind = ImageFileKind::kWave;
  } else {
    return "unsupported file type " + words[2] + " (BINARY or WAVE)";
  }
  const Parsed<uint64_t> bytes = files_(words[1], kind);
  if (!bytes) return bytes.error;
  if (kind == ImageFileKind::kBinary && *bytes.value % kBytesPerFrame != 0) {
    return words[1] + " is " + std::to_string(*bytes.value) +
           " bytes, not a whole number of 2352-byte frames";
  }
  if (have_file_) file_base_ += file_frames_;
  have_file_ = true;
  file_used_ = false;
  file_line_ = line_;
  file_name_ = words[1];
  // A WAVE file's last frame may be short; the drive plays it out with silence.
  file_frames_ = (*bytes.value + kBytesPerFrame - 1) / kBytesPerFrame;
  return {};
}

std::string SheetReader::Track(const std::vector<std::string>& words) {
  if (!have_file_) return "TRACK before any FILE";
  if (tracks_.size() == static_cast<size_t>(kMaxTracks)) return "a disc has at most 99 tracks";
  if (std::string why = CloseTrack(); !why.empty()) return why;
  if (words.size() != 3) return "expected TRACK NN AUDIO|MODE1/2352|MODE2/2352";
  const std::optional<int> number = ParseNumber(words[1], 1);
  if (!number) return "bad track number " + words[1];
  if (*number != static_cast<int>(tracks_.size()) + 1) {
    return "track " + words[1] + " out of order: expected " + std::to_string(tracks_.size() + 1);
  }
  const std::string mode = Upper(words[2]);
  if (mode != "AUDIO" && mode != "MODE1/2352" && mode != "MODE2/2352") {
    return "unknown track mode " + words[2] + " (AUDIO, MODE1/2352 or MODE2/2352)";
  }
  file_used_ = true;
  SheetTrack track;
  track.line = line_;
  track.audio = mode == "AUDIO";
  tracks_.push_back(track);
  return {};
}

std::string SheetReader::Index(const std::vector<std::string>& words) {
  if (tracks_.empty()) return "INDEX before any TRACK";
  if (words.size() != 3) return "expected INDEX NN MM:SS:FF";
  const std::optional<int> number = ParseNumber(words[1], 0);
  if (!number) return "bad index number " + words[1];
  const std::optional<uint32_t> in_file = ParseTime(words[2]);
  if (!in_file) return "bad time " + words[2] + " (MM:SS:FF, seconds below 60, frames below 75)";
  SheetTrack& track = tracks_.back();
  if (*number <= track.last_index) return "INDEX " + words[1] + " after a higher or equal one";
  if (*number > track.last_index + 1 && !(track.last_index == -1 && *number == 1)) {
    return "INDEX " + words[1] + " skips a number";
  }
  if (*in_file > file_frames_) {
    return "INDEX " + words[2] + " lies beyond the end of " + file_name_ + " (" +
           TimeText(file_frames_) + ")";
  }
  const uint64_t position = kFirstTrackStart + file_base_ + *in_file + gaps_;
  if (position < last_position_) return "INDEX " + words[2] + " goes back before the one above";
  last_position_ = position;
  file_used_ = true;
  track.last_index = *number;
  if (*number == 1) track.start = position;
  return {};
}

std::string SheetReader::Gap(const std::vector<std::string>& words, bool pregap) {
  const char* name = pregap ? "PREGAP" : "POSTGAP";
  if (tracks_.empty()) return std::string(name) + " before any TRACK";
  if (words.size() != 2) return std::string("expected ") + name + " MM:SS:FF";
  const std::optional<uint32_t> frames = ParseTime(words[1]);
  if (!frames) return "bad time " + words[1] + " (MM:SS:FF, seconds below 60, frames below 75)";
  SheetTrack& track = tracks_.back();
  if (pregap) {
    if (track.last_index >= 0 || track.gap_given) return "PREGAP belongs before the track's INDEX";
    track.gap_given = true;
  } else if (track.last_index < 1) {
    return "POSTGAP belongs after the track's INDEX 01";
  }
  gaps_ += *frames;
  last_position_ += *frames;
  return {};
}

std::string SheetReader::CloseTrack() const {
  if (tracks_.empty() || tracks_.back().last_index >= 1) return {};
  return "track " + std::to_string(tracks_.size()) + " (line " +
         std::to_string(tracks_.back().line) + ") has no INDEX 01";
}

std::string SheetReader::UnusedFile() const {
  if (!have_file_ || file_used_) return {};
  return "FILE " + file_name_ + " (line " + std::to_string(file_line_) +
         ") is followed by no TRACK or INDEX";
}

Parsed<Disc> SheetReader::Finish() {
  const auto fail = [&](std::string why) {
    return Parsed<Disc>{std::nullopt, "line " + std::to_string(line_) + ": " + why};
  };
  if (tracks_.empty()) return fail("the sheet has no TRACK");
  if (std::string why = UnusedFile(); !why.empty()) return fail(why);
  if (std::string why = CloseTrack(); !why.empty()) return fail(why);
  const uint64_t lead_out = kFirstTrackStart + file_base_ + file_frames_ + gaps_;
  if (lead_out > kMaxLeadOut) return fail("the disc is longer than 99:59:74");
  Disc disc;
  disc.first_start = static_cast<uint32_t>(tracks_[0].start);
  for (size_t i = 0; i < tracks_.size(); ++i) {
    const uint64_t end = i + 1 < tracks_.size() ? tracks_[i + 1].start : lead_out;
    if (end == tracks_[i].start) {
      return {std::nullopt, "line " + std::to_string(tracks_[i].line) + ": track " +
                                std::to_string(i + 1) + " has no frames"};
    }
    disc.tracks.push_back({tracks_[i].audio, static_cast<uint32_t>(end - tracks_[i].start)});
  }
  if (std::string why = CheckDisc(disc); !why.empty()) return fail(why);
  return {std::move(disc), {}};
}

// Where a name's folder ends. `path` is in a form where a backslash is always a separator (UTF-8
// or UTF-16), never the trail byte of a double-byte character.
template <typename Text>
Text FolderOf(const Text& path) {
  const size_t slash = path.find_last_of(Text{'/', '\\'});
  return slash == Text::npos ? Text() : path.substr(0, slash + 1);
}

template <typename Text>
bool IsAbsolute(const Text& name) {
  return (!name.empty() && (name[0] == '/' || name[0] == '\\')) ||
         (name.size() >= 2 && name[1] == ':');
}

uint32_t LittleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// A file of an image, open for reading. Only a regular file is opened, and the open never waits:
// a FIFO named by a sheet would otherwise hold its reader until some writer came.
class ImageFileHandle {
 public:
  ImageFileHandle() = default;
  ImageFileHandle(const ImageFileHandle&) = delete;
  ImageFileHandle& operator=(const ImageFileHandle&) = delete;
  ~ImageFileHandle() {
#ifdef _WIN32
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
    if (fd_ >= 0) ::close(fd_);
#endif
  }

  // Empty when open, otherwise why not.
  std::string Open(const std::filesystem::path& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "no such file";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder, not a file";
    if (attributes & FILE_ATTRIBUTE_DEVICE) return "not a regular file";
    handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return "cannot be read";
    if (GetFileType(handle_) != FILE_TYPE_DISK) return "not a regular file";
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size) || size.QuadPart < 0) return "cannot be read";
    size_ = static_cast<uint64_t>(size.QuadPart);
#else
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) return errno == ENOENT || errno == ENOTDIR ? "no such file" : "cannot be read";
    struct stat status {};
    if (::fstat(fd_, &status) != 0) return "cannot be read";
    if (S_ISDIR(status.st_mode)) return "a folder, not a file";
    if (!S_ISREG(status.st_mode)) return "not a regular file";
    size_ = static_cast<uint64_t>(status.st_size);
#endif
    return {};
  }

  uint64_t size() const {
    return size_;
  }

  // Reads exactly `count` bytes at `offset`; false when the file has fewer.
  bool ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    auto* out = static_cast<char*>(buffer);
    while (count > 0) {
#ifdef _WIN32
      LARGE_INTEGER at{};
      at.QuadPart = static_cast<LONGLONG>(offset);
      DWORD got = 0;
      const DWORD chunk = count > (1u << 30) ? (1u << 30) : static_cast<DWORD>(count);
      if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN) ||
          !ReadFile(handle_, out, chunk, &got, nullptr) || got == 0) {
        return false;
      }
#else
      const ssize_t got = ::pread(fd_, out, count, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
#endif
      out += got;
      offset += static_cast<uint64_t>(got);
      count -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
  uint64_t size_ = 0;
};

// The data chunk's size of a RIFF WAVE file holding CD audio. Every chunk, the RIFF form's own
// included, must end within the file: a size that claims more is a damaged or hostile file. (A
// RIFF size that claims less is common and harmless: the chunks are walked to the file's end.)
Parsed<uint64_t> WaveDataBytes(ImageFileHandle& in, const std::string& shown) {
  const auto fail = [&](const std::string& why) {
    return Parsed<uint64_t>{std::nullopt, shown + ": " + why};
  };
  const uint64_t file_size = in.size();
  unsigned char head[12];
  if (!in.ReadAt(0, head, sizeof head) ||
      std::string_view(reinterpret_cast<char*>(head), 4) != "RIFF" ||
      std::string_view(reinterpret_cast<char*>(head) + 8, 4) != "WAVE") {
    return fail("not a RIFF WAVE file");
  }
  const uint64_t form_end = uint64_t{8} + LittleEndian(head + 4, 4);
  if (form_end > file_size) {
    return fail("the RIFF chunk claims " + std::to_string(form_end) + " bytes; the file has " +
                std::to_string(file_size));
  }
  bool format_seen = false;
  unsigned char chunk[8];
  for (uint64_t at = sizeof head; at + sizeof chunk <= file_size;) {
    if (!in.ReadAt(at, chunk, sizeof chunk)) return fail("cannot be read");
    const std::string id(reinterpret_cast<char*>(chunk), 4);
    const uint64_t size = LittleEndian(chunk + 4, 4);
    const uint64_t body = at + sizeof chunk;
    if (body + size > file_size) {
      if (id == "data") return fail("the data chunk runs past the end of the file");
      return fail("the " + id + " chunk claims " + std::to_string(size) +
                  " bytes, past the end of the file");
    }
    if (id == "fmt ") {
      unsigned char format[16];
      if (size < sizeof format || !in.ReadAt(body, format, sizeof format)) {
        return fail("short fmt chunk");
      }
      if (LittleEndian(format, 2) != 1 || LittleEndian(format + 2, 2) != 2 ||
          LittleEndian(format + 4, 4) != 44100 || LittleEndian(format + 14, 2) != 16) {
        return fail("not 16-bit stereo PCM at 44100 Hz");
      }
      format_seen = true;
    } else if (id == "data") {
      if (!format_seen) return fail("data chunk before the fmt chunk");
      return {size, {}};
    }
    at = body + size + size % 2;  // chunks are padded to an even length
  }
  return fail("no data chunk");
}

// What the file system opens for a name as the sheet writes it, and the name as a message shows
// it; none when the name cannot be read in the sheet's character set. Windows' ANSI calls read a
// name in the system's code page, so the trail byte 0x5C of a double-byte character (表, ソ) is
// no separator there; elsewhere the name is read as code page 932, as the console keeps its
// texts, and handed to the host's file system in UTF-8. A sheet that begins with a byte-order
// mark writes its names in UTF-8.
struct FileSystemName {
  std::filesystem::path path;
  std::string shown;
};

#ifdef _WIN32
std::optional<std::wstring> Widened(const std::string& bytes, bool utf8) {
  const UINT code_page = utf8 ? CP_UTF8 : CP_ACP;
  if (bytes.empty()) return std::wstring();
  const int length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                      wide.data(), length);
  return wide;
}
#else
// Code page 932 to UTF-8; none for bytes that are not code page 932 text.
std::optional<std::string> FromShiftJis(const std::string& bytes) {
  bool ascii = true;
  for (unsigned char c : bytes) ascii = ascii && c < 0x80;
  if (ascii) return bytes;
  const iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  bool ok = true;
  while (ok && in_left > 0) {
    char buffer[256];
    char* to = buffer;
    size_t to_left = sizeof buffer;
    const size_t rc = iconv(cd, &in, &in_left, &to, &to_left);
    out.append(buffer, static_cast<size_t>(to - buffer));
    ok = rc != static_cast<size_t>(-1) || errno == E2BIG;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}
#endif

Parsed<uint64_t> ReadImageFileAt(const std::filesystem::path& file, const std::string& shown,
                                 ImageFileKind kind) {
  ImageFileHandle in;
  if (const std::string why = in.Open(file); !why.empty()) {
    return {std::nullopt, shown + ": " + why};
  }
  if (kind == ImageFileKind::kBinary) return {in.size(), {}};
  return WaveDataBytes(in, shown);
}

}  // namespace

Parsed<Disc> ParseCueSheet(std::string_view text, const ImageFileReader& files) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  SheetReader reader(files);
  size_t begin = 0;
  while (begin < text.size()) {
    size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) end = text.size();
    const int number = reader.NextLine();
    const std::string_view line = text.substr(begin, end - begin);
    // CR LF is one line end.
    begin = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    const std::optional<std::vector<std::string>> words = SplitLine(line);
    std::string why;
    if (!words) {
      why = "unclosed quote";
    } else if (!words->empty()) {
      why = reader.Line(*words);
    }
    if (!why.empty()) return {std::nullopt, "line " + std::to_string(number) + ": " + why};
  }
  return reader.Finish();
}

Parsed<Disc> LoadCueSheet(const std::string& path) {
  const auto refuse = [&](const std::string& why) {
    return Parsed<Disc>{std::nullopt, path + ": " + why};
  };
#ifdef _WIN32
  const std::optional<std::wstring> widened = Widened(path, false);
  if (!widened) return refuse("cannot be read");
  const std::wstring& sheet_path = *widened;
#else
  const std::string& sheet_path = path;
#endif
  ImageFileHandle in;
  if (const std::string why = in.Open(sheet_path); !why.empty()) {
    return refuse(why == "no such file" ? "cannot be read" : why);
  }
  if (in.size() > kMaxSheetBytes) return refuse("too large for a CUE sheet");
  std::string text(static_cast<size_t>(in.size()), '\0');
  if (!in.ReadAt(0, text.data(), text.size())) return refuse("cannot be read");
  const bool utf8_names = text.substr(0, 3) == "\xEF\xBB\xBF";
  const auto folder = FolderOf(sheet_path);
  Parsed<Disc> disc = ParseCueSheet(text, [&](const std::string& name, ImageFileKind kind) {
#ifdef _WIN32
    const std::optional<std::wstring> wide = Widened(name, utf8_names);
    if (!wide)
      return Parsed<uint64_t>{std::nullopt, name + ": not a name in the system's code page"};
    const std::wstring file = IsAbsolute(*wide) ? *wide : folder + *wide;
    const std::string shown = IsAbsolute(*wide) ? name : FolderOf(path) + name;
    return ReadImageFileAt(file, shown, kind);
#else
    const std::optional<std::string> decoded = utf8_names ? name : FromShiftJis(name);
    if (!decoded) {
      return Parsed<uint64_t>{std::nullopt, name + ": not a code page 932 name"};
    }
    std::string file = IsAbsolute(*decoded) ? *decoded : folder + *decoded;
    // A sheet written on Windows separates folders with backslashes; in UTF-8 a backslash byte is
    // always one.
    for (char& c : file) c = c == '\\' ? '/' : c;
    return ReadImageFileAt(file, file, kind);
#endif
  });
  if (!disc) disc.error = path + " " + disc.error;
  return disc;
}

Parsed<uint64_t> ReadImageFile(const std::string& path, ImageFileKind kind) {
#ifdef _WIN32
  const std::optional<std::wstring> wide = Widened(path, false);
  if (!wide) return {std::nullopt, path + ": no such file"};
  return ReadImageFileAt(*wide, path, kind);
#else
  return ReadImageFileAt(path, path, kind);
#endif
}

}  // namespace cdaudio
