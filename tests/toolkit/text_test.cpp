// Program texts are code page 932 bytes, and the integer rule of the settings file.
#include <gtest/gtest.h>

#include "toolkit/SysUtils.h"

namespace {

TEST(Text, JapaneseLiteralsAreShiftJisBytes) {
  // 再生 = 8D C4 90 B6; ソ ends in a backslash byte; ｴﾗｰ is half-width, one byte each.
  EXPECT_EQ(std::string("再生"), "\x8D\xC4\x90\xB6");
  EXPECT_EQ(std::string("ソ"), "\x83\x5C");
  EXPECT_EQ(std::string("ｴﾗｰ"), "\xB4\xD7\xB0");
  EXPECT_EQ(std::string("に書き込めません").size(), 16u);
}

TEST(Text, LastCharacterOfATwoByteEndingIsItsLeadByte) {
  std::string text = "abcソ";
  EXPECT_EQ(vcl::LastCharOffset(text), 3u);
  EXPECT_EQ(vcl::LastCharOffset("ab\\"), 2u);
  EXPECT_EQ(vcl::LastCharOffset(""), std::string::npos);
  // A lead byte with nothing after it still counts as one character.
  EXPECT_EQ(vcl::LastCharOffset("a\x83"), 1u);
}

TEST(Text, IntegerRule) {
  EXPECT_EQ(vcl::StrToIntDef("0x1", 7), 1);
  EXPECT_EQ(vcl::StrToIntDef("0X1f", 7), 31);
  EXPECT_EQ(vcl::StrToIntDef("$10", 7), 16);
  EXPECT_EQ(vcl::StrToIntDef("-1", 7), -1);
  EXPECT_EQ(vcl::StrToIntDef("+2", 7), 2);
  EXPECT_EQ(vcl::StrToIntDef("2147483647", 7), 2147483647);
  EXPECT_EQ(vcl::StrToIntDef("-2147483648", 7), INT32_MIN);
  for (const char* bad :
       {"", "yes", "true", "99999999999", "2147483648", "-2147483649", "0x", "$", "-", "1.0", " 1",
        "0x-1", "$+1", "0xFFFFFFFF", "-$10", "+$1", "-0x10", "+0x1"}) {
    EXPECT_EQ(vcl::StrToIntDef(bad, 7), 7) << bad;
  }
}

TEST(Text, FormatReplacesEachPlaceholderInTurn) {
  EXPECT_EQ(vcl::Format("%s に書き込めません", {"C:\\a.ini"}), "C:\\a.ini に書き込めません");
  EXPECT_EQ(vcl::Format("%s-%s-%s", {"a", "b"}), "a-b-%s");
}

}  // namespace
