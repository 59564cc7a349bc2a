// The settings side of the form: the settings file and the option controls' rules.
#include <array>

#include "form/MainUnit.h"
#include "toolkit/IniFiles.h"

namespace {

constexpr const char* kPlayerSection = "CDPlayer_TabSheet";
constexpr const char* kMenuSection = "RB_TabSheet";
// Options the dialog does not show; the user writes them into the file by hand.
constexpr const char* kOptionsSection = "Options";

struct BoxKey {
  const char* section;
  vcl::TCheckBox* TPropertyForm::*box;
  const char* key;
};

// The nine option boxes, in the order in which they are read and written.
constexpr std::array<BoxKey, 9> kBoxes{{
    {kPlayerSection, &TPropertyForm::AutoPlay_CheckBox, "AutoPlay_CheckBox"},
    {kPlayerSection, &TPropertyForm::AllPlay_CheckBox, "AllPlay_CheckBox"},
    {kPlayerSection, &TPropertyForm::RunPlay_CheckBox, "RunPlay_CheckBox"},
    {kMenuSection, &TPropertyForm::PowerOff_CheckBox, "PowerOff_CheckBox"},
    {kMenuSection, &TPropertyForm::Reboot_CheckBox, "Reboot_CheckBox"},
    {kMenuSection, &TPropertyForm::Restart_CheckBox, "Restart_CheckBox"},
    {kMenuSection, &TPropertyForm::LogOff_CheckBox, "LogOff_CheckBox"},
    {kMenuSection, &TPropertyForm::Dialog_CheckBox, "Dialog_CheckBox"},
    {kMenuSection, &TPropertyForm::RB_Spell_CheckBox, "RB_Spell_CheckBox"},
}};

}  // namespace

std::string TPropertyForm::SettingsFileName() const {
  char path[MAX_PATH] = "";
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name(path, n);
  // The extension starts at the last "." after the last "\" or ":".
  size_t dot = name.rfind('.');
  size_t separator = name.find_last_of("\\:");
  if (dot != std::string::npos && (separator == std::string::npos || dot > separator)) {
    name.erase(dot);
  }
  return name + ".ini";
}

void TPropertyForm::ReadSettings() {
  vcl::TIniFile ini(SettingsFileName());
  for (const auto& entry : kBoxes) {
    vcl::TCheckBox* box = this->*entry.box;
    // A missing or malformed value leaves the box as it is.
    box->SetChecked(ini.ReadBool(entry.section, entry.key, box->Checked()));
  }
}

void TPropertyForm::WriteSettings() {
  vcl::TIniFile ini(SettingsFileName());
  ini.WriteInteger(kPlayerSection, "CDDrive", CDDrive->ItemIndex());
  for (const auto& entry : kBoxes) {
    ini.WriteBool(entry.section, entry.key, (this->*entry.box)->Checked());
  }
}

void TPropertyForm::CDDriveChange(TObject* /*sender*/) {
  if (!Save_Button->Enabled()) Save_Button->SetEnabled(true);
}

void TPropertyForm::CheckBoxClick(TObject* sender) {
  CDDriveChange(sender);
}

void TPropertyForm::AutoPlay_CheckBoxClick(TObject* sender) {
  CDDriveChange(sender);
  AllPlay_CheckBox->SetEnabled(AutoPlay_CheckBox->Checked());
}

void TPropertyForm::ExitWin_CheckBoxClick(TObject* sender) {
  CDDriveChange(sender);
  Dialog_CheckBox->SetEnabled(PowerOff_CheckBox->Checked() || Reboot_CheckBox->Checked() ||
                              Restart_CheckBox->Checked() || LogOff_CheckBox->Checked());
}

bool TPropertyForm::ReadMediaKeysOption() const {
  vcl::TIniFile ini(SettingsFileName());
  return ini.ReadInteger(kOptionsSection, "MediaKeys", 1) != 0;
}
