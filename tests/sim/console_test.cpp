// Whole scripts run in-process on a fresh machine, as the console's executable runs them.
#include <gtest/gtest.h>

#include <sstream>

#include "Console.h"
#include "Help.h"

namespace {

using namespace std::string_literals;

struct ScriptRun {
  std::string output;
  int exitCode = -1;
};

ScriptRun RunScript(const std::string& script) {
  std::istringstream in(script);
  std::ostringstream out;
  ScriptRun run;
  run.exitCode = sim::RunScript(in, out, {});
  run.output = out.str();
  return run;
}

const char* const kFirstSettings =
    "--- settings\n"
    "[CDPlayer_TabSheet]\n"
    "CDDrive=0\n"
    "AutoPlay_CheckBox=0\n"
    "AllPlay_CheckBox=0\n"
    "RunPlay_CheckBox=0\n"
    "[RB_TabSheet]\n"
    "PowerOff_CheckBox=1\n"
    "Reboot_CheckBox=1\n"
    "Restart_CheckBox=1\n"
    "LogOff_CheckBox=1\n"
    "Dialog_CheckBox=0\n"
    "RB_Spell_CheckBox=0\n"
    "---\n";

TEST(ConsoleScript, StartOnAnEmptyMachineRunsQuietly) {
  ScriptRun run = RunScript("show process\nstart\nshow process\nshow box\n");
  EXPECT_EQ(run.output, "process: none\nprocess: running\nbox: none\n");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(ConsoleScript, SecondStartEndsAtOnceAndIsListedAsAnExtraCopy) {
  ScriptRun run = RunScript("start\nstart\nshow process\n");
  EXPECT_EQ(run.output, "process: running\nprocess 2: ended code=0\n");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(ConsoleScript, ShowAllGivesTheBuiltAnswersInConsoleOrder) {
  ScriptRun run = RunScript("drive D: cdrom\nstart\nshow all\n");
  EXPECT_EQ(run.output,
            std::string("tray: visible=1 image=NOCD tip=\"No CD\"\n"
                        "LBPopupMenu: Play[off] Stop[off] Pause[off] Next[off] Previous[off] "
                        "All_Repeat[off,unchecked] Eject[on]\n"
                        "RBPopupMenu: PowerOff[on] Reboot[on] Restart[off] LogOff[on] Version[on] "
                        "Exit[on]\n"
                        "dialog: hidden\n"
                        "device: open drive=D: mode=notready\n") +
                kFirstSettings + "box: none\nexits: none\nshell: none\nprocess: running\n");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(ConsoleScript, ReadOnlySettingsGiveAnErrorBoxThatOkCloses) {
  ScriptRun run = RunScript(
      "drive D: cdrom\n"
      "readonly settings on\n"
      "start\n"
      "show box\n"
      "answer ok\n"
      "show box\n"
      "show settings\n"
      "show process\n");
  EXPECT_EQ(run.output,
            "box: caption=\"OrvantaBrevo\" text=\"C:\\OrvantaBrevo\\OrvantaBrevo.ini "
            "に書き込めません.\" icon=error buttons=ok\n"
            "box: none\n"
            "settings: none\n"
            "process: running\n");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(ConsoleScript, AnswerWithoutASuitableBoxIsAnErrorAndTheBoxStays) {
  ScriptRun run = RunScript(
      "answer ok\n"
      "drive D: cdrom\n"
      "readonly settings on\n"
      "start\n"
      "answer cancel\n"
      "show box\n");
  EXPECT_EQ(run.output.substr(0, run.output.find("box: caption")),
            "error: answer: no message box is open\n"
            "error: answer: the box has no cancel button\n");
  EXPECT_NE(run.output.find("box: caption=\"OrvantaBrevo\""), std::string::npos);
  EXPECT_EQ(run.exitCode, 1);
}

TEST(ConsoleScript, QuotesAndCommentsShapeTheWords) {
  ScriptRun run = RunScript(
      "# a whole-line comment, then a blank line\n"
      "\n"
      "ini settings \"My Section\" Title \"say \\\"hi\\\" #1 \\\\o/\"  # trailing comment\n"
      "show settings\n");
  EXPECT_EQ(run.output, "--- settings\n[My Section]\nTitle=say \"hi\" #1 \\o/\n---\n");
  EXPECT_EQ(run.exitCode, 0);
}

TEST(ConsoleScript, UnknownCommandIsAnErrorAndTheScriptGoesOn) {
  ScriptRun run = RunScript("frobnicate now\nshow process\n");
  EXPECT_EQ(run.output, "error: unknown command frobnicate\nprocess: none\n");
  EXPECT_EQ(run.exitCode, 1);
}

TEST(ConsoleScript, HelpKnowsEveryCommandAndWatchNeedsATerminal) {
  for (const sim::CommandHelp& command : sim::Commands()) {
    // Listed, with its usage and example, and served: no command of the list is unknown.
    const ScriptRun run = RunScript("help\nhelp " + std::string(command.name) + "\n" +
                                    std::string(command.name) + "\n");
    EXPECT_NE(run.output.find("\n  " + std::string(command.name) + " "), std::string::npos);
    EXPECT_NE(run.output.find("usage: " + std::string(command.usage) + "\n  " +
                              std::string(command.summary) +
                              "\nexample: " + std::string(command.example) + "\n"),
              std::string::npos);
    EXPECT_EQ(run.output.find("unknown command"), std::string::npos) << command.name;
  }
  ScriptRun run = RunScript("help wat\nwatch\nhelp click 2\n");
  EXPECT_EQ(run.output,
            "error: help: there is no command \"wat\" (help lists them)\n"
            "error: watch: only at a terminal (a script moves the clock with wait)\n"
            "error: usage: help [COMMAND]\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(sim::WordChoices("click", 1),
            (std::vector<std::string>{"left", "right", "middle", "double"}));
  EXPECT_EQ(sim::WordChoices("ini", 1), (std::vector<std::string>{"settings", "cdplayer"}));
  EXPECT_TRUE(sim::WordChoices("disc", 1).empty());
}

TEST(ConsoleScript, BadArgumentsAreErrorsThatNameTheProblem) {
  ScriptRun run = RunScript(
      "machine 95\n"
      "drive D cdrom\n"
      "wait soon\n"
      "show\n"
      "show everything\n"
      "start now\n"
      "title \"open\n"
      "fail \"\"\n"
      "ini \"C:\\a\0b.ini\" S K V\n"
      "ini settings S K \"a\0\"\n"
      "drive \"\0:\" cdrom\n"s);
  std::istringstream lines(run.output);
  std::string line;
  int errors = 0;
  while (std::getline(lines, line)) {
    EXPECT_EQ(line.rfind("error: ", 0), 0u) << line;
    ++errors;
  }
  EXPECT_EQ(errors, 11) << run.output;
  EXPECT_EQ(run.output.find('\0'), std::string::npos) << "a NUL is not echoed";
  EXPECT_NE(run.output.find("\"95\""), std::string::npos);
  EXPECT_NE(run.output.find("\"D\""), std::string::npos);
  EXPECT_NE(run.output.find("\"soon\""), std::string::npos);
  EXPECT_NE(run.output.find("\"everything\""), std::string::npos);
  EXPECT_EQ(run.exitCode, 1);
}

TEST(ConsoleScript, QuitEndsTheScriptAndTheCopies) {
  ScriptRun run = RunScript("start\nquit\nfrobnicate\n");
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.exitCode, 0);
}

}  // namespace
