// winmm: mciSendCommandA and mciGetErrorStringA. The "cdaudio" driver is the CD-audio core
// (platform/cdaudio) over the machine's CD-ROM drives; this file only decodes the command records,
// hands out device IDs, keeps the trace and posts the completions the core reports.
//
// Every call into the core is made with the machine's lock held (the drives' clock reads the
// machine's time under it). Completions are collected while the lock is held and posted after it
// is released, so none is ever delivered inside the command that caused it.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/errors.h"
#include "platform/emu/machine_impl.h"

namespace {

using emu::MciCall;
using emu::MciState;

// What a failure made with FailNext("mciSendCommandA") answers when it names no error.
constexpr MCIERROR kInjectedFailure = MCIERR_HARDWARE;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// "D:" (either case) names drive D. Only that form opens a CD drive on every Windows: "D:\\"
// fails on 9x and older NT, so it fails here too.
std::optional<char> DriveOfElement(std::string_view element) {
  if (element.size() != 2 || element[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(element[0]))) {
    return std::nullopt;
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(element[0])));
}

template <class Record>
Record* RecordOf(DWORD_PTR param) {
  return reinterpret_cast<Record*>(param);
}

// The flags that make a command read or write its record; without a record they cannot be served.
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

// Copies into the trace what the program put into the record, as far as its flags name it.
void ReadRecord(UINT command, DWORD flags, DWORD_PTR param, MciCall& call) {
  if (!param) return;
  call.record = true;
  call.callback = RecordOf<MCI_GENERIC_PARMS>(param)->dwCallback;
  switch (command) {
    case MCI_OPEN: {
      const auto* p = RecordOf<MCI_OPEN_PARMSA>(param);
      if ((flags & MCI_OPEN_TYPE) && !(flags & MCI_OPEN_TYPE_ID) && p->lpstrDeviceType) {
        call.deviceType = p->lpstrDeviceType;
      }
      if ((flags & MCI_OPEN_ELEMENT) && p->lpstrElementName) call.element = p->lpstrElementName;
      break;
    }
    case MCI_PLAY:
    case MCI_RECORD: {
      const auto* p = RecordOf<MCI_PLAY_PARMS>(param);
      if (flags & MCI_FROM) call.from = p->dwFrom;
      if (flags & MCI_TO) call.to = p->dwTo;
      break;
    }
    case MCI_SEEK:
      if (flags & MCI_TO) call.to = RecordOf<MCI_SEEK_PARMS>(param)->dwTo;
      break;
    case MCI_STATUS: {
      const auto* p = RecordOf<MCI_STATUS_PARMS>(param);
      if (flags & MCI_STATUS_ITEM) call.item = p->dwItem;
      if (flags & MCI_TRACK) call.track = p->dwTrack;
      break;
    }
    case MCI_GETDEVCAPS:
      if (flags & MCI_GETDEVCAPS_ITEM) call.item = RecordOf<MCI_GETDEVCAPS_PARMS>(param)->dwItem;
      break;
    case MCI_SET:
      if (flags & MCI_SET_TIME_FORMAT)
        call.timeFormat = RecordOf<MCI_SET_PARMS>(param)->dwTimeFormat;
      break;
    case MCI_STEP:
      if (flags & MCI_ANIM_STEP_FRAMES)
        call.frames = RecordOf<MCI_ANIM_STEP_PARMS>(param)->dwFrames;
      break;
    case MCI_WINDOW:
      if (flags & MCI_ANIM_WINDOW_HWND) {
        call.window = reinterpret_cast<uintptr_t>(RecordOf<MCI_ANIM_WINDOW_PARMSA>(param)->hWnd);
      }
      break;
    default:
      break;
  }
}

// A device belongs to its process: when that has ended, its devices are closed (silently, as the
// system cleans up after a process).
void ReapEndedLocked(emu::Machine::Impl& impl) {
  std::erase_if(impl.mci.devices, [&](const auto& entry) {
    const int pid = entry.second.pid;
    if (pid == 0) return false;
    auto it = impl.processes.find(pid);
    return it == impl.processes.end() || !it->second->running;
  });
}

class Winmm {
 public:
  Winmm(emu::Machine::Impl& impl, MciCall& call) : impl_(impl), mci_(impl.mci), call_(call) {}

  MCIERROR Send(MCIDEVICEID id, UINT command, DWORD flags, DWORD_PTR param) {
    if (!param && NeedsRecord(command, flags)) return MCIERR_NULL_PARAMETER_BLOCK;
    const cdaudio::Notify notify =
        flags & MCI_NOTIFY ? cdaudio::Notify(RecordOf<MCI_GENERIC_PARMS>(param)->dwCallback)
                           : std::nullopt;
    if (command == MCI_OPEN) return Open(flags, RecordOf<MCI_OPEN_PARMSA>(param), notify);
    auto it = mci_.devices.find(id);
    if (it == mci_.devices.end() || it->second.pid != call_.pid) return MCIERR_INVALID_DEVICE_ID;
    cdaudio::Device& device = *it->second.device;
    switch (command) {
      case MCI_CLOSE: {
        const uint32_t error = device.Close(notify);
        if (error == 0) mci_.devices.erase(it);
        return error;
      }
      case MCI_PLAY: {
        const auto* p = RecordOf<MCI_PLAY_PARMS>(param);
        return device.Play(flags & MCI_FROM ? std::optional<uint32_t>(p->dwFrom) : std::nullopt,
                           flags & MCI_TO ? std::optional<uint32_t>(p->dwTo) : std::nullopt,
                           notify);
      }
      case MCI_SEEK:
        return device.Seek((flags & MCI_SEEK_TO_START) != 0, (flags & MCI_SEEK_TO_END) != 0,
                           flags & MCI_TO
                               ? std::optional<uint32_t>(RecordOf<MCI_SEEK_PARMS>(param)->dwTo)
                               : std::nullopt,
                           notify);
      case MCI_STOP:
        return device.Stop(notify);
      case MCI_PAUSE:
        return device.Pause(notify);
      case MCI_RESUME:
        return device.Resume(notify);
      case MCI_SET:
        return Set(device, flags, RecordOf<MCI_SET_PARMS>(param), notify);
      case MCI_STATUS:
        return Status(device, flags, RecordOf<MCI_STATUS_PARMS>(param), notify);
      case MCI_GETDEVCAPS:
        return DevCaps(device, flags, RecordOf<MCI_GETDEVCAPS_PARMS>(param), notify);
      case MCI_INFO:
        return Info(device, flags, RecordOf<MCI_INFO_PARMSA>(param), notify);
      default:
        return cdaudio::Device::Refuse(command);
    }
  }

 private:
  MCIERROR Open(DWORD flags, MCI_OPEN_PARMSA* p, const cdaudio::Notify& notify) {
    const bool byType = (flags & MCI_OPEN_TYPE) != 0;
    const bool byTypeId = byType && (flags & MCI_OPEN_TYPE_ID) != 0;
    const bool hasElement = (flags & MCI_OPEN_ELEMENT) && p->lpstrElementName;
    if (!byType && !hasElement) return MCIERR_MISSING_DEVICE_NAME;
    // The driver is chosen by the type; an element alone would need a file extension.
    if (!byType) return MCIERR_INVALID_DEVICE_NAME;
    bool cdaudio = false;
    if (byTypeId) {
      cdaudio = LOWORD(reinterpret_cast<uintptr_t>(p->lpstrDeviceType)) == MCI_DEVTYPE_CD_AUDIO;
    } else {
      cdaudio = p->lpstrDeviceType && EqualsIgnoringCase(p->lpstrDeviceType, "cdaudio");
    }
    if (!cdaudio) return MCIERR_CANNOT_LOAD_DRIVER;

    std::optional<char> letter;
    for (const auto& [l, drive] : impl_.drives) {
      if (drive.cd) {
        letter = l;
        break;
      }
    }
    // With no CD drive at all the cdaudio driver does not load.
    if (!letter) return MCIERR_CANNOT_LOAD_DRIVER;
    if (hasElement && *p->lpstrElementName) {
      letter = DriveOfElement(p->lpstrElementName);
      auto it = letter ? impl_.drives.find(*letter) : impl_.drives.end();
      // The cdaudio driver takes the element as a file of its own: anything but a CD drive's
      // root is a file it cannot play.
      if (it == impl_.drives.end() || !it->second.cd) return MCIERR_INVALID_FILE;
    }

    cdaudio::OpenOptions options;
    options.shareable = (flags & MCI_OPEN_SHAREABLE) != 0;
    options.resume_supported = impl_.platform == emu::Platform::NT;
    options.pause_reads_stopped = impl_.platform == emu::Platform::NT;
    options.notify_at_end = mci_.notifyAtEnd;
    const UINT id = mci_.nextId;
    MciState& mci = mci_;
    cdaudio::Device::Opened opened = cdaudio::Device::Open(
        *impl_.drives.at(*letter).cd, id, options,
        [&mci](uintptr_t callback, uint32_t outcome, uint32_t device) {
          mci.outbox.push_back(MciState::Completion{callback, outcome, device});
        },
        notify);
    if (opened.error != 0) return opened.error;
    ++mci_.nextId;
    mci_.devices[id] =
        MciState::OpenDevice{call_.pid, *letter, options.shareable, std::move(opened.device)};
    p->wDeviceID = id;
    call_.returned = id;
    return 0;
  }

  MCIERROR Set(cdaudio::Device& device, DWORD flags, const MCI_SET_PARMS* p,
               const cdaudio::Notify& notify) {
    // Audio channels and video are not the CD-audio driver's to switch.
    if (flags & (MCI_SET_AUDIO | MCI_SET_VIDEO | MCI_SET_ON | MCI_SET_OFF)) {
      return MCIERR_UNSUPPORTED_FUNCTION;
    }
    cdaudio::SetRequest request;
    if (flags & MCI_SET_TIME_FORMAT) request.time_format = p->dwTimeFormat;
    request.door_open = (flags & MCI_SET_DOOR_OPEN) != 0;
    request.door_closed = (flags & MCI_SET_DOOR_CLOSED) != 0;
    return device.Set(request, notify);
  }

  MCIERROR Status(cdaudio::Device& device, DWORD flags, MCI_STATUS_PARMS* p,
                  const cdaudio::Notify& notify) {
    cdaudio::StatusQuery query;
    if (flags & MCI_STATUS_ITEM) query.item = p->dwItem;
    if (flags & MCI_TRACK) query.track = p->dwTrack;
    query.start = (flags & MCI_STATUS_START) != 0;
    const cdaudio::Answer answer = device.Status(query, notify);
    if (answer.error == 0) {
      // Resource-style answers keep only their value, as winmm hands them to the caller.
      p->dwReturn = answer.value;
      call_.returned = answer.value;
    }
    return answer.error;
  }

  MCIERROR DevCaps(cdaudio::Device& device, DWORD flags, MCI_GETDEVCAPS_PARMS* p,
                   const cdaudio::Notify& notify) {
    const cdaudio::Answer answer = device.GetDevCaps(
        flags & MCI_GETDEVCAPS_ITEM ? std::optional<uint32_t>(p->dwItem) : std::nullopt, notify);
    if (answer.error == 0) {
      p->dwReturn = answer.value;
      call_.returned = answer.value;
    }
    return answer.error;
  }

  MCIERROR Info(cdaudio::Device& device, DWORD flags, MCI_INFO_PARMSA* p,
                const cdaudio::Notify& notify) {
    constexpr DWORD kItems = MCI_INFO_PRODUCT | MCI_INFO_FILE | MCI_INFO_MEDIA_UPC |
                             MCI_INFO_MEDIA_IDENTITY | MCI_INFO_NAME | MCI_INFO_COPYRIGHT;
    if (!p->lpstrReturn && p->dwRetSize != 0) return MCIERR_NULL_PARAMETER_BLOCK;
    cdaudio::TextAnswer answer = device.Info(flags & kItems, p->dwRetSize, notify);
    if (answer.error == 0 && (flags & MCI_INFO_MEDIA_IDENTITY)) {
      auto open = mci_.devices.find(call_.device);
      if (open != mci_.devices.end()) {
        auto imposed = mci_.identityOverride.find(open->second.drive);
        if (imposed != mci_.identityOverride.end()) {
          answer.text = imposed->second.substr(0, p->dwRetSize - 1);
        }
      }
    }
    if (answer.error == 0) {
      std::memcpy(p->lpstrReturn, answer.text.c_str(), answer.text.size() + 1);
      call_.returned = answer.text.size();
      call_.text = answer.text;
    }
    return answer.error;
  }

  emu::Machine::Impl& impl_;
  MciState& mci_;
  MciCall& call_;
};

// Steps a manual clock to the end of every running play and ends it there, so the completion of a
// play that reaches its end is posted when the machine's time gets there.
class PlayEndAlarm : public emu::Alarm {
 public:
  explicit PlayEndAlarm(emu::Machine::Impl& impl) : impl_(impl) {}

  // Called with the machine's lock held.
  std::optional<uint64_t> Due() override {
    std::optional<uint64_t> due;
    for (const auto& [letter, drive] : impl_.drives) {
      if (!drive.cd) continue;
      if (auto end = drive.cd->NextEventMs(); end && (!due || *end < *due)) due = end;
    }
    return due;
  }

  void Fire(uint64_t /*now*/) override {
    {
      std::lock_guard lock(impl_.mu);
      for (auto& [letter, drive] : impl_.drives) {
        if (drive.cd) drive.cd->Poll();
      }
    }
    impl_.PostMciCompletions();
  }

 private:
  emu::Machine::Impl& impl_;
};

}  // namespace

namespace emu {

void Machine::Impl::PostMciCompletions() {
  std::vector<MciState::Completion> completions;
  {
    std::lock_guard lock(mu);
    completions.swap(mci.outbox);
  }
  for (const auto& c : completions) {
    // A command without a window to tell names none; the completion goes nowhere.
    if (c.callback == 0) continue;
    PostMessageA(reinterpret_cast<HWND>(c.callback), MM_MCINOTIFY, c.outcome,
                 static_cast<LPARAM>(c.device));
  }
}

std::unique_ptr<Alarm> MakePlayEndAlarm(Machine::Impl& impl) {
  return std::make_unique<PlayEndAlarm>(impl);
}

std::string InsertDisc(Machine& machine, char letter, cdaudio::Disc disc) {
  auto& impl = machine.impl();
  std::string problem;
  {
    std::lock_guard lock(impl.mu);
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    auto it = impl.drives.find(letter);
    if (it == impl.drives.end() || !it->second.cd)
      return std::string("no CD drive ") + letter + ":";
    problem = it->second.cd->Insert(std::move(disc));
  }
  impl.PostMciCompletions();
  return problem;
}

void EjectDisc(Machine& machine, char letter) {
  machine.EjectMedium(letter);
}

std::vector<MciCall> MciTrace(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return impl.mci.trace;
}

void ClearMciTrace(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  impl.mci.trace.clear();
}

std::vector<MciDeviceInfo> MciDevices(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  ReapEndedLocked(impl);
  std::vector<MciDeviceInfo> out;
  for (const auto& [id, d] : impl.mci.devices) {
    out.push_back(MciDeviceInfo{id, d.pid, d.drive, d.shareable, d.device->TimeFormat()});
  }
  return out;
}

void SetNotifyAtEnd(Machine& machine, bool notify) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  impl.mci.notifyAtEnd = notify;
  for (auto& [id, open] : impl.mci.devices) open.device->SetNotifyAtEnd(notify);
}

bool NotifiesAtEnd(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return impl.mci.notifyAtEnd;
}

void ImposeMediaIdentity(Machine& machine, char letter, std::optional<std::string> identity) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (identity) {
    impl.mci.identityOverride[letter] = *identity;
  } else {
    impl.mci.identityOverride.erase(letter);
  }
}

std::optional<CdDriveInfo> CdDrive(Machine& machine, char letter) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto it = impl.drives.find(letter);
  if (it == impl.drives.end() || !it->second.cd) return std::nullopt;
  const cdaudio::Drive& drive = *it->second.cd;
  CdDriveInfo info;
  info.doorOpen = drive.DoorOpen();
  info.disc = drive.LoadedDisc() != nullptr;
  info.mode = drive.Mode();
  if (const cdaudio::Toc* toc = drive.ReadableToc()) {
    const uint32_t frame = drive.Position();
    info.readable = true;
    info.track = toc->TrackAt(frame);
    const uint32_t start = toc->TrackStart(info.track);
    info.trackFrames = frame > start ? frame - start : 0;
    info.tracks = static_cast<uint32_t>(toc->TrackCount());
    info.identifier = cdaudio::DiscIdentifier(*toc);
  }
  return info;
}

}  // namespace emu

MCIERROR mciSendCommandA(MCIDEVICEID deviceId, UINT message, DWORD_PTR param1, DWORD_PTR param2) {
  auto& impl = emu::Impl();
  const DWORD flags = static_cast<DWORD>(param1);
  const std::optional<DWORD> failure = impl.machine.TakeFailure("mciSendCommandA");
  MCIERROR result = 0;
  {
    std::lock_guard lock(impl.mu);
    MciCall call;
    call.pid = impl.CurrentThreadLocked().pid;
    call.device = deviceId;
    call.command = message;
    call.flags = flags;
    ReadRecord(message, flags, param2, call);
    if (failure) {
      result = *failure ? *failure : kInjectedFailure;
    } else {
      ReapEndedLocked(impl);
      result = Winmm(impl, call).Send(deviceId, message, flags, param2);
    }
    call.result = result;
    impl.mci.trace.push_back(std::move(call));
  }
  impl.PostMciCompletions();
  return result;
}

BOOL mciGetErrorStringA(MCIERROR error, LPSTR text, UINT textSize) {
  auto& impl = emu::Impl();
  if (impl.machine.TakeFailure("mciGetErrorStringA")) return FALSE;
  if (!text || textSize == 0) return FALSE;
  const std::optional<std::string_view> message = cdaudio::ErrorText(error);
  if (!message) {
    text[0] = '\0';
    return FALSE;
  }
  const size_t n = std::min<size_t>(message->size(), textSize - 1);
  std::memcpy(text, message->data(), n);
  text[n] = '\0';
  return TRUE;
}
