// The real console executable run as a child process, its standard input and output on pipes or
// on a pseudo-terminal, every wait bounded.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace sim_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Generous: only a broken console ever waits this long (the sanitizer build is slow to start).
constexpr std::chrono::seconds kPatience{30};

inline fs::path ConsolePath() {
  if (const char* dir = std::getenv("ORVANTA_BINARY_DIR")) {
    return fs::path(dir) / "tools/sim/orvantabrevo-sim";
  }
  // Run by hand from build/host/tests/sim.
  return fs::read_symlink("/proc/self/exe").parent_path() / "../../tools/sim/orvantabrevo-sim";
}

inline int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// One run of the console with pipes on its standard input and output, or with both on a
// pseudo-terminal (`terminal`), as when a person runs it.
class ConsoleProcess {
 public:
  explicit ConsoleProcess(const std::vector<std::string>& args, bool terminal = false) {
    int in[2];
    int out[2];
    if (terminal) {
      // 100 columns: the line editor needs a width.
      winsize size{40, 100, 0, 0};
      if (openpty(&out[0], &in[0], nullptr, nullptr, &size) != 0) return;
      fcntl(out[0], F_SETFD, FD_CLOEXEC);
      fcntl(in[0], F_SETFD, FD_CLOEXEC);
      in[1] = dup(out[0]);
      out[1] = dup(in[0]);
      terminal_ = true;
    } else if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string program = ConsolePath().string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // A process group of its own, as a shell gives a job: a signal the console sends its group
    // never reaches the test.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawn(&pid_, program.c_str(), &actions, &attributes, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (terminal) fcntl(in[1], F_SETFD, FD_CLOEXEC);
    input_ = in[1];
    output_ = out[0];
  }

  ~ConsoleProcess() {
    CloseInput();
    if (output_ >= 0) close(output_);
    if (pid_ > 0 && !exitCode_) {
      // A console that hung would otherwise outlive the test.
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ConsoleProcess(const ConsoleProcess&) = delete;
  ConsoleProcess& operator=(const ConsoleProcess&) = delete;

  bool Started() const { return pid_ > 0; }

  void Write(const std::string& text) {
    ASSERT_GE(input_, 0);
    ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  // Reads until `text` appears in the output after `from`; its end, or none at the deadline.
  std::optional<size_t> ReadUntil(const std::string& text, size_t from,
                                  Clock::time_point deadline) {
    for (;;) {
      if (const size_t at = output_text_.find(text, from); at != std::string::npos) {
        return at + text.size();
      }
      if (!ReadSome(deadline)) return std::nullopt;
    }
  }

  // Reads the output to its end and collects the exit code; none when time runs out.
  std::optional<int> Finish() {
    const auto deadline = Clock::now() + kPatience;
    while (ReadSome(deadline)) {
    }
    if (!eof_) return std::nullopt;
    return WaitForExit(deadline);
  }

  const std::string& Output() const { return output_text_; }

  // The terminal's new width, announced as the terminal does (SIGWINCH; the console has no
  // controlling terminal of its own here, so the signal is sent to it directly).
  void Resize(unsigned short columns) {
    winsize size{40, columns, 0, 0};
    ASSERT_EQ(ioctl(output_, TIOCSWINSZ, &size), 0);
    Signal(SIGWINCH);
  }
  // What a key such as Ctrl-C makes the terminal send to the program in the foreground.
  void Signal(int signal) { ASSERT_EQ(kill(pid_, signal), 0); }

 private:
  // False at the end of the output or when the deadline passes.
  bool ReadSome(Clock::time_point deadline) {
    if (eof_ || output_ < 0) return false;
    pollfd fd{output_, POLLIN, 0};
    const int ready = poll(&fd, 1, MillisecondsLeft(deadline));
    if (ready <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(output_, buffer, sizeof buffer);
    if (n <= 0) {
      eof_ = true;
      return false;
    }
    for (ssize_t i = 0; i < n; ++i) {
      // A terminal ends its lines with CR LF.
      if (!terminal_ || buffer[i] != '\r') output_text_ += buffer[i];
    }
    return true;
  }

  std::optional<int> WaitForExit(Clock::time_point deadline) {
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return exitCode_;
      }
      if (done < 0 || MillisecondsLeft(deadline) == 0) return std::nullopt;
      // Look again shortly, bounded by the deadline.
      poll(nullptr, 0, 10);
    }
  }

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool terminal_ = false;
  bool eof_ = false;
  std::string output_text_;
  std::optional<int> exitCode_;
};

}  // namespace sim_test
