// winmm: mciSendCommandA and mciGetErrorStringA. The "cdaudio" driver is the CD-audio core
// (platform/cdaudio) over the machine's CD-ROM drives; this file decodes the open record, hands out
// device IDs, keeps the trace and posts the completions the core reports. The other records are
// translated by platform/mcicd, which the Windows driver DLL of the Wine checks shares.
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
#include "platform/mcicd/commands.h"

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

template <class Record>
Record* RecordOf(DWORD_PTR param) {
  return reinterpret_cast<Record*>(param);
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

// NT's driver posts nothing when a play reaches its end; the 9x machine keeps to the
// documentation and reports it (docs/ARCHITECTURE.md says what this rests on).
bool EndNotifiedLocked(const emu::Machine::Impl& impl) {
  return impl.mci.notifyAtEnd.value_or(impl.platform == emu::Platform::Win9x);
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
    if (!param && mcicd::NeedsRecord(command, flags)) return MCIERR_NULL_PARAMETER_BLOCK;
    const cdaudio::Notify notify = mcicd::NotifyOf(flags, param);
    if (command == MCI_OPEN) return Open(flags, RecordOf<MCI_OPEN_PARMSA>(param), notify);
    auto it = mci_.devices.find(id);
    if (it == mci_.devices.end() || it->second.pid != call_.pid) return MCIERR_INVALID_DEVICE_ID;
    cdaudio::Device& device = *it->second.device;
    if (command == MCI_CLOSE) {
      const uint32_t error = device.Close(notify);
      if (error == 0) mci_.devices.erase(it);
      return error;
    }
    mcicd::Options options;
    options.host = mcicd::Host::kWinmm;
    if (auto imposed = mci_.identityOverride.find(it->second.drive);
        imposed != mci_.identityOverride.end()) {
      options.imposed_identity = imposed->second;
    }
    mcicd::Returned returned;
    const MCIERROR result = mcicd::RunCommand(device, command, flags, param, options, &returned);
    if (returned.value) call_.returned = *returned.value;
    call_.text = returned.text;
    return result;
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
      letter = mcicd::DriveOfElement(p->lpstrElementName);
      auto it = letter ? impl_.drives.find(*letter) : impl_.drives.end();
      // The cdaudio driver takes the element as a file of its own: anything but a CD drive's
      // root is a file it cannot play.
      if (it == impl_.drives.end() || !it->second.cd) return MCIERR_INVALID_FILE;
    }

    cdaudio::OpenOptions options;
    options.shareable = (flags & MCI_OPEN_SHAREABLE) != 0;
    options.resume_supported = impl_.platform == emu::Platform::NT;
    options.pause_reads_stopped = impl_.platform == emu::Platform::NT;
    options.notify_at_end = EndNotifiedLocked(impl_);
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
  return EndNotifiedLocked(impl);
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
