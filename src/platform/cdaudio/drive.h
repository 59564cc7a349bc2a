// The physical CD-ROM drive: the disc, the door and the playback head. The hardware side (insert,
// eject) is public for the machine's owner; the transport is driven through Device (device.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/cdaudio/disc.h"
#include "platform/cdaudio/toc.h"
#include "platform/cdaudio/volume.h"

namespace cdaudio {

// Milliseconds on the machine's clock. Never the system clock: tests and the emulation step a
// manual clock, the Windows driver hands in GetTickCount64.
using Clock = std::function<uint64_t()>;

// Told when the play it started ends: `completed` at its natural end, otherwise interrupted
// (stop, pause, seek, another play, the door opening).
class PlayListener {
 public:
  virtual void PlayEnded(bool completed) = 0;

 protected:
  ~PlayListener() = default;
};

class Drive {
 public:
  explicit Drive(Clock clock);
  Drive(const Drive&) = delete;
  Drive& operator=(const Drive&) = delete;
  // Every Device opened on the drive must be gone before the drive.
  ~Drive() = default;

  // --- Hardware side ---------------------------------------------------------------------------
  // Puts a disc in and closes the door (a disc already there is taken out first). Returns why the
  // disc cannot be used (CheckDisc) and then changes nothing; empty on success.
  std::string Insert(Disc disc);
  // Opens the door and takes the disc out.
  void Eject();
  // Opens the door; the disc stays on the tray and comes back in with CloseDoor.
  void OpenDoor();
  // Closes the door; a disc on the tray is loaded with the head at the start of track 1.
  void CloseDoor();

  bool DoorOpen() const { return door_open_; }
  // The disc in the drive or on its open tray, if any.
  const Disc* LoadedDisc() const { return disc_ ? &*disc_ : nullptr; }
  // The TOC when the door is closed on a readable disc, otherwise null.
  const Toc* ReadableToc() const;
  // Why the TOC cannot be read: 0 (it can), kErrDeviceNotReady (no disc, door open) or
  // kErrHardware (blank disc).
  uint32_t TocError() const;
  // GetVolumeInformationA's answer; none (the call fails) for no disc, open door, blank disc.
  std::optional<VolumeInfo> Volume() const;

  // --- Playback head, as of the clock's present --------------------------------------------------
  // MCI mode number: open (door), not ready (no readable disc), stopped, playing or paused.
  uint32_t Mode() const;
  // Absolute frame under the head. While playing it advances one frame per 1/75 s and stays at
  // the end of the play once that is reached, even before Poll runs.
  uint32_t Position() const;
  // When the running play reaches its end (possibly already past); none when nothing plays.
  std::optional<uint64_t> NextEventMs() const;
  // Ends a play whose end has come: mode stopped, head at the play's end, its listener told.
  // The host calls it when its clock reaches NextEventMs(); every Device command calls it first.
  void Poll();

  int OpenCount() const { return open_count_; }

 private:
  friend class Device;

  struct Segment {
    uint32_t begin = 0;  // [begin, end) in absolute frames of audio
    uint32_t end = 0;
  };
  struct Plan {
    uint32_t error = 0;
    std::vector<Segment> segments;
  };
  enum class Head { kStopped, kPlaying, kPaused };

  // --- For Device; positions are absolute frames already checked against the TOC --------------
  uint32_t Attach(bool shareable);
  void Detach(PlayListener* listener);
  // From `from` (default: the head) to `to` (default: the end of the last audio track), skipping
  // data tracks. kErrOutOfRange when nothing can be played that way; a failed play changes nothing.
  uint32_t Play(std::optional<uint32_t> from, std::optional<uint32_t> to, PlayListener* listener);
  void Stop();
  void Pause();
  // kErrHardware when nothing is paused.
  uint32_t Resume(PlayListener* listener);
  void Seek(uint32_t frame);

  Plan PlanPlay(uint32_t from, std::optional<uint32_t> to) const;
  bool PlayOver(uint64_t now) const;
  uint32_t PlayPosition(uint64_t now) const;
  uint64_t PlayEndMs() const;
  // Settles the play state (head, position) before telling the listener, in case it looks.
  void EndPlay(Head next, bool completed);
  // Stops a running play where the head is and tells its listener it was interrupted.
  void Interrupt();
  void Rewind();

  Clock clock_;
  std::optional<Disc> disc_;
  std::optional<Toc> toc_;
  bool door_open_ = false;

  Head head_ = Head::kStopped;
  uint32_t position_ = kFirstTrackStart;  // while stopped or paused
  uint32_t paused_to_ = 0;                // where the paused play was going
  std::vector<Segment> segments_;         // the running play
  uint32_t play_frames_ = 0;
  uint32_t play_to_ = 0;
  uint64_t play_started_ms_ = 0;
  PlayListener* listener_ = nullptr;

  int open_count_ = 0;
  bool exclusive_ = false;
};

}  // namespace cdaudio
