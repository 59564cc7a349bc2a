#include "platform/mcicd/commands.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/cdaudio/constants.h"

namespace mcicd {
namespace {

// The return flags a driver sets in its result's high word (mmddk.h), under names of our own so
// they mean the same in the emulation, whose headers are the program's and have no driver kit.
constexpr DWORD kResourceReturned = 0x00010000;  // MCI_RESOURCE_RETURNED
constexpr DWORD kColonized3 = 0x00020000;        // MCI_COLONIZED3_RETURN
constexpr DWORD kColonized4 = 0x00040000;        // MCI_COLONIZED4_RETURN
constexpr DWORD kIntegerReturned = 0x00080000;   // MCI_INTEGER_RETURNED
constexpr DWORD kResourceDriver = 0x00100000;    // MCI_RESOURCE_DRIVER

template <class Record>
Record* RecordOf(DWORD_PTR parms) {
  return reinterpret_cast<Record*>(parms);
}

std::optional<uint32_t> If(DWORD flags, DWORD flag, uint32_t value) {
  return flags & flag ? std::optional<uint32_t>(value) : std::nullopt;
}

// How a driver tells winmm what kind of answer dwReturn holds; the emulated winmm hands the
// caller the value alone, as the real one does after reading these flags.
DWORD ReturnFlags(const cdaudio::Answer& answer) {
  switch (answer.kind) {
    case cdaudio::ReturnKind::kInteger:
      return kIntegerReturned;
    case cdaudio::ReturnKind::kBoolean:
    case cdaudio::ReturnKind::kResource:
      return kResourceReturned;
    case cdaudio::ReturnKind::kDriverResource:
      return kResourceReturned | kResourceDriver;
    case cdaudio::ReturnKind::kMsf:
      return kColonized3;
    case cdaudio::ReturnKind::kTmsf:
      return kColonized4;
  }
  return 0;
}

bool Resource(const cdaudio::Answer& answer) {
  return (ReturnFlags(answer) & kResourceReturned) != 0;
}

class Translation {
 public:
  Translation(cdaudio::Device& device, DWORD flags, DWORD_PTR parms, const Options& options,
              Returned& returned)
      : device_(device),
        flags_(flags),
        parms_(parms),
        options_(options),
        returned_(returned),
        notify_(NotifyOf(flags, parms)) {}

  DWORD Run(UINT command) {
    switch (command) {
      case MCI_PLAY: {
        const auto* p = RecordOf<MCI_PLAY_PARMS>(parms_);
        return device_.Play(p ? If(flags_, MCI_FROM, p->dwFrom) : std::nullopt,
                            p ? If(flags_, MCI_TO, p->dwTo) : std::nullopt, notify_);
      }
      case MCI_SEEK: {
        const auto* p = RecordOf<MCI_SEEK_PARMS>(parms_);
        return device_.Seek((flags_ & MCI_SEEK_TO_START) != 0, (flags_ & MCI_SEEK_TO_END) != 0,
                            p ? If(flags_, MCI_TO, p->dwTo) : std::nullopt, notify_);
      }
      case MCI_STOP:
        return device_.Stop(notify_);
      case MCI_PAUSE:
        return device_.Pause(notify_);
      case MCI_RESUME:
        return device_.Resume(notify_);
      case MCI_SET:
        return Set();
      case MCI_STATUS: {
        auto* p = RecordOf<MCI_STATUS_PARMS>(parms_);
        cdaudio::StatusQuery query;
        query.item = If(flags_, MCI_STATUS_ITEM, p->dwItem);
        query.track = If(flags_, MCI_TRACK, p->dwTrack);
        query.start = (flags_ & MCI_STATUS_START) != 0;
        return Answered(device_.Status(query, notify_), p->dwReturn);
      }
      case MCI_GETDEVCAPS: {
        auto* p = RecordOf<MCI_GETDEVCAPS_PARMS>(parms_);
        return Answered(device_.GetDevCaps(If(flags_, MCI_GETDEVCAPS_ITEM, p->dwItem), notify_),
                        p->dwReturn);
      }
      case MCI_INFO:
        return options_.host == Host::kDriver ? Info(RecordOf<MCI_INFO_PARMSW>(parms_))
                                              : Info(RecordOf<MCI_INFO_PARMSA>(parms_));
      default:
        return cdaudio::Device::Refuse(command);
    }
  }

 private:
  DWORD Set() {
    // Audio channels and video are not the CD-audio driver's to switch.
    if (flags_ & (MCI_SET_AUDIO | MCI_SET_VIDEO | MCI_SET_ON | MCI_SET_OFF)) {
      return MCIERR_UNSUPPORTED_FUNCTION;
    }
    cdaudio::SetRequest request;
    if (flags_ & MCI_SET_TIME_FORMAT) {
      request.time_format = RecordOf<MCI_SET_PARMS>(parms_)->dwTimeFormat;
    }
    request.door_open = (flags_ & MCI_SET_DOOR_OPEN) != 0;
    request.door_closed = (flags_ & MCI_SET_DOOR_CLOSED) != 0;
    return device_.Set(request, notify_);
  }

  template <typename Field>
  DWORD Answered(const cdaudio::Answer& answer, Field& field) {
    if (answer.error != 0) return answer.error;
    returned_.value = answer.value;
    if (options_.host == Host::kWinmm) {
      field = answer.value;
      return 0;
    }
    field = Resource(answer) ? (answer.value & 0xFFFF) | (answer.resource_id << 16) : answer.value;
    return ReturnFlags(answer);
  }

  template <typename Record>
  DWORD Info(Record* p) {
    constexpr DWORD kItems = MCI_INFO_PRODUCT | MCI_INFO_FILE | MCI_INFO_MEDIA_UPC |
                             MCI_INFO_MEDIA_IDENTITY | MCI_INFO_NAME | MCI_INFO_COPYRIGHT;
    if (!p->lpstrReturn && p->dwRetSize != 0) return MCIERR_NULL_PARAMETER_BLOCK;
    cdaudio::TextAnswer answer = device_.Info(flags_ & kItems, p->dwRetSize, notify_);
    if (answer.error != 0) return answer.error;
    // Of several items the product answers before the identity.
    if ((flags_ & MCI_INFO_MEDIA_IDENTITY) && !(flags_ & MCI_INFO_PRODUCT) &&
        options_.imposed_identity) {
      answer.text = options_.imposed_identity->substr(0, p->dwRetSize - 1);
    }
    // The texts are ASCII, so a wide copy is the same characters.
    for (size_t i = 0; i <= answer.text.size(); ++i) {
      p->lpstrReturn[i] = static_cast<unsigned char>(answer.text.c_str()[i]);
    }
    returned_.value = answer.text.size();
    returned_.text = answer.text;
    return 0;
  }

  cdaudio::Device& device_;
  DWORD flags_;
  DWORD_PTR parms_;
  const Options& options_;
  Returned& returned_;
  cdaudio::Notify notify_;
};

}  // namespace

cdaudio::Notify NotifyOf(DWORD flags, DWORD_PTR parms) {
  if (!(flags & MCI_NOTIFY) || !parms) return std::nullopt;
  return RecordOf<MCI_GENERIC_PARMS>(parms)->dwCallback;
}

bool NeedsRecord(UINT command, DWORD flags) {
  if (flags & MCI_NOTIFY) return true;
  switch (command) {
    case MCI_OPEN:
    case MCI_STATUS:
    case MCI_GETDEVCAPS:
    case MCI_INFO:
      return true;
    case MCI_PLAY:
    case MCI_RECORD:
      return (flags & (MCI_FROM | MCI_TO)) != 0;
    case MCI_SEEK:
      return (flags & MCI_TO) != 0;
    case MCI_SET:
      return (flags & MCI_SET_TIME_FORMAT) != 0;
    default:
      return false;
  }
}

template <typename Char>
std::optional<char> DriveOfElement(const Char* element) {
  const auto at = [&](size_t i) { return static_cast<unsigned>(element[i]); };
  if (!element[0] || at(1) != ':' || element[2] || at(0) > 0x7F ||
      !std::isalpha(static_cast<int>(at(0)))) {
    return std::nullopt;
  }
  return static_cast<char>(std::toupper(static_cast<int>(at(0))));
}
template std::optional<char> DriveOfElement<char>(const char*);
template std::optional<char> DriveOfElement<WCHAR>(const WCHAR*);

DWORD RunCommand(cdaudio::Device& device, UINT command, DWORD flags, DWORD_PTR parms,
                 const Options& options, Returned* returned) {
  if (!parms && NeedsRecord(command, flags)) return MCIERR_NULL_PARAMETER_BLOCK;
  Returned ignored;
  return Translation(device, flags, parms, options, returned ? *returned : ignored).Run(command);
}

std::string CommandName(UINT command) {
  switch (command) {
    case MCI_OPEN:
      return "open";
    case MCI_CLOSE:
      return "close";
    case 0x0801:
      return "open-driver";
    case 0x0802:
      return "close-driver";
    case MCI_PLAY:
      return "play";
    case MCI_SEEK:
      return "seek";
    case MCI_STOP:
      return "stop";
    case MCI_PAUSE:
      return "pause";
    case MCI_RESUME:
      return "resume";
    case MCI_SET:
      return "set";
    case MCI_STATUS:
      return "status";
    case MCI_GETDEVCAPS:
      return "getdevcaps";
    case MCI_INFO:
      return "info";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "0x%04X", command);
      return text;
    }
  }
}

}  // namespace mcicd
