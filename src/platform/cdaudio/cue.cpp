#include "platform/cdaudio/cue.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

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

  const ImageFileReader& files_;
  int line_ = 0;
  bool have_file_ = false;
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

Parsed<Disc> SheetReader::Finish() {
  const auto fail = [&](std::string why) {
    return Parsed<Disc>{std::nullopt, "line " + std::to_string(line_) + ": " + why};
  };
  if (tracks_.empty()) return fail("the sheet has no TRACK");
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

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsAbsolute(const std::string& name) {
  return (!name.empty() && (name[0] == '/' || name[0] == '\\')) ||
         (name.size() >= 2 && name[1] == ':');
}

uint32_t LittleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// The data chunk's size of a RIFF WAVE file holding CD audio.
Parsed<uint64_t> WaveDataBytes(std::ifstream& in, uint64_t file_size, const std::string& path) {
  const auto fail = [&](const std::string& why) {
    return Parsed<uint64_t>{std::nullopt, path + ": " + why};
  };
  unsigned char head[12];
  if (!in.read(reinterpret_cast<char*>(head), sizeof head) ||
      std::string_view(reinterpret_cast<char*>(head), 4) != "RIFF" ||
      std::string_view(reinterpret_cast<char*>(head) + 8, 4) != "WAVE") {
    return fail("not a RIFF WAVE file");
  }
  bool format_seen = false;
  unsigned char chunk[8];
  while (in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
    const std::string_view id(reinterpret_cast<char*>(chunk), 4);
    const uint32_t size = LittleEndian(chunk + 4, 4);
    if (id == "fmt ") {
      unsigned char format[16];
      if (size < sizeof format || !in.read(reinterpret_cast<char*>(format), sizeof format)) {
        return fail("short fmt chunk");
      }
      if (LittleEndian(format, 2) != 1 || LittleEndian(format + 2, 2) != 2 ||
          LittleEndian(format + 4, 4) != 44100 || LittleEndian(format + 14, 2) != 16) {
        return fail("not 16-bit stereo PCM at 44100 Hz");
      }
      format_seen = true;
      in.seekg(size - sizeof format + size % 2, std::ios::cur);
    } else if (id == "data") {
      if (!format_seen) return fail("data chunk before the fmt chunk");
      if (static_cast<uint64_t>(in.tellg()) + size > file_size) {
        return fail("the data chunk runs past the end of the file");
      }
      return {size, {}};
    } else {
      in.seekg(size + size % 2, std::ios::cur);  // chunks are padded to an even length
    }
  }
  return fail("no data chunk");
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
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in) {
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxSheetBytes) {
      return {std::nullopt, path + ": too large for a CUE sheet"};
    }
    text.resize(static_cast<size_t>(size));
    in.seekg(0);
    in.read(text.data(), size);
  }
  if (!in) return {std::nullopt, path + ": cannot be read"};
  const std::string folder = FolderOf(path);
  Parsed<Disc> disc = ParseCueSheet(text, [&](const std::string& name, ImageFileKind kind) {
    std::string file = IsAbsolute(name) ? name : folder + name;
#ifndef _WIN32
    // A sheet written on Windows separates folders with backslashes.
    for (char& c : file) c = c == '\\' ? '/' : c;
#endif
    return ReadImageFile(file, kind);
  });
  if (!disc) disc.error = path + " " + disc.error;
  return disc;
}

Parsed<uint64_t> ReadImageFile(const std::string& path, ImageFileKind kind) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, path + ": no such file"};
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return {std::nullopt, path + ": cannot be read"};
  if (kind == ImageFileKind::kBinary) return {static_cast<uint64_t>(size), {}};
  in.seekg(0);
  return WaveDataBytes(in, static_cast<uint64_t>(size), path);
}

}  // namespace cdaudio
