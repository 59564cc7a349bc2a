// The console's tray words: `click`, `choose`, `dismiss`, `show tray`, `show menus`.
#include "platform/emu/tray_control.h"
#include "support/ConsoleScenario.h"

namespace {

using ConsoleTray = testing_support::ConsoleScenario;

TEST_F(ConsoleTray, EmptyDriveShowsNoCdAndThePlayerMenuWithCaptions) {
  EXPECT_EQ(Do("drive D: cdrom\nstart\nshow tray\nshow menus captions\n"),
            "tray: visible=1 image=NOCD tip=\"No CD\"\n"
            "LBPopupMenu: Play[off,\"再生(&P)\"] Stop[off,\"停止(&S)\"] "
            "Pause[off,\"一時停止(&U)\"] Next[off,\"次の曲(&N)\"] Previous[off,\"前の曲(&V)\"] "
            "All_Repeat[off,unchecked,\"全曲リピート(&A)\"] Eject[on,\"CDの取り出し(&E)\"]\n"
            "RBPopupMenu: PowerOff[on,\"シャットダウン\"] Reboot[on,\"再起動\"] "
            "Restart[off,\"Windows9xの再起動\"] LogOff[on,\"ログオフ\"] "
            "Version[on,\"プロパティ(&R)\"] Exit[on,\"OrvantaBrevoの終了(&X)\"]\n");
  EXPECT_EQ(console_.ExitCode(), 0);
}

// Nothing running: no icon, no menus, nothing to click. Then clicks open their menus, and choose
// knows what the open menu holds.
TEST_F(ConsoleTray, ClicksOpenTheirMenusAndChooseKnowsWhatTheOpenMenuHolds) {
  EXPECT_EQ(Do("show tray\nshow menus\nclick left\nchoose Play\ndismiss\n"),
            "tray: none\nmenus: none\nerror: no icon in the notification area\n"
            "error: choose: no popup menu is open\nerror: dismiss: no popup menu is open\n");
  Do("drive D: cdrom\nstart\n");
  EXPECT_EQ(Do("click left\n"), "");
  ASSERT_TRUE(emu::OpenPopupMenu(machine_));
  EXPECT_EQ(emu::OpenPopupMenu(machine_)->items.size(), 10u);
  EXPECT_EQ(Do("choose Play\nchoose Exit\nchoose N2\nchoose Nothing\n"),
            "error: choose: Play is disabled\n"
            "error: choose: the open menu has no item \"Exit\"\n"
            "error: choose: the open menu has no item \"N2\"\n"
            "error: choose: the open menu has no item \"Nothing\"\n");
  EXPECT_TRUE(emu::OpenPopupMenu(machine_)) << "refused choices leave the menu open";
  EXPECT_EQ(Do("choose Eject\n"), "");
  EXPECT_FALSE(emu::OpenPopupMenu(machine_));

  EXPECT_EQ(Do("click right\n"), "");
  ASSERT_TRUE(emu::OpenPopupMenu(machine_));
  EXPECT_EQ(emu::OpenPopupMenu(machine_)->items.size(), 8u);
  EXPECT_EQ(Do("dismiss\nshow process\n"), "process: running\n");
  EXPECT_FALSE(emu::OpenPopupMenu(machine_));

  EXPECT_EQ(Do("click middle\nclick double\nclick twice\n"),
            "error: click: expected left, right, middle or double, not \"twice\"\n");
  EXPECT_FALSE(emu::OpenPopupMenu(machine_)) << "the double click's second press closed the menu";
}

TEST_F(ConsoleTray, ChooseTakesTheNumberClickPrintsOrTheAccessKey) {
  Do("drive D: cdrom\ndisc D: audio:1:00 audio:1:00\nstart\n");
  console_.SetInteractive(true);
  EXPECT_EQ(Do("click left\n"),
            "LBPopupMenu:\n"
            "  1  Play         再生(&P)\n"
            "  2  Stop         停止(&S)\n"
            "  3  Pause        一時停止(&U)  (disabled)\n"
            "     ----\n"
            "  4  Next         次の曲(&N)\n"
            "  5  Previous     前の曲(&V)\n"
            "     ----\n"
            "  6  All_Repeat   全曲リピート(&A)\n"
            "     ----\n"
            "  7  Eject        CDの取り出し(&E)\n"
            "choose a number, the letter after & or a name; dismiss closes the menu\n");
  EXPECT_EQ(console_.StatusLine(),
            "status: tray=STOP tip=\"Orvantino\" drive=D: mode=stopped track=1 position=00:00:00 "
            "menu=LBPopupMenu");
  // Numbers skip the separators; refusals name what was typed and leave the menu open.
  EXPECT_EQ(Do("choose 3\nchoose 8\nchoose 0\nchoose Q\n"),
            "error: choose: 3 is disabled\n  usage: choose NAME|NUMBER|LETTER\n"
            "error: choose: the open menu has no item \"8\"\n  usage: choose NAME|NUMBER|LETTER\n"
            "error: choose: the open menu has no item \"0\"\n  usage: choose NAME|NUMBER|LETTER\n"
            "error: choose: the open menu has no item \"Q\"\n  usage: choose NAME|NUMBER|LETTER\n");
  console_.SetInteractive(false);
  EXPECT_EQ(Do("choose 4\nshow device\n"),
            "device: open drive=D: mode=stopped track=2 position=00:00:00\n");
  EXPECT_EQ(Do("click right\nchoose r\nshow dialog\n").substr(0, 18), "dialog: shown tab=");
}

TEST_F(ConsoleTray, FailedIconAtStartIsReportedAndTheProgramEnds) {
  EXPECT_EQ(Do("fail Shell_NotifyIconA\nstart\nshow tray\nshow box\n"),
            "tray: none\n"
            "box: caption=\"OrvantaBrevo\" text=\"タスクトレイにアイコンを登録できません。.\" "
            "icon=error buttons=ok\n");
  // Invisible and unreachable, it would hold the single-instance name for good.
  EXPECT_EQ(Do("answer ok\nshow process\nstart\nshow process\n"),
            "process: ended code=1\nprocess: ended code=1\nprocess 2: running\n");
}

// The status line's last word tells a newcomer why nothing answers: no program was started, or
// every copy has ended; while one runs, nothing is said.
TEST_F(ConsoleTray, StatusLineSaysWhenNoProgramRuns) {
  EXPECT_EQ(console_.StatusLine(), "status: tray=none device=closed program=none");
  Do("fail Shell_NotifyIconA\nstart\n");
  EXPECT_EQ(console_.StatusLine(), "status: tray=none device=closed box=\"OrvantaBrevo\"");
  Do("answer ok\n");
  EXPECT_EQ(console_.StatusLine(), "status: tray=none device=closed program=ended");
  Do("start\n");
  const std::string running = console_.StatusLine();
  EXPECT_EQ(running.find(" program="), std::string::npos) << running;
  EXPECT_EQ(running.substr(0, 17), "status: tray=ZCD ") << running;
}

}  // namespace
