// The settings file as the program reads and writes it at start-up.
#include <gtest/gtest.h>

#include <tuple>

#include "support/TestMachine.h"

namespace {

using testing_support::Form;
using testing_support::TestMachine;

struct ValueCase {
  const char* stored;
  bool checksAnUncheckedBox;
};

class BooleanValues : public ::testing::TestWithParam<ValueCase> {};

// AutoPlay starts unchecked and PowerOff checked: a value that is not a whole integer must leave
// both as they are, while any non-zero integer checks and zero unchecks.
TEST_P(BooleanValues, ReadByTheIntegerRuleWithTheBoxAsDefault) {
  TestMachine machine;
  machine.AddCdDrive('D');
  std::string value = GetParam().stored;
  machine.WriteFile(machine.SettingsPath(), "[CDPlayer_TabSheet]\r\nAutoPlay_CheckBox=" + value +
                                                "\r\n[RB_TabSheet]\r\nPowerOff_CheckBox=" + value +
                                                "\r\n");
  machine.StartProgram();
  const char* expectedAuto = GetParam().checksAnUncheckedBox ? "1" : "0";
  EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "AutoPlay_CheckBox"), expectedAuto);
  EXPECT_EQ(machine.Setting("RB_TabSheet", "PowerOff_CheckBox"), "1");
  // A box checked from the file enables its dependant, as a click would.
  EXPECT_EQ(Form()->AllPlay_CheckBox->Enabled(), GetParam().checksAnUncheckedBox);
}

INSTANTIATE_TEST_SUITE_P(Settings, BooleanValues,
                         ::testing::Values(ValueCase{"0x1", true}, ValueCase{"$1", true},
                                           ValueCase{"2", true}, ValueCase{"-1", true},
                                           ValueCase{"yes", false}, ValueCase{"true", false},
                                           ValueCase{"", false}, ValueCase{"99999999999", false},
                                           ValueCase{"0x", false}, ValueCase{"1 ", true}));

TEST(Settings, HandWrittenFileKeepsEverythingElse) {
  TestMachine machine;
  machine.AddCdDrive('D');
  const std::string before =
      "; my player\r\n"
      "\r\n"
      "[Other]\r\n"
      "keep=this\r\n"
      "\r\n"
      "[cdplayer_tabsheet]\r\n"
      "; the drive\r\n"
      "CDDrive = 0\r\n"
      "Unknown=\"quoted\"\r\n"
      "\r\n"
      "[Trailer]\r\n"
      "x=1\r\n";
  machine.WriteFile(machine.SettingsPath(), before);
  machine.StartProgram();
  const std::string after = machine.Settings();
  for (const char* line : {"; my player\r\n\r\n[Other]\r\nkeep=this\r\n\r\n[cdplayer_tabsheet]\r\n",
                           "; the drive\r\n", "Unknown=\"quoted\"\r\n", "[Trailer]\r\nx=1\r\n"}) {
    EXPECT_NE(after.find(line), std::string::npos) << "lost: " << line;
  }
  // The existing key is rewritten in place, not added a second time.
  EXPECT_EQ(after.find("CDDrive"), after.rfind("CDDrive"));
  EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "RunPlay_CheckBox"), "0");
  EXPECT_EQ(machine.Setting("RB_TabSheet", "RB_Spell_CheckBox"), "0");
}

TEST(Settings, UnwritableFileIsReportedWithItsFullPathAndStopsTheWrite) {
  TestMachine machine;
  machine.AddCdDrive('D');
  // The fourth key's write fails: the three before it land, the rest do not.
  machine.FailNext("WritePrivateProfileStringA", ERROR_ACCESS_DENIED, 3);
  machine.StartProgram();

  auto boxes = machine.OpenBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "OrvantaBrevo");
  EXPECT_EQ(boxes[0].text, "C:\\OrvantaBrevo\\OrvantaBrevo.ini に書き込めません.");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "AllPlay_CheckBox"), "0");
  EXPECT_EQ(machine.Setting("CDPlayer_TabSheet", "RunPlay_CheckBox"), "<missing>");
  EXPECT_EQ(machine.Setting("RB_TabSheet", "PowerOff_CheckBox"), "<missing>");

  ASSERT_TRUE(machine.AnswerBox(IDOK));
  // The failed write is reported, but discs are still watched and nothing is left to save.
  EXPECT_TRUE(Form()->CDCheck->Enabled());
  EXPECT_FALSE(Form()->Save_Button->Enabled());
  EXPECT_TRUE(machine.Process(1).running);
}

// The system menu's commands: Close hides the form and the program runs on; minimize and restore
// move the application window to the form.
TEST(Settings, SystemCommandsHideTheFormAndMoveTheApplicationWindowToIt) {
  TestMachine machine;
  machine.AddCdDrive('D');
  int pid = machine.StartProgram();
  HWND form = nullptr;
  HWND app = nullptr;
  machine.RunInProcess(pid, [&] {
    Form()->Show();
    form = Form()->Handle();
    app = vcl::Application->Handle();
  });
  ASSERT_TRUE(machine.Window(form)->visible);
  PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
  machine.Settle();
  EXPECT_FALSE(machine.Window(form)->visible);
  EXPECT_TRUE(machine.Process(pid).running);
  EXPECT_TRUE(IsWindow(form));

  RECT formRect = machine.Window(form)->rect;
  PostMessageA(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  machine.Settle();
  auto minimized = *machine.Window(app);
  EXPECT_TRUE(minimized.minimized);
  EXPECT_EQ(std::tuple(minimized.rect.left, minimized.rect.top, minimized.rect.right,
                       minimized.rect.bottom),
            std::tuple(formRect.left, formRect.top, formRect.right, formRect.top));

  // The restore first lets the messages behind it run: here one that moves the form.
  static const RECT moved{300, 200, 300 + formRect.right - formRect.left,
                          200 + formRect.bottom - formRect.top};
  // Both are posted from the program's thread, so both wait when the restore begins.
  machine.RunInProcess(pid, [&] {
    PostMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
    PostMessageA(form, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&moved));
  });
  auto restored = *machine.Window(app);
  EXPECT_FALSE(restored.minimized);
  EXPECT_TRUE(restored.visible);
  EXPECT_EQ(restored.rect.left, 300);
  EXPECT_EQ(restored.rect.bottom, 0);
}

// The settings file is the exe's path with its extension, from the last "." after the last "\"
// or ":", replaced by ".ini".
TEST(Settings, FileSitsBesideTheExeUnderItsName) {
  const std::pair<const char*, const char*> kPaths[] = {
      {"C:\\My.Tools\\player", "C:\\My.Tools\\player.ini"},
      {"C:\\My.Tools\\player.exe", "C:\\My.Tools\\player.ini"},
      {"C:\\Apps\\cd.player.bin", "C:\\Apps\\cd.player.ini"},
  };
  for (const auto& [exe, ini] : kPaths) {
    TestMachine machine;
    machine.AddCdDrive('D');
    machine.SetProgramPath(exe);
    machine.StartProgram();
    EXPECT_NE(machine.ReadFile(ini).find("[CDPlayer_TabSheet]"), std::string::npos) << exe;
  }
}

}  // namespace
