// The tray tip from the CD Player's title database.
#include "PlayerScenario.h"

namespace player_test {
namespace {

class Titles : public PlayerScenario {
 protected:
  // A Japanese Windows, whose CD Player keeps Japanese titles.
  void SetUp() override { Do("machine codepage 932\ndrive D: cdrom\nstart\n"); }
  // Inserts a disc and lets the poll find it.
  void Insert(const std::string& tracks) { Do("disc D: " + tracks + "\nwait 1500\n"); }
  // Stores `title` for the disc of `tracks` through the console, then puts that disc in afresh.
  void Titled(const std::string& tracks, const std::string& title) {
    Insert(tracks);
    Do("title D: " + title + "\neject D:\nwait 1500\n");
    Insert(tracks);
  }
  void Eject() { Do("eject D:\nwait 1500\n"); }
};

TEST_F(Titles, TheDiscsOwnIdentityFindsItsEntryAndTheDatabaseIsNeverWritten) {
  // The worked example of the CD Player's database: identifier 0xC2C3B, whose media identity
  // "797755" is looked up as upper-case hexadecimal.
  Do("ini cdplayer C2C3B EntryType 1\nini cdplayer C2C3B title \"ヴァーチャル・セッション\"\n");
  const std::string before = machine_.ReadFile(machine_.TitleDatabasePath());
  Insert("audio:4:30.47 audio:3:37.40 audio:3:49.63");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"ヴァーチャル・セッション\"\n");
  EXPECT_EQ(machine_.ReadFile(machine_.TitleDatabasePath()), before);
}

TEST_F(Titles, DefaultTitleShowsOrvantinoAndLongTitlesAreCut) {
  Titled(kThreeTracks, "\"新しいﾀｲﾄﾙ\"");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  const std::string longTitle(70, 'x');
  Eject();
  Titled("audio:1:00 audio:1:00", longTitle);
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"" + longTitle.substr(0, 62) + "\"\n");
}

// A disc without a title never keeps the tip of what the drive held before: not "No CD", not the
// last disc's title.
TEST_F(Titles, DiscEndingWithDataGetsNoTitleButOneStartingWithDataDoes) {
  Titled("data:2:00 audio:3:00", "Enhanced");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Enhanced\"\n");
  Eject();
  Titled("audio:3:00 data:2:00", "Hidden");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  // Straight after a titled disc, without an empty drive between.
  Titled("audio:1:00 audio:1:00", "Before");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Before\"\n");
  Insert("audio:3:00 data:2:00");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
}

TEST_F(Titles, AnUntitledDiscShowsOrvantinoAfterAnEmptyDriveOrATitledDisc) {
  EXPECT_EQ(Tray(), "tray: visible=1 image=NOCD tip=\"No CD\"\n");
  Insert(kThreeTracks);  // no database at all
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  Titled("audio:0:30 audio:0:40 audio:0:50", "Named");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Named\"\n");
  Insert(kThreeTracks);  // a database without this disc's section, straight after the titled one
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
  // A section whose title is there but empty.
  Do("ini cdplayer 7E7E title \"\"\n");
  emu::ImposeMediaIdentity(machine_, 'D', "32382");  // 0x7E7E
  Titled("audio:0:30 audio:0:40 audio:0:50", "Named");
  Insert(kThreeTracks);
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
}

// An identity that is no signed decimal number names no section: the disc has no title.
TEST_F(Titles, IdentityThatIsNoSignedDecimalNumberGivesNoTitle) {
  Do("ini cdplayer 0 title zero\nini cdplayer FFFFFFFF title minus\n");
  for (const char* identity : {"12x", "99999999999", "", " 1"}) {
    Titled("audio:0:30 audio:0:40 audio:0:50", "Named");
    emu::ImposeMediaIdentity(machine_, 'D', identity);
    Insert(kThreeTracks);
    EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n") << "identity " << identity;
    emu::ImposeMediaIdentity(machine_, 'D', std::nullopt);
    Eject();
  }
  emu::ImposeMediaIdentity(machine_, 'D', "-1");
  Insert(kThreeTracks);
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"minus\"\n");
}

using TitlesAtStart = PlayerScenario;

// The disc in the drive at start-up replaces the form's own tip, title or not.
TEST_F(TitlesAtStart, AnUntitledDiscInTheDriveAtStartShowsOrvantino) {
  Do(std::string("drive D: cdrom\ndisc D: ") + kThreeTracks + "\nstart\n");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Orvantino\"\n");
}

// The title database is the system's, in its ANSI code page, and the tip goes out through the
// ANSI call: a title reads right on an English Windows as on a Japanese one, on NT and on 9x.
class TitlesOnEveryWindows
    : public PlayerScenario,
      public ::testing::WithParamInterface<std::tuple<const char*, const char*>> {};

TEST_P(TitlesOnEveryWindows, TheTipShowsTheTitleAsTheSystemWroteIt) {
  const auto [platform, codePage] = GetParam();
  const bool english = std::string(codePage) == "1252";
  // "×" and "°" are in both code pages (0xD7, 0xB0 in 1252); the kana only in 932.
  const std::string title = english ? "Live × 2 at 30°" : "ライブ × 2";
  ASSERT_EQ(Do(std::string("machine ") + platform + "\nmachine codepage " + codePage +
               "\ndrive D: cdrom\nstart\ndisc D: " + kThreeTracks + "\nwait 1500\ntitle D: \"" +
               title + "\"\neject D:\nwait 1500\ndisc D: " + kThreeTracks + "\nwait 1500\n"),
            "");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"" + title + "\"\n");
}

INSTANTIATE_TEST_SUITE_P(Machines, TitlesOnEveryWindows,
                         ::testing::Combine(::testing::Values("nt", "9x"),
                                            ::testing::Values("1252", "932")),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param)) + "cp" +
                                  std::get<1>(info.param);
                         });

}  // namespace
}  // namespace player_test
