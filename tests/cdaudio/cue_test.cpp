// CUE sheets: the discs good sheets describe, the refusals of malformed ones, and the files behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/stat.h>

#include "platform/cdaudio/cue.h"
#include "platform/cdaudio/toc.h"
#include "platform/cdaudio/volume.h"

namespace cdaudio {
namespace {

constexpr uint64_t Bytes(uint32_t frames) {
  return uint64_t{frames} * kBytesPerFrame;
}

// Files as a sheet names them: kind and bytes of frames.
using Files = std::map<std::string, std::pair<ImageFileKind, uint64_t>>;

Parsed<Disc> Parse(const std::string& sheet, const Files& files) {
  return ParseCueSheet(sheet, [&](const std::string& name, ImageFileKind kind) {
    const auto found = files.find(name);
    if (found == files.end()) return Parsed<uint64_t>{std::nullopt, name + ": no such file"};
    EXPECT_EQ(found->second.first, kind) << name;
    return Parsed<uint64_t>{found->second.second, {}};
  });
}

TEST(CueSheet, GoodSheetsGiveTheirTablesOfContents) {
  const struct {
    const char* what;
    std::string sheet;
    Files files;
    std::vector<uint32_t> starts;
    std::vector<bool> audio;
    uint32_t lead_out;
  } cases[] = {
      {"three audio tracks in one file (the worked example's TOC)",
       "FILE \"disc.bin\" BINARY\n"
       "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
       "  TRACK 02 AUDIO\n    INDEX 01 04:30:47\n"
       "  TRACK 03 AUDIO\n    INDEX 01 08:08:12\n",
       {{"disc.bin", {ImageFileKind::kBinary, Bytes(FramesOf(11, 58, 0))}}},
       {FramesOf(0, 2, 0), FramesOf(4, 32, 47), FramesOf(8, 10, 12)},
       {true, true, true},
       FramesOf(12, 0, 0)},
      {"a data first track, a PREGAP and an INDEX 00 counting to the track before",
       "REM made by hand\r\nTITLE \"Mixed\"\r\nPERFORMER Someone\r\n"
       "file mixed.bin binary\r\n"
       "track 01 mode1/2352\r\n  index 01 00:00:00\r\n"
       "TRACK 02 AUDIO\r\n  PREGAP 00:02:00\r\n  INDEX 01 10:00:00\r\n"
       "TRACK 03 AUDIO\r\n  INDEX 00 13:00:00\r\n  INDEX 01 13:02:00\r\n",
       {{"mixed.bin", {ImageFileKind::kBinary, Bytes(FramesOf(16, 0, 0))}}},
       {FramesOf(0, 2, 0), FramesOf(10, 4, 0), FramesOf(13, 6, 0)},
       {false, true, true},
       FramesOf(16, 4, 0)},
      {"one WAVE file a track; a short last frame counts whole; POSTGAP after the last",
       "FILE \"one two.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
       "FILE \"three.wav\" WAVE\nTRACK 02 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:01:00\n"
       "POSTGAP 00:00:10\n",
       {{"one two.wav", {ImageFileKind::kWave, Bytes(300) - 100}},
        {"three.wav", {ImageFileKind::kWave, Bytes(450)}}},
       {FramesOf(0, 2, 0), FramesOf(0, 7, 0)},
       {true, true},
       FramesOf(0, 2, 0) + 300 + 450 + 10},
      {"track 1 after a hidden gap; one data track alone",
       "FILE d.bin BINARY\nTRACK 01 MODE2/2352\nINDEX 00 00:00:00\nINDEX 01 00:03:00\n",
       {{"d.bin", {ImageFileKind::kBinary, Bytes(FramesOf(1, 0, 0))}}},
       {FramesOf(0, 5, 0)},
       {false},
       FramesOf(1, 2, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Parsed<Disc> disc = Parse(c.sheet, c.files);
    ASSERT_TRUE(disc) << disc.error;
    const std::optional<Toc> toc = Toc::FromDisc(*disc.value);
    ASSERT_TRUE(toc);
    ASSERT_EQ(toc->TrackCount(), static_cast<int>(c.starts.size()));
    for (int t = 1; t <= toc->TrackCount(); ++t) {
      EXPECT_EQ(toc->TrackStart(t), c.starts[t - 1]) << "track " << t;
      EXPECT_EQ(toc->IsAudio(t), c.audio[t - 1]) << "track " << t;
    }
    EXPECT_EQ(toc->LeadOut(), c.lead_out);
  }
  const Parsed<Disc> example = Parse(cases[0].sheet, cases[0].files);
  EXPECT_EQ(VolumeOf(*example.value)->serial, 0xC2C3Bu);
  EXPECT_EQ(VolumeOf(*example.value)->label, "Audio CD");
  EXPECT_EQ(VolumeOf(*Parse(cases[3].sheet, cases[3].files).value)->label, kDefaultDataLabel);
}

std::string HundredTracks() {
  std::string sheet = "FILE long.bin BINARY\n";
  for (int t = 1; t <= 100; ++t) {
    char lines[64];
    std::snprintf(lines, sizeof lines, "TRACK %02d AUDIO\nINDEX 01 %02d:00:00\n", t % 100, t - 1);
    sheet += lines;
  }
  return sheet;
}

TEST(CueSheet, MalformedSheetsAreRefusedWithLineAndReason) {
  const Files files = {{"a.bin", {ImageFileKind::kBinary, Bytes(FramesOf(3, 0, 0))}},
                       {"b.wav", {ImageFileKind::kWave, Bytes(FramesOf(1, 0, 0))}},
                       {"odd.bin", {ImageFileKind::kBinary, 1000}},
                       {"big.bin", {ImageFileKind::kBinary, Bytes(FramesOf(100, 0, 0))}},
                       {"long.bin", {ImageFileKind::kBinary, Bytes(FramesOf(99, 0, 0))}}};
  const std::string head = "FILE a.bin BINARY\nTRACK 01 AUDIO\n";
  const struct {
    std::string sheet;
    const char* error;
  } cases[] = {
      {head + "INDEX 01 00:00:00\nTRACK 02 MODE1/2048\nINDEX 01 01:00:00\n",
       "line 4: unknown track mode MODE1/2048"},
      {head + "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 01:00:00\nTRACK 03 AUDIO\n"
              "INDEX 01 00:30:00\n",
       "line 7: INDEX 00:30:00 goes back before the one above"},
      {"TRACK 01 AUDIO\nINDEX 01 00:00:00\n", "line 1: TRACK before any FILE"},
      {"FILE gone.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "line 1: gone.bin: no such file"},
      {HundredTracks(), "line 200: a disc has at most 99 tracks"},
      {head + "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
       "line 2: track 1 has no frames"},
      {head + "INDEX 01 03:00:00\n", "line 2: track 1 has no frames"},
      {head + "INDEX 01 03:00:01\n", "line 3: INDEX 03:00:01 lies beyond the end of a.bin"},
      {head + "INDEX 01 00:60:00\n", "line 3: bad time 00:60:00"},
      {head + "INDEX 01 00:00:75\n", "line 3: bad time 00:00:75"},
      {head + "INDEX 01 00:00:00\nINDEX 00 00:01:00\n", "line 4: INDEX 00 after a higher"},
      {head + "INDEX 00 00:00:00\nINDEX 02 00:01:00\n", "line 4: INDEX 02 skips a number"},
      {head + "INDEX 00 00:00:00\nTRACK 02 AUDIO\n", "line 4: track 1 (line 2) has no INDEX 01"},
      {head + "INDEX 00 00:00:00\n", "line 3: track 1 (line 2) has no INDEX 01"},
      {head + "INDEX 01 00:00:00\nTRACK 03 AUDIO\n", "line 4: track 03 out of order"},
      {head + "INDEX 01 00:00:00\nPREGAP 00:02:00\n", "line 4: PREGAP belongs before"},
      {head + "POSTGAP 00:02:00\n", "line 3: POSTGAP belongs after"},
      {head + "INDEX 01 00:00:00\nCUE 1\n", "line 4: unknown command CUE"},
      {"FILE a.bin MP3\n", "line 1: unsupported file type MP3"},
      {"FILE \"a.bin BINARY\n", "line 1: unclosed quote"},
      {"FILE odd.bin BINARY\n", "line 1: odd.bin is 1000 bytes, not a whole number"},
      {"FILE big.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "line 3: the disc is longer than 99:59:74"},
      {"REM nothing\n", "line 1: the sheet has no TRACK"},
      {"INDEX 01 00:00:00\n", "line 1: INDEX before any TRACK"},
      // A FILE that nothing refers to would silently lengthen the track before it.
      {"FILE a.bin BINARY\nFILE b.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "line 2: FILE a.bin (line 1) is followed by no TRACK or INDEX"},
      {head + "INDEX 01 00:00:00\nFILE b.wav WAVE\n",
       "line 4: FILE b.wav (line 4) is followed by no TRACK or INDEX"},
      {std::string("FILE \"a.bin\0.wav\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", 53),
       "line 1: the file name holds a NUL byte"},
      {"FILE \"\" BINARY\n", "line 1: the file name is empty"},
  };
  for (const auto& c : cases) {
    const Parsed<Disc> disc = Parse(c.sheet, files);
    EXPECT_FALSE(disc) << c.sheet;
    EXPECT_EQ(disc.error.rfind(c.error, 0), 0u) << c.sheet << "\ngave: " << disc.error;
  }
}

// A track may go on into the next file: its INDEX 01 there is what the FILE is for.
TEST(CueSheet, AnIndexInTheNextFileNeedsNoTrackThere) {
  const Parsed<Disc> disc = Parse(
      "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
      "INDEX 00 02:58:00\nFILE b.wav WAVE\nINDEX 01 00:00:00\n",
      {{"a.bin", {ImageFileKind::kBinary, Bytes(FramesOf(3, 0, 0))}},
       {"b.wav", {ImageFileKind::kWave, Bytes(FramesOf(1, 0, 0))}}});
  ASSERT_TRUE(disc) << disc.error;
  ASSERT_EQ(disc.value->tracks.size(), 2u);
  EXPECT_EQ(disc.value->tracks[1].length_frames, FramesOf(1, 0, 0));
}

class ImageFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("orvanta-cue-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string Wave(uint32_t rate, uint32_t data_bytes) {
    auto le = [](uint32_t v, int n) {
      std::string out;
      for (int i = 0; i < n; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
      return out;
    };
    return "RIFF" + le(36 + data_bytes, 4) + "WAVE" + "LIST" + le(3, 4) + "abc" + '\0' + "fmt " +
           le(16, 4) + le(1, 2) + le(2, 2) + le(rate, 4) + le(rate * 4, 4) + le(4, 2) + le(16, 2) +
           "data" + le(data_bytes, 4) + std::string(data_bytes, '\0');
  }

  std::filesystem::path folder_;
};

TEST_F(ImageFolder, SheetFindsItsFilesBesideItAndMeasuresThem) {
  Write("tracks.wav", Wave(44100, 2 * kBytesPerFrame));
  const std::string bin = Write("data.bin", "");
  std::filesystem::resize_file(bin, Bytes(FramesOf(2, 0, 0)));  // sparse: nothing written
  const std::string sheet = Write("disc.cue",
                                  "FILE data.bin BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"
                                  "FILE tracks.wav WAVE\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n");
  const Parsed<Disc> disc = LoadCueSheet(sheet);
  ASSERT_TRUE(disc) << disc.error;
  ASSERT_EQ(disc.value->tracks.size(), 2u);
  EXPECT_EQ(disc.value->tracks[0].length_frames, FramesOf(2, 0, 0));
  EXPECT_EQ(disc.value->tracks[1].length_frames, 2u);

  const struct {
    std::string bytes;
    const char* error;
  } waves[] = {
      {Wave(48000, 8), "not 16-bit stereo PCM at 44100 Hz"},
      {"RIFF1234AVIW", "not a RIFF WAVE file"},
      {Wave(44100, 8).substr(0, 60), "the data chunk runs past the end"},
      {Wave(44100, 0).substr(0, 48), "no data chunk"},
  };
  for (const auto& w : waves) {
    const Parsed<uint64_t> bytes = ReadImageFile(Write("bad.wav", w.bytes), ImageFileKind::kWave);
    EXPECT_FALSE(bytes);
    EXPECT_NE(bytes.error.find(w.error), std::string::npos) << bytes.error;
  }
  const Parsed<Disc> missing = LoadCueSheet((folder_ / "none.cue").string());
  EXPECT_NE(missing.error.find("none.cue: cannot be read"), std::string::npos) << missing.error;
  const Parsed<Disc> refused =
      LoadCueSheet(Write("bad.cue", "FILE nothing.bin BINARY\nTRACK 01 AUDIO\n"));
  EXPECT_NE(refused.error.find("bad.cue line 1: "), std::string::npos) << refused.error;
  EXPECT_NE(refused.error.find("nothing.bin: no such file"), std::string::npos) << refused.error;
}

// What a sheet names may be anything on the disk: only a regular file is read, and nothing is
// opened in a way that could wait for a writer.
TEST_F(ImageFolder, OnlyRegularFilesAreReadAndNoneIsWaitedFor) {
  ASSERT_EQ(::mkfifo((folder_ / "pipe.bin").c_str(), 0600), 0);
  std::filesystem::create_directory(folder_ / "folder.bin");
  const struct {
    std::string sheet;
    const char* error;
  } cases[] = {
      {"FILE pipe.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "pipe.bin: not a regular file"},
      {"FILE pipe.bin WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "pipe.bin: not a regular file"},
      {"FILE folder.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "folder.bin: a folder, not a file"},
  };
  for (const auto& c : cases) {
    const Parsed<Disc> disc = LoadCueSheet(Write("hostile.cue", c.sheet));
    EXPECT_FALSE(disc);
    EXPECT_NE(
        disc.error.find(std::string("hostile.cue line 1: ") + folder_.string() + "/" + c.error),
        std::string::npos)
        << disc.error;
  }
  for (const char* sheet : {"pipe.bin", "folder.bin"}) {
    const Parsed<Disc> disc = LoadCueSheet((folder_ / sheet).string());
    EXPECT_FALSE(disc) << sheet;
    EXPECT_NE(disc.error.find(std::string(sheet) + ": "), std::string::npos) << disc.error;
  }
}

TEST_F(ImageFolder, AWaveChunkThatClaimsMoreThanTheFileHasIsRefused) {
  const std::string good = Wave(44100, 8);
  auto le32 = [](uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i) & 0xFF);
    return out;
  };
  // The LIST chunk of Wave() sits at byte 12; its size is at 16.
  std::string huge_odd = good;
  huge_odd.replace(16, 4, le32(0xFFFFFFFF));  // odd: padded, it would wrap to nothing
  std::string past_end = good;
  past_end.replace(16, 4, le32(static_cast<uint32_t>(good.size())));
  std::string long_form = good;
  long_form.replace(4, 4, le32(static_cast<uint32_t>(good.size())));
  const struct {
    std::string bytes;
    std::string error;
  } cases[] = {
      {huge_odd, "the LIST chunk claims 4294967295 bytes, past the end of the file"},
      {past_end, "the LIST chunk claims"},
      {long_form, "the RIFF chunk claims " + std::to_string(good.size() + 8) + " bytes"},
  };
  for (const auto& c : cases) {
    const Parsed<uint64_t> bytes =
        ReadImageFile(Write("claims.wav", c.bytes), ImageFileKind::kWave);
    EXPECT_FALSE(bytes);
    EXPECT_NE(bytes.error.find(c.error), std::string::npos) << bytes.error;
  }
  EXPECT_EQ(ReadImageFile(Write("good.wav", good), ImageFileKind::kWave).value, 8u);
}

// Table and so (U+8868, U+30BD) end in the byte 0x5C, a backslash on its own: in a Shift-JIS name
// it is no folder separator. The files on the host carry their names in UTF-8; a sheet with a
// byte-order mark writes UTF-8 names itself.
TEST_F(ImageFolder, ShiftJisNamesAreReadAsCodePage932) {
  // The UTF-8 bytes of ソフト and 表, written out: this file is compiled to code page 932.
  const std::string soft = "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88";
  const std::string table = "\xE8\xA1\xA8";
  std::filesystem::create_directory(folder_ / soft);
  const std::string bin = (folder_ / soft / (table + ".bin")).string();
  Write(bin, "");
  std::filesystem::resize_file(bin, Bytes(FramesOf(1, 0, 0)));
  const std::string body = "TRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  // ソフト\表.bin in code page 932.
  const std::string shift_jis = "\x83\x5C\x83\x74\x83\x67\\\x95\x5C.bin";
  const Parsed<Disc> relative =
      LoadCueSheet(Write("sjis.cue", "FILE \"" + shift_jis + "\" BINARY\n" + body));
  ASSERT_TRUE(relative) << relative.error;
  EXPECT_EQ(relative.value->tracks[0].length_frames, FramesOf(1, 0, 0));
  const Parsed<Disc> utf8 =
      LoadCueSheet(Write("utf8.cue",
                         "\xEF\xBB\xBF"
                         "FILE \"" +
                             soft + "/" + table + ".bin" + "\" BINARY\n" + body));
  EXPECT_TRUE(utf8) << utf8.error;
  // Without the mark the same UTF-8 bytes are code page 932 text, and name another file.
  const Parsed<Disc> unmarked = LoadCueSheet(
      Write("unmarked.cue", "FILE \"" + soft + "/" + table + ".bin" + "\" BINARY\n" + body));
  EXPECT_FALSE(unmarked);
  // A byte that is not code page 932 text names nothing.
  const Parsed<Disc> broken =
      LoadCueSheet(Write("broken.cue", "FILE \"\x81\x7Fx.bin\" BINARY\n" + body));
  EXPECT_NE(broken.error.find("line 1: \x81\x7Fx.bin: not a code page 932 name"), std::string::npos)
      << broken.error;
}

}  // namespace
}  // namespace cdaudio
