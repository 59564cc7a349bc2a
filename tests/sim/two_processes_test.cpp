// The real console executable, run as separate Linux processes on one machine folder: a copy of
// the program started by one console is seen by the program started by another.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Generous: only a broken console ever waits this long (the sanitizer build is slow to start).
constexpr std::chrono::seconds kPatience{30};

fs::path ConsolePath() {
  if (const char* dir = std::getenv("ORVANTA_BINARY_DIR")) {
    return fs::path(dir) / "tools/sim/orvantabrevo-sim";
  }
  // Run by hand from build/host/tests/sim.
  return fs::read_symlink("/proc/self/exe").parent_path() / "../../tools/sim/orvantabrevo-sim";
}

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// One run of the console with pipes on its standard input and output.
class ConsoleProcess {
 public:
  explicit ConsoleProcess(const std::vector<std::string>& args) {
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string program = ConsolePath().string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
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

  // Reads until the output holds `line` as a whole line, or the output ends, or time runs out.
  bool ReadUntilLine(const std::string& line) {
    const auto deadline = Clock::now() + kPatience;
    while (!HasLine(line)) {
      if (!ReadSome(deadline)) return false;
    }
    return true;
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

 private:
  bool HasLine(const std::string& line) const {
    return output_text_.rfind(line + "\n", 0) == 0 ||
           output_text_.find("\n" + line + "\n") != std::string::npos;
  }

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
    output_text_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  std::optional<int> WaitForExit(Clock::time_point deadline) {
    // A pidfd turns the wait for the exit into a poll with a timeout.
    const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    if (pidfd >= 0) {
      pollfd fd{pidfd, POLLIN, 0};
      poll(&fd, 1, MillisecondsLeft(deadline));
      close(pidfd);
    }
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return exitCode_;
      }
      if (done < 0 || MillisecondsLeft(deadline) == 0) return std::nullopt;
      // Old kernels without pidfds: look again shortly, still bounded by the deadline.
      poll(nullptr, 0, 10);
    }
  }

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool eof_ = false;
  std::string output_text_;
  std::optional<int> exitCode_;
};

class TwoProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    // Writing to a console that died must fail the test, not kill it.
    previousPipeHandler_ = signal(SIGPIPE, SIG_IGN);
    std::string templ = (fs::temp_directory_path() / "orvanta-sim-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    folder_ = templ;
    root_ = folder_ / "machine";
    ASSERT_TRUE(fs::exists(ConsolePath())) << ConsolePath();
  }
  void TearDown() override {
    signal(SIGPIPE, previousPipeHandler_);
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }

  std::string Script(const std::string& name, const std::string& text) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  fs::path folder_;
  fs::path root_;
  sighandler_t previousPipeHandler_ = SIG_DFL;
};

TEST_F(TwoProcesses, SecondConsoleSeesTheCopyOfTheFirstUntilItQuits) {
  ConsoleProcess first({"--root", root_.string()});
  ASSERT_TRUE(first.Started());
  first.Write("drive D: cdrom\nstart\nshow process\n");
  ASSERT_TRUE(first.ReadUntilLine("process: running")) << first.Output();

  const std::string probe = Script("probe.txt", "start\nshow process\n");
  // However the folder is spelled, it is the same machine.
  fs::create_directory_symlink(root_, folder_ / "link");
  for (const fs::path& spelling :
       {root_, fs::path(root_.string() + "/"), folder_ / "." / "machine", folder_ / "link"}) {
    ConsoleProcess second({"--script", probe, "--root", spelling.string()});
    ASSERT_TRUE(second.Started());
    second.CloseInput();
    EXPECT_EQ(second.Finish(), 0);
    EXPECT_EQ(second.Output(), "process: ended code=0\n") << spelling;
  }

  // The first console is still alive, and its copy with it.
  first.Write("show process\nquit\n");
  EXPECT_EQ(first.Finish(), 0);
  EXPECT_EQ(first.Output(), "process: running\nprocess: running\n");

  ConsoleProcess third({"--script", probe, "--root", root_.string()});
  ASSERT_TRUE(third.Started());
  third.CloseInput();
  EXPECT_EQ(third.Finish(), 0);
  EXPECT_EQ(third.Output(), "process: running\n");
  // The machine's folder named with --root is the caller's and stays.
  EXPECT_TRUE(fs::exists(root_ / "C" / "OrvantaBrevo" / "OrvantaBrevo.ini"));
}

TEST_F(TwoProcesses, ConsoleExitCodeTellsErrorsAndUnusableArguments) {
  ConsoleProcess failing({"--script", Script("bad.txt", "frobnicate\nshow process\n")});
  ASSERT_TRUE(failing.Started());
  failing.CloseInput();
  EXPECT_EQ(failing.Finish(), 1);
  EXPECT_EQ(failing.Output(), "error: unknown command frobnicate\nprocess: none\n");

  ConsoleProcess missing({"--script", (folder_ / "absent.txt").string()});
  ASSERT_TRUE(missing.Started());
  missing.CloseInput();
  EXPECT_EQ(missing.Finish(), 2);
  EXPECT_EQ(missing.Output(), "");
}

}  // namespace
