// The keyboard's media keys: held while a disc plays or is paused, each running the player menu's
// own command, and free for other programs the rest of the time.
#include <vector>

#include "PlayerScenario.h"
#include "platform/emu/hotkey_control.h"

namespace player_test {
namespace {

constexpr const char* kAllHeld =
    "hotkey: media-play owner=OrvantaBrevo\n"
    "hotkey: media-stop owner=OrvantaBrevo\n"
    "hotkey: media-next owner=OrvantaBrevo\n"
    "hotkey: media-prev owner=OrvantaBrevo\n";

class MediaKeys : public PlayerScenario {
 protected:
  std::string HotKeys() { return Do("show hotkeys\n"); }
  void StartWithDisc(const std::string& before = "") {
    Do("drive D: cdrom\n" + before + "disc D: " + kThreeTracks + "\nstart\n");
  }
};

TEST_F(MediaKeys, PlayPauseResumeNextAndStopFromTheKeyboard) {
  StartWithDisc();
  EXPECT_EQ(HotKeys(), "hotkeys: none\n") << "a stopped player leaves the keys to others";
  EXPECT_EQ(Do("show settings\n").find("Options"), std::string::npos)
      << "the option is the user's to write; the program only reads it";
  Choose("Play");
  EXPECT_EQ(HotKeys(), kAllHeld);

  Do("wait 2000\nkey media-play\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PAUSE tip=\"Orvantino\"\n");
  EXPECT_EQ(Menu(), kAllOn);
  EXPECT_EQ(HotKeys(), kAllHeld) << "paused is still the player's time";
  Do("wait 5000\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=paused track=1 position=00:02:00\n");

  Do("key media-play\nwait 1000\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=1 position=00:03:00\n");

  Do("key media-next\nwait 1000\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=2 position=00:01:00\n");
  Do("key media-prev\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=2 position=00:00:00\n");

  Do("key media-stop\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(HotKeys(), "hotkeys: none\n");
  EXPECT_EQ(Menu(), kAllOn);
  // Let go: a key pressed now is another program's business, and nothing plays.
  Do("key media-play\nwait 1000\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=1 position=00:00:00\n");
}

TEST_F(MediaKeys, AKeyAnotherProgramHoldsIsLeftToItAndAskedForAtTheNextPlay) {
  StartWithDisc("machine hotkey media-play \"OtherPlayer\"\n");
  Choose("Play");
  EXPECT_EQ(HotKeys(),
            "hotkey: media-play owner=OtherPlayer\n"
            "hotkey: media-stop owner=OrvantaBrevo\n"
            "hotkey: media-next owner=OrvantaBrevo\n"
            "hotkey: media-prev owner=OrvantaBrevo\n");
  EXPECT_EQ(Do("show box\n"), "box: none\n") << "a refused key is not reported";
  Do("key media-play\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n") << "the other player's key";
  Do("key media-next\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=2 position=00:00:00\n");

  // The other program lets go while this one is paused: the pause does not ask, the next play
  // does.
  Do("machine hotkey media-play none\n");
  Choose("Pause");
  EXPECT_EQ(HotKeys().find("media-play"), std::string::npos);
  Choose("Play");
  EXPECT_EQ(HotKeys(),
            "hotkey: media-stop owner=OrvantaBrevo\n"
            "hotkey: media-next owner=OrvantaBrevo\n"
            "hotkey: media-prev owner=OrvantaBrevo\n"
            "hotkey: media-play owner=OrvantaBrevo\n");
  Do("key media-play\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PAUSE tip=\"Orvantino\"\n");
}

TEST_F(MediaKeys, TheDiscLeavingAndTheProgramEndingLetTheKeysGo) {
  StartWithDisc();
  Choose("Play");
  Choose("Pause");
  Do("eject D:\nwait 1500\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  EXPECT_EQ(HotKeys(), "hotkeys: none\n");

  Do(std::string("disc D: ") + kThreeTracks + "\nwait 1500\n");
  Choose("Play");
  EXPECT_EQ(HotKeys(), kAllHeld);
  Do("click right\nchoose Exit\n");
  EXPECT_EQ(Do("show process\n"), "process: ended code=0\n");
  EXPECT_EQ(HotKeys(), "hotkeys: none\n");
}

TEST_F(MediaKeys, AKeyRunsItsCommandOnlyWhenTheMenuOffersIt) {
  StartWithDisc();
  Choose("Play");
  // Nothing the user can do disables these items while a disc plays; the hand of a test can.
  machine_.RunInProcess(machine_.Processes().front().id, [] {
    TPropertyForm* form = testing_support::Form();
    form->Stop->SetEnabled(false);
    form->Next->SetEnabled(false);
    form->Pause->SetEnabled(false);
    form->Play->SetEnabled(false);
  });
  Do("key media-stop\nkey media-next\nkey media-play\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=playing track=1 position=00:00:00\n");
}

TEST_F(MediaKeys, APressStillQueuedWhenTheKeysAreLetGoDoesNothing) {
  StartWithDisc();
  Choose("Play");
  const std::vector<emu::HotKeyInfo> held = emu::HotKeys(machine_);
  ASSERT_EQ(held.size(), 4u);
  // The press comes in just before the player stops; it is taken from the queue after.
  machine_.RunInProcess(machine_.Processes().front().id, [&] {
    PostMessageA(held.front().window, WM_HOTKEY, VK_MEDIA_PLAY_PAUSE,
                 static_cast<LPARAM>(VK_MEDIA_PLAY_PAUSE) << 16);
    testing_support::Form()->StopClick(nullptr);
  });
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  EXPECT_EQ(Device(), "device: open drive=D: mode=stopped track=1 position=00:00:00\n");
}

TEST_F(MediaKeys, TheSettingTurnsThemOffAndOldWindowsHasNone) {
  StartWithDisc("ini settings Options MediaKeys 0\n");
  Choose("Play");
  EXPECT_EQ(HotKeys(), "hotkeys: none\n");
  Do("key media-play\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
  EXPECT_NE(Do("show settings\n").find("[Options]\nMediaKeys=0\n"), std::string::npos)
      << "the user's line is kept as written";
}

TEST_F(MediaKeys, Windows9xHasNoMediaKeys) {
  StartWithDisc("machine 9x\n");
  Choose("Play");
  EXPECT_EQ(Tray(), "tray: visible=1 image=PLAY tip=\"Orvantino\"\n");
  EXPECT_EQ(HotKeys(), "hotkeys: none\n");
}

TEST_F(MediaKeys, AnyOtherValueKeepsThemOn) {
  StartWithDisc("ini settings Options MediaKeys 2\n");
  Choose("Play");
  EXPECT_EQ(HotKeys(), kAllHeld);
}

TEST_F(MediaKeys, TheConsoleRefusesWordsItHasNoKeyFor) {
  EXPECT_EQ(Do("key media-pause\nkey\nmachine hotkey media-play none\n"
               "machine hotkey media-stop \"A\"\nmachine hotkey media-stop \"B\"\n"
               "machine hotkey media-next\n"),
            "error: key: expected media-play, media-stop, media-next or media-prev, not "
            "\"media-pause\"\n"
            "error: usage: key media-play|media-stop|media-next|media-prev\n"
            "error: machine hotkey: no other program holds media-play\n"
            "error: machine hotkey: media-stop is held already\n"
            "error: usage: machine hotkey media-play|media-stop|media-next|media-prev "
            "\"PROGRAM\"|none\n");
  EXPECT_EQ(HotKeys(), "hotkey: media-stop owner=A\n");
  // A key no one holds reaches no program, and says nothing.
  EXPECT_EQ(Do("key media-next\n"), "");
}

}  // namespace
}  // namespace player_test
