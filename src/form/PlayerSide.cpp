// The player side of the form: start-up, drive discovery, the volume query and the application
// message hook.
#include <cstring>

#include "form/MainUnit.h"
#include "toolkit/IniFiles.h"

namespace {
constexpr DWORD kDriveStringsSize = 128;
constexpr size_t kRootLength = 4;  // "D:\" and its zero
}  // namespace

void TPropertyForm::FormCreate(TObject* /*sender*/) {
  // The hook goes in first and outside the guard: it must work whatever happens below.
  vcl::Application->OnMessage = [this](MSG& msg, bool& handled) { AppMessage(msg, handled); };

  ReadSettings();
  ListCDDrives();
  CDDrive->SetItemIndex(0);
  {
    vcl::TIniFile ini(SettingsFileName());
    CDDrive->SetItemIndex(ini.ReadInteger("CDPlayer_TabSheet", "CDDrive", CDDrive->ItemIndex()));
  }
  CurrentDrive = CDDrive->Text();
  ReadVolumeInfo();
  LastSerial = VolumeSerial;
  ++InsertCount;
  WriteSettings();

  // The dialog shows the stored settings: nothing to save yet.
  Save_Button->SetEnabled(false);
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
  char rootPath[256] = {};
  std::strncpy(rootPath, CurrentDrive.c_str(), sizeof rootPath - 1);
  DWORD maxComponentLength = 0;
  DWORD fileSystemFlags = 0;
  VolumeSerial = 0;
  if (!GetVolumeInformationA(rootPath, VolumeName, sizeof VolumeName, &VolumeSerial,
                             &maxComponentLength, &fileSystemFlags, nullptr, 0)) {
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
