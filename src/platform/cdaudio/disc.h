// A virtual compact disc as the machine's owner describes it, and the parsing of that description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cdaudio {

inline constexpr uint32_t kFramesPerSecond = 75;
inline constexpr uint32_t kFramesPerMinute = 60 * kFramesPerSecond;
// Track 1 starts after the two-second pregap, at 00:02:00.
inline constexpr uint32_t kFirstTrackStart = 2 * kFramesPerSecond;
inline constexpr int kMaxTracks = 99;
// A TOC address has two BCD digits of minutes, so nothing on a disc lies beyond 99:59:74.
inline constexpr uint32_t kMaxLeadOut = 100 * kFramesPerMinute - 1;

struct TrackEntry {
  bool audio = true;
  uint32_t length_frames = 0;
};

struct Disc {
  std::vector<TrackEntry> tracks;
  // Where track 1 starts: after the two-second pregap, unless an image puts more silence there.
  uint32_t first_start = kFirstTrackStart;
  // A data disc's own file-system label and volume serial; an audio disc ignores both because
  // Windows computes its label and serial. Empty label / no serial: see VolumeOf (volume.h).
  std::string label;
  std::optional<uint32_t> serial;
  // The drive finds no readable table of contents (a blank or damaged disc); tracks are ignored.
  bool blank = false;
};

// A value, or the text that says why there is none.
template <typename T>
struct Parsed {
  std::optional<T> value;
  std::string error;
  explicit operator bool() const { return value.has_value(); }
};

// Parses one track word of the console's `disc` command: `audio:M:SS` or `data:M:SS`, the
// track's length in minutes and seconds. `audio:M:SS.FF` adds frames (00 to 74) so that a real
// disc's table of contents can be reproduced exactly. The kind is not case-sensitive.
Parsed<TrackEntry> ParseTrackWord(std::string_view word);

// Parses a volume serial written in hexadecimal, at most 8 digits, optionally with the dash that
// Windows shows between the two halves (`1A2B-3C4D`).
Parsed<uint32_t> ParseSerial(std::string_view text);

// Empty when the disc can be inserted; otherwise why not (track count, empty track, track 1
// before 00:02:00, too long).
std::string CheckDisc(const Disc& disc);

}  // namespace cdaudio
