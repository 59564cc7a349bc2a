// What the console's commands do to the machine, read back through its control interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/emu/mci_control.h"
#include "support/ConsoleScenario.h"

namespace {

using ConsoleMachine = testing_support::ConsoleScenario;

TEST_F(ConsoleMachine, MachineAndDriveCommandsShapeTheSystem) {
  EXPECT_EQ(Do("machine 9x\ndrive e: cdrom\ndrive F: fixed\n"), "");
  EXPECT_EQ(machine_.GetPlatform(), emu::Platform::Win9x);
  EXPECT_EQ(machine_.Drives(), (std::vector<std::pair<char, UINT>>{
                                   {'C', DRIVE_FIXED}, {'E', DRIVE_CDROM}, {'F', DRIVE_FIXED}}));
  EXPECT_EQ(Do("machine nt\n"), "");
  EXPECT_EQ(machine_.GetPlatform(), emu::Platform::NT);
  EXPECT_EQ(console_.ExitCode(), 0);

  EXPECT_EQ(Do("drive C: cdrom\ndrive G: floppy\n"),
            "error: drive C: is already there\n"
            "error: drive: expected cdrom or fixed, not \"floppy\"\n");
  EXPECT_EQ(machine_.Drives().size(), 3u);
  EXPECT_EQ(console_.ExitCode(), 1);
}

// The code page is the system's: set before the program starts, and the CD Player's titles are
// stored in it (what an English Windows cannot hold is refused, not garbled).
TEST_F(ConsoleMachine, CodePageIsSetBeforeStartAndTitlesAreStoredInIt) {
  EXPECT_EQ(machine_.AnsiCodePage(), 1252u);
  EXPECT_EQ(Do("machine codepage 437\nmachine codepage\n"),
            "error: machine codepage: expected 1252 or 932, not \"437\"\n"
            "error: usage: machine codepage 1252|932\n");
  EXPECT_EQ(Do("drive D: cdrom\ndisc D: audio:1:00 audio:1:00 audio:1:00\ntitle D: \"Café\"\n"
               "title D: \"ゲーム\"\n"),
            "error: title \"ゲーム\" is not UTF-8 text that code page 1252 can hold\n");
  const std::string database = machine_.ReadFile(machine_.TitleDatabasePath());
  EXPECT_NE(database.find("title=Caf\xE9"), std::string::npos) << database;
  EXPECT_EQ(Do("machine codepage 932\ntitle D: \"ゲーム\"\n"), "");
  EXPECT_EQ(machine_.AnsiCodePage(), 932u);
  EXPECT_NE(machine_.ReadFile(machine_.TitleDatabasePath()).find("title=\x83\x51\x81\x5B\x83\x80"),
            std::string::npos);
  EXPECT_EQ(Do("start\nmachine codepage 1252\n"),
            "error: machine codepage: only before the first start\n");
  EXPECT_EQ(machine_.AnsiCodePage(), 932u);
}

TEST_F(ConsoleMachine, MachineSettingsForTheDriverThePathAndADrivesDirectory) {
  // The end of a play is reported by the 9x driver, not by NT's, unless said otherwise.
  EXPECT_FALSE(emu::NotifiesAtEnd(machine_));
  EXPECT_EQ(Do("machine 9x\n"), "");
  EXPECT_TRUE(emu::NotifiesAtEnd(machine_));
  EXPECT_EQ(Do("machine endnotify off\n"), "");
  EXPECT_FALSE(emu::NotifiesAtEnd(machine_));
  EXPECT_EQ(Do("machine nt\nmachine endnotify on\n"), "");
  EXPECT_TRUE(emu::NotifiesAtEnd(machine_));
  EXPECT_EQ(Do("drive D: cdrom\nmachine endnotify off\nmachine cwd d: \"\\MUSIC\"\n"
               "machine path \"C:\\My.Tools\\player\"\n"),
            "");
  EXPECT_FALSE(emu::NotifiesAtEnd(machine_));
  EXPECT_EQ(machine_.DriveDirectory('D'), "\\MUSIC");
  EXPECT_EQ(machine_.SettingsPath(), "C:\\My.Tools\\player.ini");
  EXPECT_EQ(Do("start\nshow settings\n").substr(0, 15), "--- settings\n[C");
  EXPECT_EQ(Do("machine path \"C:\\x.exe\"\nmachine cwd Q: \"\\X\"\nmachine cwd D: X\n"
               "machine endnotify maybe\n"),
            "error: machine path: only before the first start\n"
            "error: machine cwd: there is no drive Q:\n"
            "error: machine cwd: expected a directory from the root such as \"\\DIR\", not \"X\"\n"
            "error: machine endnotify: expected on or off, not \"maybe\"\n");
}

// The volume Windows reports and the tracks in the drive for each disc the words describe, written
// out or as the sample images tools/discs/make-images.py makes; the label in code page 932.
TEST_F(ConsoleMachine, DiscWordsAndSampleImagesMakeTheVolumeWindowsReports) {
  const char* source = std::getenv("ORVANTA_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string folder = machine_.HostPath("C:\\images");
  ASSERT_EQ(std::system(("python3 " + std::string(source) + "/tools/discs/make-images.py " +
                         folder + " >/dev/null")
                            .c_str()),
            0);
  const struct {
    std::string words;
    const char* label;
    DWORD serial;
    uint32_t tracks;
  } discs[] = {
      // The documented worked example: tracks at 00:02:00, 04:32:47, 08:10:12, lead-out 12:00:00.
      {"audio:4:30.47 audio:3:37.40 audio:3:49.63", "Audio CD", 0x000C2C3B, 3},
      {"data:10:00 audio:3:00 label \"ゲーム\" serial 1A2B-3C4D", "\x83\x51\x81\x5B\x83\x80",
       0x1A2B3C4D, 2},
      {"data:10:00 serial 1A2B-3C4D", "CDROM", 0x1A2B3C4D, 1},
      {"image " + folder + "/three-tracks.cue", "Audio CD", 0x000C2C3B, 3},
      {"image " + folder + "/short.cue", "Audio CD", 0x00001200, 3},
      {"image " + folder + "/mixed.cue", "CDROM", 0x00072A00, 3},
      {"image " + folder + "/data-only.cue", "CDROM", 0x000059E4, 1},
  };
  Do("drive D: cdrom\n");
  for (const auto& disc : discs) {
    EXPECT_EQ(Do("disc D: " + disc.words + "\n"), "") << disc.words;
    const std::optional<emu::VolumeAnswer> volume = machine_.Volume('D');
    ASSERT_TRUE(volume) << disc.words;
    EXPECT_EQ(std::tuple(volume->label, volume->serial, volume->fileSystem,
                         emu::CdDrive(machine_, 'D')->tracks),
              std::tuple(disc.label, disc.serial, "CDFS", disc.tracks))
        << disc.words;
  }

  // The sheet names a file that is not there: refused, and the data disc stays in.
  std::ofstream(folder + "/broken.cue") << "FILE short.bin BINARY\nTRACK 01 AUDIO\n"
                                           "INDEX 01 00:00:00\nFILE gone.bin BINARY\n";
  EXPECT_EQ(
      Do("disc D: image " + folder + "/broken.cue\n"),
      "error: disc: " + folder + "/broken.cue line 4: " + folder + "/gone.bin: no such file\n");
  EXPECT_EQ(emu::CdDrive(machine_, 'D')->tracks, 1u);
  EXPECT_EQ(Do("disc D: image\n").rfind("error: usage: disc X:", 0), 0u);
  EXPECT_EQ(Do("eject d:\n"), "");
  EXPECT_FALSE(machine_.Volume('D'));
}

TEST_F(ConsoleMachine, RefusedDiscsLeaveTheDriveAsItWas) {
  Do("drive D: cdrom\ndisc D: audio:1:00\n");
  const DWORD serial = machine_.Volume('D')->serial;
  const std::string answers =
      Do("disc E: audio:1:00\n"
         "disc C: audio:1:00\n"
         "disc D: audio:1:60\n"
         "disc D: label X\n"
         "disc D: audio:4:00 serial 1234\n"
         "disc D: data:4:00 serial xyz\n"
         "disc D: data:4:00 label \"\xF0\x9F\x8E\xB5\"\n"
         "disc D: audio:60:00 audio:60:00\n"
         "disc D:\n");
  std::istringstream lines(answers);
  std::string line;
  std::vector<std::string> errors;
  while (std::getline(lines, line)) errors.push_back(line);
  ASSERT_EQ(errors.size(), 9u) << answers;
  EXPECT_EQ(errors[0], "error: there is no drive E:");
  EXPECT_EQ(errors[1], "error: C: is not a CD drive");
  for (const std::string& error : errors) EXPECT_EQ(error.rfind("error: ", 0), 0u) << error;
  ASSERT_TRUE(machine_.Volume('D'));
  EXPECT_EQ(machine_.Volume('D')->serial, serial);
}

TEST_F(ConsoleMachine, IniWritesCodePage932OnTheMachineAsTheUserAndRefusesWhatItCannot) {
  EXPECT_EQ(Do("ini Q:\\x.ini S K V\n"), "error: ini: there is no drive Q:\n");
  EXPECT_EQ(Do("ini C:\\missing\\x.ini S K V\n"), "error: ini: cannot write C:\\missing\\x.ini\n");
  EXPECT_EQ(Do("ini settings S K \"\xF0\x9F\x8E\xB5\"\n").rfind("error: value ", 0), 0u);
  EXPECT_FALSE(machine_.SettingsExist());

  // Past the read-only attribute, as the user may.
  EXPECT_EQ(Do("readonly settings on\nini settings CDPlayer_TabSheet AutoPlay_CheckBox 1\n"), "");
  EXPECT_TRUE(machine_.IsReadOnly(machine_.SettingsPath()));
  EXPECT_EQ(machine_.Settings(), "[CDPlayer_TabSheet]\r\nAutoPlay_CheckBox=1\r\n");
  EXPECT_EQ(Do("readonly settings off\n"), "");
  EXPECT_FALSE(machine_.IsReadOnly(machine_.SettingsPath()));

  EXPECT_EQ(Do("ini cdplayer C2C3B title \"ゲーム\"\n"), "");
  EXPECT_EQ(machine_.ReadFile(machine_.TitleDatabasePath()),
            "[C2C3B]\r\ntitle=\x83\x51\x81\x5B\x83\x80\r\n");
  EXPECT_EQ(Do("ini \"C:\\WINDOWS\\other.ini\" S K V\n"), "");
  EXPECT_EQ(machine_.ReadFile("C:\\WINDOWS\\other.ini"), "[S]\r\nK=V\r\n");
  // A path never leaves the machine.
  EXPECT_EQ(Do("ini \"C:\\..\\..\\x.ini\" S K V\n"), "");
  EXPECT_EQ(machine_.ReadFile("C:\\x.ini"), "[S]\r\nK=V\r\n");
  EXPECT_FALSE(std::filesystem::exists(machine_.Root().parent_path() / "x.ini"));
}

TEST_F(ConsoleMachine, FailQueuesAFailureWithADecimalOrHexErrorAndWaitMovesTheClock) {
  EXPECT_EQ(Do("fail OpenMutexA 0x10\nfail CreateMutexA 5\nfail ExitWindowsEx\n"), "");
  EXPECT_EQ(machine_.TakeFailure("OpenMutexA"), 16u);
  EXPECT_EQ(machine_.TakeFailure("CreateMutexA"), 5u);
  EXPECT_EQ(machine_.TakeFailure("ExitWindowsEx"), 0u);

  std::string answers =
      Do("fail\nfail ExitWindowsEx 12z\nfail ExitWindowsEx 0x100000000\nfail \"A B\" 1\n");
  EXPECT_EQ(std::count(answers.begin(), answers.end(), '\n'), 4) << answers;
  EXPECT_EQ(machine_.TakeFailure("ExitWindowsEx"), std::nullopt);

  // Wait moves the clock and refuses bad durations.
  const uint64_t before = machine_.Now();
  EXPECT_EQ(Do("start\nwait 1500\n"), "");
  EXPECT_EQ(machine_.Now(), before + 1500);
  answers = Do("wait -5\nwait 1e3\nwait 99999999999\n");
  EXPECT_EQ(std::count(answers.begin(), answers.end(), '\n'), 3) << answers;
  EXPECT_EQ(answers.rfind("error: wait: ", 0), 0u) << answers;
  EXPECT_EQ(machine_.Now(), before + 1500);
  EXPECT_EQ(console_.ExitCode(), 1);
}

}  // namespace
