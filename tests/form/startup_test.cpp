// Start-up of the whole program on the emulated machine: single instance, drive discovery, the
// first settings file and the application window.
#include <gtest/gtest.h>

#include "platform/emu/tray_control.h"
#include "support/TestMachine.h"
#include "toolkit/Forms.h"
#include "toolkit/SysUtils.h"

namespace {

using testing_support::Form;
using testing_support::TestMachine;

TEST(Startup, SecondCopyEndsAtOnceWithCodeZeroAndFirstKeepsRunning) {
  TestMachine machine;
  int first = machine.StartProgram();
  ASSERT_TRUE(machine.Process(first).running);
  int second = machine.StartProgram();
  EXPECT_FALSE(machine.Process(second).running);
  EXPECT_EQ(machine.Process(second).exitCode, 0);
  EXPECT_TRUE(machine.Process(first).running);
  EXPECT_TRUE(machine.OpenBoxes().empty());

  machine.EndAllProcesses();
  EXPECT_EQ(machine.Process(first).exitCode, 0);
  // The mutex went with the first copy: a new one runs normally.
  int third = machine.StartProgram();
  EXPECT_TRUE(machine.Process(third).running);
}

// Program-wide state is each copy's own. With the mutex refused two copies run; an error in
// either is shown by its own application, also once the other has ended.
TEST(Startup, TwoCopiesRunningEachShowTheirOwnErrors) {
  TestMachine machine;
  machine.FailNext("CreateMutexA", ERROR_ACCESS_DENIED);
  const int copies[] = {machine.StartProgram(), machine.StartProgram()};
  HWND application[2] = {};
  for (int i : {0, 1}) {
    ASSERT_TRUE(machine.Process(copies[i]).running);
    machine.RunInProcess(copies[i],
                         [&application, i] { application[i] = vcl::Application->Handle(); });
  }
  ASSERT_NE(application[0], application[1]);

  auto raise = [&machine](int pid) {
    machine.RunInProcess(pid, [] { vcl::Guarded([] { throw vcl::Exception("raised"); }); });
    const auto boxes = machine.OpenBoxes();
    if (boxes.size() != 1) return HWND{};
    machine.AnswerBox(IDOK);
    return boxes[0].owner;
  };
  EXPECT_EQ(raise(copies[1]), application[1]);
  EXPECT_EQ(raise(copies[0]), application[0]);
  machine.RunInProcess(copies[1], [] { vcl::Application->Terminate(); });
  ASSERT_FALSE(machine.Process(copies[1]).running);
  EXPECT_EQ(raise(copies[0]), application[0]);
  EXPECT_TRUE(machine.Process(copies[0]).running);
}

// An error of FormCreate other than the device's (the shell refusing the icon's new image) is
// shown, and the program is made all the same: it runs, its icon answers the mouse.
TEST(Startup, ErrorThatIsNotTheDevicesIsShownAndTheProgramRunsOn) {
  TestMachine machine;
  machine.AddCdDrive('D');
  machine.InsertAudioDisc('D', 0xC2C3B);
  machine.FailNext("Shell_NotifyIconA", 0, 1);  // the add at the end of loading goes through
  const int pid = machine.StartProgram();
  ASSERT_EQ(machine.OpenBoxes().size(), 1u);
  // "タスクトレイに…" in code page 932.
  EXPECT_EQ(machine.OpenBoxes()[0].text.rfind("\x83\x5E\x83\x58\x83\x4E", 0), 0u);
  machine.AnswerBox(IDOK);
  EXPECT_TRUE(machine.Process(pid).running);
  const auto icons = emu::TrayIcons(machine);
  ASSERT_EQ(icons.size(), 1u);
  ASSERT_TRUE(emu::PressTrayIcon(machine, icons[0], emu::TrayButton::Right));
  EXPECT_TRUE(emu::OpenPopupMenu(machine));
}

TEST(Startup, ShowsNoWindowAndTitlesTheApplication) {
  TestMachine machine;
  machine.StartProgram();
  bool sawApplicationWindow = false;
  for (const auto& w : machine.Windows()) {
    EXPECT_FALSE(w.visible) << w.className << " \"" << w.text << "\" is visible";
    if (w.className == "TApplication") {
      sawApplicationWindow = true;
      EXPECT_EQ(w.text, "OrvantaBrevo");
    }
  }
  EXPECT_TRUE(sawApplicationWindow);
}

TEST(Startup, ListsCdDrivesInLetterOrderAndStoresTheFirst) {
  TestMachine machine;
  machine.AddCdDrive('F');
  machine.AddCdDrive('D');
  machine.StartProgram();
  EXPECT_EQ(Form()->CDDrive->Items(), (std::vector<std::string>{"D:", "F:"}));
  EXPECT_EQ(Form()->CDDrive->ItemIndex(), 0);
  EXPECT_EQ(Form()->CurrentDrive, "D:");
  EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "CDDrive"), "0");
}

TEST(Startup, HandCursorIsScreenCursorOne) {
  TestMachine machine;
  machine.StartProgram();
  vcl::TScreen* screen = vcl::Screen.InRunningProgram();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(emu::ImageName(screen->Cursors(1)), "HAND");
}

TEST(Startup, DiscInTheDriveAtStartIsSeenByItsSerial) {
  TestMachine machine;
  machine.AddCdDrive('D');
  machine.InsertAudioDisc('D', 0xC2C3B);
  machine.StartProgram();
  EXPECT_EQ(Form()->LastSerial, 0xC2C3Bu);
  EXPECT_STREQ(Form()->VolumeName, "Audio CD");
  EXPECT_EQ(Form()->InsertCount, 1);
}

TEST(Startup, FirstStartWritesTheTenKeysWithTheirDefaults) {
  TestMachine machine;
  machine.AddCdDrive('D');
  ASSERT_FALSE(machine.SettingsExist());
  machine.StartProgram();
  EXPECT_EQ(machine.Settings(),
            "[CDPlayer_TabSheet]\r\n"
            "CDDrive=0\r\n"
            "AutoPlay_CheckBox=0\r\n"
            "AllPlay_CheckBox=0\r\n"
            "RunPlay_CheckBox=0\r\n"
            "[RB_TabSheet]\r\n"
            "PowerOff_CheckBox=1\r\n"
            "Reboot_CheckBox=1\r\n"
            "Restart_CheckBox=1\r\n"
            "LogOff_CheckBox=1\r\n"
            "Dialog_CheckBox=0\r\n"
            "RB_Spell_CheckBox=0\r\n");
}

TEST(Startup, WithoutACdDriveTheDeviceCannotOpenAndNothingIsWrittenOrWatched) {
  TestMachine machine;  // C: only: no CD-audio device to open
  int pid = machine.StartProgram();
  EXPECT_TRUE(machine.Process(pid).running);
  EXPECT_TRUE(machine.OpenBoxes().empty()) << "the device error is not shown";
  EXPECT_FALSE(machine.SettingsExist());
  EXPECT_FALSE(Form()->CDCheck->Enabled());
  EXPECT_EQ(Form()->InsertCount, 0);
  EXPECT_FALSE(Form()->Play->Enabled());
  EXPECT_FALSE(Form()->All_Repeat->Enabled());
  EXPECT_TRUE(Form()->Eject->Enabled());
  EXPECT_TRUE(Form()->Restart->Enabled()) << "start-up stopped before the platform check";
  EXPECT_FALSE(Form()->Save_Button->Enabled());
  EXPECT_EQ(emu::ImageName(Form()->TrayIcon->Icon()->Handle()), "ZCD");
}

TEST(Startup, StoredIndexOutsideTheListOpensTheDefaultDeviceAndStoresMinusOne) {
  {
    TestMachine machine;
    machine.AddCdDrive('D');
    machine.WriteFile(machine.SettingsPath(), "[CDPlayer_TabSheet]\r\nCDDrive=1\r\n");
    machine.StartProgram();
    EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "CDDrive"), "-1");
    EXPECT_EQ(Form()->CDDrive->ItemIndex(), -1);
    EXPECT_EQ(Form()->CurrentDrive, "");
    EXPECT_TRUE(Form()->CDCheck->Enabled()) << "the default device opened";
  }
  {
    TestMachine machine;
    machine.AddCdDrive('D');
    machine.AddCdDrive('F');
    machine.WriteFile(machine.SettingsPath(), "[CDPlayer_TabSheet]\r\nCDDrive=0x1\r\n");
    machine.StartProgram();
    EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "CDDrive"), "1");
    EXPECT_EQ(Form()->CurrentDrive, "F:");
  }
}

}  // namespace

namespace {

TEST(Startup, RestartItemIsDisabledOnWindowsNtOnly) {
  for (auto platform : {emu::Platform::NT, emu::Platform::Win9x}) {
    testing_support::TestMachine machine;
    machine.SetPlatform(platform);
    machine.AddCdDrive('D');
    machine.StartProgram();
    EXPECT_EQ(testing_support::Form()->Restart->Enabled(), platform == emu::Platform::Win9x);
    EXPECT_TRUE(testing_support::Form()->Restart->Visible());
  }
}

}  // namespace

namespace {

TEST(Startup, FailedDriveListLeavesNothingSelectedAndTheDefaultDeviceOpen) {
  testing_support::TestMachine machine;
  machine.AddCdDrive('D');
  machine.InsertAudioDisc('D', 0xC2C3B);
  machine.FailNext("GetLogicalDriveStringsA");
  machine.StartProgram();
  auto* form = testing_support::Form();
  EXPECT_TRUE(form->CDDrive->Items().empty());
  EXPECT_EQ(form->CurrentDrive, "");
  // No drive to ask: the volume query fails and the player shows no disc.
  EXPECT_EQ(form->LastSerial, 0u);
  EXPECT_EQ(emu::ImageName(form->TrayIcon->Icon()->Handle()), "NOCD");
  EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "CDDrive"), "-1");
}

}  // namespace
