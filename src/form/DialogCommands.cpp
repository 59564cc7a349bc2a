// The property dialog's own commands: showing it, OK, Cancel, Save with its drive switch, and the
// two addresses on the version page.
#include "form/MainUnit.h"

void TPropertyForm::VersionClick(TObject* /*sender*/) {
  // The one dialog, modeless, as it was left: showing it also brings it to the front.
  Show();
}

void TPropertyForm::OK_ButtonClick(TObject* sender) {
  // A settings file that cannot be written raises here: the dialog stays open, Save enabled.
  Save_ButtonClick(sender);
  Hide();
}

void TPropertyForm::Cancel_ButtonClick(TObject* /*sender*/) {
  Hide();
  Save_Button->SetEnabled(false);
  ReadSettings();
  // The drive list shows the drive in use again: a later Save must not switch to a drive whose
  // choice was cancelled.
  const auto& items = CDDrive->Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == CurrentDrive) CDDrive->SetItemIndex(static_cast<int>(i));
  }
  // Reloading the boxes ran their change handlers; nothing is changed after all.
  Save_Button->SetEnabled(false);
}

void TPropertyForm::Save_ButtonClick(TObject* /*sender*/) {
  WriteSettings();
  ApplyMenuSettings();
  Save_Button->SetEnabled(false);
  if (CDDrive->Text() == CurrentDrive) return;
  CurrentDrive = CDDrive->Text();
  try {
    StopClick(this);
    MediaPlayer->SetFileName(CurrentDrive);
    MediaPlayer->Open();
    // The old drive's state until the disc check reads the new one.
    if (LastSerial != 0) {
      SetTrayImage("Stop");
    } else {
      SetTrayImage("NoCD");
      ShowNoDevice();
    }
  } catch (const EMCIDeviceError&) {
    SetTrayImage("ZCD");
    ShowNoDevice();
  }
}

void TPropertyForm::Mail_LabelClick(TObject* /*sender*/) {
  // What the shell makes of the address is its own affair; nothing is reported.
  ShellExecuteA(Handle(), "OPEN", ("mailto:" + Mail_Label->Caption()).c_str(), "", "", SW_SHOW);
}

void TPropertyForm::HomePage_LabelClick(TObject* /*sender*/) {
  ShellExecuteA(Handle(), "OPEN", ("url:" + HomePage_Label->Caption()).c_str(), "", "", SW_SHOW);
}
