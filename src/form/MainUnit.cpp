#include "form/MainUnit.h"

#include "toolkit/FormReader.h"
#include "toolkit/SysUtils.h"

namespace {
// Screen cursor number of the link labels' pointing hand.
constexpr int kHandCursor = 1;
}  // namespace

void MainUnitInitialization(vcl::TScreen& screen) {
  screen.SetCursors(kHandCursor, LoadCursorA(GetModuleHandleA(nullptr), "Hand"));
}

void RegisterFormClasses() {
  vcl::RegisterToolkitClasses();
  RegisterTrayClasses();
  RegisterMPlayerClasses();
  RegisterExitWinClasses();
  vcl::TClassInfo form{"TPropertyForm", "TForm", nullptr, {}};
  vcl::TClassRegistry::Instance().Register(form);
}

template <class T>
void TPropertyForm::Bind(T*& field, const char* name) {
  field = dynamic_cast<T*>(FindComponent(name));
  if (!field) throw vcl::EReadError(std::string("the form definition lacks ") + name);
}

TPropertyForm::TPropertyForm(vcl::TComponent* owner) : vcl::TForm(owner) {
  RegisterFormClasses();
  RegisterMethod("FormCreate", [this](TObject* s) { FormCreate(s); });
  RegisterMethod("CDDriveChange", [this](TObject* s) { CDDriveChange(s); });
  RegisterMethod("CheckBoxClick", [this](TObject* s) { CheckBoxClick(s); });
  RegisterMethod("AutoPlay_CheckBoxClick", [this](TObject* s) { AutoPlay_CheckBoxClick(s); });
  RegisterMethod("ExitWin_CheckBoxClick", [this](TObject* s) { ExitWin_CheckBoxClick(s); });
  RegisterMethod("PlayClick", [this](TObject* s) { PlayClick(s); });
  RegisterMethod("StopClick", [this](TObject* s) { StopClick(s); });
  RegisterMethod("PauseClick", [this](TObject* s) { PauseClick(s); });
  RegisterMethod("NextClick", [this](TObject* s) { NextClick(s); });
  RegisterMethod("PreviousClick", [this](TObject* s) { PreviousClick(s); });
  RegisterMethod("All_RepeatClick", [this](TObject* s) { All_RepeatClick(s); });
  RegisterMethod("EjectClick", [this](TObject* s) { EjectClick(s); });
  RegisterMethod("MediaPlayerNotify", [this](TObject* s) { MediaPlayerNotify(s); });
  RegisterMethod("CDCheckTimer", [this](TObject* s) { CDCheckTimer(s); });
  RegisterMethod("InsertTimer", [this](TObject* s) { InsertTimer(s); });
  RegisterMethod("PowerOffClick", [this](TObject* s) { PowerOffClick(s); });
  RegisterMethod("RebootClick", [this](TObject* s) { RebootClick(s); });
  RegisterMethod("RestartClick", [this](TObject* s) { RestartClick(s); });
  RegisterMethod("LogOffClick", [this](TObject* s) { LogOffClick(s); });
  RegisterMethod("ExitClick", [this](TObject* s) { ExitClick(s); });
  RegisterMethod("VersionClick", [this](TObject* s) { VersionClick(s); });
  RegisterMethod("OK_ButtonClick", [this](TObject* s) { OK_ButtonClick(s); });
  RegisterMethod("Cancel_ButtonClick", [this](TObject* s) { Cancel_ButtonClick(s); });
  RegisterMethod("Save_ButtonClick", [this](TObject* s) { Save_ButtonClick(s); });
  RegisterMethod("Mail_LabelClick", [this](TObject* s) { Mail_LabelClick(s); });
  RegisterMethod("HomePage_LabelClick", [this](TObject* s) { HomePage_LabelClick(s); });
  ReadDefinition(kPropertyFormDefinition);
  Bind(PageControl, "PageControl");
  Bind(CDDrive, "CDDrive");
  Bind(AutoPlay_CheckBox, "AutoPlay_CheckBox");
  Bind(AllPlay_CheckBox, "AllPlay_CheckBox");
  Bind(RunPlay_CheckBox, "RunPlay_CheckBox");
  Bind(PowerOff_CheckBox, "PowerOff_CheckBox");
  Bind(Reboot_CheckBox, "Reboot_CheckBox");
  Bind(Restart_CheckBox, "Restart_CheckBox");
  Bind(LogOff_CheckBox, "LogOff_CheckBox");
  Bind(Dialog_CheckBox, "Dialog_CheckBox");
  Bind(RB_Spell_CheckBox, "RB_Spell_CheckBox");
  Bind(OK_Button, "OK_Button");
  Bind(Cancel_Button, "Cancel_Button");
  Bind(Save_Button, "Save_Button");
  Bind(Mail_Label, "Mail_Label");
  Bind(HomePage_Label, "HomePage_Label");
  Bind(MediaPlayer, "MediaPlayer");
  Bind(TrayIcon, "TrayIcon");
  Bind(ExitWin, "ExitWin");
  Bind(Insert, "Insert");
  Bind(CDCheck, "CDCheck");
  Bind(LBPopupMenu, "LBPopupMenu");
  Bind(Play, "Play");
  Bind(Stop, "Stop");
  Bind(Pause, "Pause");
  Bind(Next, "Next");
  Bind(Previous, "Previous");
  Bind(All_Repeat, "All_Repeat");
  Bind(Eject, "Eject");
  Bind(RBPopupMenu, "RBPopupMenu");
  Bind(PowerOff, "PowerOff");
  Bind(Reboot, "Reboot");
  Bind(Restart, "Restart");
  Bind(LogOff, "LogOff");
  Bind(N1, "N1");
  Bind(Version, "Version");
  Bind(Exit, "Exit");
}
