// The program's one form: the property dialog, which also owns every other component and holds the
// player's state.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

using vcl::TObject;

class TPropertyForm : public vcl::TForm {
 public:
  explicit TPropertyForm(vcl::TComponent* owner);
  std::string ClassName() const override { return "TPropertyForm"; }

  // --- Components of the form definition --------------------------------------------------------
  vcl::TPageControl* PageControl = nullptr;
  vcl::TComboBox* CDDrive = nullptr;
  vcl::TCheckBox* AutoPlay_CheckBox = nullptr;
  vcl::TCheckBox* AllPlay_CheckBox = nullptr;
  vcl::TCheckBox* RunPlay_CheckBox = nullptr;
  vcl::TCheckBox* PowerOff_CheckBox = nullptr;
  vcl::TCheckBox* Reboot_CheckBox = nullptr;
  vcl::TCheckBox* Restart_CheckBox = nullptr;
  vcl::TCheckBox* LogOff_CheckBox = nullptr;
  vcl::TCheckBox* Dialog_CheckBox = nullptr;
  vcl::TCheckBox* RB_Spell_CheckBox = nullptr;
  vcl::TButton* OK_Button = nullptr;
  vcl::TButton* Cancel_Button = nullptr;
  vcl::TButton* Save_Button = nullptr;

  // --- Player state
  // -------------------------------------------------------------------------------
  std::string CurrentDrive;  // "D:", empty before the device is opened on a drive
  DWORD LastSerial = 0;      // volume serial last seen in CurrentDrive; 0: no disc
  DWORD VolumeSerial = 0;    // result of the latest ReadVolumeInfo; 0 when it failed
  char VolumeName[256] = {};
  char DiscIdentity[17] = {};
  int32_t InsertCount = 0;  // disc detections since start; auto-play acts from 2 on

  // --- Start-up (player side)
  // ---------------------------------------------------------------------
  void FormCreate(TObject* sender);
  void ListCDDrives();
  void ReadVolumeInfo();
  void AppMessage(MSG& msg, bool& handled);
  void MinimizeAppWindow();
  void RestoreAppWindow();

  // --- Settings side
  // ------------------------------------------------------------------------------ The settings
  // file: the exe's full path with its extension replaced by ".ini".
  std::string SettingsFileName() const;
  void ReadSettings();
  void WriteSettings();
  void CDDriveChange(TObject* sender);
  void CheckBoxClick(TObject* sender);
  void AutoPlay_CheckBoxClick(TObject* sender);
  void ExitWin_CheckBoxClick(TObject* sender);

 private:
  template <class T>
  void Bind(T*& field, const char* name);
};

// Load-time set-up of this unit: the hand cursor becomes screen cursor 1.
void MainUnitInitialization(vcl::TScreen& screen);

// Registers every component class the form definition names (once per process).
void RegisterFormClasses();

extern const char kPropertyFormDefinition[];
