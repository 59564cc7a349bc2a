// Cutting console lines into words, and the console's code page conversions.
#include <gtest/gtest.h>

#include "CodePage.h"
#include "Words.h"

namespace {

using Words = std::vector<std::string>;

Words Split(std::string_view line) {
  sim::SplitLine split = sim::SplitWords(line);
  EXPECT_EQ(split.error, "") << line;
  return split.words;
}

TEST(SplitWords, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(Split("  disc\tD:   audio:4:30 \r"), (Words{"disc", "D:", "audio:4:30"}));
  EXPECT_EQ(Split("title D: \"Abbey  Road\""), (Words{"title", "D:", "Abbey  Road"}));
  EXPECT_EQ(Split("ini settings S K \"\""), (Words{"ini", "settings", "S", "K", ""}));
  EXPECT_EQ(Split("pre\"fix suf\"fix next"), (Words{"prefix suffix", "next"}));
  EXPECT_TRUE(Split("   ").empty());
}

TEST(SplitWords, BackslashEscapesOnlyQuoteAndBackslashInsideQuotes) {
  EXPECT_EQ(Split(R"("say \"hi\"" "a\\b")"), (Words{"say \"hi\"", "a\\b"}));
  // A Windows path reads as written, quoted or not.
  EXPECT_EQ(Split(R"("C:\dir\new.ini" C:\dir\x.ini)"),
            (Words{"C:\\dir\\new.ini", "C:\\dir\\x.ini"}));
  EXPECT_EQ(Split(R"("ends with \\")"), (Words{"ends with \\"}));
}

TEST(SplitWords, HashStartsACommentOutsideQuotesOnly) {
  EXPECT_TRUE(Split("# start the player").empty());
  EXPECT_EQ(Split("start # first copy"), (Words{"start"}));
  EXPECT_EQ(Split("wait 10#ms"), (Words{"wait", "10"}));
  EXPECT_EQ(Split("title D: \"No #1\" # hit"), (Words{"title", "D:", "No #1"}));
}

TEST(SplitWords, UnclosedQuoteIsAnErrorWithNoWords) {
  for (std::string_view line : {"title D: \"open", "x \"a\\\"", "\""}) {
    sim::SplitLine split = sim::SplitWords(line);
    EXPECT_NE(split.error, "") << line;
    EXPECT_TRUE(split.words.empty()) << line;
  }
}

TEST(CodePage, JapaneseRoundTripsThroughCodePage932) {
  // ゲーム in Shift-JIS.
  EXPECT_EQ(sim::ToCodePage("ゲーム"), "\x83\x51\x81\x5B\x83\x80");
  EXPECT_EQ(sim::FromCodePage("\x83\x51\x81\x5B\x83\x80"), "ゲーム");
  // 0x5C is the path separator, not a yen sign, as Windows shows paths.
  EXPECT_EQ(sim::FromCodePage("C:\\dir\\x.ini"), "C:\\dir\\x.ini");
}

TEST(CodePage, UnconvertibleTextIsRefusedOrEscaped) {
  EXPECT_EQ(sim::ToCodePage("\xF0\x9F\x8E\xB5"), std::nullopt);  // a note symbol, not in CP932
  EXPECT_EQ(sim::ToCodePage("\xFF"), std::nullopt);              // not UTF-8
  // A lone lead byte, and a byte CP932 never uses, still show, and the text goes on.
  EXPECT_EQ(sim::FromCodePage("a\x83"), "a\\x83");
  EXPECT_EQ(sim::FromCodePage("a\xA0z"), "a\\xA0z");
}

}  // namespace
