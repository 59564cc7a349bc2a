// The table of contents a drive reads from a disc, and the disc identifier computed from it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/cdaudio/disc.h"

namespace cdaudio {

struct Msf {
  uint32_t minutes = 0;
  uint32_t seconds = 0;
  uint32_t frames = 0;
};

constexpr uint32_t FramesOf(uint32_t minutes, uint32_t seconds, uint32_t frames) {
  return minutes * kFramesPerMinute + seconds * kFramesPerSecond + frames;
}
constexpr Msf ToMsf(uint32_t frames) {
  return {frames / kFramesPerMinute, frames / kFramesPerSecond % 60, frames % kFramesPerSecond};
}

// Tracks are numbered from 1; positions are absolute frames from 00:00:00.
class Toc {
 public:
  // Track 1 at the disc's first_start, each next track where the previous one ends, the lead-out
  // after the last. None for a blank disc or one that CheckDisc refuses.
  static std::optional<Toc> FromDisc(const Disc& disc);
  // From absolute track starts, as a real TOC lists them. `audio` gives each track's kind (all
  // audio when empty). None unless 1 to 99 strictly increasing starts lie before the lead-out,
  // the lead-out is at most 99:59:74 and `audio` is empty or has one entry per track.
  static std::optional<Toc> FromStarts(std::vector<uint32_t> starts, uint32_t lead_out,
                                       std::vector<bool> audio = {});

  int TrackCount() const { return static_cast<int>(starts_.size()); }
  // `track` must be 1..TrackCount().
  uint32_t TrackStart(int track) const { return starts_[track - 1]; }
  // Where the track ends: the next track's start, or the lead-out.
  uint32_t TrackEnd(int track) const;
  bool IsAudio(int track) const { return audio_[track - 1]; }
  uint32_t LeadOut() const { return lead_out_; }
  // The track a position belongs to: before track 1 that is track 1, from the lead-out on the last.
  int TrackAt(uint32_t frame) const;
  // The first audio track; track 1 on a disc without audio.
  int FirstAudioTrack() const;

 private:
  Toc() = default;
  std::vector<uint32_t> starts_;
  std::vector<bool> audio_;
  uint32_t lead_out_ = 0;
};

// The 32-bit number under which Windows files a disc: the audio CD's volume serial and, as
// decimal text, the MCI media identity. One function serves both so they can never disagree.
uint32_t DiscIdentifier(const Toc& toc);

}  // namespace cdaudio
