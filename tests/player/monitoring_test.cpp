// Disc monitoring, the data-disc rule and auto-play.
#include "PlayerScenario.h"

namespace player_test {
namespace {

using Monitoring = PlayerScenario;

TEST_F(Monitoring, RemovalAndChangesAreSeenAtThePoll) {
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Do("eject D:\nwait 1499\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  Do("wait 1\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  EXPECT_EQ(Menu(), kAllOff);

  // A different disc between two polls: found once, the device opened once more for it.
  Do(std::string("disc D: ") + kThreeTracks + "\n");
  Do("disc D: audio:0:30 audio:0:30 audio:0:30\n");
  emu::ClearMciTrace(machine_);
  Do("wait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n") << "a disc without a title";
  EXPECT_EQ(Menu(), kAllOn);
  EXPECT_EQ(Count(MCI_OPEN), 1);

  // The same disc out and back in between two polls goes unnoticed.
  emu::ClearMciTrace(machine_);
  Do("eject D:\ndisc D: audio:0:30 audio:0:30 audio:0:30\nwait 3000\n");
  EXPECT_EQ(Count(MCI_OPEN), 0);
}

TEST_F(Monitoring, DiscSwappedWhilePlayingIsFoundStopped) {
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  Choose("Play");
  Do("wait 1000\ndisc D: audio:0:30 audio:0:30 audio:0:30\nwait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(), kAllOn);
}

// The option looks at the label of a second query; when that fails the label is gone too.
TEST_F(Monitoring, RunPlayWantsTheAudioLabelFromItsOwnQuery) {
  Do("ini settings CDPlayer_TabSheet AutoPlay_CheckBox 0\n"
     "ini settings CDPlayer_TabSheet RunPlay_CheckBox 1\ndrive D: cdrom\nstart\n");
  Do(std::string("disc D: ") + kThreeTracks + "\n");
  machine_.FailNext("GetVolumeInformationA", 0, 1);  // the poll's query finds it, the next fails
  Do("wait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_NE(Device().find("mode=stopped"), std::string::npos) << Device();
}

struct DataRuleCase {
  const char* tracks;
  bool runPlay;
  const char* menu;
};

class DataDiscRule : public PlayerScenario, public ::testing::WithParamInterface<DataRuleCase> {};

TEST_P(DataDiscRule, OnlyAPureDataDiscTurnsPlayingOff) {
  Do(std::string("drive D: cdrom\nini settings CDPlayer_TabSheet RunPlay_CheckBox ") +
     (GetParam().runPlay ? "1" : "0") + "\nstart\ndisc D: " + GetParam().tracks + "\nwait 1500\n");
  std::string menu = Menu();
  EXPECT_EQ(menu, GetParam().menu);
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
}

INSTANTIATE_TEST_SUITE_P(
    Discs, DataDiscRule,
    ::testing::Values(
        DataRuleCase{"data:10:00 label DATA", false,
                     "LBPopupMenu: Play[off] Stop[off] Pause[off] Next[off] Previous[off] "
                     "All_Repeat[off,unchecked] Eject[on]\n"},
        DataRuleCase{"data:10:00 label DATA", true,
                     "LBPopupMenu: Play[off] Stop[off] Pause[off] Next[on] Previous[on] "
                     "All_Repeat[off,unchecked] Eject[on]\n"},
        DataRuleCase{"audio:3:00", false, kAllOn},
        DataRuleCase{"data:10:00 audio:3:00 label MIXED", false, kAllOn},
        DataRuleCase{"audio:3:00 data:10:00", false, kAllOn}));

// The images and the device's modes in `output`, in order.
std::string States(const std::string& output) {
  std::string states;
  for (size_t at = 0; (at = output.find_first_of("im", at)) != std::string::npos; ++at) {
    if (output.compare(at, 6, "image=") && output.compare(at, 5, "mode=")) continue;
    states += output.substr(at, output.find(' ', at) - at) + " ";
  }
  return states;
}

// How auto-play and play-at-start treat the disc found at start-up and the ones after it: each
// row's options and script, and the tray's image and the device's mode at each of its looks.
TEST_F(Monitoring, AutoPlayAndRunPlayPlayOnlyTheDiscsTheyShould) {
  const std::string disc = std::string("disc D: ") + kThreeTracks + "\n";
  const std::string look = "show tray\nshow device\n";
  const std::string next = "eject D:\nwait 1500\n" + disc + "wait 1500\n" + look;
  const struct {
    const char* autoPlay;
    const char* runPlay;
    std::string script;
    const char* states;
  } rows[] = {
      // The disc found at start-up stays, the next audio disc plays.
      {"1", "0", disc + "start\n" + look + next,
       "image=STOP mode=stopped image=PLAY mode=playing "},
      // Neither: nothing plays by itself.
      {"0", "0", disc + "start\nwait 3000\n" + next, "image=STOP mode=stopped "},
      // An empty start: a disc found before the first insert tick counts as the start-up disc.
      {"1", "0", "start\n" + disc + "wait 1500\n" + look + next,
       "image=STOP mode=stopped image=PLAY mode=playing "},
      // With the tick passed the first disc plays.
      {"1", "0", "start\nwait 3000\n" + disc + "wait 1500\n" + look, "image=PLAY mode=playing "},
      // Play at start: an audio disc at start and later, a data disc not.
      {"0", "1",
       disc + "start\n" + look + next +
           "eject D:\nwait 1500\ndisc D: data:1:00 label DATA\nwait 1500\n" + look,
       "image=PLAY mode=playing image=PLAY mode=playing image=STOP mode=stopped "},
  };
  Do("drive D: cdrom\n");
  for (const auto& row : rows) {
    const std::string options =
        std::string("ini settings CDPlayer_TabSheet AutoPlay_CheckBox ") + row.autoPlay +
        "\nini settings CDPlayer_TabSheet RunPlay_CheckBox " + row.runPlay + "\n";
    EXPECT_EQ(States(Do(options + row.script)), row.states) << options << row.script;
    Do("quit\n");
    console_.Finish();
    Do("eject D:\n");
  }
}

TEST_F(Monitoring, AutoPlayLooksAtTheLabelUnlessAllPlayIsOn) {
  Do("drive D: cdrom\nini settings CDPlayer_TabSheet AutoPlay_CheckBox 1\nstart\nwait 3000\n");
  Do("disc D: data:1:00 audio:0:30 label MIXED\nwait 1500\n");
  EXPECT_EQ(Count(MCI_PLAY), 0) << "not labelled Audio CD";

  // The option acts as soon as its box is checked in the dialog.
  machine_.RunInProcess(1, [] { testing_support::Form()->AllPlay_CheckBox->SetChecked(true); });
  Do("eject D:\nwait 1500\ndisc D: data:1:00 audio:0:30 label MIXED\nwait 1500\n");
  EXPECT_EQ(Count(MCI_PLAY), 1);
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=2 position=00:00:00\n");
}

TEST_F(Monitoring, AllPlayTriesEvenADataDiscWhichStaysStopped) {
  Do("drive D: cdrom\nini settings CDPlayer_TabSheet AutoPlay_CheckBox 1\n"
     "ini settings CDPlayer_TabSheet AllPlay_CheckBox 1\nstart\nwait 3000\n");
  Do("disc D: data:10:00 label DATA\nwait 1500\n");
  EXPECT_EQ(Count(MCI_PLAY), 1);
  EXPECT_NE(Device().find("mode=stopped"), std::string::npos);
  // The refused play turns Play and Stop back on; the rest stays as the data rule left it.
  EXPECT_EQ(Menu(),
            "LBPopupMenu: Play[on] Stop[on] Pause[off] Next[off] Previous[off] "
            "All_Repeat[off,unchecked] Eject[on]\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
}

TEST_F(Monitoring, BothOptionsPlayTheDiscOnceFromTheStart) {
  Do("drive D: cdrom\nini settings CDPlayer_TabSheet AutoPlay_CheckBox 1\n"
     "ini settings CDPlayer_TabSheet RunPlay_CheckBox 1\nstart\nwait 3000\n");
  emu::ClearMciTrace(machine_);
  Do(std::string("disc D: ") + kThreeTracks + "\nwait 1500\n");
  EXPECT_EQ(Count(MCI_PLAY), 2) << "the second play command takes over from the first";
  Do("wait 2000\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=1 position=00:02:00\n");
}

// A disc still spinning up is found at the next poll; an open failing inside CDInserted is shown
// and not tried again.
TEST_F(Monitoring, DiscStillSpinningUpIsFoundAtTheNextPollAndAFailedOpenIsNotRetried) {
  Do("drive D: cdrom\nstart\n");
  Do(std::string("disc D: ") + kThreeTracks + "\nfail GetVolumeInformationA\nwait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  Do("wait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  Do("eject D:\nwait 1500\n");
  // Reopening closes the device first; the open after it fails, as with a drive held elsewhere.
  machine_.FailNext("mciSendCommandA", MCIERR_MUST_USE_SHAREABLE, 1);
  Do(std::string("disc D: ") + kThreeTracks + "\nwait 1500\n");
  std::string box = Do("show box\n");
  EXPECT_NE(box.find("box: caption=\"OrvantaBrevo\""), std::string::npos) << box;
  Do("answer ok\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"No CD\"\n");
  emu::ClearMciTrace(machine_);
  Do("wait 4500\n");
  EXPECT_EQ(Count(MCI_OPEN), 0) << "the serial is already the new one";
  EXPECT_EQ(Do("show box\n"), "box: none\n");
}

}  // namespace
}  // namespace player_test
