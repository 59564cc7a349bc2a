// The playback clock and completion messages.
#include <functional>

#include "fixture.h"

namespace cdaudio {
namespace {

class PlaybackTest : public CdTest {};

TEST_F(PlaybackTest, APlayEndsAtItsExactMillisecond) {
  InsertExample();
  auto device = Open(7, kEndReported);
  ASSERT_EQ(device->Play({}, {}, 77), 0u);
  // 12:00:00 - 00:02:00 = 53850 frames = 718000 ms.
  ASSERT_EQ(drive_.NextEventMs(), 1000u + 718000);
  RunUntil(718999);
  EXPECT_TRUE(notes_.empty());
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModePlay);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(11, 59, 74));
  RunUntil(719000);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{77, kNotifySuccessful, 7}}));
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(12, 0, 0));
  EXPECT_EQ(drive_.NextEventMs(), std::nullopt);
  RunUntil(800000);
  EXPECT_TRUE(notes_.empty());

  SetFormat(*device, kFormatTmsf);
  const uint64_t start = now_;
  // 76 frames = 1013.3 ms: the end falls due in the 1014th millisecond.
  ASSERT_EQ(device->Play(Tmsf(2, 0, 0, 0), Tmsf(2, 0, 1, 1), 5), 0u);
  ASSERT_EQ(drive_.NextEventMs(), start + 1014);
  RunUntil(start + 1013);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(2, 0, 1, 0));
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModePlay);
  // A status read after the end, before the host polls, already sees the play over.
  now_ = start + 1014;
  EXPECT_EQ(drive_.Mode(), kModeStop);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(2, 0, 1, 1));
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{5, kNotifySuccessful, 7}}));
}

TEST_F(PlaybackTest, TheHeadRunsWithTheClockAndAPlayWithoutFromStartsAtIt) {
  InsertExample();
  auto device = Open(1, kEndReported);
  ASSERT_EQ(device->Play({}, {}), 0u);
  RunUntil(1000 + 65000);  // 4875 frames after 00:02:00
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(1, 7, 0));
  SetFormat(*device, kFormatTmsf);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(1, 1, 5, 0));
  SetFormat(*device, kFormatMilliseconds);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), 67001u);
  RunUntil(1000 + 280627);  // 21047 frames: ten seconds into track 2
  EXPECT_EQ(StatusOf(*device, kStatusCurrentTrack), 2u);
  SetFormat(*device, kFormatTmsf);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(2, 0, 10, 0));

  ASSERT_EQ(device->Seek(false, false, Tmsf(3, 0, 0, 0)), 0u);
  ASSERT_EQ(device->Play({}, {}), 0u);
  RunUntil(now_ + 1000);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(3, 0, 1, 0));
  EXPECT_EQ(device->Play(Tmsf(2, 0, 0, 0), Tmsf(1, 0, 0, 0)), kErrOutOfRange);  // end before start

  // After the end, a new open starts from track 1 again.
  ASSERT_EQ(device->Play(Tmsf(3, 3, 49, 0), {}, 10), 0u);
  RunUntil(*drive_.NextEventMs());
  ASSERT_EQ(TakeNotes().size(), 1u);
  ASSERT_EQ(device->Close(), 0u);
  device = Open();
  ASSERT_EQ(device->Play({}, {}, 11), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(0, 2, 0));
}

// What each command does to the notification of a play running with one.
TEST_F(PlaybackTest, CommandsDuringAPlayAbortOrSupersedeItsNotificationFailedOnesNothing) {
  InsertExample();
  const struct {
    const char* name;
    std::function<uint32_t(Device&)> command;
    uint32_t play_outcome;
    uint32_t mode_after;
    bool reports_at_once;
  } cases[] = {
      {"stop", [](Device& d) { return d.Stop(20); }, kNotifyAborted, kModeStop, true},
      {"pause", [](Device& d) { return d.Pause(20); }, kNotifyAborted, kModePause, true},
      {"seek", [](Device& d) { return d.Seek(true, false, {}, 20); }, kNotifyAborted, kModeStop,
       true},
      {"door",
       [](Device& d) {
         return d.Set({std::nullopt, true, false}, 20);
       },
       kNotifyAborted, kModeOpen, true},
      {"play", [](Device& d) { return d.Play(Msf(5, 0, 0), {}, 20); }, kNotifyAborted, kModePlay,
       false},
      // Another request supersedes; the play goes on and ends silently.
      {"status",
       [](Device& d) {
         return d.Status({kStatusMode, {}}, 20).error;
       },
       kNotifySuperseded, kModePlay, true},
      // Close aborts it, but the drive keeps playing, and nobody hears of the end.
      {"close", [](Device& d) { return d.Close(20); }, kNotifyAborted, kModePlay, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(drive_.Insert(*drive_.LoadedDisc()), "");
    auto device = Open(1, kEndReported);
    ASSERT_EQ(device->Play({}, {}, 10), 0u);
    RunUntil(now_ + 3000);
    ASSERT_EQ(c.command(*device), 0u);
    std::vector<Note> expected{{10, c.play_outcome, 1}};
    if (c.reports_at_once) expected.push_back({20, kNotifySuccessful, 1});
    EXPECT_EQ(TakeNotes(), expected);
    EXPECT_EQ(drive_.Mode(), c.mode_after);
    if (!c.reports_at_once) {
      RunUntil(*drive_.NextEventMs());
      EXPECT_EQ(TakeNotes(), (std::vector<Note>{{20, kNotifySuccessful, 1}}));
    }
    device.reset();  // the drive must not hold on to a closed open
    if (auto end = drive_.NextEventMs()) RunUntil(*end);
    EXPECT_TRUE(notes_.empty());
  }
  // A play through one open interrupted by another: each hears of its own request.
  auto first = Open(1, {.shareable = true, .notify_at_end = true});
  auto second = Open(2, {.shareable = true, .notify_at_end = true});
  ASSERT_EQ(first->Play({}, {}, 10), 0u);
  EXPECT_EQ(StatusOf(*second, kStatusMode), kModePlay);  // one drive, one head
  ASSERT_EQ(second->Stop(20), 0u);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{10, kNotifyAborted, 1}, {20, kNotifySuccessful, 2}}));

  // A failed command posts nothing and leaves the play alone.
  ASSERT_EQ(first->Play({}, {}, 30), 0u);
  EXPECT_EQ(first->Play(Msf(13, 0, 0), {}, 40), kErrOutOfRange);
  EXPECT_EQ(first->Seek(false, false, {}, 40), kErrMissingParameter);
  EXPECT_EQ(first->Status({0x99, {}}, 40).error, kErrUnsupportedFunction);
  EXPECT_TRUE(notes_.empty());
  RunUntil(*drive_.NextEventMs());
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{30, kNotifySuccessful, 1}}));
}

// NT's driver: a play that reaches its end reports nothing; its request stays pending until the
// next request supersedes it (and is answered itself), or a close aborts it. Commands without a
// request, a new play among them, leave it pending.
TEST_F(PlaybackTest, WithoutTheEndReportAPlayStaysPendingUntilSupersededOrClosed) {
  InsertExample();
  auto device = Open();
  SetFormat(*device, kFormatTmsf);
  ASSERT_EQ(device->Play(Tmsf(3, 3, 49, 0), {}, 10), 0u);
  RunUntil(*drive_.NextEventMs());
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
  EXPECT_EQ(drive_.NextEventMs(), std::nullopt);
  ASSERT_EQ(device->Stop(), 0u);
  ASSERT_EQ(device->Play(Tmsf(3, 3, 49, 0), {}), 0u);
  RunUntil(*drive_.NextEventMs());
  EXPECT_TRUE(notes_.empty());
  ASSERT_EQ(device->Status({kStatusMode, {}}, 20).error, 0u);
  EXPECT_EQ(TakeNotes(),
            (std::vector<Note>{{10, kNotifySuperseded, 1}, {20, kNotifySuccessful, 1}}));

  // A play of nothing ends as it starts, and its request waits the same way.
  ASSERT_EQ(device->Play(Tmsf(2, 0, 0, 0), Tmsf(2, 0, 0, 0), 30), 0u);
  EXPECT_TRUE(notes_.empty());
  ASSERT_EQ(device->Close(), 0u);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{30, kNotifyAborted, 1}}));
}

TEST_F(PlaybackTest, RequestsWithNothingPendingCompleteAtOnce) {
  InsertExample();
  Device::Opened opened = Device::Open(
      drive_, 9, kEndReported,
      [this](uintptr_t cb, uint32_t o, uint32_t d) {
        notes_.push_back({cb, o, d});
      },
      40);
  ASSERT_EQ(opened.error, 0u);
  ASSERT_EQ(opened.device->Seek(false, true, {}, 41), 0u);
  // A play of nothing.
  ASSERT_EQ(opened.device->Play(Msf(5, 0, 0), Msf(5, 0, 0), 42), 0u);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{40, kNotifySuccessful, 9},
                                            {41, kNotifySuccessful, 9},
                                            {42, kNotifySuccessful, 9}}));
  EXPECT_EQ(StatusOf(*opened.device, kStatusMode), kModeStop);
  EXPECT_EQ(StatusOf(*opened.device, kStatusPosition), Msf(5, 0, 0));
}

TEST_F(PlaybackTest, PauseHoldsThePositionAndResumeOrPlayGoesOn) {
  InsertExample();
  auto device = Open(1, kEndReported);
  ASSERT_EQ(device->Play({}, {}, 10), 0u);
  RunUntil(1000 + 10000);  // 750 frames in
  ASSERT_EQ(device->Pause(), 0u);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{10, kNotifyAborted, 1}}));
  EXPECT_EQ(device->Pause(), 0u);  // pausing a paused disc changes nothing
  EXPECT_EQ(drive_.NextEventMs(), std::nullopt);
  RunUntil(50000);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModePause);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(0, 12, 0));
  ASSERT_EQ(device->Resume(30), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModePlay);
  ASSERT_EQ(drive_.NextEventMs(), 50000u + (54000 - 900) * 1000 / 75);
  RunUntil(*drive_.NextEventMs());
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{30, kNotifySuccessful, 1}}));
  EXPECT_EQ(device->Resume(), kErrHardware);  // nothing paused

  // A play without a start after a pause goes on from the paused position.
  ASSERT_EQ(device->Play(Msf(0, 12, 0), {}), 0u);
  ASSERT_EQ(device->Pause(), 0u);
  RunUntil(now_ + 9000);
  ASSERT_EQ(device->Play({}, {}), 0u);
  RunUntil(now_ + 1000);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(0, 13, 0));
}

TEST_F(PlaybackTest, EjectOrTheDoorStopsThePlayAndADiscBackIsAtItsStart) {
  InsertExample();
  auto device = Open();
  ASSERT_EQ(device->Play({}, {}, 10), 0u);
  RunUntil(5000);
  drive_.Eject();
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{10, kNotifyAborted, 1}}));
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeOpen);
  EXPECT_EQ(ErrorOf(*device, kStatusPosition), kErrDeviceNotReady);
  EXPECT_EQ(device->Play({}, {}, 20), kErrDeviceNotReady);
  EXPECT_EQ(drive_.NextEventMs(), std::nullopt);
  ASSERT_EQ(device->Set({std::nullopt, false, true}), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeNotReady);  // the disc left with the tray
  InsertExample();
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(0, 2, 0));
  EXPECT_TRUE(notes_.empty());

  // The door opened and closed again brings the same disc back, stopped at its start.
  ASSERT_EQ(device->Play({}, {}), 0u);
  RunUntil(now_ + 4000);
  ASSERT_EQ(device->Set({std::nullopt, true, false}), 0u);
  ASSERT_EQ(device->Set({std::nullopt, false, true}), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Msf(0, 2, 0));
  EXPECT_EQ(device->Info(kInfoMediaIdentity, 16).text, "797755");
}

TEST_F(PlaybackTest, DataTracksAreSkipped) {
  Insert({"data:10:00", "audio:0:10", "data:0:10", "audio:0:10", "data:5:00"});
  auto device = Open(1, kEndReported);
  SetFormat(*device, kFormatTmsf);
  ASSERT_EQ(device->Play({}, {}, 10), 0u);  // from track 1, which is data
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(2, 0, 0, 0));
  RunUntil(now_ + 10000);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(4, 0, 0, 0));
  // Twenty seconds of music; the trailing data track is not played.
  ASSERT_EQ(drive_.NextEventMs(), 1000u + 20000);
  RunUntil(1000 + 20000);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{10, kNotifySuccessful, 1}}));
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(5, 0, 0, 0));
  EXPECT_EQ(device->Play(Tmsf(5, 0, 0, 0), {}), kErrOutOfRange);
  // A play wholly within a data track is accepted, but there is nothing to play: it is over at
  // once, the head at its start; with a notification asked for, that completes with it.
  ASSERT_EQ(device->Play(Tmsf(3, 0, 1, 0), Tmsf(3, 0, 5, 0), 11), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(3, 0, 1, 0));
  EXPECT_EQ(drive_.NextEventMs(), std::nullopt);
  EXPECT_EQ(TakeNotes(), (std::vector<Note>{{11, kNotifySuccessful, 1}}));
  ASSERT_EQ(device->Play(Tmsf(1, 0, 0, 0), Tmsf(1, 9, 0, 0)), 0u);
  RunUntil(now_ + 2000);
  EXPECT_EQ(StatusOf(*device, kStatusMode), kModeStop);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(1, 0, 0, 0));
  // A seek to the start lands on the first audio track.
  ASSERT_EQ(device->Seek(true, false, {}), 0u);
  EXPECT_EQ(StatusOf(*device, kStatusPosition), Tmsf(2, 0, 0, 0));
}

}  // namespace
}  // namespace cdaudio
