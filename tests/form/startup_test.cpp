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
  machine.InsertExampleDisc('D');
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

// Without a CD drive (C: only) no device opens: nothing is said, written or watched. The player
// menu's states for it: the console's scenario (Commands).
TEST(Startup, WithoutACdDriveRunsHiddenWithTheHandCursorWatchesNothingAndLeavesWithItsIcon) {
  TestMachine machine;
  int pid = machine.StartProgram();
  EXPECT_TRUE(machine.Process(pid).running);
  EXPECT_TRUE(machine.OpenBoxes().empty()) << "the device error is not shown";
  EXPECT_FALSE(machine.SettingsExist());
  EXPECT_FALSE(Form()->CDCheck->Enabled());
  EXPECT_EQ(Form()->InsertCount, 0);
  EXPECT_TRUE(Form()->Restart->Enabled()) << "start-up stopped before the platform check";
  EXPECT_FALSE(Form()->Save_Button->Enabled());
  EXPECT_EQ(emu::ImageName(Form()->TrayIcon->Icon()->Handle()), "ZCD");
  bool sawApplicationWindow = false;
  for (const auto& w : machine.Windows()) {
    EXPECT_FALSE(w.visible) << w.className << " \"" << w.text << "\" is visible";
    if (w.className == "TApplication") {
      sawApplicationWindow = true;
      EXPECT_EQ(w.text, "OrvantaBrevo");
    }
  }
  EXPECT_TRUE(sawApplicationWindow);
  vcl::TScreen* screen = vcl::Screen.InRunningProgram();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(emu::ImageName(screen->Cursors(1)), "HAND");
  // Ended by the system, it takes its icon along and ends with code 0.
  machine.EndAllProcesses();
  EXPECT_EQ(machine.Process(1).exitCode, 0);
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  EXPECT_EQ(emu::ShellTrace(machine).back().message, static_cast<DWORD>(NIM_DELETE));
}

// The drive list, the stored choice and the disc found in it at start-up (an audio disc of serial
// 0xC2C3B in D:).
TEST(Startup, DriveListAndTheStoredChoiceDecideTheDevice) {
  const struct {
    const char* name;
    const char* drives;
    const char* stored;   // CDDrive in the file before the start; none when null
    const char* failing;  // a call that fails once
    const char* items;    // the drive list's entries, each followed by a blank
    int index;
    const char* current;
    const char* storedAfter;
    DWORD serial;
    const char* image;
  } cases[] = {
      {"letter order, the first stored", "FD", nullptr, "", "D: F: ", 0, "D:", "0", 0xC2C3B,
       "STOP"},
      {"the index read by the integer rule", "DF", "0x1", "", "D: F: ", 1, "F:", "1", 0, "NOCD"},
      // Outside the list: the default device opens, and -1 is stored.
      {"an index outside the list", "D", "1", "", "D: ", -1, "", "-1", 0, "NOCD"},
      // No drive to ask: the volume query fails and the player shows no disc.
      {"no drive list", "D", nullptr, "GetLogicalDriveStringsA", "", -1, "", "-1", 0, "NOCD"},
  };
  for (const auto& c : cases) {
    TestMachine machine;
    for (const char* letter = c.drives; *letter; ++letter) machine.AddCdDrive(*letter);
    machine.InsertExampleDisc('D');
    if (c.stored) {
      machine.WriteFile(machine.SettingsPath(),
                        std::string("[CDPlayer_TabSheet]\r\nCDDrive=") + c.stored + "\r\n");
    }
    if (*c.failing) machine.FailNext(c.failing);
    machine.StartProgram();
    TPropertyForm* form = Form();
    std::string items;
    for (const std::string& item : form->CDDrive->Items()) items += item + " ";
    EXPECT_EQ(items, c.items) << c.name;
    EXPECT_EQ(form->CDDrive->ItemIndex(), c.index) << c.name;
    EXPECT_EQ(form->CurrentDrive, c.current) << c.name;
    EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "CDDrive"), c.storedAfter) << c.name;
    EXPECT_TRUE(form->CDCheck->Enabled()) << c.name << ": a device opened";
    EXPECT_EQ(form->LastSerial, c.serial) << c.name;
    EXPECT_EQ(form->VolumeName, std::string(c.serial ? "Audio CD" : "")) << c.name;
    EXPECT_EQ(form->InsertCount, 1) << c.name;
    EXPECT_EQ(emu::ImageName(form->TrayIcon->Icon()->Handle()), c.image) << c.name;
  }
}

}  // namespace
