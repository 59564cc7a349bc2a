#include "Interactive.h"

#include <editline/readline.h>
#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Console.h"
#include "Help.h"
#include "Words.h"

namespace sim {

const char* const kReadyMachine[] = {
    "drive D: cdrom",
    "disc D: audio:2:45 audio:3:10 audio:4:05 audio:1:55",
    "title D: \"Sample Sessions\"",
    "start",
    nullptr,
};

namespace {

constexpr const char* kWelcome =
    "OrvantaBrevo on an emulated Windows, on a clock that runs in real time.\n"
    "Drive D: holds a sample audio CD of four tracks; the program sits in the tray.\n"
    "Try: click left, then choose 1 (Play), then watch. help lists the commands; quit ends.\n";

volatile std::sig_atomic_t g_interrupted = 0;
// The terminal went away or the console was asked to end: the copies are ended and the machine's
// temporary folder removed as at `quit`.
volatile std::sig_atomic_t g_ending = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
}

void OnEnd(int) {
  g_ending = 1;
}

// Completion reads the console through this while readline runs.
Console* g_console = nullptr;
std::vector<std::string> g_candidates;

char* NextCandidate(const char* text, int state) {
  static size_t next = 0;
  if (state == 0) next = 0;
  const size_t length = std::strlen(text);
  while (next < g_candidates.size()) {
    const std::string& candidate = g_candidates[next++];
    if (candidate.compare(0, length, text) == 0) return strdup(candidate.c_str());
  }
  return nullptr;
}

char** Complete(const char* text, int start, int /*end*/) {
  const SplitLine before = SplitWords(std::string_view(rl_line_buffer, start));
  g_candidates.clear();
  if (before.words.empty()) {
    for (const CommandHelp& command : Commands()) g_candidates.emplace_back(command.name);
  } else if (before.words[0] == "choose" && before.words.size() == 1) {
    g_candidates = g_console->MenuItemNames();
  } else {
    g_candidates = WordChoices(before.words[0], before.words.size());
  }
  // No file names when nothing fits.
  rl_attempted_completion_over = 1;
  return rl_completion_matches(text, NextCandidate);
}

// `watch`: the status every second until a line (Enter) comes, the input ends, Ctrl-C, or the
// console is asked to end.
void Watch(Console& console) {
  std::cout << "(Enter stops)\n";
  g_interrupted = 0;
  for (;;) {
    std::cout << console.StatusLine() << std::endl;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, 1, 1000);
    if (g_interrupted || g_ending) {
      std::cout << '\n';
      break;
    }
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0) {
      // Whatever was typed before Enter goes with it.
      char c = 0;
      while (read(STDIN_FILENO, &c, 1) == 1 && c != '\n') {
      }
      break;
    }
  }
  g_interrupted = 0;
}

// The console speaks UTF-8; a terminal whose locale says otherwise would show the captions as
// escapes in the line editor.
void UseUtf8() {
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

}  // namespace

int RunInteractive(emu::MachineOptions options) {
  options.manualClock = false;
  UseUtf8();
  emu::Machine machine(options);
  Console console(machine, std::cout);
  for (const char* const* line = kReadyMachine; *line; ++line) console.Execute(*line);
  console.SetInteractive(true);
  console.SetWatcher([&console] { Watch(console); });

  g_console = &console;
  rl_readline_name = "orvantabrevo-sim";
  rl_attempted_completion_function = Complete;
  struct sigaction interrupt {};
  interrupt.sa_handler = OnInterrupt;
  sigaction(SIGINT, &interrupt, nullptr);
  struct sigaction end {};
  end.sa_handler = OnEnd;
  sigaction(SIGHUP, &end, nullptr);
  sigaction(SIGTERM, &end, nullptr);

  std::cout << kWelcome << console.StatusLine() << std::endl;
  while (!g_ending) {
    g_interrupted = 0;
    std::unique_ptr<char, decltype(&std::free)> line(readline("orvanta> "), &std::free);
    if (g_ending) break;
    // Ctrl-C drops the line being typed; Ctrl-D on an empty line ends the console.
    if (g_interrupted) {
      std::cout << std::endl;
      continue;
    }
    if (!line) {
      std::cout << '\n';
      break;
    }
    const SplitLine split = SplitWords(line.get());
    if (split.words.empty() && split.error.empty()) continue;
    add_history(line.get());
    if (!console.Execute(line.get())) break;
    const std::string name = split.words.empty() ? "" : split.words[0];
    if (name != "help" && name != "watch") std::cout << console.StatusLine() << std::endl;
  }
  console.Finish();
  g_console = nullptr;
  return 0;
}

}  // namespace sim
