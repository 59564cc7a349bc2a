#include "platform/cdaudio/drive.h"

#include <algorithm>
#include <utility>

#include "platform/cdaudio/constants.h"

namespace cdaudio {

Drive::Drive(Clock clock) : clock_(std::move(clock)) {}

std::string Drive::Insert(Disc disc) {
  std::string problem = CheckDisc(disc);
  if (!problem.empty()) return problem;
  door_open_ = true;  // the old disc, if any, leaves through the open door
  Interrupt();
  toc_ = Toc::FromDisc(disc);
  disc_ = std::move(disc);
  door_open_ = false;
  Rewind();
  return {};
}

void Drive::Eject() {
  door_open_ = true;
  Interrupt();
  disc_.reset();
  toc_.reset();
  Rewind();
}

void Drive::OpenDoor() {
  door_open_ = true;
  Interrupt();
  Rewind();
}

void Drive::CloseDoor() {
  if (!door_open_) return;
  door_open_ = false;
  Rewind();
}

const Toc* Drive::ReadableToc() const {
  return door_open_ || !toc_ ? nullptr : &*toc_;
}

uint32_t Drive::TocError() const {
  if (door_open_ || !disc_) return kErrDeviceNotReady;
  if (!toc_) return kErrHardware;
  return kErrNone;
}

std::optional<VolumeInfo> Drive::Volume() const {
  if (door_open_ || !disc_) return std::nullopt;
  return VolumeOf(*disc_);
}

uint32_t Drive::Mode() const {
  if (door_open_) return kModeOpen;
  if (!toc_) return kModeNotReady;
  switch (head_) {
    case Head::kPlaying:
      return PlayOver(clock_()) ? kModeStop : kModePlay;
    case Head::kPaused:
      return kModePause;
    case Head::kStopped:
      break;
  }
  return kModeStop;
}

uint32_t Drive::Position() const {
  return head_ == Head::kPlaying ? PlayPosition(clock_()) : position_;
}

std::optional<uint64_t> Drive::NextEventMs() const {
  if (head_ != Head::kPlaying) return std::nullopt;
  return PlayEndMs();
}

void Drive::Poll() {
  if (head_ == Head::kPlaying && PlayOver(clock_())) EndPlay(Head::kStopped, true);
}

uint32_t Drive::Attach(bool shareable) {
  Poll();
  if (open_count_ > 0 && (!shareable || exclusive_)) return kErrMustUseShareable;
  // A fresh open finds the head at track 1 unless the disc still plays from an earlier open.
  if (open_count_ == 0 && head_ != Head::kPlaying) Rewind();
  ++open_count_;
  exclusive_ = !shareable;
  return kErrNone;
}

void Drive::Detach(PlayListener* listener) {
  // The play goes on (a CD drive plays by itself); only its listener goes away.
  if (listener_ == listener) listener_ = nullptr;
  if (open_count_ > 0) --open_count_;
  if (open_count_ == 0) exclusive_ = false;
}

uint32_t Drive::Play(std::optional<uint32_t> from, std::optional<uint32_t> to,
                     PlayListener* listener) {
  Poll();
  const uint32_t start = from.value_or(Position());
  Plan plan = PlanPlay(start, to);
  if (plan.error != kErrNone) return plan.error;
  Interrupt();
  head_ = Head::kPlaying;
  segments_ = std::move(plan.segments);
  play_frames_ = 0;
  for (const Segment& segment : segments_) play_frames_ += segment.end - segment.begin;
  play_to_ = segments_.empty() ? start : segments_.back().end;
  play_started_ms_ = clock_();
  listener_ = listener;
  return kErrNone;
}

void Drive::Stop() {
  Interrupt();
  head_ = Head::kStopped;
}

void Drive::Pause() {
  Poll();
  if (head_ == Head::kPlaying) EndPlay(Head::kPaused, false);
}

uint32_t Drive::Resume(PlayListener* listener) {
  Poll();
  if (head_ != Head::kPaused) return kErrHardware;
  return Play(position_, paused_to_, listener);
}

void Drive::Seek(uint32_t frame) {
  Interrupt();
  head_ = Head::kStopped;
  position_ = frame;
}

Drive::Plan Drive::PlanPlay(uint32_t from, std::optional<uint32_t> to) const {
  const Toc& toc = *toc_;
  Plan plan;
  if (from >= toc.LeadOut()) return {kErrOutOfRange, {}};
  uint32_t end = 0;
  if (to) {
    if (*to < from || *to > toc.LeadOut()) return {kErrOutOfRange, {}};
    end = *to;
  } else {
    // A disc's trailing data tracks are not part of "the end of the disc" for audio playback.
    int last_audio = 0;
    for (int t = 1; t <= toc.TrackCount(); ++t) {
      if (toc.IsAudio(t)) last_audio = t;
    }
    if (last_audio == 0 || toc.TrackEnd(last_audio) <= from) return {kErrOutOfRange, {}};
    end = toc.TrackEnd(last_audio);
  }
  for (int t = toc.TrackAt(from); t <= toc.TrackCount(); ++t) {
    const uint32_t begin = std::max(from, toc.TrackStart(t));
    if (begin >= end) break;
    if (!toc.IsAudio(t)) continue;
    const uint32_t stop = std::min(end, toc.TrackEnd(t));
    if (!plan.segments.empty() && plan.segments.back().end == begin) {
      plan.segments.back().end = stop;
    } else {
      plan.segments.push_back({begin, stop});
    }
  }
  // A play that lies wholly in a data track is accepted but has nothing to play: it is over as
  // soon as it starts, the head at its start and the drive stopped.
  return plan;
}

bool Drive::PlayOver(uint64_t now) const {
  return now >= PlayEndMs();
}

uint32_t Drive::PlayPosition(uint64_t now) const {
  uint64_t elapsed =
      now > play_started_ms_ ? (now - play_started_ms_) * kFramesPerSecond / 1000 : 0;
  if (elapsed >= play_frames_) return play_to_;
  for (const Segment& segment : segments_) {
    const uint32_t length = segment.end - segment.begin;
    if (elapsed < length) return segment.begin + static_cast<uint32_t>(elapsed);
    elapsed -= length;
  }
  return play_to_;
}

uint64_t Drive::PlayEndMs() const {
  // The first millisecond at which the elapsed frame count reaches the play's length.
  return play_started_ms_ +
         (uint64_t{play_frames_} * 1000 + kFramesPerSecond - 1) / kFramesPerSecond;
}

void Drive::EndPlay(Head next, bool completed) {
  position_ = PlayPosition(clock_());
  paused_to_ = play_to_;
  head_ = next;
  segments_.clear();
  // The listener may look at the drive: everything is settled before it hears of the end.
  if (PlayListener* listener = std::exchange(listener_, nullptr)) listener->PlayEnded(completed);
}

void Drive::Interrupt() {
  Poll();
  if (head_ == Head::kPlaying) EndPlay(Head::kStopped, false);
}

void Drive::Rewind() {
  head_ = Head::kStopped;
  position_ = toc_ ? toc_->TrackStart(1) : kFirstTrackStart;
  segments_.clear();
}

}  // namespace cdaudio
