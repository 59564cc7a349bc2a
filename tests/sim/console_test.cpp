// Whole scripts run in-process on a fresh machine, as the console's executable runs them.
#include <gtest/gtest.h>

#include <sstream>

#include "Console.h"
#include "Help.h"
#include "platform/win32.h"

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

// Whole scripts and all they print; each row names itself in a failure.
TEST(ConsoleScript, ScriptsPrintTheirAnswersAndEndWithTheirExitCode) {
  const struct {
    const char* script;
    const char* output;
    int exitCode;
  } runs[] = {
      {"show process\nstart\nshow process\nshow box\n",
       "process: none\nprocess: running\nbox: none\n", 0},
      // A second copy ends at once and is listed as an extra copy.
      {"start\nstart\nshow process\nshow box\n",
       "process: running\nprocess 2: ended code=0\nbox: none\n", 0},
      // Read-only settings give an error box that OK closes, and are left as they were.
      {"ini settings CDPlayer_TabSheet CDDrive 0\ndrive D: cdrom\nreadonly settings on\nstart\n"
       "show box\nanswer ok\nshow box\nshow settings\nshow process\n",
       "box: caption=\"OrvantaBrevo\" text=\"C:\\OrvantaBrevo\\OrvantaBrevo.ini "
       "に書き込めません.\" icon=error buttons=ok\n"
       "box: none\n--- settings\n[CDPlayer_TabSheet]\nCDDrive=0\n---\nprocess: running\n",
       0},
      // An answer without a suitable box is an error, and the box stays.
      {"answer ok\ndrive D: cdrom\nreadonly settings on\nstart\nanswer cancel\nshow box\n",
       "error: answer: no message box is open\nerror: answer: the box has no cancel button\n"
       "box: caption=\"OrvantaBrevo\" text=\"C:\\OrvantaBrevo\\OrvantaBrevo.ini "
       "に書き込めません.\" icon=error buttons=ok\n",
       1},
      {"# a whole-line comment, then a blank line\n\n"
       "ini settings \"My Section\" Title \"say \\\"hi\\\" #1 \\\\o/\"  # trailing comment\n"
       "show settings\n",
       "--- settings\n[My Section]\nTitle=say \"hi\" #1 \\o/\n---\n", 0},
      // An unknown command is an error and the script goes on.
      {"frobnicate now\nshow process\n", "error: unknown command frobnicate\nprocess: none\n", 1},
      // Quit ends the script and the copies.
      {"start\nquit\nfrobnicate\n", "", 0},
  };
  for (const auto& run : runs) {
    const ScriptRun done = RunScript(run.script);
    EXPECT_EQ(done.output, run.output) << run.script;
    EXPECT_EQ(done.exitCode, run.exitCode) << run.script;
  }
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
                kFirstSettings +
                "box: none\nexits: none\nshell: none\nprocess: running\nhotkeys: none\n");
  EXPECT_EQ(run.exitCode, 0);
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
      "fail NoSuchFunction\n"
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
  EXPECT_EQ(errors, 12) << run.output;
  EXPECT_EQ(run.output.find('\0'), std::string::npos) << "a NUL is not echoed";
  EXPECT_NE(run.output.find("\"95\""), std::string::npos);
  EXPECT_NE(run.output.find("\"D\""), std::string::npos);
  EXPECT_NE(run.output.find("\"soon\""), std::string::npos);
  EXPECT_NE(run.output.find("\"everything\""), std::string::npos);
  // A failure nothing would consult is refused with the names that can fail.
  EXPECT_NE(run.output.find("error: fail: NoSuchFunction cannot be made to fail; these can: "
                            "AdjustTokenPrivileges AppendMenuA"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(" MessageBoxA MessageBoxW "), std::string::npos);
  EXPECT_EQ(run.exitCode, 1);
}

}  // namespace

namespace {

// A device error's box, and on top of it the box of a menu that could not be made: the end of
// the script still ends the program, and the run is a success.
TEST(ConsoleEnd, AProgramInTwoBoxesEndsWithTheScript) {
  const ScriptRun run = RunScript(
      "drive D: cdrom\nfail CreatePopupMenu 5\nstart\nfail mciSendCommandA 5\n"
      "disc D: audio:1:00 audio:2:00\nwait 3000\nclick right\nshow box\n");
  EXPECT_EQ(run.output,
            "box: caption=\"OrvantaBrevo\" text=\"Cannot create a menu.\" icon=error buttons=ok\n");
  EXPECT_EQ(run.exitCode, 0);
}

}  // namespace

namespace {

// A program that will not end is ended at the end of the run, which is then a failure.
TEST(ConsoleEnd, AProgramThatWillNotEndIsReportedAndTheRunFails) {
  emu::MachineOptions options;
  options.endLimitMs = 50;
  emu::Machine machine(options);
  std::ostringstream out;
  sim::Console console(machine, out);
  machine.StartProcess([] {
    MSG msg;
    for (;;) GetMessageA(&msg, nullptr, 0, 0);
    return 0;
  });
  console.Finish();
  EXPECT_EQ(out.str(), "error: process 1 did not end when asked to; it was ended\n");
  EXPECT_EQ(console.ExitCode(), 1);
}

}  // namespace
