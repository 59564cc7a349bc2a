// The property dialog through the console, as a user meets it: opened from the right-click menu,
// its boxes and their rules, OK, Cancel, Save with a drive switch, the keyboard, the addresses.
#include "PlayerScenario.h"
#include "platform/emu/dialog_control.h"
#include "platform/emu/tray_control.h"

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
  std::string Focus() {
    std::string header = Header();
    return header.substr(header.find("focus=") + 6);
  }
  // The window of the program's object called `name` (the form for "PropertyForm").
  HWND Window(const std::string& name) {
    HWND window = nullptr;
    machine_.RunInProcess(machine_.Processes().front().id, [&] {
      auto* form = testing_support::Form();
      if (name == "PropertyForm") {
        window = form->Handle();
      } else if (auto* control = dynamic_cast<vcl::TControl*>(form->FindComponent(name))) {
        window = control->WindowHandle();
      }
    });
    return window;
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

TEST_F(Dialog, SaveDisablesItselfAndTheKeyboardMovesOnToTheNextStop) {
  Do("drive D: cdrom\nstart\n");
  Open();
  Do("dialog click RunPlay_CheckBox\ndialog click Save_Button\n");
  EXPECT_EQ(Line("Save_Button"), "Save_Button: disabled");
  EXPECT_EQ(Focus(), "Cancel_Button") << "a click focuses Save, which then goes off";
  // By the keyboard alone: the box, Tab round to Save, the space bar, then Tab goes on.
  Do("dialog click RunPlay_CheckBox\ndialog key tab\ndialog key tab\n");
  ASSERT_EQ(Focus(), "Save_Button");
  Do("dialog key space\n");
  EXPECT_EQ(Line("Save_Button"), "Save_Button: disabled");
  EXPECT_NE(machine_.Settings().find("RunPlay_CheckBox=0"), std::string::npos);
  EXPECT_EQ(Focus(), "Cancel_Button");
  Do("dialog key tab\n");
  EXPECT_EQ(Focus(), "OK_Button");
}

TEST_F(Dialog, ThePropertySheetKeysTurnThePagesFromAnyControl) {
  Do("drive D: cdrom\nstart\n");
  Open();
  auto tab = [&] { return Header().substr(0, Header().find(" save")); };
  for (const char* step : {"ctrl+tab 1", "ctrl+pagedown 2", "ctrl+tab 0", "ctrl+shift+tab 2",
                           "ctrl+pageup 1", "ctrl+pageup 0"}) {
    const std::string words = step;
    Do("dialog key " + words.substr(0, words.find(' ')) + "\n");
    EXPECT_EQ(tab(), "dialog: shown tab=" + words.substr(words.find(' ') + 1)) << step;
    EXPECT_EQ(Focus(), "PageControl") << step;
  }
}

TEST_F(Dialog, ThePageKeysLeaveAButtonFocusedAndTakeTheFocusOffAHiddenPage) {
  Do("drive D: cdrom\nstart\n");
  Open();
  Do("dialog key tab\ndialog key tab\n");
  ASSERT_EQ(Focus(), "OK_Button");
  Do("dialog key ctrl+tab\n");
  EXPECT_EQ(Header().substr(0, 23), "dialog: shown tab=1 sav");
  EXPECT_EQ(Focus(), "OK_Button");
  Do("dialog click LogOff_CheckBox\ndialog key ctrl+tab\n");
  EXPECT_EQ(Header().substr(0, 23), "dialog: shown tab=2 sav");
  EXPECT_EQ(Focus(), "PageControl");
  // The space bar now reaches no box of the page that went.
  Do("dialog key space\n");
  EXPECT_EQ(Line("LogOff_CheckBox"), "LogOff_CheckBox: unchecked enabled");
  EXPECT_EQ(Do("dialog key ctrl+alt+tab\n").substr(0, 31), "error: dialog key: expected tab");
}

TEST_F(Dialog, ComingBackToTheDialogPutsTheFocusWhereItWasAndBringsItToTheFront) {
  Do("drive D: cdrom\nstart\n");
  Open();
  Do("dialog tab 1\ndialog click Reboot_CheckBox\n");
  ASSERT_EQ(Focus(), "Reboot_CheckBox");
  // Another program's window in front: the dialog's thread has no focus left.
  HWND other = CreateWindowExA(0, "BUTTON", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(emu::ActivateWindow(machine_, other));
  EXPECT_EQ(Focus(), "none");
  ASSERT_TRUE(emu::ActivateWindow(machine_, Window("PropertyForm")));
  EXPECT_EQ(Focus(), "Reboot_CheckBox");

  // Opened again from the program while another window is in front: brought to the front,
  // the focus back on the box.
  ASSERT_TRUE(emu::ActivateWindow(machine_, other));
  machine_.RunInProcess(machine_.Processes().front().id,
                        [] { testing_support::Form()->VersionClick(nullptr); });
  EXPECT_EQ(emu::ForegroundWindow(machine_), Window("PropertyForm"));
  EXPECT_EQ(Focus(), "Reboot_CheckBox");

  // Hidden and shown again from the menu: the same.
  Do("dialog click Cancel_Button\n");
  Open();
  EXPECT_EQ(emu::ForegroundWindow(machine_), Window("PropertyForm"));
  EXPECT_EQ(Focus(), "Cancel_Button");
}

TEST_F(Dialog, EachExitBoxAloneEnablesTheConfirmationBox) {
  Do("ini settings RB_TabSheet PowerOff_CheckBox 0\nini settings RB_TabSheet Reboot_CheckBox 0\n"
     "ini settings RB_TabSheet Restart_CheckBox 0\nini settings RB_TabSheet LogOff_CheckBox 0\n"
     "drive D: cdrom\nstart\n");
  Open();
  Do("dialog tab 1\n");
  for (const char* box :
       {"PowerOff_CheckBox", "Reboot_CheckBox", "Restart_CheckBox", "LogOff_CheckBox"}) {
    Do(std::string("dialog click ") + box + "\n");
    EXPECT_EQ(Line("Dialog_CheckBox"), "Dialog_CheckBox: unchecked enabled") << box;
    Do(std::string("dialog click ") + box + "\n");
    EXPECT_EQ(Line("Dialog_CheckBox"), "Dialog_CheckBox: unchecked disabled") << box;
  }
}

TEST_F(Dialog, TheTwoAddressesShowTheHandCursor) {
  Do("drive D: cdrom\nstart\n");
  Open();
  Do("dialog tab 2\n");
  for (const char* link : {"Mail_Label", "HomePage_Label"}) {
    ASSERT_TRUE(emu::MoveMouseOver(machine_, Window(link))) << link;
    EXPECT_EQ(emu::ImageName(emu::CurrentCursor(machine_)), "HAND") << link;
  }
  for (const char* label : {"MailTitle_Label", "Copy_Text"}) {
    ASSERT_TRUE(emu::MoveMouseOver(machine_, Window(label))) << label;
    EXPECT_NE(emu::ImageName(emu::CurrentCursor(machine_)), "HAND") << label;
  }
  Do("dialog tab 0\n");
  EXPECT_FALSE(emu::MoveMouseOver(machine_, Window("Mail_Label"))) << "on a page not shown";
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

// The old drive had no disc: the no-disc state, although the stop before the switch showed
// STOP and offered Play.
TEST_F(Dialog, SwitchingFromAnEmptyDriveShowsNoDiscUntilTheNextCheck) {
  Do(std::string("drive D: cdrom\ndrive E: cdrom\ndisc E: ") + kThreeTracks + "\nstart\n");
  ASSERT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  Open();
  Do("dialog select CDDrive 1\ndialog click Save_Button\n");
  EXPECT_NE(Device().find("drive=E:"), std::string::npos) << Device();
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  EXPECT_EQ(Menu(), kAllOff);
  Do("wait 1500\n");
  EXPECT_EQ(Menu(), kAllOn);
}

// A drive chosen and cancelled is not switched to by a later OK: the list shows the drive in
// use again.
TEST_F(Dialog, CancelKeepsTheDriveInUse) {
  Do(std::string("drive D: cdrom\ndrive E: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Open();
  Do("dialog select CDDrive 1\ndialog click Cancel_Button\n");
  Open();
  EXPECT_EQ(Line("CDDrive"), "CDDrive: items=\"D:,E:\" index=0 enabled");
  Do("dialog click RunPlay_CheckBox\ndialog click OK_Button\n");
  EXPECT_NE(Device().find("drive=D:"), std::string::npos) << Device();
  EXPECT_NE(machine_.Settings().find("CDDrive=0"), std::string::npos);
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
}

// Windows 10's monitors of their own DPI: the frame is sized for the monitor the dialog is on, not
// for the system's metrics, so the client area is the design's scaled and holds every control.
TEST_F(Dialog, MovedToAMonitorOfAnotherDpiTheClientAreaIsTheDesignsScaled) {
  emu::SetPerMonitorDpi(machine_, true);
  Do("drive D: cdrom\nstart\n");
  Open();
  ASSERT_NE(Header().find("client=415x197"), std::string::npos) << Header();
  HWND form = Window("PropertyForm");
  const RECT before = machine_.Window(form)->rect;
  ASSERT_TRUE(emu::MoveToMonitor(machine_, form, 144));
  EXPECT_NE(Header().find("client=623x296"), std::string::npos) << Header();
  EXPECT_EQ(machine_.Window(form)->rect.left, before.left) << "placed where Windows suggests";
  const RECT client = emu::Control(machine_, form)->client;
  for (const auto& w : machine_.Windows()) {
    if (w.parent != form || !(w.style & WS_CHILD)) continue;
    EXPECT_LE(w.rect.right, client.right) << w.text;
    EXPECT_LE(w.rect.bottom, client.bottom) << w.text;
  }
  EXPECT_EQ(machine_.Window(Window("OK_Button"))->rect.bottom, 290);  // (168 + 25) * 1.5
  ASSERT_TRUE(emu::MoveToMonitor(machine_, form, 96));
  EXPECT_NE(Header().find("client=415x197"), std::string::npos) << Header();
}

}  // namespace
}  // namespace player_test
