// The machine's CD hardware and its MCI traffic, for tests and the console: discs in and out of
// the CD-ROM drives, the record of every MCI command, and what the open devices are doing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/cdaudio/disc.h"
#include "platform/emu/machine.h"

namespace emu {

// One mciSendCommandA call as the program made it: the fields of its record that its flags name
// (dwCallback whenever there is a record); the others stay 0 / empty, as the driver never reads
// them.
struct MciCall {
  int pid = 0;  // the calling process (0: a test's own thread)
  UINT device = 0;
  UINT command = 0;
  DWORD flags = 0;
  bool record = false;  // a parameter record was given
  uintptr_t callback = 0;
  std::string deviceType;  // MCI_OPEN: the type string (empty with MCI_OPEN_TYPE_ID or none)
  std::string element;     // MCI_OPEN
  DWORD from = 0;          // MCI_PLAY, MCI_RECORD
  DWORD to = 0;            // MCI_PLAY, MCI_RECORD, MCI_SEEK
  DWORD item = 0;          // MCI_STATUS, MCI_GETDEVCAPS
  DWORD track = 0;         // MCI_STATUS
  DWORD timeFormat = 0;    // MCI_SET
  DWORD frames = 0;        // MCI_STEP
  uintptr_t window = 0;    // MCI_WINDOW
  MCIERROR result = 0;
  // What the call handed back: dwReturn of MCI_STATUS / MCI_GETDEVCAPS, the device ID of MCI_OPEN,
  // the length of the MCI_INFO text.
  uint64_t returned = 0;
  std::string text;  // MCI_INFO's answer
};

// An open MCI device of one of the machine's programs.
struct MciDeviceInfo {
  UINT id = 0;
  int pid = 0;
  char drive = 0;
  bool shareable = false;
  DWORD timeFormat = 0;
};

// The state of a CD-ROM drive's head as of the clock's present.
struct CdDriveInfo {
  bool doorOpen = false;
  bool disc = false;         // a disc in the drive or on its open tray
  DWORD mode = 0;            // MCI_MODE_*
  bool readable = false;     // door closed on a disc with a table of contents
  int track = 0;             // the track under the head (readable only)
  uint32_t trackFrames = 0;  // frames from the start of that track
  uint32_t tracks = 0;       // number of tracks (readable only)
  uint32_t identifier = 0;   // the disc identifier the CD Player files it under (readable only)
};

// Puts `disc` into CD-ROM drive `letter` and closes the door; a play on the drive ends (aborted).
// Returns why the disc cannot go in (no such CD drive, a disc the drive refuses); empty on success.
std::string InsertDisc(Machine& machine, char letter, cdaudio::Disc disc);
// Opens the door of CD-ROM drive `letter`: the disc leaves, a play ends (aborted).
void EjectDisc(Machine& machine, char letter);

std::vector<MciCall> MciTrace(Machine& machine);
void ClearMciTrace(Machine& machine);
std::vector<MciDeviceInfo> MciDevices(Machine& machine);
std::optional<CdDriveInfo> CdDrive(Machine& machine, char letter);
// Makes MCI report `identity` as the media identity of any disc in `letter` (none: the disc's own),
// for identities no real table of contents can give.
void ImposeMediaIdentity(Machine& machine, char letter, std::optional<std::string> identity);
// Whether a play with MCI_NOTIFY that reaches its end reports MCI_NOTIFY_SUCCESSFUL (as
// documented, and the 9x machine's default) or, as NT-family drivers do and so the NT machine's
// default, leaves the notification pending until a later command with MCI_NOTIFY supersedes it.
// Once set it holds on either platform, for devices already open too.
void SetNotifyAtEnd(Machine& machine, bool notify);
// What a device opened now would do.
bool NotifiesAtEnd(Machine& machine);

}  // namespace emu
