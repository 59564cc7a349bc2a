#include "platform/cdaudio/toc.h"

#include <algorithm>
#include <utility>

namespace cdaudio {

std::optional<Toc> Toc::FromDisc(const Disc& disc) {
  if (disc.blank || !CheckDisc(disc).empty()) return std::nullopt;
  Toc toc;
  uint32_t start = disc.first_start;
  for (const TrackEntry& track : disc.tracks) {
    toc.starts_.push_back(start);
    toc.audio_.push_back(track.audio);
    start += track.length_frames;
  }
  toc.lead_out_ = start;
  return toc;
}

std::optional<Toc> Toc::FromStarts(std::vector<uint32_t> starts, uint32_t lead_out,
                                   std::vector<bool> audio) {
  if (starts.empty() || starts.size() > static_cast<size_t>(kMaxTracks)) return std::nullopt;
  if (!audio.empty() && audio.size() != starts.size()) return std::nullopt;
  if (lead_out > kMaxLeadOut) return std::nullopt;
  for (size_t i = 0; i < starts.size(); ++i) {
    const uint32_t next = i + 1 < starts.size() ? starts[i + 1] : lead_out;
    if (starts[i] >= next) return std::nullopt;
  }
  Toc toc;
  toc.starts_ = std::move(starts);
  toc.audio_ = audio.empty() ? std::vector<bool>(toc.starts_.size(), true) : std::move(audio);
  toc.lead_out_ = lead_out;
  return toc;
}

uint32_t Toc::TrackEnd(int track) const {
  return track < TrackCount() ? starts_[track] : lead_out_;
}

int Toc::TrackAt(uint32_t frame) const {
  // The first start beyond the frame ends the search; the track before it holds the frame.
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), frame);
  return std::max(1, static_cast<int>(after - starts_.begin()));
}

int Toc::FirstAudioTrack() const {
  for (int t = 1; t <= TrackCount(); ++t) {
    if (IsAudio(t)) return t;
  }
  return 1;
}

uint32_t DiscIdentifier(const Toc& toc) {
  uint32_t id = 0;  // unsigned arithmetic wraps modulo 2^32, as the identifier does
  for (int t = 1; t <= toc.TrackCount(); ++t) {
    const Msf msf = ToMsf(toc.TrackStart(t));
    id += (msf.minutes << 16) | (msf.seconds << 8) | msf.frames;
  }
  // Short discs would collide too easily on the starts alone; Windows mixes in more of the TOC.
  if (toc.TrackCount() == 2) id += ToMsf(toc.TrackStart(1)).frames;
  if (toc.TrackCount() < 3) id += toc.LeadOut() - toc.TrackStart(1);
  return id;
}

}  // namespace cdaudio
