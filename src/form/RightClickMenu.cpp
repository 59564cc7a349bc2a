// The right-click menu: which of its Windows-exit items show and how they read, and its commands.
#include <array>

#include "form/MainUnit.h"
#include "toolkit/Dialogs.h"

namespace {

// Captions that the half-width option switches, in the order they are set.
struct KatakanaCaption {
  vcl::TMenuItem* TPropertyForm::*item;
  const char* fullWidth;
  const char* halfWidth;
};
constexpr std::array<KatakanaCaption, 4> kKatakanaCaptions{{
    {&TPropertyForm::All_Repeat, "全曲リピート(&A)", "全曲ﾘﾋﾟｰﾄ(&A)"},
    {&TPropertyForm::PowerOff, "シャットダウン", "ｼｬｯﾄﾀﾞｳﾝ"},
    {&TPropertyForm::LogOff, "ログオフ", "ﾛｸﾞｵﾌ"},
    {&TPropertyForm::Version, "プロパティ(&R)", "ﾌﾟﾛﾊﾟﾃｨ(&R)"},
}};

}  // namespace

void TPropertyForm::ApplyMenuSettings() {
  Restart->SetVisible(Restart_CheckBox->Checked());
  LogOff->SetVisible(LogOff_CheckBox->Checked());
  PowerOff->SetVisible(PowerOff_CheckBox->Checked());
  Reboot->SetVisible(Reboot_CheckBox->Checked());
  const bool halfWidth = RB_Spell_CheckBox->Checked();
  for (const KatakanaCaption& entry : kKatakanaCaptions) {
    (this->*entry.item)->SetCaption(halfWidth ? entry.halfWidth : entry.fullWidth);
  }
  const bool anyExit = Restart_CheckBox->Checked() || LogOff_CheckBox->Checked() ||
                       PowerOff_CheckBox->Checked() || Reboot_CheckBox->Checked();
  Dialog_CheckBox->SetEnabled(anyExit);
  N1->SetVisible(anyExit);
}

bool TPropertyForm::ConfirmExit(const char* question) {
  // The box's check mark counts, whether the box can be changed now or not.
  if (!Dialog_CheckBox->Checked()) return true;
  // Task-modal without an owner: Windows disables every window of the thread while the box is
  // open, so neither the dialog nor the tray icon's menus take input and no second box can be
  // asked for; timers still run.
  const int answer = vcl::MessageBoxWithCaptions(
      nullptr, question, "警告",
      MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON1 | MB_SETFOREGROUND | MB_TASKMODAL,
      {{IDOK, "OK"}, {IDCANCEL, "ｷｬﾝｾﾙ"}});
  // A box that could not be shown (0) is no consent either.
  return answer == IDOK;
}

void TPropertyForm::PowerOffClick(TObject* /*sender*/) {
  if (ConfirmExit("\r\nシャットダウンしてもよろしいですか？")) ExitWin->PowerOffWindows();
}

void TPropertyForm::RebootClick(TObject* /*sender*/) {
  if (ConfirmExit("\r\nコンピュータを再起動してもよろしいですか？")) ExitWin->RebootWindows();
}

void TPropertyForm::RestartClick(TObject* /*sender*/) {
  if (ConfirmExit("\r\nWindowsを再起動してもよろしいですか？")) ExitWin->RestartWindows();
}

void TPropertyForm::LogOffClick(TObject* /*sender*/) {
  if (!ConfirmExit("\r\nWindowsからログオフしてもよろしいですか？")) return;
  ExitWin->LogOffWindows();
  // Windows took the request: the program ends by itself rather than wait to be ended.
  Close();
}

void TPropertyForm::ExitClick(TObject* /*sender*/) {
  Close();
  try {
    MediaPlayer->Stop();
  } catch (const EMCIDeviceError&) {
    // No device is open (no CD drive): nothing to stop, and nothing to say.
    Close();
  }
}
