// The tray tip from the CD Player's title database.
#include "PlayerScenario.h"

namespace player_test {
namespace {

class Titles : public PlayerScenario {
 protected:
  void SetUp() override { Do("drive D: cdrom\nstart\n"); }
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

TEST_F(Titles, DiscEndingWithDataGetsNoTitleButOneStartingWithDataDoes) {
  Titled("data:2:00 audio:3:00", "Enhanced");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"Enhanced\"\n");
  Eject();
  Titled("audio:3:00 data:2:00", "Hidden");
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"No CD\"\n");
}

// An unknown disc, or one whose identity is no signed decimal number, leaves the tip shown before.
TEST_F(Titles, UnknownDiscOrIdentityThatIsNoSignedDecimalNumberLeavesTheTip) {
  Insert(kThreeTracks);  // no database at all
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"No CD\"\n");
  Do("ini cdplayer 0 title zero\nini cdplayer FFFFFFFF title minus\n");
  Eject();
  Insert("audio:0:30 audio:0:40 audio:0:50");  // a database without this disc's section
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"No CD\"\n");
  Eject();
  for (const char* identity : {"12x", "99999999999", "", " 1"}) {
    emu::ImposeMediaIdentity(machine_, 'D', identity);
    Insert(kThreeTracks);
    EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"No CD\"\n") << "identity " << identity;
    Eject();
  }
  emu::ImposeMediaIdentity(machine_, 'D', "-1");
  Insert(kThreeTracks);
  EXPECT_EQ(Tray(), "tray: visible=1 image=STOP tip=\"minus\"\n");
}

}  // namespace
}  // namespace player_test
