#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/profile/profile.h"
#include "test_folder.h"

namespace {

using profile::GetString;

class ProfileRead : public ::testing::Test {
 protected:
  TestFolder folder_;
};

// What a key reads as ("-" when missing) in files of every kind of line.
TEST_F(ProfileRead, LinesSectionsKeysAndValues) {
  const std::string top = "top=level\r\n[Player]\r\nDrive=D\r\n";
  const std::string kinds =
      "[S]\n; commented=1\n  ;indented=2\nno equals sign\ncrlf=1\r\ncr=0\rlf=2\n"
      "  [ T ]  trailing text\r\nlast=3";
  const std::string spaced = "[ Player Options ]\r\n \tDrive Letter\t = D\r\n";
  // In code page 932 the second byte of a double-byte character may look like an ASCII letter,
  // ']' or '\\'; it is part of the character and must match exactly.
  const std::string twoByte =
      "[\x83\x41]\r\nDisc\x83\x41=one\r\n\x81\x41x=two\r\n[Title\x81\x5D]\r\n\x95\x5C=three\r\n";
  const std::string dup = "[Dup]\r\nk=first\r\nk=second\r\n[dup]\r\nk=third\r\nonly=later\r\n";
  const struct {
    std::string text;
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {top, "Player", "Drive", "D"},
      {top, "Other", "Drive", "-"},
      {top, "Player", "Other", "-"},
      {top, "", "top", "-"},  // keys before any section belong to none
      {kinds, "S", "; commented", "-"},
      {kinds, "S", ";indented", "-"},
      {kinds, "S", "no equals sign", "-"},
      {kinds, "S", "crlf", "1"},
      {kinds, "S", "cr", "0"},
      {kinds, "S", "lf", "2"},
      {kinds, "T", "last", "3"},
      // Names ignore ASCII case and surrounding blanks.
      {spaced, "player options", "DRIVE LETTER", "D"},
      {spaced, "  PLAYER OPTIONS\t", " drive letter ", "D"},
      {spaced, "PlayerOptions", "Drive Letter", "-"},
      {twoByte, "\x83\x41", "DISC\x83\x41", "one"},
      {twoByte, "\x83\x61", "Disc\x83\x41", "-"},
      {twoByte, "\x83\x41", "disc\x83\x61", "-"},
      {twoByte, "\x83\x41", "\x81\x41X", "two"},  // folding resumes after the character
      {twoByte, "TITLE\x81\x5D", "\x95\x5C", "three"},
      {twoByte, "Title\x81", "\x95\x5C", "-"},
      // The first section and the first key of a name win.
      {dup, "DUP", "k", "first"},
      {dup, "Dup", "only", "-"},
      // A value loses its blanks and one matching pair of quotes.
      {"[S]\r\nk= \t plain value \t\r\n", "S", "k", "plain value"},
      {"[S]\r\nk=\"double\"\r\n", "S", "k", "double"},
      {"[S]\r\nk='single'\r\n", "S", "k", "single"},
      {"[S]\r\nk=  \" inner blanks \"  \r\n", "S", "k", " inner blanks "},
      {"[S]\r\nk=\"\"\r\n", "S", "k", ""},
      {"[S]\r\nk=\"a\" and \"b\"\r\n", "S", "k", "a\" and \"b"},
      {"[S]\r\nk=''quoted twice''\r\n", "S", "k", "'quoted twice'"},
      {"[S]\r\nk=\"mixed'\r\n", "S", "k", "\"mixed'"},
      {"[S]\r\nk=\"\r\n", "S", "k", "\""},
      {"[S]\r\nk=\"open\r\n", "S", "k", "\"open"},
      {"[S]\r\nk=\r\n", "S", "k", ""},
      {"[S]\r\nk=a ; not a comment\r\n", "S", "k", "a ; not a comment"},
      {"[S]\r\nk=x=y\r\n", "S", "k", "x=y"},
  };
  for (const auto& c : cases) {
    auto ini = folder_.Put("a.ini", c.text);
    EXPECT_EQ(Get(ini, c.section, c.key, "-"), c.value)
        << c.text << " [" << c.section << "] " << c.key;
  }
}

// On an English Windows (code page 1252) every byte is a character of its own, and its accented
// capitals match their small letters; the multiplication and division signs are no letters.
TEST_F(ProfileRead, CodePage1252HasNoLeadBytesAndAccentedLettersHaveACase) {
  const auto ini = folder_.Put(
      "a.ini",
      "[\x83]=x]\r\n\x83=one\r\n[\xC0\xDE\x8A\x8C\x8E\x9F]\r\nk=two\r\n[\xD7]\r\nk=three\r\n");
  const struct {
    const char* section;
    const char* key;
    const char* on1252;
    const char* on932;
  } cases[] = {
      {"\x83", "\x83", "one", "-"},  // in 932 the "]" and "=" are trail bytes
      {"\x83]=x", "\x83", "-", "-"},
      {"\xE0\xFE\x9A\x9C\x9E\xFF", "K", "two", "-"},
      {"\xC0\xDE\x8A\x8C\x8E\x9F", "k", "two", "two"},
      {"\xF7", "k", "-", "-"},
      {"\xD7", "k", "three", "three"},
  };
  for (const auto& c : cases) {
    char value[16];
    GetString(ini, c.section, c.key, "-", value, sizeof value, 1252);
    EXPECT_STREQ(value, c.on1252) << c.section;
    GetString(ini, c.section, c.key, "-", value, sizeof value, 932);
    EXPECT_STREQ(value, c.on932) << c.section;
  }
}

TEST_F(ProfileRead, DefaultsAndValuesAreCutToTheBuffer) {
  auto ini = folder_.Put("a.ini", "[Player]\r\nDrive=D\r\n");
  EXPECT_EQ(Get(folder_ / "none.ini", "Player", "Drive", "dflt"), "dflt");
  char buf[16];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(GetString(ini, "Player", "Other", nullptr, buf, sizeof buf), 0u);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(Get(ini, "Player", "Other", "  two words \t "), "  two words");

  // A long value, and a default, are cut to the buffer.
  std::string value(2000, 'v');
  for (std::size_t i = 0; i < value.size(); i += 7) value[i] = static_cast<char>('a' + i % 26);
  ini = folder_.Put("a.ini", "[S]\r\nlong=" + value + "\r\n");
  char large[1024];
  std::memset(large, 'x', sizeof large);
  ASSERT_EQ(GetString(ini, "S", "long", "", large, sizeof large), 1023u);
  EXPECT_EQ(large[1023], '\0');
  EXPECT_EQ(std::string(large), value.substr(0, 1023));
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetString(ini, "S", "missing", "default", small, 4), 3u);
  EXPECT_STREQ(small, "def");
  EXPECT_EQ(GetString(ini, "S", "long", "", small, 1), 0u);
  EXPECT_EQ(small[0], '\0');
  small[0] = 'x';
  EXPECT_EQ(GetString(ini, "S", "long", "", small, 0), 0u);
  EXPECT_EQ(small[0], 'x');
}

TEST_F(ProfileRead, NullSectionOrKeyListsNamesCutToTheBuffer) {
  auto ini = folder_.Put("a.ini", "[One]\r\na=1\r\n; c=0\r\n B =2\r\n[Two]\r\n[one]\r\nc=3\r\n");
  char buf[64];
  uint32_t n = GetString(ini, nullptr, nullptr, "x", buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n + 1), std::string("One\0Two\0one\0\0", 13));
  n = GetString(ini, "ONE", nullptr, "x", buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n + 1), std::string("a\0B\0\0", 5));

  n = GetString(ini, "None", nullptr, "x", buf, sizeof buf);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(GetString(folder_ / "none.ini", nullptr, nullptr, "x", buf, sizeof buf), 0u);
  EXPECT_EQ(buf[0], '\0');

  // A list that does not fit is cut and doubly terminated.
  ini = folder_.Put("a.ini", "[abc]\r\n[defgh]\r\n");
  std::memset(buf, 'x', sizeof buf);
  // "abc\0defgh\0\0" needs 11 bytes.
  EXPECT_EQ(GetString(ini, nullptr, nullptr, "", buf, 11), 10u);
  EXPECT_EQ(std::string(buf, 12), std::string("abc\0defgh\0\0x", 12));
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(GetString(ini, nullptr, nullptr, "", buf, 10), 8u);
  EXPECT_EQ(std::string(buf, 11), std::string("abc\0defg\0\0x", 11));
  EXPECT_EQ(GetString(ini, nullptr, nullptr, "", buf, 2), 0u);
  EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));
}

}  // namespace

namespace {

// The lead bytes of code page 932 are 0x81 to 0x9F and 0xE0 to 0xFC. After a lead byte, a ']' is
// the character's trail byte and does not end the section name, and an ASCII letter is not
// folded; after any other byte both are characters of their own.
TEST_F(ProfileRead, LeadBytesOfCodePage932AtTheEdgesOfTheirRanges) {
  const struct {
    unsigned char byte;
    bool lead;
  } edges[] = {{0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
               {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}};
  for (const auto& edge : edges) {
    const std::string b(1, static_cast<char>(edge.byte));
    const auto ini = folder_.Put("edge.ini", "[" + b + "]]\r\n" + b + "A=v\r\n");
    const std::string longName = b + "]";
    const std::string lower = b + "a";
    EXPECT_EQ(Get(ini, longName.c_str(), (b + "A").c_str(), "-") == "v", edge.lead)
        << std::hex << int{edge.byte};
    EXPECT_EQ(Get(ini, b.c_str(), (b + "A").c_str(), "-") == "v", !edge.lead)
        << std::hex << int{edge.byte};
    EXPECT_EQ(Get(ini, (edge.lead ? longName : b).c_str(), lower.c_str(), "-") == "v", !edge.lead)
        << "the letter after 0x" << std::hex << int{edge.byte};
  }
}

}  // namespace
