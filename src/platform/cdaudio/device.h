// One MCI open of a CD drive: the cdaudio driver's answers to the MCI commands.
//
// The host (the emulated winmm, or a Windows MCI driver DLL) decodes the command records and flags
// and calls the matching method; every method returns the MCI error number (0 on success) and its
// out-values. Completion messages go through the NotifySink, which is called synchronously from
// inside the method (or Drive::Poll) that produced them: the host turns each call into a posted
// MM_MCINOTIFY, so the program sees it later, as on Windows. The sink must not call back into the
// core.
//
// Notification rules. A pending notification is the MCI_NOTIFY request of a play (Play or Resume)
// on this open. A command that fails posts nothing and changes nothing. When a command succeeds:
//  - a play it interrupts (Play, Stop, Pause, Seek, the door opening - also through another open or
//    the hardware) ends that play's pending notification with ABORTED; Close aborts its own pending
//    play notification although the drive plays on;
//  - if it asked for a notification and one is still pending (say a Status while playing), that one
//    gets SUPERSEDED and the play goes on silently;
//  - then its own request: SUCCESSFUL at once, except Play and Resume, whose SUCCESSFUL comes
//    when the play reaches its end (Drive::Poll) with OpenOptions::notify_at_end - and never
//    without it (NT): then the request stays pending after the end until a later request
//    supersedes it or Close aborts it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/cdaudio/drive.h"

namespace cdaudio {

// An MCI_NOTIFY request with the caller's opaque dwCallback value; none without MCI_NOTIFY.
using Notify = std::optional<uintptr_t>;
// Receives (callback value, outcome kNotify*, device id).
using NotifySink = std::function<void(uintptr_t callback, uint32_t outcome, uint32_t device_id)>;

struct OpenOptions {
  bool shareable = false;  // MCI_OPEN_SHAREABLE
  // Windows 9x drivers refuse MCI_RESUME (kErrUnsupportedFunction); NT ones support it.
  bool resume_supported = true;
  // NT drivers answer kModeStop to a mode query while paused; 9x ones kModePause.
  bool pause_reads_stopped = false;
  // Whether a play that reaches its end reports SUCCESSFUL, as documented (and as the 9x
  // drivers are taken to do). NT drivers keep the notification pending instead, until a later
  // command with MCI_NOTIFY supersedes it: the strict answer, and so the default.
  bool notify_at_end = false;
};

// How an answer reads in MCI's string interface and which return flags a driver DLL sets.
enum class ReturnKind {
  kInteger,         // a number (MCI_INTEGER_RETURNED)
  kBoolean,         // 1 / 0; resource_id names "true" / "false" (MCI_RESOURCE_RETURNED)
  kResource,        // value with a string of winmm's table, resource_id (MCI_RESOURCE_RETURNED)
  kDriverResource,  // value with a string of the driver's table (adds MCI_RESOURCE_DRIVER)
  kMsf,             // packed MSF, shown as mm:ss:ff (MCI_COLONIZED3_RETURN)
  kTmsf,            // packed TMSF, shown as tt:mm:ss:ff (MCI_COLONIZED4_RETURN)
};

struct Answer {
  uint32_t error = 0;
  uint32_t value = 0;  // dwReturn
  ReturnKind kind = ReturnKind::kInteger;
  uint32_t resource_id = 0;  // for kBoolean, kResource, kDriverResource
};

struct TextAnswer {
  uint32_t error = 0;
  std::string text;  // already cut to fit the caller's buffer with its terminating zero
};

struct StatusQuery {
  std::optional<uint32_t> item;   // MCI_STATUS_ITEM's dwItem; none: the flag was missing
  std::optional<uint32_t> track;  // MCI_TRACK's dwTrack
  bool start = false;             // MCI_STATUS_START
};

struct SetRequest {
  std::optional<uint32_t> time_format;  // MCI_SET_TIME_FORMAT
  bool door_open = false;               // MCI_SET_DOOR_OPEN
  bool door_closed = false;             // MCI_SET_DOOR_CLOSED
};

class Device final : private PlayListener {
 public:
  struct Opened {
    uint32_t error = 0;
    std::unique_ptr<Device> device;  // set on success
  };

  // MCI_OPEN on `drive`; `device_id` is the id the host hands out. Fails with
  // kErrMustUseShareable when the drive is already open and either open is not shareable.
  // Needs no disc. After it: time format MSF; the head at the start of track 1 unless the drive
  // still plays (a CD drive plays on after the open that started it has closed).
  static Opened Open(Drive& drive, uint32_t device_id, const OpenOptions& options, NotifySink sink,
                     Notify notify = {});
  // Leaves the drive without a notification when Close was not called.
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // MCI_CLOSE. The drive keeps playing; the pending play notification is ABORTED. Every later
  // call answers kErrInvalidDeviceId.
  uint32_t Close(Notify notify = {});
  // MCI_PLAY with MCI_FROM / MCI_TO in the time format. Without from: the head's position; without
  // to: the end of the last audio track. Data tracks are skipped; a play that lies wholly in a data
  // track is accepted and over at once (mode stopped, the head at its start), like a play of
  // nothing. kErrOutOfRange for a position outside the disc (see
  // DecodePosition), an end before the start, or a start at or past the end of the audio.
  uint32_t Play(std::optional<uint32_t> from, std::optional<uint32_t> to, Notify notify = {});
  // MCI_SEEK: exactly one of MCI_SEEK_TO_START (the first audio track), MCI_SEEK_TO_END (the
  // lead-out), MCI_TO (none: kErrMissingParameter; more: kErrFlagsNotCompatible). Stops a play.
  uint32_t Seek(bool to_start, bool to_end, std::optional<uint32_t> to, Notify notify = {});
  uint32_t Stop(Notify notify = {});
  // Keeps the position; nothing happens unless the disc plays.
  uint32_t Pause(Notify notify = {});
  // Plays on from a pause to where the paused play was going; kErrHardware with nothing paused.
  uint32_t Resume(Notify notify = {});
  // MCI_SET: time format (kErrBadTimeFormat unless ms, MSF or TMSF) and/or the door. No field:
  // kErrMissingParameter; door open and closed together: kErrFlagsNotCompatible. MCI_SET_AUDIO /
  // _VIDEO are the host's to refuse (kErrUnsupportedFunction).
  uint32_t Set(const SetRequest& request, Notify notify = {});
  // MCI_STATUS: kStatus* items. Position and length in the time format (length always as MSF in
  // TMSF); with a track: that track's start / length (the last one frame short). Unknown item:
  // kErrUnsupportedFunction; track out of range: kErrOutOfRange; kStatusTypeTrack needs a track.
  // With start: only kStatusPosition without a track (the disc's start), anything else
  // kErrFlagsNotCompatible. While paused the mode reads kModeStop where
  // OpenOptions::pause_reads_stopped says so.
  Answer Status(const StatusQuery& query, Notify notify = {});
  // MCI_GETDEVCAPS: kCaps* items; none: kErrMissingParameter; unknown: kErrUnsupportedFunction.
  Answer GetDevCaps(std::optional<uint32_t> item, Notify notify = {});
  // MCI_INFO with kInfo* flags (0: kErrMissingParameter) and the caller's buffer size in bytes
  // (0: kErrParamOverflow). Of several flags one answers: product, then UPC, then identity.
  // kInfoProduct "CD Audio"; kInfoMediaIdentity the DiscIdentifier in decimal; kInfoMediaUpc
  // kErrNoIdentity (no disc has a catalogue number); others kErrUnsupportedFunction.
  TextAnswer Info(uint32_t item, size_t buffer_size, Notify notify = {});
  // The answer to a command this driver has no method for: kErrUnsupportedFunction for MCI_RECORD,
  // MCI_LOAD and MCI_SAVE, kErrUnrecognizedCommand for the rest (MCI_WHERE, MCI_STEP, ...).
  static uint32_t Refuse(uint32_t command);

  // The machine's owner may change whether the end of a play is reported while the device is open.
  void SetNotifyAtEnd(bool notify) { options_.notify_at_end = notify; }

  uint32_t DeviceId() const { return device_id_; }
  uint32_t TimeFormat() const { return time_format_; }
  bool IsOpen() const { return open_; }

 private:
  Device(Drive& drive, uint32_t device_id, const OpenOptions& options, NotifySink sink);

  void PlayEnded(bool completed) override;
  // Settles the drive and says whether a command can run at all.
  uint32_t Begin();
  // After a command other than a play succeeded: supersede, then report it.
  void Complete(const Notify& notify);
  // After a play started: supersede anything left, then wait for its end.
  void AwaitPlay(const Notify& notify);
  void Post(uintptr_t callback, uint32_t outcome);
  Answer StatusOf(const StatusQuery& query) const;

  Drive& drive_;
  uint32_t device_id_;
  OpenOptions options_;
  NotifySink sink_;
  bool open_ = true;
  uint32_t time_format_;
  std::optional<uintptr_t> pending_;  // the notification a running play owes
};

}  // namespace cdaudio
