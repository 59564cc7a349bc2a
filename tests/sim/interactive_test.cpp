// The console at a terminal, as a newcomer meets it: the real executable on a pseudo-terminal.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "ConsoleProcess.h"

namespace {

using namespace sim_test;

// The position (minutes:seconds:frames) in a status line, in frames.
int PositionIn(const std::string& status) {
  std::smatch match;
  if (!std::regex_search(status, match, std::regex(R"(position=(\d\d):(\d\d):(\d\d))"))) return -1;
  return (std::stoi(match[1]) * 60 + std::stoi(match[2])) * 75 + std::stoi(match[3]);
}

TEST(InteractiveConsole, PlaysTheSampleDiscFromTheMenuOnARunningClock) {
  ConsoleProcess console({}, /*terminal=*/true);
  ASSERT_TRUE(console.Started());
  const auto deadline = Clock::now() + kPatience;
  const std::string& out = console.Output();
  // Each answer is read up to the next prompt.
  auto answer = [&](const std::string& line) -> std::string {
    const size_t from = out.size();
    console.Write(line + "\r");
    const auto end = console.ReadUntil("orvanta> ", from, deadline);
    return end ? out.substr(from, *end - from) : "(no prompt) " + out.substr(from);
  };

  ASSERT_TRUE(console.ReadUntil("orvanta> ", 0, deadline)) << out;
  EXPECT_NE(out.find("status: tray=STOP tip=\"Sample Sessions\" drive=D: mode=stopped"),
            std::string::npos)
      << out;
  EXPECT_NE(answer("help").find("\n  choose    choose an item of the open popup menu\n"),
            std::string::npos);
  const std::string menu = answer("click left");
  EXPECT_NE(menu.find("  1  Play         再生(&P)\n"), std::string::npos) << menu;
  EXPECT_NE(menu.find("  3  Pause        一時停止(&U)  (disabled)\n"), std::string::npos) << menu;
  EXPECT_NE(answer("choose 1").find("status: tray=PLAY"), std::string::npos);

  // The one check on real time: the position moves within two seconds, by what has passed.
  const size_t from = out.size();
  console.Write("watch\r");
  const auto first = console.ReadUntil("\nstatus:", from, deadline);
  ASSERT_TRUE(first && console.ReadUntil("\n", *first, deadline)) << out;
  const auto shown = Clock::now();
  const int before = PositionIn(out.substr(*first));
  const auto second = console.ReadUntil("\nstatus:", *first, shown + std::chrono::seconds(2));
  ASSERT_TRUE(second && console.ReadUntil("\n", *second, deadline)) << out.substr(from);
  EXPECT_GE(PositionIn(out.substr(*second)) - before, 75 / 2) << out.substr(from);
  EXPECT_NE(answer("").find("orvanta> "), std::string::npos);

  console.Write("quit\r");
  EXPECT_EQ(console.Finish(), 0) << out;
}

}  // namespace
