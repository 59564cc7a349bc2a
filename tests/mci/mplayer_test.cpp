// TMediaPlayer's device side against the emulated cdaudio driver, read back from the MCI trace.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "player_fixture.h"

namespace {

using mci_testing::PlayerTest;
using mci_testing::Tmsf;
using mci_testing::TmsfOf;

using Calls = std::vector<emu::MciCall>;

const char* const kNoDevice = "MCI ﾃﾞﾊﾞｲｽがありません";

// --- Open and Close ----------------------------------------------------------------------------

TEST_F(PlayerTest, OpenSendsTheCdAudioSequenceAndEndsInTmsf) {
  player->Open();
  const Calls calls = emu::MciTrace(machine);
  // The length, the capabilities (play, record, eject, video, device type), the window query the
  // driver refuses, TMSF, the mode.
  EXPECT_EQ(Described(true),
            "open 2202, status 102 item 1, caps 102 item 8, caps 102 item 1, caps 102 item 7, "
            "caps 102 item 3, caps 102 item 4, where 20000 = 261, set 400 format 10, "
            "status 102 item 4");
  EXPECT_EQ(calls[0].device, 0u);
  EXPECT_EQ(calls[0].deviceType + " " + calls[0].element, "CDAudio D:");
  EXPECT_EQ(player->DeviceID(), calls[0].returned);
  ASSERT_NE(player->DeviceID(), 0u);

  // The step count came from the length in the time format of that moment (MSF), not TMSF.
  EXPECT_EQ(player->Frames(), static_cast<int32_t>(calls[1].returned / 10));
  EXPECT_EQ(calls[1].returned, 14u | 59u << 8 | 74u << 16);
  EXPECT_EQ(player->Error(), 0u) << "the mode query's result, not MCI_WHERE's";
  EXPECT_EQ(player->Capabilities(), (TMPDevCapsSet{cpCanPlay, cpCanEject}));
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev, btEject}));
  EXPECT_EQ(player->Position(), Tmsf(1));
  EXPECT_EQ(player->TrackPosition(4), Tmsf(4));
  EXPECT_EQ(player->TimeFormat(), MCI_FORMAT_TMSF);
  EXPECT_EQ(player->Tracks(), 5u);
  EXPECT_EQ(player->Mode(), mpStopped);
}

TEST_F(PlayerTest, OpenOnAnOpenPlayerClosesFirstAndAPlayingDriveEnablesPauseAndStop) {
  player->SetShareable(true);
  OpenPlayer();
  player->Play();
  const WORD first = player->DeviceID();
  Sent();
  player->Open();
  EXPECT_EQ(emu::MciTrace(machine)[0].device, first);
  EXPECT_EQ(Described(), "close 2, open 2302, where 20000 = 261, set 400 format 10") << "shareable";
  EXPECT_NE(player->DeviceID(), first);
  // A CD drive plays on after the open that started it has closed.
  EXPECT_EQ(player->Mode(), mpPlaying);
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev, btEject}));
}

TEST_F(PlayerTest, OpenFailuresRaiseThePlatformsTextAndLeaveThePlayerClosed) {
  // Neither a type nor an element: MCI_OPEN carries MCI_WAIT alone.
  player->SetDeviceType(dtAutoSelect);
  player->SetFileName("");
  EXPECT_THROW(player->Open(), EMCIDeviceError);
  EXPECT_EQ(Described(true), "open 2 = 292");
  EXPECT_EQ(player->DeviceID(), 0u);
  EXPECT_THROW(player->Stop(), EMCIDeviceError);

  // Another program holds the drive.
  player->SetDeviceType(dtCDAudio);
  player->SetFileName("D:");
  MCI_OPEN_PARMSA other{};
  other.lpstrDeviceType = "cdaudio";
  ASSERT_EQ(
      mciSendCommandA(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE, reinterpret_cast<DWORD_PTR>(&other)),
      0u);
  EXPECT_EQ(RaisedBy([&] { player->Open(); }),
            "The device driver is already in use. To share it, use the 'shareable' parameter "
            "with each 'open' command.");
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_MUST_USE_SHAREABLE));

  // A code the platform has no text for.
  machine.FailNext("mciSendCommandA", 9999);
  EXPECT_EQ(RaisedBy([&] { player->Open(); }),
            "\x8C\xB4\x88\xF6\x95\x73\x96\xBE\x82\xCC\xB4\xD7\xB0");  // 原因不明のｴﾗｰ
  EXPECT_EQ(player->DeviceID(), 0u);
}

TEST_F(PlayerTest, ARefusedCloseKeepsTheDeviceOpenUnderItsId) {
  OpenPlayer();
  const MCIDEVICEID id = player->DeviceID();
  machine.FailNext("mciSendCommandA", MCIERR_HARDWARE);
  player->Close();
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_HARDWARE));
  EXPECT_EQ(player->DeviceID(), id);
  player->Play();  // still open: no EMCIDeviceError
  EXPECT_EQ(player->Mode(), mpPlaying);
  ASSERT_EQ(emu::MciDevices(machine).size(), 1u);
  EXPECT_EQ(emu::MciDevices(machine)[0].id, id);
}

// Close and the destruction close silently (MCI_WAIT alone, whatever the marker); a Close with
// nothing to close sends nothing and leaves the marker for the open.
TEST_F(PlayerTest, CloseAndDestructionAreSilentAndTheDestructionFreesTheBitmaps) {
  player->SetNotify(true);
  player->Close();
  EXPECT_TRUE(Sent().empty());
  player->Open();
  EXPECT_EQ(Sent()[0].flags, 0x2203u);
  player->Close();
  EXPECT_EQ(Described(true), "close 2");
  EXPECT_EQ(player->DeviceID(), 0u);
  EXPECT_EQ(player->AutoEnabledButtons(), TButtonSet{});
  Deliver();
  EXPECT_EQ(notified, std::vector<TMPNotifyValue>{nvSuccessful}) << "the open's own completion";

  EXPECT_EQ(emu::LiveBitmaps(machine).size(), 27u);
  OpenPlayer();
  const WORD id = player->DeviceID();
  player->SetNotify(true);
  player.reset();
  const Calls calls = Sent();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(std::tuple(calls[0].command, calls[0].device, calls[0].flags),
            (std::tuple<UINT, UINT, DWORD>(MCI_CLOSE, id, MCI_WAIT)));
  EXPECT_TRUE(emu::MciDevices(machine).empty());
  EXPECT_TRUE(emu::LiveBitmaps(machine).empty());
  TMediaPlayer neverOpened(nullptr);
  EXPECT_TRUE(Sent().empty());
}

// --- What each operation sends --------------------------------------------------------------

class Operations : public PlayerTest {
 protected:
  // Runs a line of words on the player: notify / quiet (Notify true / false), nowait / wait,
  // from:T.M.S / to:T (StartPos / EndPos), msf / tmsf (TimeFormat), queries (the status reads),
  // and the operations of their own names (prev for Previous, record for StartRecording);
  // behind its back: at:T.M.S.F (a seek), playing:T.M.S (a play from there), advance:MS (the
  // clock).
  void Run(const std::string& line) {
    using M = TMediaPlayer;
    static const std::map<std::string, std::function<void(M&)>> kOperations = {
        {"play", &M::Play},     {"stop", &M::Stop},
        {"next", &M::Next},     {"prev", &M::Previous},
        {"open", &M::Open},     {"rewind", &M::Rewind},
        {"pause", &M::Pause},   {"pauseonly", &M::PauseOnly},
        {"resume", &M::Resume}, {"record", &M::StartRecording},
        {"step", &M::Step},     {"back", &M::Back},
        {"eject", &M::Eject},   {"length", &M::Length},
        {"tracks", &M::Tracks}, {"timeformat", &M::TimeFormat}};
    std::istringstream words(line);
    for (std::string w; words >> w;) {
      const std::string arg = w.substr(w.find(':') + 1);
      if (w == "notify" || w == "quiet") player->SetNotify(w == "notify");
      if (w == "nowait" || w == "wait") player->SetWait(w == "wait");
      if (w.starts_with("from:")) player->SetStartPos(TmsfOf(arg));
      if (w.starts_with("to:")) player->SetEndPos(TmsfOf(arg));
      if (kOperations.contains(w)) kOperations.at(w)(*player);
      if (w == "msf") player->SetTimeFormat(MCI_FORMAT_MSF);
      if (w == "tmsf") player->SetTimeFormat(MCI_FORMAT_TMSF);
      if (w == "queries") {
        player->Mode();
        player->Position();
        player->Length();
        player->Tracks();
        player->TrackPosition(2);
      }
      if (w.starts_with("at:")) SeekTo(TmsfOf(arg));
      if (w.starts_with("playing:")) PlayFrom(TmsfOf(arg));
      if (w.starts_with("advance:")) machine.Advance(std::stoul(arg));
    }
  }
};

// The one-shot flag rules (Notify, Wait, StartPos and EndPos apply to the next command and are
// consumed by it; queries neither use nor consume them), and where Next and Previous go: a seek
// while stopped, a play from the track's start while playing, a track back only within its first
// second, never a wrap past either end, the ends themselves outside TMSF. Flags: 1 notify, 2 wait,
// 4 from, 8 to, 100 / 200 to the start / end, 400 time format, 2202 / 2302 an open (shareable).
TEST_F(Operations, EachSendsItsCommandsWithTheFlagsItsRulesGive) {
  const struct {
    const char* what;
    const char* words;
    const char* sent;
    const char* notified;  // once everything has ended
  } kRows[] = {
      {"Notify applies to the next command only", "notify stop stop", "stop 3, stop 2",
       "successful"},
      {"a play asks for a completion unless Notify was set false; the silent one says nothing",
       "notify play stop quiet play", "play 1, stop 2, play 0", "aborted"},
      {"StartPos applies to one play, Wait can be switched, EndPos adds MCI_TO",
       "from:3.0.10 play play nowait stop wait to:4 play",
       "play 5 from 3.0.10, play 1, stop 0, play b to 4", "aborted aborted successful"},
      {"queries neither use nor consume the markers", "notify queries tmsf rewind stop",
       "set 400 format 10, seek 102, stop 3", "successful"},
      {"on an open player the Close inside Open takes the marker", "notify open",
       "close 3, open 2202, where 20000 = 261, set 400 format 10", "successful"},
      {"Next while stopped seeks to the next track", "at:2.1.30 next", "seek a to 3", ""},
      {"Next on the last track seeks to its own start; no wrap", "at:5.2.0 next", "seek a to 5",
       ""},
      {"Next while playing plays from the next track without seeking", "playing:2.0.40 next",
       "play 5 from 3", "successful"},
      {"Next while playing the last track starts it again", "playing:5.1.0 next", "play 5 from 5",
       "successful"},
      {"Next takes the markers before it decides to play: the play gets the defaults",
       "playing:1 quiet next stop", "play 5 from 2, stop 2", "aborted"},
      {"Previous in the first second of a track goes back one; frames do not count",
       "at:3.0.0.50 prev", "seek a to 2", ""},
      {"Previous a minute into a track goes to its start", "at:3.1.0 prev", "seek a to 3", ""},
      {"Previous five seconds into a track goes to its start", "at:3.0.5 prev", "seek a to 3", ""},
      {"Previous at the start of track 1 stays there", "at:1.0.0 prev", "seek a to 1", ""},
      {"Previous five seconds into a playing track plays it from its start",
       "playing:3 advance:5000 prev", "play 5 from 3", "successful"},
      {"Next and Previous outside TMSF seek to the ends", "msf next prev",
       "set 400 format 2, seek 202, seek 102", ""},
      // Pause toggles by the mode the device reports: NT's driver reads a pause as a stop, so
      // the toggle then finds nothing to resume; Resume asks for a completion.
      {"Pause while stopped sends nothing", "pause", "", ""},
      {"Pause while playing pauses, and then finds a stopped device",
       "play advance:3000 pause advance:3000 pause", "play 1, pause 2", "aborted"},
      {"Resume goes on from the pause", "play advance:3000 pause resume",
       "play 1, pause 2, resume 1", "aborted successful"},
      {"Step and Back need video: nothing reaches a CD", "step back", "", ""},
  };
  const char* const kNotifyNames[] = {"successful", "superseded", "aborted", "failure"};
  // A driver that reports the end of a play, so that every play's completion shows here.
  emu::SetNotifyAtEnd(machine, true);
  for (const auto& row : kRows) {
    SCOPED_TRACE(std::string(row.what) + ": " + row.words);
    OpenPlayer();
    player->Stop();
    SeekTo(Tmsf(1));
    Deliver();
    notified.clear();
    Run(row.words);
    EXPECT_EQ(Described(), row.sent);
    machine.Advance(5 * mci_testing::kTrackSeconds * 1000);
    Deliver();
    std::string names;
    for (TMPNotifyValue v : notified) {
      if (!names.empty()) names += ' ';
      names += kNotifyNames[v];
    }
    EXPECT_EQ(names, row.notified);
  }
}

// --- Pause -------------------------------------------------------------------------------------

TEST_F(PlayerTest, ARefusedResumeFallsBackToPlayWhichTakesTheMarkers) {
  machine.SetPlatform(emu::Platform::Win9x);  // whose drivers refuse MCI_RESUME
  OpenPlayer();
  player->Play();
  player->PauseOnly();
  Sent();
  player->SetNotify(false);
  player->Pause();
  // Two mode queries, the resume the driver refuses, AutoRewind's queries, and the play, which
  // takes the Notify := False still pending.
  EXPECT_EQ(Described(true),
            "status 102 item 4, status 102 item 4, resume 0 = 274, status 102 item 2, "
            "status 102 item 1, play 0");
  EXPECT_EQ(player->Error(), 0u) << "the play's result stands";
  EXPECT_EQ(player->Mode(), mpPlaying);
  player->Play();
  EXPECT_EQ(Sent().back().flags, static_cast<DWORD>(MCI_NOTIFY));
}

// --- Not open ----------------------------------------------------------------------------------

TEST_F(Operations, ThoseThatNeedAnOpenDeviceRaiseAndSendNothing) {
  player->SetNotify(true);
  for (const char* word : {"play", "record", "stop", "pause", "pauseonly", "resume", "next", "prev",
                           "step", "back", "eject", "rewind", "length", "tracks", "timeformat"}) {
    EXPECT_EQ(RaisedBy([&] { Run(word); }), kNoDevice) << word;
  }
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(std::string(kNoDevice).substr(0, 4), "MCI ");
  EXPECT_EQ(std::string(kNoDevice)[4], '\xC3') << "half-width katakana in code page 932";
}

TEST_F(PlayerTest, StatusReadsAndTheTimeFormatWriteGoToDeviceZero) {
  EXPECT_EQ(player->Mode(), mpNotReady);
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  player->SetTimeFormat(MCI_FORMAT_MSF);
  player->Position();
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_INVALID_DEVICE_ID));
  EXPECT_EQ(player->ErrorMessage(),
            "The specified device is not open or is not recognized by MCI.");
  // TrackPosition's own failure is not kept.
  machine.FailNext("mciSendCommandA", 0);
  player->Mode();
  ASSERT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_HARDWARE));
  player->TrackPosition(1);
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_HARDWARE));
  for (const auto& call : emu::MciTrace(machine)) EXPECT_EQ(call.device, 0u);
  EXPECT_EQ(Described(true),
            "status 102 item 4 = 257, set 400 format 2 = 257, status 102 item 2 = 257, "
            "status 102 item 4 = 262, status 112 item 2 track 1 = 257");
}

// --- Completion --------------------------------------------------------------------------------

TEST_F(PlayerTest, CompletionOutcomesMapToNotifyValuesFromTheMessageLoop) {
  OpenPlayer();
  // Another request on the device while the play goes on supersedes its completion.
  player->Play();
  MCI_STATUS_PARMS status{};
  status.dwCallback = Window();
  status.dwItem = MCI_STATUS_MODE;
  ASSERT_EQ(mciSendCommandA(player->DeviceID(), MCI_STATUS, MCI_NOTIFY | MCI_STATUS_ITEM,
                            reinterpret_cast<DWORD_PTR>(&status)),
            0u);
  Deliver();
  EXPECT_EQ(notified, (std::vector<TMPNotifyValue>{nvSuperseded, nvSuccessful}));

  notified.clear();
  emu::SetNotifyAtEnd(machine, true);  // a driver that reports the end of a play
  player->SetStartPos(Tmsf(5, 2, 59));
  player->Play();
  machine.Advance(1000);
  EXPECT_TRUE(notified.empty()) << "only the message loop delivers it";
  Deliver();
  ASSERT_EQ(notified, std::vector<TMPNotifyValue>{nvSuccessful});
  EXPECT_EQ(player->Mode(), mpStopped);  // the button bar's part: buttons_test.cpp

  // Failure, and a value the component does not know: the old value stays, the event still runs.
  notified.clear();
  PostMessageA(player->Handle(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, player->DeviceID());
  PostMessageA(player->Handle(), MM_MCINOTIFY, 0, player->DeviceID());
  Deliver();
  EXPECT_EQ(notified, (std::vector<TMPNotifyValue>{nvFailure, nvFailure}));
}

// --- Eject, Step, AutoRewind -------------------------------------------------------------------

TEST_F(PlayerTest, EjectOpensTheDoorOnlyWhenTheDeviceCanEject) {
  OpenPlayer();
  player->Eject();
  EXPECT_EQ(Described(true), "set 102");  // the door, waiting
  EXPECT_EQ(player->Mode(), mpOpen);
  EXPECT_EQ(player->Tracks(), 0u);
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_EQ(player->ErrorMessage(), "The device driver is not ready.");

  // A device that answers no to "can eject" (its query fails here) is left alone.
  ASSERT_EQ(emu::InsertDisc(machine, 'D', mci_testing::FiveTracks()), "");
  player->Close();
  machine.FailNext("mciSendCommandA", MCIERR_UNSUPPORTED_FUNCTION, 4);  // the CAN_EJECT query
  player->Open();
  EXPECT_FALSE(player->Capabilities().Contains(cpCanEject));
  EXPECT_FALSE(player->AutoEnabledButtons().Contains(btEject));
  player->SetTimeFormat(3);
  ASSERT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_BAD_TIME_FORMAT));
  Sent();
  player->SetNotify(true);
  player->Eject();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_BAD_TIME_FORMAT));
  player->Stop();
  EXPECT_EQ(Sent()[0].flags, 0x3u) << "Eject did not consume the marker";
}

TEST_F(PlayerTest, PlayAtTheEndRewindsFirstUnlessAPositionIsPending) {
  OpenPlayer();
  player->SetTimeFormat(MCI_FORMAT_MSF);
  // Length is the disc's last frame in MSF (14:59:74); Position equals it at the end. AutoRewind
  // looks at both (items 2 and 1) before it plays.
  SeekTo(player->Length());
  player->Play();
  EXPECT_EQ(Described(true), "status 102 item 2, status 102 item 1, seek 102, play 1");
  EXPECT_EQ(player->Mode(), mpPlaying);
  SeekTo(player->Length());
  player->SetEndPos(player->Length());
  Sent();
  player->Play();
  EXPECT_EQ(Described(true), "status 102 item 2, status 102 item 1, play 9 to 14.59.74");
  player->SetAutoRewind(false);
  player->Play();
  EXPECT_EQ(Described(true), "play 1");
}

}  // namespace
