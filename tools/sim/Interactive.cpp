#include "Interactive.h"

#include <editline/readline.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
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
volatile std::sig_atomic_t g_resized = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
}

void OnEnd(int) {
  g_ending = 1;
}

// The line editor's own handlers would resize and redraw inside the signal, which allocates
// memory and so may corrupt it (and they send the signal on to the whole process group): the
// console takes the signals itself and hands the editor a new width between lines.
void OnResize(int) {
  g_resized = 1;
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

// `watch`: the status every second until Enter, the input ends, Ctrl-C, or the console is asked
// to end. Other keys are taken and ignored: a Ctrl-D in the middle of a line hands what was typed
// over without an Enter, which neither ends the watch nor leaves it waiting for one.
void Watch(Console& console) {
  std::cout << "(Enter stops)\n";
  g_interrupted = 0;
  for (bool stop = false; !stop;) {
    std::cout << console.StatusLine() << std::endl;
    const auto next = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          next - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd input{STDIN_FILENO, POLLIN, 0};
      const int ready = poll(&input, 1, static_cast<int>(left.count()));
      if (g_interrupted || g_ending) {
        std::cout << '\n';
        stop = true;
        break;
      }
      if (ready < 0 && errno != EINTR) {
        stop = true;
        break;
      }
      if (ready <= 0) continue;
      // A terminal in canonical mode hands over at most one line a read.
      char typed[256];
      const ssize_t n = read(STDIN_FILENO, typed, sizeof typed);
      if (n <= 0 || std::memchr(typed, '\n', static_cast<size_t>(n)) ||
          std::memchr(typed, '\r', static_cast<size_t>(n))) {
        stop = true;
        break;
      }
    }
  }
  g_interrupted = 0;
}

constexpr const char* kPrompt = "orvanta> ";
// The input ended (Ctrl-D on an empty line) or `quit`.
bool g_lineEnds = false;

// Narrower than this, the line editor cannot lay out its prompt and line: it keeps the width it
// had until the terminal is wide enough again.
constexpr unsigned short kNarrowest = 10;

void Resize() {
  winsize size{};
  if (ioctl(STDIN_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= kNarrowest) {
    rl_resize_terminal();
  }
}

void RunLine(Console& console, const char* line) {
  // Ctrl-D on an empty line ends the console.
  if (!line) {
    std::cout << '\n';
    g_lineEnds = true;
    return;
  }
  const SplitLine split = SplitWords(line);
  if (split.words.empty() && split.error.empty()) return;
  add_history(line);
  if (!console.Execute(line)) {
    g_lineEnds = true;
    return;
  }
  const std::string name = split.words.empty() ? "" : split.words[0];
  if (name != "help" && name != "watch") std::cout << console.StatusLine() << std::endl;
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
  rl_catch_signals = 0;
  rl_catch_sigwinch = 0;
  // Ctrl-C without SA_RESTART: it ends the wait for the next key, and the line being typed.
  struct sigaction interrupt {};
  interrupt.sa_handler = OnInterrupt;
  sigaction(SIGINT, &interrupt, nullptr);
  // A new width waits for the next line: restarted, the wait for the next key goes on, and the
  // line being typed stays as it is.
  struct sigaction resize {};
  resize.sa_handler = OnResize;
  resize.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &resize, nullptr);
  struct sigaction end {};
  end.sa_handler = OnEnd;
  sigaction(SIGHUP, &end, nullptr);
  sigaction(SIGTERM, &end, nullptr);

  std::cout << kWelcome << console.StatusLine() << std::endl;
  g_lineEnds = false;
  while (!g_ending && !g_lineEnds) {
    g_interrupted = 0;
    if (g_resized) {
      g_resized = 0;
      Resize();
    }
    std::unique_ptr<char, decltype(&std::free)> line(readline(kPrompt), &std::free);
    if (g_ending) break;
    if (g_interrupted && !line) {
      // Ctrl-C while a line was typed: that line is dropped.
      std::cout << std::endl;
      continue;
    }
    RunLine(console, line.get());
  }
  console.Finish();
  g_console = nullptr;
  return 0;
}

}  // namespace sim
