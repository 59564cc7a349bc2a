// The player menu's commands, their tray images and menu states, and the end of a disc.
#include <cstdlib>

#include "PlayerScenario.h"

namespace player_test {
namespace {

using Commands = PlayerScenario;

// Windows resolves "D:" against the current directory on D:; the program asks for the root, so
// the disc is found wherever that directory is.
TEST_F(Commands, PlayPausePlayStopWalkTheStateTable) {
  Do(std::string("drive D: cdrom\nmachine cwd D: \"\\MUSIC\"\ndisc D: ") + kThreeTracks +
     "\nstart\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(), kAllOn);

  Choose("Play");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(),
            "LBPopupMenu: Play[off] Stop[on] Pause[on] Next[on] Previous[on] "
            "All_Repeat[on,unchecked] Eject[on]\n");
  Do("wait 3000\n");

  Choose("Pause");
  EXPECT_EQ(Menu(), kAllOn);
  Choose("Stop");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(), kAllOn);
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=1 position=00:00:00\n");
}

TEST_F(Commands, NextAndPreviousMoveWithoutPlayingWhenStoppedAndKeepPlaying) {
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Choose("Next");
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=2 position=00:00:00\n");
  Choose("Previous");
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=1 position=00:00:00\n");
  Choose("Next");
  Choose("Play");
  Do("wait 1000\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=2 position=00:01:00\n");
  Choose("Next");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=3 position=00:00:00\n");
  Do("wait 1500\n");
  Choose("Previous");  // more than a second into the track: back to its start
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=3 position=00:00:00\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
}

TEST_F(Commands, WithoutADeviceEjectReportsItAndNothingElseChanges) {
  Do("start\n");  // no CD drive: no device opens
  EXPECT_EQ(Tray(), "tray: visible=1 image=ZCD tip=\"Orvanta\"\n");
  EXPECT_EQ(Menu(), kAllOff);
  Choose("Eject");
  EXPECT_EQ(
      Do("show box\n"),
      "box: caption=\"OrvantaBrevo\" text=\"MCI ﾃﾞﾊﾞｲｽがありません.\" icon=error buttons=ok\n");
  Do("answer ok\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=ZCD tip=\"Orvanta\"\n");
  EXPECT_EQ(Menu(), kAllOff);
}

TEST_F(Commands, EjectOpensTheDoorThePollShowsNoDiscAndARefusedPlayRaisesNothing) {
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Choose("Play");
  Choose("Eject");
  EXPECT_NE(Device().find("mode=open"), std::string::npos);
  Do("wait 1000\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  EXPECT_EQ(Menu(), kAllOff);

  // A disc taken out behind the player's back: Play is refused without a word and stays on until
  // the poll shows no disc.
  Do(std::string("disc D: ") + kThreeTracks + "\nwait 1500\neject D:\n");
  Choose("Play");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(), kAllOn);
  EXPECT_EQ(Do("show box\n"), "box: none\n");
  Do("wait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  EXPECT_EQ(Menu(), kAllOff);
}

// The README's example must keep working as it says.
TEST(ExampleScript, PlaysTheDiscToItsEndAndRoundAgain) {
  const char* source = std::getenv("ORVANTA_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  std::ifstream script(std::string(source) + "/docs/examples/repeat-three-tracks.txt");
  ASSERT_TRUE(script);
  std::ostringstream out;
  EXPECT_EQ(sim::RunScript(script, out, emu::MachineOptions{}), 0);
  EXPECT_EQ(out.str(),
            "tray: visible=1 image=STOP tip=\"Virtual Sessions\"\n"
            "tray: visible=1 image=PLAY tip=\"Virtual Sessions\"\n"
            "device: open drive=D: mode=playing track=1 position=00:00:00\n"
            "device: open drive=D: mode=playing track=3 position=00:05:00\n"
            "device: open drive=D: mode=playing track=1 position=00:01:00\n"
            "tray: visible=1 image=PLAY tip=\"Virtual Sessions\"\n"
            "LBPopupMenu: Play[off] Stop[on] Pause[on] Next[on] Previous[on] "
            "All_Repeat[on,checked] Eject[on]\n"
            "RBPopupMenu: PowerOff[on] Reboot[on] Restart[off] LogOff[on] Version[on] Exit[on]\n"
            "device: open drive=D: mode=stopped track=1 position=00:00:00\n");
}

TEST_F(Commands, ReopenFailingAtTheEndOfTheDiscIsShownAndLeavesTheStepsDone) {
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Choose("Play");
  Do("wait 22000\n");
  // The drive reaches the end; no notification tells the program, its next disc check does.
  while (emu::CdDrive(machine_, 'D')->mode == MCI_MODE_PLAY) Do("wait 10\n");
  emu::ClearMciTrace(machine_);
  // At the check: its mode, position, track count, last track's type and length queries,
  // StopClick's stop and the close of its reopen go through; the open fails, as when another
  // program has taken the drive.
  machine_.FailNext("mciSendCommandA", MCIERR_MUST_USE_SHAREABLE, 7);
  for (int waited = 0; Count(MCI_OPEN) == 0 && waited < 1500; waited += 10) Do("wait 10\n");
  const auto trace = emu::MciTrace(machine_);
  // The close aborted the play's request, still pending: the device's handler of that
  // notification asks the closed device for its mode.
  ASSERT_EQ(trace.size(), 9u);
  EXPECT_EQ(trace[5].command, static_cast<UINT>(MCI_STOP));
  EXPECT_EQ(trace[7].command, static_cast<UINT>(MCI_OPEN));
  EXPECT_EQ(trace[7].result, static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));
  EXPECT_EQ(trace[8].command, static_cast<UINT>(MCI_STATUS));
  EXPECT_EQ(trace[8].result, static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  const std::string box = Do("show box\n");
  EXPECT_NE(box.find("caption=\"OrvantaBrevo\""), std::string::npos) << box;
  EXPECT_NE(box.find("icon=error"), std::string::npos) << box;
  Do("answer ok\n");
  // The image changed before the failure; the menu steps after it did not run.
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(),
            "LBPopupMenu: Play[off] Stop[on] Pause[on] Next[on] Previous[on] "
            "All_Repeat[on,unchecked] Eject[on]\n");
  EXPECT_EQ(Device(), "device: closed\n");
}

struct EndCase {
  const char* machine;  // console lines setting up the machine's driver
  const char* tracks;
  int seconds;  // how long the disc plays
};

class EndOfDisc : public PlayerScenario, public ::testing::WithParamInterface<EndCase> {};

// NT's driver never reports the end of a play: the program's own disc check sees it within its
// period. Where the driver reports it too (9x, or asked for), the two together still act once:
// the disc stops, or with All_Repeat checked starts again - once, not twice.
TEST_P(EndOfDisc, StopsOrRepeatsOnceWithinADiscCheck) {
  const EndCase& c = GetParam();
  Do(std::string(c.machine) + "drive D: cdrom\ndisc D: " + c.tracks + "\nstart\n");
  const std::string length = "wait " + std::to_string(c.seconds * 1000 + 1500) + "\n";
  Choose("Play");
  Do(length);
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(), kAllOn);
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=1 position=00:00:00\n");

  Choose("All_Repeat");
  emu::ClearMciTrace(machine_);
  Choose("Play");
  Do(length);
  EXPECT_NE(Device().find("mode=playing track=1 position=00:01:"), std::string::npos) << Device();
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
  EXPECT_EQ(Count(MCI_PLAY), 2) << "the chosen play and one start again";
  Do(length);
  EXPECT_EQ(Count(MCI_PLAY), 3);

  // Stop stays stopped with All_Repeat checked.
  Choose("Stop");
  Do(length);
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=1 position=00:00:00\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  Choose("All_Repeat");
  EXPECT_NE(Menu().find("All_Repeat[on,unchecked]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, EndOfDisc,
    ::testing::Values(EndCase{"", "audio:0:10 audio:0:08 audio:0:05", 23},
                      EndCase{"", "audio:0:10 audio:0:05 data:1:00", 15},
                      EndCase{"machine endnotify on\n", "audio:0:10 audio:0:08 audio:0:05", 23},
                      EndCase{"machine 9x\n", "audio:0:10 audio:0:05 data:1:00", 15}));

// A driver that reports the end lets the notification end the disc at once; NT's leaves it to
// the next disc check.
TEST_F(Commands, AReportedEndStopsTheDiscAtOnceAnUnreportedOneAtTheNextCheck) {
  Do("drive D: cdrom\nstart\n");
  for (const bool reported : {true, false}) {
    SCOPED_TRACE(reported ? "reported" : "unreported");
    Do(std::string("machine endnotify ") + (reported ? "on" : "off") + "\ndisc D: " + kThreeTracks +
       "\nwait 1500\n");
    Choose("Play");
    Do("wait 21000\n");
    while (emu::CdDrive(machine_, 'D')->mode == MCI_MODE_PLAY) Do("wait 10\n");
    Do("wait 10\n");
    EXPECT_EQ(Tray(), std::string("tray: visible=1 image=") + (reported ? "STOP" : "PLAY") +
                          " tip=\"Orvantino\"\n");
    Do("wait 1500\n");
    EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
    EXPECT_EQ(Menu(), kAllOn);
    Do("eject D:\nwait 1500\n");
  }
}

// Windows NT's driver reads a pause as a stop, Windows 9x's refuses to resume: on both the program
// plays on from the pause through its own Play.
class PauseOnEachFamily : public PlayerScenario,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(PauseOnEachFamily, PlayAfterPausePlaysOnFromThePause) {
  Do(std::string("machine ") + GetParam() + "\ndrive D: cdrom\ndisc D: " + kThreeTracks +
     "\nstart\n");
  Choose("Play");
  Do("wait 3000\n");
  Choose("Pause");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PAUSE tip=\"Orvantino\"\n");
  Do("wait 20000\n");
  EXPECT_NE(Device().find("mode=paused"), std::string::npos) << "a paused disc stays paused";
  Choose("Play");
  Do("wait 2000\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=1 position=00:05:37\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
}

INSTANTIATE_TEST_SUITE_P(Families, PauseOnEachFamily, ::testing::Values("nt", "9x"));

}  // namespace
}  // namespace player_test
