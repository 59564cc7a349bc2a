// The right-click menu through the console, as a user meets it: which items it shows and how they
// read, the confirmation, the Windows-exit requests, and the program's own end.
#include "PlayerScenario.h"
#include "platform/emu/exit_control.h"

namespace player_test {
namespace {

class ExitMenu : public PlayerScenario {
 protected:
  // Stores the right-click options as the dialog's Save would have.
  void Options(const std::string& keysAndValues) {
    std::istringstream pairs(keysAndValues);
    std::string key, value;
    while (pairs >> key >> value) {
      ASSERT_EQ(Do("ini settings RB_TabSheet " + key + " " + value + "\n"), "");
    }
  }
  std::string ExitItem(const std::string& item) {
    return Do("click right\nchoose " + item + "\nshow box\nshow exits\n");
  }
};

TEST_F(ExitMenu, OptionsDecideTheItemsAndTheirKatakanaWidth) {
  Options("PowerOff_CheckBox 0 Reboot_CheckBox 0 Restart_CheckBox 0 LogOff_CheckBox 0");
  Do("start\n");
  // Nothing but the property item, a separator and the exit item: no separator first or doubled.
  EXPECT_EQ(NativeMenu("click right\n"), "プロパティ(&R) | - | OrvantaBrevoの終了(&X) | ");
  // Ended at the script's end: nothing left open.
  Do("quit\n");
  console_.Finish();
  EXPECT_EQ(machine_.Processes().back().handlesLeftOpen, std::vector<std::string>{});

  Options(
      "PowerOff_CheckBox 1 Reboot_CheckBox 1 Restart_CheckBox 1 LogOff_CheckBox 1 "
      "RB_Spell_CheckBox 1");
  Do("drive D: cdrom\nstart\n");
  EXPECT_EQ(NativeMenu("click right\n"),
            "ｼｬｯﾄﾀﾞｳﾝ | 再起動 | Windows9xの再起動(off) | ﾛｸﾞｵﾌ | - | ﾌﾟﾛﾊﾟﾃｨ(&R) | - | "
            "OrvantaBrevoの終了(&X) | ");
  const std::string menus = Do("show menus captions\n");
  EXPECT_NE(menus.find("All_Repeat[off,unchecked,\"全曲ﾘﾋﾟｰﾄ(&A)\"]"), std::string::npos) << menus;
}

TEST_F(ExitMenu, ConfirmationIsAskedOnlyWhenItsBoxIsCheckedAndOnlyOkCounts) {
  Options("Dialog_CheckBox 1");
  Do("start\n");
  EXPECT_EQ(ExitItem("PowerOff"),
            "box: caption=\"警告\" text=\"\\nシャットダウンしてもよろしいですか？\" icon=warning "
            "buttons=okcancel labels=\"OK|ｷｬﾝｾﾙ\"\n"
            "exits: none\n");
  // The question stands on the second line: the text starts with CR LF.
  EXPECT_EQ(machine_.BoxLog().back().text.substr(0, 2), "\r\n");
  EXPECT_EQ(Do("answer cancel\nshow box\nshow exits\n"), "box: none\nexits: none\n");

  ExitItem("Reboot");
  EXPECT_EQ(Do("answer ok\nshow exits\nshow process\n"),
            "exit: reboot flags=0x2 privilege=on\nprocess: running\n");

  Options("Dialog_CheckBox 0");
  Do("quit\n");
  console_.Finish();
  Do("start\n");
  EXPECT_EQ(ExitItem("PowerOff"),
            "box: none\n"
            "exit: reboot flags=0x2 privilege=on\n"
            "exit: shutdown flags=0x1 privilege=on\n");
}

// On Windows 9x: failures are shown and the program stays; the restart goes through the 16-bit
// route, power-off asks for it, and an accepted log-off ends the program.
TEST_F(ExitMenu, Windows9xFailuresShowTheRestartTakesThe16BitRouteAndLogOffEndsTheProgram) {
  Do("machine 9x\nstart\nfail QT_Thunk\n");
  EXPECT_EQ(ExitItem("Restart"),
            "box: caption=\"OrvantaBrevo\" text=\"Faild to call QT_Thunk.\" icon=error buttons=ok\n"
            "exits: none\n");
  Do("answer ok\nfail ExitWindowsEx\n");
  EXPECT_EQ(ExitItem("LogOff"),
            "box: caption=\"OrvantaBrevo\" text=\"Could not log off Windows.\" icon=error "
            "buttons=ok\n"
            "exits: none\n");
  EXPECT_EQ(Do("answer ok\nshow process\nshow tray\n"),
            "process: running\ntray: visible=1 image=ZCD tip=\"Orvanta\"\n");

  EXPECT_EQ(ExitItem("Restart"), "box: none\nexit: restart9x code=0x42\n");
  EXPECT_EQ(ExitItem("PowerOff"),
            "box: none\nexit: restart9x code=0x42\nexit: poweroff flags=0x9\n");
  EXPECT_EQ(Do("show process\n"), "process: running\n");
  EXPECT_EQ(Do("click right\nchoose LogOff\nshow exits\nshow process\nshow tray\n"),
            "exit: restart9x code=0x42\nexit: poweroff flags=0x9\nexit: logoff flags=0x0\n"
            "process: ended code=0\ntray: none\n");
}

// Each exit item asks its own question; a box that cannot be shown (MessageBox returns 0) is no
// more consent than Cancel. 9x asks through MessageBoxA, NT through MessageBoxW.
TEST_F(ExitMenu, EachItemAsksItsQuestionAndABoxThatCannotShowIsNoConsent) {
  Options(
      "PowerOff_CheckBox 1 Reboot_CheckBox 1 Restart_CheckBox 1 LogOff_CheckBox 1 "
      "Dialog_CheckBox 1");
  Do("machine 9x\nmachine codepage 932\nstart\n");
  const std::pair<const char*, const char*> questions[] = {
      {"PowerOff", "シャットダウンしてもよろしいですか？"},
      {"Reboot", "コンピュータを再起動してもよろしいですか？"},
      {"Restart", "Windowsを再起動してもよろしいですか？"},
      {"LogOff", "Windowsからログオフしてもよろしいですか？"}};
  for (const auto& [item, question] : questions) {
    EXPECT_EQ(ExitItem(item), "box: caption=\"警告\" text=\"\\n" + std::string(question) +
                                  "\" icon=warning buttons=okcancel labels=\"OK|ｷｬﾝｾﾙ\"\n"
                                  "exits: none\n")
        << item;
    Do("answer cancel\nfail MessageBoxA\n");
    EXPECT_EQ(ExitItem(item), "box: none\nexits: none\n") << item;
  }
  EXPECT_EQ(Do("show process\n"), "process: running\n");
  Do("quit\n");
  console_.Finish();

  Do("machine nt\nstart\nfail MessageBoxW\n");
  EXPECT_EQ(ExitItem("Reboot"), "box: none\nexits: none\n");
  // The next box shows again, and OK is consent.
  ExitItem("Reboot");
  EXPECT_EQ(Do("answer ok\nshow exits\n"), "exit: reboot flags=0x2 privilege=on\n");
}

// Unchecking every exit box disables the confirmation's box at once, but its check mark still
// counts for the items that stay in the menu until Save.
TEST_F(ExitMenu, ACheckedButDisabledConfirmationBoxStillAsks) {
  Options(
      "PowerOff_CheckBox 0 Reboot_CheckBox 0 Restart_CheckBox 0 LogOff_CheckBox 1 "
      "Dialog_CheckBox 1");
  Do("start\nclick right\nchoose Version\ndialog tab 1\ndialog click LogOff_CheckBox\n");
  ASSERT_NE(Do("show dialog\n").find("Dialog_CheckBox: checked disabled"), std::string::npos);
  EXPECT_EQ(ExitItem("LogOff"),
            "box: caption=\"警告\" text=\"\\nWindowsからログオフしてもよろしいですか？\" "
            "icon=warning buttons=okcancel labels=\"OK|ｷｬﾝｾﾙ\"\n"
            "exits: none\n");
}

// While the confirmation is open the program's windows take no input: the dialog refuses the
// user, the tray icon opens no menu (so no second box can be asked for), but the timers run.
TEST_F(ExitMenu, AnOpenConfirmationHoldsTheDialogAndTheMenusButNotTheTimers) {
  Options("PowerOff_CheckBox 1 Reboot_CheckBox 1 Dialog_CheckBox 1");
  Do("drive D: cdrom\nstart\nclick right\nchoose Version\n");
  ExitItem("PowerOff");
  EXPECT_NE(Do("dialog click AutoPlay_CheckBox\n").find("error: "), std::string::npos);
  EXPECT_NE(Do("dialog key space\n").find("error: "), std::string::npos);
  EXPECT_EQ(Do("click right\n"), "");
  EXPECT_FALSE(emu::OpenPopupMenu(machine_)) << "a second exit item could be chosen";
  EXPECT_EQ(Do("click left\nwait 500\n"), "");
  EXPECT_FALSE(emu::OpenPopupMenu(machine_));
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  Do("disc D: audio:0:30\nwait 1500\n");
  EXPECT_NE(Tray().find("image=STOP"), std::string::npos) << "the disc check stood still";

  EXPECT_EQ(Do("answer ok\nshow box\nshow exits\n"),
            "box: none\nexit: shutdown flags=0x1 privilege=on\n");
  EXPECT_EQ(Do("dialog click AutoPlay_CheckBox\n"), "");
  EXPECT_NE(NativeMenu("click right\n"), "no menu");
}

// An exit command touches nothing before it asks Windows: the disc plays on and the settings stay
// as they are, through every exit item, the log-off that ends the program last.
TEST_F(ExitMenu, NothingIsStoppedOrWrittenBeforeAnExitRequest) {
  Options("PowerOff_CheckBox 1 Reboot_CheckBox 1 Restart_CheckBox 1 LogOff_CheckBox 1");
  Do("machine 9x\ndrive D: cdrom\ndisc D: audio:5:00 audio:5:00\nstart\n");
  Choose("Play");
  const std::string settings = machine_.Settings();
  const int stops = Count(MCI_STOP);
  for (const char* item : {"PowerOff", "Reboot", "Restart"}) {
    ExitItem(item);
    EXPECT_NE(Device().find("mode=playing"), std::string::npos) << item;
  }
  EXPECT_EQ(Do("click right\nchoose LogOff\nshow exits\nshow process\n"),
            "exit: poweroff flags=0x9\nexit: reboot flags=0x2\nexit: restart9x code=0x42\n"
            "exit: logoff flags=0x0\nprocess: ended code=0\n");
  EXPECT_EQ(Count(MCI_STOP), stops);
  EXPECT_EQ(emu::CdDrive(machine_, 'D')->mode, static_cast<DWORD>(MCI_MODE_PLAY))
      << "the drive plays on after the device closed";
  EXPECT_EQ(machine_.Settings(), settings);
}

// When Windows cannot say which family it is, the start-up greys the restart item exactly as the
// exit component then refuses it: both take the system for NT.
TEST_F(ExitMenu, AnUnknownWindowsVersionIsNtForTheMenuAndTheRestartAlike) {
  Options("Restart_CheckBox 1");
  // With a drive: without a device the start-up ends before it looks at the platform.
  // The media keys, turned off, read no version before the menu's rule does.
  Do("ini settings Options MediaKeys 0\nmachine 9x\nmachine codepage 932\ndrive D: cdrom\n"
     "fail GetVersionExA\nstart\n");
  EXPECT_NE(NativeMenu("click right\n").find("Windows9xの再起動(off)"), std::string::npos);
  Do("quit\n");
  console_.Finish();
  Do("machine 9x\nmachine codepage 932\nstart\n");
  EXPECT_EQ(NativeMenu("click right\n").find("(off)"), std::string::npos);
  Do("fail GetVersionExA\n");
  EXPECT_EQ(ExitItem("Restart"),
            "box: caption=\"OrvantaBrevo\" text=\"Can not restart Windows on Windows NT.\" "
            "icon=error buttons=ok\n"
            "exits: none\n");
}

TEST_F(ExitMenu, ExitEndsTheProgramQuietlyWithAndWithoutADrive) {
  // First without a CD drive (no device open), then while a disc plays.
  for (const char* setup : {"", "drive D: cdrom\ndisc D: audio:0:10\n"}) {
    Do(std::string(setup) + "start\nclick left\nwait 500\n" +
       (*setup ? "choose Play\n" : "dismiss\n"));
    const std::string before = machine_.Settings();
    EXPECT_EQ(Do("click right\nchoose Exit\nshow tray\nshow device\n"),
              "tray: none\ndevice: closed\n")
        << setup;
    EXPECT_FALSE(machine_.Process(machine_.Processes().back().id).running) << setup;
    EXPECT_EQ(machine_.Processes().back().exitCode, 0) << setup;
    EXPECT_EQ(machine_.Processes().back().handlesLeftOpen, std::vector<std::string>{}) << setup;
    // The disc stops: closing the device alone would leave the drive playing.
    if (*setup) {
      EXPECT_EQ(emu::CdDrive(machine_, 'D')->mode, static_cast<DWORD>(MCI_MODE_STOP));
    }
    // Nothing is written at the end.
    EXPECT_EQ(machine_.Settings(), before) << setup;
  }
  // Not a word on the way out.
  EXPECT_TRUE(machine_.BoxLog().empty());
}

// Every token the exit route opens is closed by the program on every path, also when a step fails
// and when the program then ends: the machine reports any handle left to the end.
TEST_F(ExitMenu, EveryPathClosesItsTokenAndTheProgramEndsWithNothingOpen) {
  Options("Dialog_CheckBox 0");
  Do("start\n");
  for (const char* failure : {"AdjustTokenPrivileges", "LookupPrivilegeValueA", "ExitWindowsEx",
                              "OpenProcessToken", ""}) {
    if (*failure) Do(std::string("fail ") + failure + "\n");
    ExitItem("PowerOff");
    Do("answer ok\n");
  }
  EXPECT_EQ(Do("show box\n"), "box: none\n");
  EXPECT_EQ(Do("click right\nchoose LogOff\nshow process\n"), "process: ended code=0\n");
  int opened = 0, closed = 0;
  for (const std::string& line : emu::ExitTrace(machine_)) {
    opened += line.rfind("OpenProcessToken", 0) == 0 && line.find("failed") == std::string::npos;
    closed += line == "CloseHandle token";
    EXPECT_EQ(line.find("left open"), std::string::npos) << line;
  }
  EXPECT_EQ(opened, 4) << "one per power-off whose token opened";
  EXPECT_EQ(closed, opened);
  EXPECT_EQ(machine_.Processes().back().handlesLeftOpen, std::vector<std::string>{});
}

}  // namespace
}  // namespace player_test
