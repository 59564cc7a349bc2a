// The program's tray icon and its two menus: what the form definition gives them, the display for
// no disc and for no device, the menus on the user's clicks, and the icon's end with the program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/emu/tray_control.h"
#include "support/TestMachine.h"

namespace {

using testing_support::Form;
using testing_support::TestMachine;

struct Item {
  std::string text;
  bool enabled;
  bool checked;
};

std::vector<Item> Items(const emu::PopupMenuInfo& menu) {
  std::vector<Item> items;
  for (const auto& item : menu.items) {
    items.push_back(Item{item.Separator() ? "-" : item.text, item.Enabled(), item.Checked()});
  }
  return items;
}

MATCHER_P(Reads, expected, "") {
  if (arg.size() != expected.size()) return false;
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i].text != expected[i].text || arg[i].enabled != expected[i].enabled ||
        arg[i].checked != expected[i].checked) {
      *result_listener << "item " << i << " differs";
      return false;
    }
  }
  return true;
}

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

  auto menu = Popup(emu::TrayButton::Left);
  EXPECT_THAT(Items(menu), Reads(std::vector<Item>{{"再生(&P)", false, false},
                                                   {"停止(&S)", false, false},
                                                   {"一時停止(&U)", false, false},
                                                   {"-", true, false},
                                                   {"次の曲(&N)", false, false},
                                                   {"前の曲(&V)", false, false},
                                                   {"-", true, false},
                                                   {"全曲リピート(&A)", false, false},
                                                   {"-", true, false},
                                                   {"CDの取り出し(&E)", true, false}}));
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

  machine.RunInProcess(pid, [] {
    auto* form = Form();
    EXPECT_TRUE(form->TrayIcon->Visible());
    EXPECT_EQ(form->TrayIcon->LBPopupMenu(), form->LBPopupMenu);
    EXPECT_EQ(form->TrayIcon->RBPopupMenu(), form->RBPopupMenu);
    EXPECT_FALSE(form->TrayIcon->OnClick);
    EXPECT_FALSE(form->Pause->Enabled());
    EXPECT_FALSE(form->All_Repeat->Checked());
    for (auto* item : {form->Play, form->Stop, form->Next, form->Previous, form->All_Repeat,
                       form->Eject, form->PowerOff, form->Version, form->Exit}) {
      EXPECT_TRUE(item->Enabled()) << item->Name();
      EXPECT_TRUE(item->Visible()) << item->Name();
    }
  });
}

TEST_F(TrayDisplay, RightClickShowsTheWindowsExitMenu) {
  pid = machine.StartProgram();
  auto menu = Popup(emu::TrayButton::Right);
  EXPECT_THAT(Items(menu), Reads(std::vector<Item>{{"シャットダウン", true, false},
                                                   {"再起動", true, false},
                                                   {"Windows9xの再起動", true, false},
                                                   {"ログオフ", true, false},
                                                   {"-", true, false},
                                                   {"プロパティ(&R)", true, false},
                                                   {"-", true, false},
                                                   {"OrvantaBrevoの終了(&X)", true, false}}));
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

TEST_F(TrayDisplay, RefusedIconAtStartIsReported) {
  machine.FailNext("Shell_NotifyIconA");
  pid = machine.StartProgram();
  auto boxes = machine.OpenBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "OrvantaBrevo");
  EXPECT_EQ(boxes[0].text, "タスクトレイにアイコンを登録できません。.");
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
}

}  // namespace
