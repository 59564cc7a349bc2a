// The player side of the form: start-up, drive discovery, the volume query and the application
// message hook.
#include <cstring>
#include <exception>

#include "form/MainUnit.h"
#include "toolkit/IniFiles.h"

namespace {
constexpr DWORD kDriveStringsSize = 128;
constexpr size_t kRootLength = 4;  // "D:\" and its zero
}  // namespace

void TPropertyForm::FormCreate(TObject* /*sender*/) {
  // The hook goes in first and outside the guard: it must work whatever happens below.
  vcl::Application->OnMessage = [this](MSG& msg, bool& handled) { AppMessage(msg, handled); };

  std::exception_ptr writeError;
  try {
    ReadSettings();
    // Before the disc is looked at: auto-play at start is a play like any other.
    if (ReadMediaKeysOption() && TMediaKeys::SystemHasKeys()) {
      MediaKeys = std::make_unique<TMediaKeys>([this](UINT key) { MediaKeyPress(key); });
    }
    ApplyMenuSettings();
    ListCDDrives();
    CDDrive->SetItemIndex(0);
    {
      vcl::TIniFile ini(SettingsFileName());
      CDDrive->SetItemIndex(ini.ReadInteger("CDPlayer_TabSheet", "CDDrive", CDDrive->ItemIndex()));
    }
    MediaPlayer->SetFileName(CDDrive->Text());
    MediaPlayer->Open();
    CurrentDrive = CDDrive->Text();
    ReadVolumeInfo();
    LastSerial = VolumeSerial;
    if (LastSerial != 0) {
      CDInserted();
    } else {
      ShowNoDisc();
    }
    ++InsertCount;
    // Asked as the exit component asks, so that the item is off exactly where it would refuse.
    if (::IsWindowsNT()) Restart->SetEnabled(false);
    // A settings file the user may not write (a read-only program folder) is reported, but it must
    // not keep the player from noticing discs for the whole run.
    try {
      WriteSettings();
    } catch (const vcl::EIniFileException&) {
      writeError = std::current_exception();
    }
    CDCheck->SetEnabled(true);
  } catch (const EMCIDeviceError&) {
    // No device: the player items stay off and nothing is monitored; the reason is not shown.
    ShowNoDevice();
  }

  // The dialog shows the stored settings: nothing to save yet.
  Save_Button->SetEnabled(false);
  if (writeError) std::rethrow_exception(writeError);
}

void TPropertyForm::ShowNoDisc() {
  SetTrayImage("NoCD");
  TrayIcon->SetTipHelp("No CD");
  // The same items as without a device: Pause is off already, Eject stays on.
  ShowNoDevice();
}

void TPropertyForm::ShowNoDevice() {
  for (vcl::TMenuItem* item : {Play, Stop, Next, Previous, All_Repeat}) item->SetEnabled(false);
}

void TPropertyForm::ListCDDrives() {
  char roots[kDriveStringsSize] = {};
  DWORD length = GetLogicalDriveStringsA(kDriveStringsSize, roots);
  // A list that did not fit reports the size it needs; nothing of it was written.
  if (length == 0 || length > kDriveStringsSize) return;
  for (DWORD offset = 0; offset < length; offset += kRootLength) {
    const char* root = roots + offset;
    if (GetDriveTypeA(root) == DRIVE_CDROM) CDDrive->Items().push_back(std::string(root, 2));
  }
}

void TPropertyForm::ReadVolumeInfo() {
  // The root with its backslash: "D:" alone would name the current directory on D:, and the
  // query fails unless that is the root.
  char rootPath[256] = {};
  std::strncpy(rootPath, (CurrentDrive + "\\").c_str(), sizeof rootPath - 1);
  VolumeSerial = 0;
  // Only the label and the serial: the other answers are optional and cost the system work.
  if (!GetVolumeInformationA(rootPath, VolumeName, sizeof VolumeName, &VolumeSerial, nullptr,
                             nullptr, nullptr, 0)) {
    VolumeSerial = 0;
    VolumeName[0] = '\0';
  }
}

void TPropertyForm::AppMessage(MSG& msg, bool& /*handled*/) {
  if (msg.message != WM_SYSCOMMAND) return;
  switch (msg.wParam & 0xFFF0) {
    case SC_MINIMIZE:
      MinimizeAppWindow();
      break;
    case SC_CLOSE:
      // The command is voided before it is dispatched: closing only hides the dialog.
      msg.wParam = 0;
      Hide();
      break;
    case SC_RESTORE:
      RestoreAppWindow();
      break;
    default:
      break;
  }
}

void TPropertyForm::MinimizeAppWindow() {
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  SetWindowPos(vcl::Application->Handle(), nullptr, rect.left, rect.top, rect.right - rect.left, 0,
               SWP_NOZORDER);
  ShowWindow(vcl::Application->Handle(), SW_MINIMIZE);
}

void TPropertyForm::RestoreAppWindow() {
  for (int i = 0; i < 3; ++i) vcl::Application->ProcessMessages();
  RECT rect{};
  GetWindowRect(Handle(), &rect);
  WINDOWPLACEMENT placement{};
  // The show state stays what it is; the restore below decides how the window is shown.
  GetWindowPlacement(vcl::Application->Handle(), &placement);
  placement.length = sizeof(WINDOWPLACEMENT);
  placement.flags = 0;
  placement.rcNormalPosition = RECT{rect.left, rect.top, rect.right, 0};
  SetWindowPlacement(vcl::Application->Handle(), &placement);
  ShowWindow(vcl::Application->Handle(), SW_RESTORE);
}
