// orvanta-cdaudio.dll: an MCI driver for the "cdaudio" device type over the CD-audio core, for
// the Wine checks and for trying the real exe with a disc image. Never installed by default and
// never needed by OrvantaBrevo.exe.
//
// Registered in a prefix as `HKLM\Software\Microsoft\Windows NT\CurrentVersion\MCI`
// cdaudio=orvanta-cdaudio.dll with the DLL in system32. winmm loads it per process and talks to
// it through DriverProc: DRV_LOAD, DRV_OPEN (once with no block, then once per MCI open with an
// MCI_OPEN_DRIVER_PARMS whose device ID becomes the driver ID), MCI_OPEN_DRIVER, the commands,
// MCI_CLOSE_DRIVER, DRV_CLOSE, DRV_FREE.
//
// The disc in each drive is the one cddrive.exe last recorded (image_slot.h), looked at on every
// call, so a disc changed while a program runs is found by its next command. The clock is real
// time; a worker thread ends each play when its time has come and reports it with
// mciDriverNotify. Everything the driver is asked and does goes to its record (driver_record.h).
#include <windows.h>
// mmsystem.h needs windows.h first; this line keeps sorting from swapping them.
#include <mmddk.h>
#include <mmsystem.h>

#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "driver_record.h"
#include "image_slot.h"
#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/cue.h"
#include "platform/cdaudio/device.h"
#include "platform/cdaudio/toc.h"
#include "platform/mcicd/commands.h"

// winmm's completion call for drivers; libwinmm.a has it, the mingw-w64 headers do not declare it.
extern "C" BOOL WINAPI mciDriverNotify(HWND callback, MCIDEVICEID device, UINT status);

namespace {

// One lock for the whole driver: the commands of the program's threads and the end-of-play
// worker all reach the same drives.
class Lock {
 public:
  explicit Lock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
  ~Lock() { LeaveCriticalSection(&section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION& section_;
};

std::string Msf(uint32_t frames) {
  const cdaudio::Msf msf = cdaudio::ToMsf(frames);
  char text[16];
  snprintf(text, sizeof text, "%02u:%02u:%02u", msf.minutes, msf.seconds, msf.frames);
  return text;
}

const char* ModeName(uint32_t mode) {
  switch (mode) {
    case cdaudio::kModeNotReady:
      return "notready";
    case cdaudio::kModeStop:
      return "stopped";
    case cdaudio::kModePlay:
      return "playing";
    case cdaudio::kModePause:
      return "paused";
    case cdaudio::kModeOpen:
      return "open";
    default:
      return "other";
  }
}

// A CD-ROM drive of the prefix and the image the driver last loaded into it.
struct VirtualDrive {
  explicit VirtualDrive(char letter)
      : letter(letter), drive([] { return static_cast<uint64_t>(GetTickCount64()); }) {}
  char letter;
  cdaudio::Drive drive;
  std::optional<std::string> sheet;
  bool door_open = false;  // as last recorded
};

struct OpenDevice {
  VirtualDrive* drive = nullptr;
  std::unique_ptr<cdaudio::Device> device;
};

class Driver {
 public:
  Driver() { InitializeCriticalSection(&section_); }
  ~Driver() { DeleteCriticalSection(&section_); }

  bool Load();
  void Free();
  // DRV_OPEN with an MCI_OPEN_DRIVER_PARMS: the device ID is the driver ID from now on.
  LRESULT OpenDriver(MCI_OPEN_DRIVER_PARMS* parms);
  LRESULT Command(DWORD_PTR id, UINT message, DWORD flags, DWORD_PTR parms);

 private:
  VirtualDrive& DriveFor(char letter);
  // Takes in a disc that cddrive.exe changed since the last call.
  void Sync(VirtualDrive& drive);
  void RecordHead(const VirtualDrive& drive);
  LRESULT Open(DWORD_PTR id, DWORD flags, const MCI_OPEN_PARMSW* parms);
  static DWORD WINAPI EndOfPlayWorker(void* self);
  void EndPlays();

  CRITICAL_SECTION section_;
  std::map<char, std::unique_ptr<VirtualDrive>> drives_;
  std::map<DWORD_PTR, OpenDevice> devices_;
  HANDLE wake_ = nullptr;  // the worker looks at the drives again
  HANDLE worker_ = nullptr;
  bool stopping_ = false;
};

Driver g_driver;

bool Driver::Load() {
  cdimage::Record("load", std::to_string(GetCurrentProcessId()));
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  worker_ = wake_ ? CreateThread(nullptr, 0, EndOfPlayWorker, this, 0, nullptr) : nullptr;
  return worker_ != nullptr;
}

void Driver::Free() {
  {
    Lock lock(section_);
    stopping_ = true;
    devices_.clear();
  }
  if (worker_) {
    SetEvent(wake_);
    WaitForSingleObject(worker_, 5000);
    CloseHandle(worker_);
    worker_ = nullptr;
  }
  if (wake_) CloseHandle(wake_);
  wake_ = nullptr;
  cdimage::Record("free", std::to_string(GetCurrentProcessId()));
}

DWORD WINAPI Driver::EndOfPlayWorker(void* self) {
  static_cast<Driver*>(self)->EndPlays();
  return 0;
}

void Driver::EndPlays() {
  while (true) {
    DWORD wait = INFINITE;
    {
      Lock lock(section_);
      if (stopping_) return;
      const uint64_t now = GetTickCount64();
      for (auto& [letter, drive] : drives_) {
        const std::optional<uint64_t> end = drive->drive.NextEventMs();
        if (!end) continue;
        if (*end <= now) {
          drive->drive.Poll();  // the listener's notification goes out through the sink
          RecordHead(*drive);
        } else {
          wait = std::min<DWORD>(wait, static_cast<DWORD>(*end - now));
        }
      }
    }
    WaitForSingleObject(wake_, wait);
  }
}

VirtualDrive& Driver::DriveFor(char letter) {
  auto& slot = drives_[letter];
  if (!slot) slot = std::make_unique<VirtualDrive>(letter);
  return *slot;
}

void Driver::Sync(VirtualDrive& drive) {
  const std::optional<std::string> sheet = cdimage::ImageInDrive(drive.letter);
  const std::string name = std::string(1, drive.letter) + ":";
  if (sheet != drive.sheet) {
    drive.sheet = sheet;
    if (!sheet) {
      drive.drive.Eject();
      cdimage::Record("disc", name + " none");
    } else if (cdaudio::Parsed<cdaudio::Disc> disc = cdaudio::LoadCueSheet(*sheet); !disc) {
      drive.drive.Eject();
      cdimage::Record("disc", name + " refused " + disc.error);
    } else {
      const size_t tracks = disc.value->tracks.size();
      drive.drive.Insert(std::move(*disc.value));
      cdimage::Record("disc", name + " " + *sheet + " tracks=" + std::to_string(tracks));
    }
  }
  if (drive.drive.DoorOpen() != drive.door_open) {
    drive.door_open = drive.drive.DoorOpen();
    cdimage::Record("door", name + (drive.door_open ? " open" : " closed"));
  }
}

void Driver::RecordHead(const VirtualDrive& drive) {
  std::string line = std::string(1, drive.letter) + ": mode=" + ModeName(drive.drive.Mode());
  if (const cdaudio::Toc* toc = drive.drive.ReadableToc()) {
    const uint32_t at = drive.drive.Position();
    line += " track=" + std::to_string(toc->TrackAt(at)) + " at=" + Msf(at);
  }
  cdimage::Record("head", line);
}

LRESULT Driver::OpenDriver(MCI_OPEN_DRIVER_PARMS* parms) {
  parms->wCustomCommandTable = MCI_NO_COMMAND_TABLE;
  parms->wType = MCI_DEVTYPE_CD_AUDIO;
  return parms->wDeviceID;
}

// MCI_OPEN_DRIVER: the element names the drive ("D:"); without one the first CD-ROM drive.
LRESULT Driver::Open(DWORD_PTR id, DWORD flags, const MCI_OPEN_PARMSW* parms) {
  char letter = 0;
  if ((flags & MCI_OPEN_ELEMENT) && parms && parms->lpstrElementName &&
      parms->lpstrElementName[0]) {
    letter = mcicd::DriveOfElement(parms->lpstrElementName).value_or(0);
    // Anything but a CD drive's root is a file the cdaudio driver cannot play.
    if (!letter || GetDriveTypeA(std::string{letter, ':', '\\'}.c_str()) != DRIVE_CDROM) {
      return MCIERR_INVALID_FILE;
    }
  } else {
    for (char l = 'C'; l <= 'Z' && !letter; ++l) {
      if (GetDriveTypeA(std::string{l, ':', '\\'}.c_str()) == DRIVE_CDROM) letter = l;
    }
    // A drive that is not there yet (no disc shows as no drive here) is D:.
    if (!letter) letter = 'D';
  }
  VirtualDrive& drive = DriveFor(letter);
  Sync(drive);
  cdaudio::OpenOptions options;
  options.shareable = (flags & MCI_OPEN_SHAREABLE) != 0;
  // Wine is an NT: a paused disc reads as stopped, and a play that reaches its end reports
  // nothing (its request waits to be superseded), as the NT drivers answer.
  options.pause_reads_stopped = true;
  options.notify_at_end = false;
  cdaudio::Device::Opened opened = cdaudio::Device::Open(
      drive.drive, static_cast<uint32_t>(id), options,
      [](uintptr_t callback, uint32_t outcome, uint32_t device) {
        cdimage::Record("notify",
                        "device=" + std::to_string(device) + " outcome=" + std::to_string(outcome));
        mciDriverNotify(reinterpret_cast<HWND>(callback), static_cast<UINT>(device),
                        static_cast<UINT>(outcome));
      });
  if (opened.error) return opened.error;
  devices_[id] = OpenDevice{&drive, std::move(opened.device)};
  return 0;
}

LRESULT Driver::Command(DWORD_PTR id, UINT message, DWORD flags, DWORD_PTR parms) {
  LRESULT result = 0;
  {
    Lock lock(section_);
    if (message == MCI_OPEN_DRIVER) {
      result = Open(id, flags, reinterpret_cast<const MCI_OPEN_PARMSW*>(parms));
    } else if (auto open = devices_.find(id); open == devices_.end()) {
      result = MCIERR_INVALID_DEVICE_ID;
    } else {
      VirtualDrive& drive = *open->second.drive;
      Sync(drive);
      if (message == MCI_CLOSE_DRIVER) {
        result = open->second.device->Close(mcicd::NotifyOf(flags, parms));
        if (result == 0) devices_.erase(open);
      } else {
        result = mcicd::RunCommand(*open->second.device, message, flags, parms,
                                   mcicd::Options{mcicd::Host::kDriver, std::nullopt});
      }
      Sync(drive);
      RecordHead(drive);
    }
    char line[96];
    snprintf(line, sizeof line, "%s flags=0x%08lX result=%lu", mcicd::CommandName(message).c_str(),
             static_cast<unsigned long>(flags), static_cast<unsigned long>(LOWORD(result)));
    cdimage::Record("command", line);
  }
  SetEvent(wake_);
  return result;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT WINAPI
    DriverProc(DWORD_PTR id, HDRVR, UINT message, LPARAM param1, LPARAM param2) {
  switch (message) {
    case DRV_LOAD:
      return g_driver.Load() ? 1 : 0;
    case DRV_FREE:
      g_driver.Free();
      return 1;
    case DRV_OPEN:
      // The first open, with no block, only asks whether the driver works.
      if (!param2) return 1;
      return g_driver.OpenDriver(reinterpret_cast<MCI_OPEN_DRIVER_PARMS*>(param2));
    case DRV_CLOSE:
    case DRV_ENABLE:
    case DRV_DISABLE:
      return 1;
    case DRV_QUERYCONFIGURE:
      return 0;
    case DRV_INSTALL:
    case DRV_REMOVE:
      return DRVCNF_OK;
    default:
      break;
  }
  if (message >= DRV_MCI_FIRST && message <= DRV_MCI_LAST) {
    return g_driver.Command(id, message, static_cast<DWORD>(param1),
                            static_cast<DWORD_PTR>(param2));
  }
  return DefDriverProc(id, nullptr, message, param1, param2);
}
