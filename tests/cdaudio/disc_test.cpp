// Disc descriptions, the table of contents, the disc identifier and the volume a disc shows.
#include "platform/cdaudio/disc.h"
#include "cdaudio/fixture.h"
#include "platform/cdaudio/drive.h"
#include "platform/cdaudio/toc.h"
#include "platform/cdaudio/volume.h"

namespace cdaudio {
namespace {

TEST(TrackWord, ReadsKindAndLengthOrSaysWhatIsWrong) {
  const Parsed<TrackEntry> audio = ParseTrackWord("audio:4:30");
  ASSERT_TRUE(audio);
  EXPECT_TRUE(audio.value->audio);
  EXPECT_EQ(audio.value->length_frames, 270u * 75);
  const Parsed<TrackEntry> data = ParseTrackWord("DATA:12:05.10");
  ASSERT_TRUE(data);
  EXPECT_FALSE(data.value->audio);
  EXPECT_EQ(data.value->length_frames, (12u * 60 + 5) * 75 + 10);

  const struct {
    const char* word;
    const char* reason;
  } cases[] = {
      {"audio", "expected audio:M:SS"},  {"audio:4", "expected audio:M:SS"},
      {"video:4:30", "audio or data"},   {"audio:x:30", "minutes"},
      {"audio:100:00", "minutes"},       {"audio:4:3", "seconds"},
      {"audio:4:60", "seconds"},         {"audio:4:30:00", "seconds"},
      {"audio:4:30.75", "frames"},       {"audio:4:30.5", "frames"},
      {"audio:0:00", "cannot be empty"}, {":4:30", "audio or data"},
  };
  for (const auto& c : cases) {
    const Parsed<TrackEntry> parsed = ParseTrackWord(c.word);
    EXPECT_FALSE(parsed) << c.word;
    EXPECT_NE(parsed.error.find(c.word), std::string::npos) << parsed.error;
    EXPECT_NE(parsed.error.find(c.reason), std::string::npos) << parsed.error;
  }
}

TEST(Serial, ReadsHexWithOrWithoutTheWindowsDash) {
  EXPECT_EQ(ParseSerial("1A2B3C4D").value, 0x1A2B3C4Du);
  EXPECT_EQ(ParseSerial("1a2b-3c4d").value, 0x1A2B3C4Du);
  EXPECT_EQ(ParseSerial("C2C3B").value, 0xC2C3Bu);
  for (const char* bad : {"", "123456789", "12-34", "xyz", "1A2B-3C4D-"}) {
    EXPECT_FALSE(ParseSerial(bad)) << bad;
  }
}

TEST(Toc, LaysOneTo99TracksOutFromTwoSecondsOn) {
  // The worked example's starts and lead-out: cue_test.cpp lays its sheet out.
  const std::optional<Toc> toc = Toc::FromDisc(WorkedExample());
  ASSERT_TRUE(toc);
  EXPECT_EQ(toc->TrackAt(0), 1);
  EXPECT_EQ(toc->TrackAt(FramesOf(4, 32, 46)), 1);
  EXPECT_EQ(toc->TrackAt(FramesOf(4, 32, 47)), 2);
  EXPECT_EQ(toc->TrackAt(toc->LeadOut()), 3);

  // One to 99 tracks, within the address range.
  Disc disc;
  disc.tracks.assign(99, TrackEntry{true, 30 * 75});
  ASSERT_TRUE(Toc::FromDisc(disc));
  EXPECT_EQ(Toc::FromDisc(disc)->TrackStart(99), 150u + 98 * 30 * 75);
  disc.tracks.push_back(TrackEntry{true, 30 * 75});
  EXPECT_NE(CheckDisc(disc).find("1 to 99 tracks"), std::string::npos);
  EXPECT_FALSE(Toc::FromDisc(disc));
  EXPECT_FALSE(Toc::FromDisc(Disc{}));
  EXPECT_NE(CheckDisc(DiscOf({"audio:60:00", "audio:40:00"})).find("longer"), std::string::npos);

  EXPECT_FALSE(Toc::FromStarts({}, 1000));
  EXPECT_FALSE(Toc::FromStarts({150, 150}, 1000));  // not increasing
  EXPECT_FALSE(Toc::FromStarts({150, 900}, 900));   // lead-out on a track start
  EXPECT_FALSE(Toc::FromStarts({150}, 1000, {true, false}));
}

TEST(DiscIdentifier, ShortDiscsMixInTheirLengthLongerOnesTheirStartsAlone) {
  // One track: start word plus the frames from track 1 to the lead-out.
  const std::optional<Toc> one = Toc::FromStarts({FramesOf(0, 2, 0)}, FramesOf(5, 0, 0));
  EXPECT_EQ(DiscIdentifier(*one), 0x000200u + (22500 - 150));
  EXPECT_EQ(DiscIdentifier(*Toc::FromDisc(DiscOf({"audio:4:58"}))), DiscIdentifier(*one));
  // Two tracks: also the frame byte of track 1.
  const std::optional<Toc> two =
      Toc::FromStarts({FramesOf(0, 2, 33), FramesOf(3, 0, 10)}, FramesOf(6, 0, 0));
  EXPECT_EQ(DiscIdentifier(*two), 0x000221u + 0x03000Au + 33 + (27000 - 183));
  // Three tracks: the starts alone; the lead-out does not count.
  const std::optional<Toc> three = Toc::FromStarts(
      {FramesOf(0, 2, 0), FramesOf(4, 32, 47), FramesOf(8, 10, 12)}, FramesOf(50, 0, 0));
  EXPECT_EQ(DiscIdentifier(*three), 797755u);
  EXPECT_EQ(DiscIdentifier(*three), 0xC2C3Bu);
  EXPECT_EQ(DiscIdentifier(*Toc::FromDisc(WorkedExample())), 797755u);
}

TEST(Volume, AnAudioDiscShowsAsAudioCdADataDiscAsItself) {
  // The identifier is the serial; the disc's own label and serial are not used.
  Disc disc = WorkedExample();
  disc.label = "ignored";
  disc.serial = 42;
  // Label, serial, file system, longest name and flags.
  const auto shown = [](const Disc& d) {
    const std::optional<VolumeInfo> v = VolumeOf(d);
    return v->label + " " + std::to_string(v->serial) + " " + v->file_system + " " +
           std::to_string(v->max_component_length) + " " + std::to_string(v->flags);
  };
  EXPECT_EQ(shown(disc), "Audio CD 797755 CDFS 221 524288");
  // Data after the music (an enhanced CD) still starts as an audio disc.
  EXPECT_EQ(VolumeOf(DiscOf({"audio:3:00", "data:10:00"}))->label, "Audio CD");

  disc = DiscOf({"data:10:00", "audio:3:00"});
  disc.label = "SETUP_98";
  disc.serial = 0x1234ABCD;
  EXPECT_EQ(shown(disc), "SETUP_98 305441741 CDFS 221 524288");
  const Disc plain = DiscOf({"data:10:00"});
  EXPECT_EQ(VolumeOf(plain)->label, "CDROM");
  EXPECT_EQ(VolumeOf(plain)->serial, DiscIdentifier(*Toc::FromDisc(plain)));
  EXPECT_NE(VolumeOf(plain)->serial, 0u);  // 0 would read as "no disc" to the program
}

TEST(Volume, FailsWithoutAReadableDiscBehindAClosedDoor) {
  uint64_t now = 0;
  Drive drive([&] { return now; });
  EXPECT_FALSE(drive.Volume());
  EXPECT_EQ(drive.Insert(WorkedExample()), "");
  EXPECT_EQ(drive.Volume()->serial, 797755u);
  EXPECT_NE(drive.Insert(Disc{}), "") << "an unusable disc is refused";
  EXPECT_EQ(drive.Volume()->serial, 797755u) << "and the old one stays";
  drive.OpenDoor();
  EXPECT_FALSE(drive.Volume());
  drive.CloseDoor();
  EXPECT_EQ(drive.Volume()->serial, 797755u);  // the disc stayed on the tray
  drive.Eject();
  drive.CloseDoor();
  EXPECT_FALSE(drive.Volume());
  Disc blank;
  blank.blank = true;
  EXPECT_EQ(drive.Insert(blank), "");
  EXPECT_FALSE(drive.Volume());
}

}  // namespace
}  // namespace cdaudio
