// A CD-ROM drive of the Wine checks with a disc image in it, changed while programs run.
//
//   cddrive insert X: FOLDER SHEET  X: becomes a CD-ROM drive over FOLDER showing the volume label
//                                   and serial Windows reports for the disc the sheet describes,
//                                   and the CD-audio driver is told the sheet
//   cddrive remove X:               the drive goes away, which is how "no disc" shows here (the
//                                   volume query fails), and the driver is told it is empty;
//                                   prints GetTickCount64 at the removal
//   cddrive show X:                 what a program sees: the drive type and GetVolumeInformationA's
//                                   answer, as `X: type N label "L" serial XXXX-XXXX fs F` or
//                                   `X: type N no volume (error E)`
//
// FOLDER and SHEET are Unix paths; the prefix's Z: drive reaches them. FOLDER is the drive's own
// (made, with its parents, when missing): Wine reads a CD-ROM folder's label and serial from its
// `.windows-label` and
// `.windows-serial` files when the drive is defined, and keeps them for the whole wineserver
// session, so a disc change writes them and defines the drive again through the mount manager
// (IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, Wine's own control code), which takes them at once.
//
// Exit codes: 0 done, 1 the sheet is refused, 2 the mount manager refused, 3 a file cannot be
// written, 64 bad usage. What happened goes to stdout for the check's log.

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "image_slot.h"
#include "platform/cdaudio/cue.h"
#include "platform/cdaudio/volume.h"

namespace {

constexpr int kOk = 0;
constexpr int kRefusedSheet = 1;
constexpr int kMountFailed = 2;
constexpr int kFileFailed = 3;
constexpr int kUsage = 64;

// Wine's mount manager record (dlls/mountmgr.sys), followed by the mount point its offset points
// at, a Unix path in the Unix code page.
struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fs_type;
  DWORD serial;
  ULONGLONG unix_dev;
  WCHAR letter;
  USHORT mount_point_offset;
  USHORT device_offset;
  USHORT label_offset;
};
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Defines the drive as a CD-ROM over `folder`, or removes it (no folder).
bool DefineDrive(char letter, const std::string* folder) {
  std::vector<char> record(sizeof(UnixDrive));
  UnixDrive head{};
  head.letter = static_cast<WCHAR>(letter);
  head.type = DRIVE_NO_ROOT_DIR;
  if (folder) {
    head.type = DRIVE_CDROM;
    head.mount_point_offset = static_cast<USHORT>(record.size());
    record.insert(record.end(), folder->c_str(), folder->c_str() + folder->size() + 1);
  }
  head.size = static_cast<ULONG>(record.size());
  memcpy(record.data(), &head, sizeof head);

  HANDLE manager =
      CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) {
    printf("cannot open the mount manager: error %lu\n", GetLastError());
    return false;
  }
  DWORD returned = 0;
  const BOOL done =
      DeviceIoControl(manager, kDefineUnixDrive, record.data(), static_cast<DWORD>(record.size()),
                      nullptr, 0, &returned, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(manager);
  if (!done) printf("the mount manager refused drive %c: error %lu\n", letter, error);
  return done != 0;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (out.flush()) return true;
  printf("cannot write %s\n", path.c_str());
  return false;
}

int Insert(char letter, const std::string& folder, const std::string& sheet) {
  // Read through Z:, so a refusal names the path as given.
  const cdaudio::Parsed<cdaudio::Disc> disc = cdaudio::LoadCueSheet("Z:" + sheet);
  if (!disc) {
    printf("%s\n", disc.error.c_str());
    return kRefusedSheet;
  }
  const std::optional<cdaudio::VolumeInfo> volume = cdaudio::VolumeOf(*disc.value);
  if (!volume) return kRefusedSheet;  // a sheet describes no blank disc
  char serial[16];
  snprintf(serial, sizeof serial, "%08lX", static_cast<unsigned long>(volume->serial));
  for (size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    CreateDirectoryA(("Z:" + folder.substr(0, slash)).c_str(), nullptr);
  }
  CreateDirectoryA(("Z:" + folder).c_str(), nullptr);
  if (!WriteText("Z:" + folder + "/.windows-label", volume->label) ||
      !WriteText("Z:" + folder + "/.windows-serial", serial)) {
    return kFileFailed;
  }
  // The driver learns the disc before the system shows it, so a program that sees the new volume
  // finds the disc behind it too.
  if (!cdimage::SetImageInDrive(letter, "Z:" + sheet)) {
    printf("cannot write %s\n", cdimage::ImageSlotPath(letter).c_str());
    return kFileFailed;
  }
  if (!DefineDrive(letter, &folder)) return kMountFailed;
  printf("%c: %s label \"%s\" serial %04lX-%04lX tracks %zu\n", letter, sheet.c_str(),
         volume->label.c_str(), static_cast<unsigned long>(volume->serial >> 16),
         static_cast<unsigned long>(volume->serial & 0xFFFF), disc.value->tracks.size());
  return kOk;
}

int Remove(char letter) {
  if (!DefineDrive(letter, nullptr)) return kMountFailed;
  if (!cdimage::SetImageInDrive(letter, std::nullopt)) {
    printf("cannot remove %s\n", cdimage::ImageSlotPath(letter).c_str());
    return kFileFailed;
  }
  printf("%c: removed at %llu\n", letter, static_cast<unsigned long long>(GetTickCount64()));
  return kOk;
}

int Show(char letter) {
  const char root[] = {letter, ':', '\\', '\0'};
  char label[MAX_PATH + 1] = "";
  char file_system[MAX_PATH + 1] = "";
  DWORD serial = 0, max_component = 0, flags = 0;
  const UINT type = GetDriveTypeA(root);
  if (!GetVolumeInformationA(root, label, sizeof label, &serial, &max_component, &flags,
                             file_system, sizeof file_system)) {
    printf("%c: type %u no volume (error %lu)\n", letter, type, GetLastError());
    return kOk;
  }
  printf("%c: type %u label \"%s\" serial %04lX-%04lX fs %s\n", letter, type, label,
         static_cast<unsigned long>(serial >> 16), static_cast<unsigned long>(serial & 0xFFFF),
         file_system);
  return kOk;
}

// "D:" or "d:" gives 'D'; anything else 0.
char DriveLetter(const char* word) {
  if (strlen(word) != 2 || word[1] != ':') return 0;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
  return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char letter = argc >= 3 ? DriveLetter(argv[2]) : 0;
  int status = kUsage;
  if (letter && argc == 5 && strcmp(argv[1], "insert") == 0) {
    status = Insert(letter, argv[3], argv[4]);
  } else if (letter && argc == 3 && strcmp(argv[1], "remove") == 0) {
    status = Remove(letter);
  } else if (letter && argc == 3 && strcmp(argv[1], "show") == 0) {
    status = Show(letter);
  } else {
    fputs("usage: cddrive insert X: FOLDER SHEET | cddrive remove X: | cddrive show X:\n", stderr);
  }
  fflush(stdout);
  return status;
}
