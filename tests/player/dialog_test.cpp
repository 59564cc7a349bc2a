// The property dialog through the console, as a user meets it: opened from the right-click menu,
// its boxes and their rules, OK, Cancel, Save with a drive switch, the keyboard, the addresses.
#include "PlayerScenario.h"
#include "platform/emu/dialog_control.h"

namespace player_test {
namespace {

class Dialog : public PlayerScenario {
 protected:
  void Open() { ASSERT_EQ(Do("click right\nchoose Version\n"), ""); }
  // The dialog's line of one control (`show dialog`).
  std::string Line(const std::string& name) {
    std::istringstream lines(Do("show dialog\n"));
    std::string line;
    while (std::getline(lines, line)) {
      if (line.rfind(name + ":", 0) == 0) return line;
    }
    return "no line for " + name;
  }
  std::string Header() {
    std::string text = Do("show dialog\n");
    return text.substr(0, text.find('\n'));
  }
  std::string RightMenu() {
    std::string menus = Do("show menus\n");
    return menus.substr(menus.find("RBPopupMenu"));
  }
};

TEST_F(Dialog, OpensOnceCancelPutsBackTheStoredBoxesAndOkStoresThem) {
  Do("drive D: cdrom\nstart\n");
  Open();
  EXPECT_EQ(Header(),
            "dialog: shown tab=0 save=off caption=\"OrvantaBrevoのプロパティ\" client=415x197 "
            "focus=PageControl");
  Do("dialog tab 1\ndialog click PowerOff_CheckBox\ndialog click Dialog_CheckBox\n");
  const std::string menusBefore = RightMenu();
  Open();  // again: the same dialog, as it was left
  EXPECT_EQ(Header(),
            "dialog: shown tab=1 save=on caption=\"OrvantaBrevoのプロパティ\" client=415x197 "
            "focus=Dialog_CheckBox");
  EXPECT_EQ(Line("PowerOff_CheckBox"), "PowerOff_CheckBox: unchecked enabled");
  int forms = 0;
  for (const auto& w : machine_.Windows()) forms += w.className == "TPropertyForm";
  EXPECT_EQ(forms, 1);

  Do("dialog click Cancel_Button\n");
  EXPECT_EQ(Do("show dialog\n"), "dialog: hidden\n");
  Open();
  EXPECT_EQ(Line("PowerOff_CheckBox"), "PowerOff_CheckBox: checked enabled");
  EXPECT_EQ(Line("Dialog_CheckBox"), "Dialog_CheckBox: unchecked enabled");
  EXPECT_EQ(Line("Save_Button"), "Save_Button: disabled");
  EXPECT_EQ(RightMenu(), menusBefore);

  // OK with nothing changed still stores the dialog: somebody else's edit behind the program's
  // back is written over.
  const std::string stored = machine_.Settings();
  Do("ini settings RB_TabSheet RB_Spell_CheckBox 1\ndialog click OK_Button\n");
  EXPECT_EQ(machine_.Settings(), stored);
  EXPECT_EQ(Do("show dialog\n"), "dialog: hidden\n");
}

TEST_F(Dialog, EnablingRulesHoldFromTheFirstShowing) {
  Do("ini settings RB_TabSheet PowerOff_CheckBox 0\nini settings RB_TabSheet Reboot_CheckBox 0\n"
     "ini settings RB_TabSheet Restart_CheckBox 0\nini settings RB_TabSheet LogOff_CheckBox 0\n"
     "ini settings CDPlayer_TabSheet AllPlay_CheckBox 1\ndrive D: cdrom\nstart\n");
  Open();
  EXPECT_EQ(Line("AllPlay_CheckBox"), "AllPlay_CheckBox: checked disabled");
  EXPECT_EQ(Line("Dialog_CheckBox"), "Dialog_CheckBox: unchecked disabled");
  // A disabled box is out of the user's reach.
  EXPECT_EQ(Do("dialog click AllPlay_CheckBox\n"),
            "error: dialog click: AllPlay_CheckBox is hidden or disabled\n");
  Do("dialog click AutoPlay_CheckBox\n");
  EXPECT_EQ(Line("AllPlay_CheckBox"), "AllPlay_CheckBox: checked enabled");
  Do("dialog click AutoPlay_CheckBox\n");
  EXPECT_EQ(Line("AllPlay_CheckBox"), "AllPlay_CheckBox: checked disabled");
  // One exit box enables the confirmation box at once; the menu waits for Save.
  Do("dialog tab 1\ndialog click LogOff_CheckBox\n");
  EXPECT_EQ(Line("Dialog_CheckBox"), "Dialog_CheckBox: unchecked enabled");
  EXPECT_NE(RightMenu().find("LogOff[on,hidden]"), std::string::npos);
  Do("dialog click Save_Button\n");
  EXPECT_NE(RightMenu().find("LogOff[on]"), std::string::npos);
}

TEST_F(Dialog, KeyboardOrderAndTheSpaceBar) {
  Do("drive D: cdrom\nstart\n");
  Open();
  auto focusAfter = [&](const std::string& key) {
    Do("dialog key " + key + "\n");
    std::string header = Header();
    return header.substr(header.find("focus=") + 6);
  };
  // Disabled controls are no stops: neither Save nor the box below auto-play, yet.
  for (const char* name : {"Cancel_Button", "OK_Button", "CDDrive", "AutoPlay_CheckBox",
                           "RunPlay_CheckBox", "PageControl"}) {
    EXPECT_EQ(focusAfter("tab"), name);
  }
  EXPECT_EQ(focusAfter("shift+tab"), "RunPlay_CheckBox");
  // On the second page the confirmation box comes after the katakana box.
  Do("dialog tab 1\n");
  for (const char* name :
       {"Cancel_Button", "OK_Button", "PowerOff_CheckBox", "Reboot_CheckBox", "Restart_CheckBox",
        "LogOff_CheckBox", "RB_Spell_CheckBox", "Dialog_CheckBox", "PageControl"}) {
    EXPECT_EQ(focusAfter("tab"), name);
  }
  Do("dialog key shift+tab\ndialog key space\n");
  EXPECT_EQ(Line("Dialog_CheckBox"), "Dialog_CheckBox: checked enabled");
  EXPECT_EQ(Line("Save_Button"), "Save_Button: enabled");
  // Enter and Esc are bound to no button.
  Do("dialog key enter\ndialog key esc\n");
  EXPECT_EQ(Header().substr(0, 13), "dialog: shown");
  // The confirmation acts before Save.
  EXPECT_EQ(Do("click right\nchoose LogOff\nshow box\nanswer cancel\nshow exits\n"),
            "box: caption=\"警告\" text=\"\\nWindowsからログオフしてもよろしいですか？\" "
            "icon=warning buttons=okcancel labels=\"OK|ｷｬﾝｾﾙ\"\nexits: none\n");
}

TEST_F(Dialog, SaveSwitchesDrivesOnlyWhenTheChoiceChanged) {
  Do(std::string("drive D: cdrom\ndrive E: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Choose("Play");
  Open();
  // Another drive chosen and the first chosen again: Save stores and playback goes on.
  Do("dialog select CDDrive 1\ndialog select CDDrive 0\ndialog click Save_Button\nwait 1000\n");
  EXPECT_NE(Device().find("drive=D: mode=playing"), std::string::npos) << Device();
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");

  // The empty E: while D: has a disc: stopped, the old drive's STOP, then the disc check's NOCD.
  Do("dialog select CDDrive 1\ndialog click Save_Button\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_NE(Device().find("drive=E:"), std::string::npos) << Device();
  EXPECT_NE(Do("show settings\n").find("CDDrive=1"), std::string::npos);
  Do("wait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");

  // A device that will not open on the way back: the plain icon, the player items off, nothing
  // said. The open fails as many calls into the switch as the open of E: came.
  const auto trace = emu::MciTrace(machine_);
  size_t open = trace.size();
  while (open > 0 && !(trace[open - 1].command == MCI_OPEN && trace[open - 1].element == "E:")) {
    --open;
  }
  size_t stop = open;
  while (stop > 0 && trace[stop - 1].command != MCI_STOP) --stop;
  ASSERT_GT(open, stop);
  machine_.FailNext("mciSendCommandA", MCIERR_HARDWARE, static_cast<int>(open - stop));
  Do("dialog select CDDrive 0\ndialog click Save_Button\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=ZCD tip=\"No CD\"\n");
  EXPECT_EQ(Menu(), kAllOff);
  EXPECT_EQ(Do("show box\n"), "box: none\n");
}

TEST_F(Dialog, AReadOnlySettingsFileKeepsEverythingAsItWas) {
  Do("drive D: cdrom\ndrive E: cdrom\nstart\n");
  Open();
  Do("dialog select CDDrive 1\ndialog tab 1\ndialog click RB_Spell_CheckBox\n"
     "readonly settings on\n");
  const std::string menus = RightMenu();
  for (const char* button : {"Save_Button", "OK_Button"}) {
    Do(std::string("dialog click ") + button + "\n");
    EXPECT_EQ(Do("show box\n"),
              "box: caption=\"OrvantaBrevo\" text=\"C:\\OrvantaBrevo\\OrvantaBrevo.ini "
              "に書き込めません.\" icon=error buttons=ok\n")
        << button;
    Do("answer ok\n");
    EXPECT_EQ(Line("Save_Button"), "Save_Button: enabled") << button;
    EXPECT_EQ(RightMenu(), menus) << button;
    EXPECT_NE(Device().find("drive=D:"), std::string::npos) << button;
  }
}

// comctl32 is loaded only when the dialog is first made: a system that cannot load it gets the
// error, not a half-made dialog, and the program runs on and can try again.
TEST_F(Dialog, WithoutComctl32TheDialogReportsAndTheProgramRunsOnToTheAddresses) {
  Do("drive D: cdrom\nstart\nfail LoadLibraryA\n");
  Open();
  EXPECT_EQ(Do("show box\n"),
            "box: caption=\"OrvantaBrevo\" text=\"Error creating window.\" icon=error "
            "buttons=ok\n");
  Do("answer ok\n");
  Open();
  EXPECT_EQ(Header().substr(0, 19), "dialog: shown tab=0");

  // The addresses go to the shell.
  EXPECT_EQ(Do("dialog click Mail_Label\n"),
            "error: dialog click: Mail_Label is hidden or disabled\n");
  Do("dialog tab 2\ndialog click Mail_Label\ndialog click HomePage_Label\n");
  EXPECT_EQ(Do("show shell\n"),
            "shell: verb=\"OPEN\" file=\"mailto:orvanta@example.jp\" parameters=\"\" "
            "directory=\"\" show=5\n"
            "shell: verb=\"OPEN\" file=\"url:http://www.example.jp/orvanta/\" parameters=\"\" "
            "directory=\"\" show=5\n");
}

TEST_F(Dialog, LaidOutForTheScreensPixelsPerInch) {
  emu::SetScreenDpi(machine_, 144);
  emu::SetFontFamilies(machine_, {"MS UI Gothic"});  // no "ＭＳ Ｐゴシック" on this machine
  Do("start\n");
  Open();
  EXPECT_NE(Header().find("client=623x296"), std::string::npos) << Header();
  // Every control's font: the face the machine has, half as large again as designed.
  for (const auto& w : machine_.Windows()) {
    if (w.className != "BUTTON" && w.className != "Button") continue;
    auto control = emu::Control(machine_, w.handle);
    if (!control || !control->font) continue;
    auto font = emu::Font(machine_, control->font);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->face, "MS UI Gothic");
    EXPECT_EQ(font->height, -18);
  }
  // Moved to a monitor of 96 DPI: laid out again as designed, where Windows suggests.
  machine_.RunInProcess(machine_.Processes().front().id, [] {
    RECT suggested{100, 100, 521, 322};
    HWND form = testing_support::Form()->Handle();
    SendMessageA(form, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
  });
  EXPECT_NE(Header().find("client=415x197"), std::string::npos) << Header();
}

}  // namespace
}  // namespace player_test
