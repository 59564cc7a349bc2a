// The program's one form: the property dialog, which also owns every other component and holds the
// player's state.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "exitwin/ExitWin32.h"
#include "form/MediaKeys.h"
#include "mci/MPlayer.h"
#include "platform/win32.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"
#include "tray/TrayIcon.h"

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
  vcl::TLabel* Mail_Label = nullptr;
  vcl::TLabel* HomePage_Label = nullptr;
  TMediaPlayer* MediaPlayer = nullptr;
  TTrayIcon* TrayIcon = nullptr;
  TExitWin* ExitWin = nullptr;
  vcl::TTimer* Insert = nullptr;
  vcl::TTimer* CDCheck = nullptr;
  // The player menu (left button).
  vcl::TPopupMenu* LBPopupMenu = nullptr;
  vcl::TMenuItem* Play = nullptr;
  vcl::TMenuItem* Stop = nullptr;
  vcl::TMenuItem* Pause = nullptr;
  vcl::TMenuItem* Next = nullptr;
  vcl::TMenuItem* Previous = nullptr;
  vcl::TMenuItem* All_Repeat = nullptr;
  vcl::TMenuItem* Eject = nullptr;
  // The Windows-exit menu (right button).
  vcl::TPopupMenu* RBPopupMenu = nullptr;
  vcl::TMenuItem* PowerOff = nullptr;
  vcl::TMenuItem* Reboot = nullptr;
  vcl::TMenuItem* Restart = nullptr;
  vcl::TMenuItem* LogOff = nullptr;
  vcl::TMenuItem* N1 = nullptr;
  vcl::TMenuItem* Version = nullptr;
  vcl::TMenuItem* Exit = nullptr;

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
  // The tray and the player items when the drive holds no disc, and when no device could be
  // opened.
  void ShowNoDisc();
  void ShowNoDevice();
  void MinimizeAppWindow();
  void RestoreAppWindow();

  // --- Player commands (the left-click menu) and the end of a disc ------------------------------
  void PlayClick(TObject* sender);
  void StopClick(TObject* sender);
  void PauseClick(TObject* sender);
  void NextClick(TObject* sender);
  void PreviousClick(TObject* sender);
  void All_RepeatClick(TObject* sender);
  void EjectClick(TObject* sender);
  void MediaPlayerNotify(TObject* sender);
  // The disc has played to its end: stop, or start again with All_Repeat checked.
  void DiscEnded();
  // Hands the icon resource `name` to the tray icon; the media keys follow the image.
  void SetTrayImage(const char* name);

  // --- Media keys -------------------------------------------------------------------------------
  // Present when the settings allow the keys ([Options] MediaKeys, on by default) and Windows has
  // them.
  std::unique_ptr<TMediaKeys> MediaKeys;
  bool ReadMediaKeysOption() const;
  // A media key pressed while the player held it: the menu command it stands for, when enabled.
  void MediaKeyPress(UINT key);

  // --- Disc monitoring, auto-play and titles ----------------------------------------------------
  void CDCheckTimer(TObject* sender);
  void InsertTimer(TObject* sender);
  void SetNoCD();
  void CDInserted();
  void CheckDataDisc();
  // Plays a disc just found when the options say so.
  void AutoPlay();
  // The title step: the tip from the CD Player's title database.
  void ShowDiscTitle();
  // The disc's title there; empty when it has none (no entry, a data track last, no identity).
  std::string ReadDiscTitle();
  // Fills DiscIdentity; false when MCI refuses.
  bool ReadDiscIdentity();
  // An MCI_STATUS item of a track of the disc in the device (the type MCI_CDA_TRACK_AUDIO/OTHER,
  // the length as MSF); none when refused.
  std::optional<DWORD> TrackStatus(DWORD item, DWORD track);
  // The end of a play that no notification reported: the player plays, the device does not, and
  // its head stands at the end of the last audio track.
  bool PlayedToEnd();

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

  // --- The dialog's own commands ----------------------------------------------------------------
  void VersionClick(TObject* sender);
  void OK_ButtonClick(TObject* sender);
  void Cancel_ButtonClick(TObject* sender);
  void Save_ButtonClick(TObject* sender);
  void Mail_LabelClick(TObject* sender);
  void HomePage_LabelClick(TObject* sender);

  // --- The right-click menu (Windows exit and the program's end) ---------------------------------
  // Which exit items show, the katakana width of four captions, and Dialog_CheckBox's enabling.
  void ApplyMenuSettings();
  void PowerOffClick(TObject* sender);
  void RebootClick(TObject* sender);
  void RestartClick(TObject* sender);
  void LogOffClick(TObject* sender);
  void ExitClick(TObject* sender);
  // Asks `question` when Dialog_CheckBox is checked; true when the user agreed or was not asked.
  bool ConfirmExit(const char* question);

 private:
  template <class T>
  void Bind(T*& field, const char* name);
};

// Load-time set-up of this unit: the hand cursor becomes screen cursor 1.
void MainUnitInitialization(vcl::TScreen& screen);

// Registers every component class the form definition names (once per process).
void RegisterFormClasses();

extern const char kPropertyFormDefinition[];
