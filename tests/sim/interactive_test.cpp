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

// A terminal's answer up to the next prompt, as a person reads it.
class Terminal {
 public:
  explicit Terminal(ConsoleProcess& console) : console_(console) {}
  bool Ready() { return console_.ReadUntil("orvanta> ", 0, deadline_).has_value(); }
  // Writes `keys` and returns what came before the next prompt.
  std::string Answer(const std::string& keys) {
    const size_t from = Out().size();
    console_.Write(keys);
    return UpToPrompt(from);
  }
  std::string UpToPrompt(size_t from) {
    const auto end = console_.ReadUntil("orvanta> ", from, deadline_);
    return end ? Out().substr(from, *end - from) : "(no prompt) " + Out().substr(from);
  }
  const std::string& Out() const { return console_.Output(); }

 private:
  ConsoleProcess& console_;
  const Clock::time_point deadline_ = Clock::now() + kPatience;
};

// A line the words cannot be cut from gets the same answer as in a script, not silence.
TEST(InteractiveConsole, AnUnclosedQuoteIsAnsweredAsInAScript) {
  ConsoleProcess console({}, /*terminal=*/true);
  ASSERT_TRUE(console.Started());
  Terminal terminal(console);
  ASSERT_TRUE(terminal.Ready()) << terminal.Out();
  const std::string answer = terminal.Answer("title D: \"Sample\r");
  EXPECT_NE(answer.find("\nerror: a quote is not closed\n"), std::string::npos) << answer;
  EXPECT_NE(terminal.Answer("show process\r").find("process: running"), std::string::npos);
  console.Write("quit\r");
  EXPECT_EQ(console.Finish(), 0) << terminal.Out();
}

// The terminal narrowed to one and two columns and widened to 500 while a line is half typed,
// again and again: the console lives on and every line is whole when Enter comes.
TEST(InteractiveConsole, ResizesWhileTypingKeepTheConsoleAndTheLine) {
  ConsoleProcess console({}, /*terminal=*/true);
  ASSERT_TRUE(console.Started());
  Terminal terminal(console);
  ASSERT_TRUE(terminal.Ready()) << terminal.Out();
  for (int round = 0; round < 100; ++round) {
    const size_t from = terminal.Out().size();
    console.Write("show pro");
    for (unsigned short columns : {1, 2, 500}) console.Resize(columns);
    console.Write("cess\r");
    const std::string answer = terminal.UpToPrompt(from);
    ASSERT_NE(answer.find("process: running\n"), std::string::npos)
        << "round " << round << ": " << answer;
  }
  console.Resize(100);
  console.Write("quit\r");
  EXPECT_EQ(console.Finish(), 0) << terminal.Out();
}

// Ctrl-C right after Enter: the line entered runs, and so does the one typed after it.
TEST(InteractiveConsole, CtrlCRightAfterEnterLosesNoLine) {
  ConsoleProcess console({}, /*terminal=*/true);
  ASSERT_TRUE(console.Started());
  Terminal terminal(console);
  ASSERT_TRUE(terminal.Ready()) << terminal.Out();
  for (int round = 0; round < 3; ++round) {
    const size_t from = terminal.Out().size();
    console.Write("show device\r");
    console.Signal(SIGINT);
    console.Write("show process\r");
    const std::string first = terminal.UpToPrompt(from);
    const std::string second = terminal.UpToPrompt(from + first.size());
    EXPECT_NE((first + second).find("process: running\n"), std::string::npos)
        << "round " << round << ":\n"
        << first << second;
  }
  // Ctrl-C in the middle of a line drops that line only.
  const size_t from = terminal.Out().size();
  console.Write("show dev");
  poll(nullptr, 0, 100);
  console.Signal(SIGINT);
  const std::string dropped = terminal.UpToPrompt(from);
  const std::string next = terminal.Answer("show process\r");
  EXPECT_EQ((dropped + next).find("error:"), std::string::npos) << dropped << next;
  EXPECT_NE(next.find("process: running\n"), std::string::npos) << dropped << next;
  console.Write("quit\r");
  EXPECT_EQ(console.Finish(), 0) << terminal.Out();
}

// Ctrl-D in the middle of a line during `watch` neither stops the updates nor takes the next line
// as watch's Enter.
TEST(InteractiveConsole, CtrlDDuringWatchStopsNothing) {
  ConsoleProcess console({}, /*terminal=*/true);
  ASSERT_TRUE(console.Started());
  Terminal terminal(console);
  ASSERT_TRUE(terminal.Ready()) << terminal.Out();
  const auto deadline = Clock::now() + kPatience;
  const size_t from = terminal.Out().size();
  console.Write("watch\r");
  const auto first = console.ReadUntil("\nstatus:", from, deadline);
  ASSERT_TRUE(first) << terminal.Out();
  console.Write("ab\x04");
  const auto second = console.ReadUntil("\nstatus:", *first, deadline);
  ASSERT_TRUE(second) << "the updates go on:\n" << terminal.Out().substr(from);
  EXPECT_FALSE(console.ReadUntil("\nstatus:", *second, Clock::now()).has_value() &&
               terminal.Out().find("orvanta> ", *first) < *second)
      << "watch went on";
  const std::string stopped = terminal.Answer("\r");
  EXPECT_EQ(stopped.find("error:"), std::string::npos) << stopped;
  EXPECT_NE(terminal.Answer("show process\r").find("process: running\n"), std::string::npos)
      << terminal.Out().substr(from);
  console.Write("quit\r");
  EXPECT_EQ(console.Finish(), 0) << terminal.Out();
}

}  // namespace
