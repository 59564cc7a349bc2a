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
}
