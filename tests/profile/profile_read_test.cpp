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

TEST_F(ProfileRead, DefaultWhenFileSectionOrKeyIsMissing) {
  auto ini = folder_.Put("a.ini", "top=level\r\n[Player]\r\nDrive=D\r\n");
  EXPECT_EQ(Get(folder_ / "none.ini", "Player", "Drive", "dflt"), "dflt");
  EXPECT_EQ(Get(ini, "Other", "Drive", "dflt"), "dflt");
  EXPECT_EQ(Get(ini, "Player", "Other", "dflt"), "dflt");
  EXPECT_EQ(Get(ini, "", "top", "dflt"), "dflt") << "keys before any section belong to none";
  EXPECT_EQ(Get(ini, "Player", "Drive", "dflt"), "D");

  char buf[16];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(GetString(ini, "Player", "Other", nullptr, buf, sizeof buf), 0u);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(Get(ini, "Player", "Other", "  two words \t "), "  two words");
}

TEST_F(ProfileRead, LineKindsAndLineEndings) {
  auto ini = folder_.Put("a.ini",
                         "[S]\n"
                         "; commented=1\n"
                         "  ;indented=2\n"
                         "no equals sign\n"
                         "crlf=1\r\n"
                         "cr=0\r"
                         "lf=2\n"
                         "  [ T ]  trailing text\r\n"
                         "last=3");
  EXPECT_EQ(Get(ini, "S", "; commented", "-"), "-");
  EXPECT_EQ(Get(ini, "S", ";indented", "-"), "-");
  EXPECT_EQ(Get(ini, "S", "no equals sign", "-"), "-");
  EXPECT_EQ(Get(ini, "S", "crlf"), "1");
  EXPECT_EQ(Get(ini, "S", "cr"), "0");
  EXPECT_EQ(Get(ini, "S", "lf"), "2");
  EXPECT_EQ(Get(ini, "T", "last"), "3");
}

TEST_F(ProfileRead, NamesIgnoreAsciiCaseAndSurroundingBlanks) {
  auto ini = folder_.Put("a.ini", "[ Player Options ]\r\n \tDrive Letter\t = D\r\n");
  EXPECT_EQ(Get(ini, "player options", "DRIVE LETTER"), "D");
  EXPECT_EQ(Get(ini, "  PLAYER OPTIONS\t", " drive letter "), "D");
  EXPECT_EQ(Get(ini, "PlayerOptions", "Drive Letter", "-"), "-");
}

// In code page 932 the second byte of a double-byte character may look like an ASCII letter, ']' or
// '\\'; it is part of the character and must match exactly.
TEST_F(ProfileRead, DoubleByteNamesCompareTrailBytesExactly) {
  auto ini = folder_.Put("a.ini",
                         "[\x83\x41]\r\n"  // katakana A: trail byte 'A'
                         "Disc\x83\x41=one\r\n"
                         "\x81\x41x=two\r\n"     // ideographic comma, then an ASCII letter
                         "[Title\x81\x5D]\r\n"   // trail byte ']' does not end the name
                         "\x95\x5C=three\r\n");  // trail byte '\\'
  EXPECT_EQ(Get(ini, "\x83\x41", "DISC\x83\x41"), "one");
  EXPECT_EQ(Get(ini, "\x83\x61", "Disc\x83\x41", "-"), "-");
  EXPECT_EQ(Get(ini, "\x83\x41", "disc\x83\x61", "-"), "-");
  EXPECT_EQ(Get(ini, "\x83\x41", "\x81\x41X"), "two") << "folding resumes after the character";
  EXPECT_EQ(Get(ini, "TITLE\x81\x5D", "\x95\x5C"), "three");
  EXPECT_EQ(Get(ini, "Title\x81", "\x95\x5C", "-"), "-");
}

TEST_F(ProfileRead, ValueLosesBlanksAndOneMatchingPairOfQuotes) {
  struct Case {
    const char* line;
    const char* value;
  } cases[] = {
      {"k= \t plain value \t", "plain value"},
      {"k=\"double\"", "double"},
      {"k='single'", "single"},
      {"k=  \" inner blanks \"  ", " inner blanks "},
      {"k=\"\"", ""},
      {"k=\"a\" and \"b\"", "a\" and \"b"},
      {"k=''quoted twice''", "'quoted twice'"},
      {"k=\"mixed'", "\"mixed'"},
      {"k=\"", "\""},
      {"k=\"open", "\"open"},
      {"k=", ""},
      {"k=a ; not a comment", "a ; not a comment"},
      {"k=x=y", "x=y"},
  };
  for (const Case& c : cases) {
    auto ini = folder_.Put("q.ini", std::string("[S]\r\n") + c.line + "\r\n");
    EXPECT_EQ(Get(ini, "S", "k", "-"), c.value) << c.line;
  }
}

TEST_F(ProfileRead, FirstSectionAndFirstKeyWin) {
  auto ini = folder_.Put("a.ini",
                         "[Dup]\r\nk=first\r\nk=second\r\n"
                         "[dup]\r\nk=third\r\nonly=later\r\n");
  EXPECT_EQ(Get(ini, "DUP", "k"), "first");
  EXPECT_EQ(Get(ini, "Dup", "only", "-"), "-");
}

TEST_F(ProfileRead, LongValueIsCutToTheBuffer) {
  std::string value(2000, 'v');
  for (std::size_t i = 0; i < value.size(); i += 7) value[i] = static_cast<char>('a' + i % 26);
  auto ini = folder_.Put("a.ini", "[S]\r\nlong=" + value + "\r\n");

  char buf[1024];
  std::memset(buf, 'x', sizeof buf);
  ASSERT_EQ(GetString(ini, "S", "long", "", buf, sizeof buf), 1023u);
  EXPECT_EQ(buf[1023], '\0');
  EXPECT_EQ(std::string(buf), value.substr(0, 1023));

  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetString(ini, "S", "missing", "default", small, 4), 3u);
  EXPECT_STREQ(small, "def");
  EXPECT_EQ(GetString(ini, "S", "long", "", small, 1), 0u);
  EXPECT_EQ(small[0], '\0');
  small[0] = 'x';
  EXPECT_EQ(GetString(ini, "S", "long", "", small, 0), 0u);
  EXPECT_EQ(small[0], 'x');
}

TEST_F(ProfileRead, NullSectionOrKeyListsNames) {
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
}

TEST_F(ProfileRead, ListThatDoesNotFitIsCutAndDoublyTerminated) {
  auto ini = folder_.Put("a.ini", "[abc]\r\n[defgh]\r\n");
  char buf[16];
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
