#include "platform/cdaudio/disc.h"

#include <cctype>

namespace cdaudio {
namespace {

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Digits only; callers bound the length, so the value cannot overflow.
uint32_t DigitsValue(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) value = value * 10 + static_cast<uint32_t>(c - '0');
  return value;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
  }
  return true;
}

Parsed<TrackEntry> Fail(std::string_view word, std::string_view why) {
  return {std::nullopt, "bad track \"" + std::string(word) + "\": " + std::string(why)};
}

}  // namespace

Parsed<TrackEntry> ParseTrackWord(std::string_view word) {
  const size_t colon1 = word.find(':');
  const size_t colon2 = colon1 == std::string_view::npos ? colon1 : word.find(':', colon1 + 1);
  if (colon2 == std::string_view::npos) {
    return Fail(word, "expected audio:M:SS or data:M:SS");
  }
  const std::string_view kind = word.substr(0, colon1);
  const std::string_view minutes = word.substr(colon1 + 1, colon2 - colon1 - 1);
  std::string_view seconds = word.substr(colon2 + 1);
  std::string_view frames;
  if (const size_t dot = seconds.find('.'); dot != std::string_view::npos) {
    frames = seconds.substr(dot + 1);
    seconds = seconds.substr(0, dot);
    if (frames.size() != 2 || !IsDigits(frames) || DigitsValue(frames) >= kFramesPerSecond) {
      return Fail(word, "frames must be two digits, 00 to 74");
    }
  }

  TrackEntry track;
  if (EqualsIgnoringCase(kind, "audio")) {
    track.audio = true;
  } else if (EqualsIgnoringCase(kind, "data")) {
    track.audio = false;
  } else {
    return Fail(word, "the kind must be audio or data");
  }
  if (!IsDigits(minutes) || minutes.size() > 2) {
    return Fail(word, "minutes must be a number from 0 to 99");
  }
  if (seconds.size() != 2 || !IsDigits(seconds) || DigitsValue(seconds) >= 60) {
    return Fail(word, "seconds must be two digits, 00 to 59");
  }
  track.length_frames = DigitsValue(minutes) * kFramesPerMinute +
                        DigitsValue(seconds) * kFramesPerSecond +
                        (frames.empty() ? 0 : DigitsValue(frames));
  if (track.length_frames == 0) return Fail(word, "a track cannot be empty");
  return {track, {}};
}

Parsed<uint32_t> ParseSerial(std::string_view text) {
  std::string digits;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // The dash is only accepted where Windows writes it: between two groups of four digits.
    if (c == '-' && i == 4 && text.size() == 9) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      return {std::nullopt,
              "bad serial \"" + std::string(text) + "\": expected hexadecimal digits"};
    }
    digits += c;
  }
  if (digits.empty() || digits.size() > 8) {
    return {std::nullopt, "bad serial \"" + std::string(text) + "\": expected 1 to 8 hex digits"};
  }
  return {static_cast<uint32_t>(std::stoul(digits, nullptr, 16)), {}};
}

std::string CheckDisc(const Disc& disc) {
  if (disc.blank) return {};
  if (disc.tracks.empty() || disc.tracks.size() > static_cast<size_t>(kMaxTracks)) {
    return "a disc has 1 to 99 tracks, not " + std::to_string(disc.tracks.size());
  }
  if (disc.first_start < kFirstTrackStart) return "track 1 cannot start before 00:02:00";
  uint64_t end = disc.first_start;
  for (size_t i = 0; i < disc.tracks.size(); ++i) {
    if (disc.tracks[i].length_frames == 0) {
      return "track " + std::to_string(i + 1) + " is empty";
    }
    end += disc.tracks[i].length_frames;
  }
  if (end > kMaxLeadOut) return "the disc is longer than 99:59:74";
  return {};
}

}  // namespace cdaudio
