// The program's tray icon and its two menus: what the form definition gives them, the display for
// no disc and for no device, the menus on the user's clicks, and the icon's end with the program.
#include <gtest/gtest.h>

#include "platform/emu/tray_control.h"
#include "support/TestMachine.h"

namespace {

using testing_support::Form;
using testing_support::TestMachine;

class TrayDisplay : public ::testing::Test {
 protected:
  TestMachine machine;
  int pid = 0;

  emu::TrayIconInfo TheIcon() {
    auto icons = emu::TrayIcons(machine);
    EXPECT_EQ(icons.size(), 1u);
    return icons.empty() ? emu::TrayIconInfo{} : icons[0];
  }
  emu::PopupMenuInfo Popup(emu::TrayButton button) {
    EXPECT_TRUE(emu::ClickTrayIcon(machine, TheIcon(), button));
    auto open = emu::OpenPopupMenu(machine);
    EXPECT_TRUE(open);
    return open ? *open : emu::PopupMenuInfo{};
  }
};

TEST_F(TrayDisplay, EmptyDriveShowsNoCdWithOnlyEjectEnabled) {
  machine.AddCdDrive('D');
  pid = machine.StartProgram();
  auto icon = TheIcon();
  EXPECT_EQ(icon.image, "NOCD");
  EXPECT_EQ(icon.tip, "No CD");
  EXPECT_TRUE(icon.hasMessage);
  EXPECT_EQ(icon.callbackMessage, 0x4C8u);

  // The items' captions and states: the console's scenarios (ConsoleTray).
  auto menu = Popup(emu::TrayButton::Left);
  EXPECT_EQ(menu.items.back().text, "CDの取り出し(&E)");
  EXPECT_EQ(menu.at.x, icon.at.x) << "at the cursor, which is on the icon";
  EXPECT_EQ(menu.at.y, icon.at.y);
}

TEST_F(TrayDisplay, StartsWithTheDefinitionsImageTipAndItems) {
  machine.AddCdDrive('D');
  machine.InsertAudioDisc('D', 0xC2C3B);
  pid = machine.StartProgram();
  const auto calls = emu::ShellTrace(machine);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(calls[0].image, "ZCD");
  EXPECT_EQ(calls[0].tip, "Orvanta");
}

TEST_F(TrayDisplay, RightClickShowsTheWindowsExitMenu) {
  pid = machine.StartProgram();
  auto menu = Popup(emu::TrayButton::Right);
  // The exit item ends the program, without a word, and takes its icon along.
  ASSERT_TRUE(emu::ChoosePopupMenuItem(machine, menu.items.back().id));
  EXPECT_FALSE(emu::OpenPopupMenu(machine));
  EXPECT_FALSE(machine.Process(pid).running);
  EXPECT_EQ(machine.Process(pid).exitCode, 0);
  EXPECT_TRUE(machine.BoxLog().empty());
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
}

TEST_F(TrayDisplay, NoDeviceDisplayDisablesThePlayerItemsAndKeepsTheImage) {
  machine.AddCdDrive('D');
  machine.InsertAudioDisc('D', 0xC2C3B);
  pid = machine.StartProgram();
  emu::ClearShellTrace(machine);
  machine.RunInProcess(pid, [] { Form()->ShowNoDevice(); });
  EXPECT_TRUE(emu::ShellTrace(machine).empty());
  auto menu = Popup(emu::TrayButton::Left);
  std::vector<bool> enabled;
  for (const auto& item : menu.items) {
    if (!item.Separator()) enabled.push_back(item.Enabled());
  }
  EXPECT_EQ(enabled, (std::vector<bool>{false, false, false, false, false, false, true}));
}

TEST_F(TrayDisplay, RestartedShellGetsTheIconBackAsItWas) {
  machine.AddCdDrive('D');
  pid = machine.StartProgram();
  emu::RestartExplorer(machine);
  auto icon = TheIcon();
  EXPECT_EQ(icon.image, "NOCD");
  EXPECT_EQ(icon.tip, "No CD");
  EXPECT_TRUE(emu::ClickTrayIcon(machine, icon, emu::TrayButton::Left));
  EXPECT_TRUE(emu::OpenPopupMenu(machine));
}

TEST_F(TrayDisplay, IconLeavesWithTheProgram) {
  pid = machine.StartProgram();
  ASSERT_EQ(emu::TrayIcons(machine).size(), 1u);
  machine.EndAllProcesses();
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  EXPECT_EQ(emu::ShellTrace(machine).back().message, static_cast<DWORD>(NIM_DELETE));
}

}  // namespace
