#include "platform/cdaudio/device.h"

#include <utility>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/time_format.h"

namespace cdaudio {
namespace {

Answer Failed(uint32_t error) {
  return {error, 0, ReturnKind::kInteger, 0};
}

Answer Boolean(bool value) {
  return {kErrNone, value ? 1u : 0u, ReturnKind::kBoolean, value ? kResourceTrue : kResourceFalse};
}

Answer Integer(uint32_t value) {
  return {kErrNone, value, ReturnKind::kInteger, 0};
}

ReturnKind PositionKind(uint32_t format) {
  if (format == kFormatMsf) return ReturnKind::kMsf;
  if (format == kFormatTmsf) return ReturnKind::kTmsf;
  return ReturnKind::kInteger;
}

}  // namespace

Device::Opened Device::Open(Drive& drive, uint32_t device_id, const OpenOptions& options,
                            NotifySink sink, Notify notify) {
  if (const uint32_t error = drive.Attach(options.shareable); error != kErrNone) return {error, {}};
  std::unique_ptr<Device> device(new Device(drive, device_id, options, std::move(sink)));
  device->Complete(notify);
  return {kErrNone, std::move(device)};
}

Device::Device(Drive& drive, uint32_t device_id, const OpenOptions& options, NotifySink sink)
    : drive_(drive),
      device_id_(device_id),
      options_(options),
      sink_(std::move(sink)),
      time_format_(kFormatMsf) {}

Device::~Device() {
  if (open_) drive_.Detach(this);
}

uint32_t Device::Close(Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  if (pending_) Post(*std::exchange(pending_, std::nullopt), kNotifyAborted);
  drive_.Detach(this);
  open_ = false;
  Complete(notify);
  return kErrNone;
}

uint32_t Device::Play(std::optional<uint32_t> from, std::optional<uint32_t> to, Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  if (const uint32_t error = drive_.TocError(); error != kErrNone) return error;
  const Toc& toc = *drive_.ReadableToc();
  std::optional<uint32_t> from_frame;
  std::optional<uint32_t> to_frame;
  if (from && !(from_frame = DecodePosition(*from, time_format_, toc))) return kErrOutOfRange;
  if (to && !(to_frame = DecodePosition(*to, time_format_, toc))) return kErrOutOfRange;
  if (const uint32_t error = drive_.Play(from_frame, to_frame, this); error != kErrNone) {
    return error;
  }
  AwaitPlay(notify);
  return kErrNone;
}

uint32_t Device::Seek(bool to_start, bool to_end, std::optional<uint32_t> to, Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  const int targets = int{to_start} + int{to_end} + int{to.has_value()};
  if (targets == 0) return kErrMissingParameter;
  if (targets > 1) return kErrFlagsNotCompatible;
  if (const uint32_t error = drive_.TocError(); error != kErrNone) return error;
  const Toc& toc = *drive_.ReadableToc();
  std::optional<uint32_t> frame;
  if (to_start) {
    frame = toc.TrackStart(toc.FirstAudioTrack());
  } else if (to_end) {
    frame = toc.LeadOut();
  } else if (!(frame = DecodePosition(*to, time_format_, toc))) {
    return kErrOutOfRange;
  }
  drive_.Seek(*frame);
  Complete(notify);
  return kErrNone;
}

uint32_t Device::Stop(Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  if (const uint32_t error = drive_.TocError(); error != kErrNone) return error;
  drive_.Stop();
  Complete(notify);
  return kErrNone;
}

uint32_t Device::Pause(Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  if (const uint32_t error = drive_.TocError(); error != kErrNone) return error;
  drive_.Pause();
  Complete(notify);
  return kErrNone;
}

uint32_t Device::Resume(Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  if (!options_.resume_supported) return kErrUnsupportedFunction;
  if (const uint32_t error = drive_.TocError(); error != kErrNone) return error;
  if (const uint32_t error = drive_.Resume(this); error != kErrNone) return error;
  AwaitPlay(notify);
  return kErrNone;
}

uint32_t Device::Set(const SetRequest& request, Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return error;
  if (!request.time_format && !request.door_open && !request.door_closed) {
    return kErrMissingParameter;
  }
  if (request.door_open && request.door_closed) return kErrFlagsNotCompatible;
  if (request.time_format && !IsTimeFormat(*request.time_format)) return kErrBadTimeFormat;
  if (request.time_format) time_format_ = *request.time_format;
  if (request.door_open) drive_.OpenDoor();
  if (request.door_closed) drive_.CloseDoor();
  Complete(notify);
  return kErrNone;
}

Answer Device::Status(const StatusQuery& query, Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return Failed(error);
  Answer answer = StatusOf(query);
  if (answer.error == kErrNone) Complete(notify);
  return answer;
}

Answer Device::StatusOf(const StatusQuery& query) const {
  if (!query.item) return Failed(kErrMissingParameter);
  if (query.start && (*query.item != kStatusPosition || query.track)) {
    return Failed(kErrFlagsNotCompatible);
  }
  const Toc* toc = drive_.ReadableToc();
  // Items that read the disc share their refusals: no disc, then a track that is not on it.
  const auto check_disc = [&](bool with_track) -> uint32_t {
    if (!toc) return drive_.TocError();
    if (with_track && query.track &&
        (*query.track < 1 || *query.track > static_cast<uint32_t>(toc->TrackCount()))) {
      return kErrOutOfRange;
    }
    return kErrNone;
  };
  switch (*query.item) {
    case kStatusLength: {
      if (const uint32_t error = check_disc(true); error != kErrNone) return Failed(error);
      uint32_t frames = toc->LeadOut() - toc->TrackStart(1) - 1;
      if (query.track) {
        const int t = static_cast<int>(*query.track);
        frames = toc->TrackEnd(t) - toc->TrackStart(t) - (t == toc->TrackCount() ? 1 : 0);
      }
      const uint32_t value = EncodeLength(frames, time_format_);
      return {kErrNone, value,
              time_format_ == kFormatMilliseconds ? ReturnKind::kInteger : ReturnKind::kMsf, 0};
    }
    case kStatusPosition: {
      if (const uint32_t error = check_disc(true); error != kErrNone) return Failed(error);
      uint32_t frame = drive_.Position();
      if (query.track) frame = toc->TrackStart(static_cast<int>(*query.track));
      if (query.start) frame = toc->TrackStart(1);
      return {kErrNone, EncodePosition(frame, time_format_, *toc), PositionKind(time_format_), 0};
    }
    case kStatusNumberOfTracks:
      if (const uint32_t error = check_disc(false); error != kErrNone) return Failed(error);
      return Integer(static_cast<uint32_t>(toc->TrackCount()));
    case kStatusMode: {
      uint32_t mode = drive_.Mode();
      if (mode == kModePause && options_.pause_reads_stopped) mode = kModeStop;
      return {kErrNone, mode, ReturnKind::kResource, mode};
    }
    case kStatusMediaPresent:
      return Boolean(!drive_.DoorOpen() && drive_.LoadedDisc() != nullptr);
    case kStatusTimeFormat:
      return {kErrNone, time_format_, ReturnKind::kResource,
              kResourceFormatReturnBase + time_format_};
    case kStatusReady:
      return Boolean(toc != nullptr);
    case kStatusCurrentTrack:
      if (const uint32_t error = check_disc(false); error != kErrNone) return Failed(error);
      return Integer(static_cast<uint32_t>(toc->TrackAt(drive_.Position())));
    case kStatusTypeTrack: {
      if (!query.track) return Failed(kErrMissingParameter);
      if (const uint32_t error = check_disc(true); error != kErrNone) return Failed(error);
      const uint32_t type =
          toc->IsAudio(static_cast<int>(*query.track)) ? kTrackAudio : kTrackOther;
      return {kErrNone, type, ReturnKind::kDriverResource, type};
    }
    default:
      return Failed(kErrUnsupportedFunction);
  }
}

Answer Device::GetDevCaps(std::optional<uint32_t> item, Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return Failed(error);
  if (!item) return Failed(kErrMissingParameter);
  Answer answer;
  switch (*item) {
    case kCapsCanRecord:
    case kCapsHasVideo:
    case kCapsUsesFiles:
    case kCapsCompoundDevice:
    case kCapsCanSave:
      answer = Boolean(false);
      break;
    case kCapsHasAudio:
    case kCapsCanEject:
    case kCapsCanPlay:
      answer = Boolean(true);
      break;
    case kCapsDeviceType:
      answer = {kErrNone, kDevTypeCdAudio, ReturnKind::kResource, kDevTypeCdAudio};
      break;
    default:
      return Failed(kErrUnsupportedFunction);
  }
  Complete(notify);
  return answer;
}

TextAnswer Device::Info(uint32_t item, size_t buffer_size, Notify notify) {
  if (const uint32_t error = Begin(); error != kErrNone) return {error, {}};
  if (item == 0) return {kErrMissingParameter, {}};
  if (buffer_size == 0) return {kErrParamOverflow, {}};
  // Several items are not refused: the driver answers the first it knows in this order.
  for (const uint32_t first : {kInfoProduct, kInfoMediaUpc, kInfoMediaIdentity}) {
    if (item & first) {
      item = first;
      break;
    }
  }
  std::string text;
  if (item == kInfoProduct) {
    text = "CD Audio";
  } else if (item == kInfoMediaIdentity) {
    if (const uint32_t error = drive_.TocError(); error != kErrNone) return {error, {}};
    text = std::to_string(DiscIdentifier(*drive_.ReadableToc()));
  } else if (item == kInfoMediaUpc) {
    // No disc here carries a catalogue number (the UPC/EAN of its subchannel).
    if (const uint32_t error = drive_.TocError(); error != kErrNone) return {error, {}};
    return {kErrNoIdentity, {}};
  } else {
    return {kErrUnsupportedFunction, {}};
  }
  if (text.size() >= buffer_size) text.resize(buffer_size - 1);
  Complete(notify);
  return {kErrNone, std::move(text)};
}

uint32_t Device::Refuse(uint32_t command) {
  switch (command) {
    case kCmdRecord:
    case kCmdLoad:
    case kCmdSave:
      return kErrUnsupportedFunction;
    default:
      return kErrUnrecognizedCommand;
  }
}

void Device::PlayEnded(bool completed) {
  if (!pending_ || (completed && !options_.notify_at_end)) return;
  Post(*std::exchange(pending_, std::nullopt), completed ? kNotifySuccessful : kNotifyAborted);
}

uint32_t Device::Begin() {
  if (!open_) return kErrInvalidDeviceId;
  drive_.Poll();
  return kErrNone;
}

void Device::Complete(const Notify& notify) {
  if (!notify) return;
  if (pending_) Post(*std::exchange(pending_, std::nullopt), kNotifySuperseded);
  Post(*notify, kNotifySuccessful);
}

void Device::AwaitPlay(const Notify& notify) {
  if (notify) {
    if (pending_) Post(*std::exchange(pending_, std::nullopt), kNotifySuperseded);
    pending_ = notify;
  }
  // A play of nothing (from == to) is over as soon as it starts.
  drive_.Poll();
}

void Device::Post(uintptr_t callback, uint32_t outcome) {
  if (sink_) sink_(callback, outcome, device_id_);
}

}  // namespace cdaudio
