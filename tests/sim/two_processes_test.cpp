// The real console executable, run as separate Linux processes on one machine folder: a copy of
// the program started by one console is seen by the program started by another.
#include <signal.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ConsoleProcess.h"

namespace {

using namespace sim_test;
namespace fs = std::filesystem;

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

TEST_F(TwoProcesses, SecondConsoleSeesTheCopyOfTheFirstUntilItQuitsAndExitCodesTellErrors) {
  ConsoleProcess first({"--root", root_.string()});
  ASSERT_TRUE(first.Started());
  first.Write("drive D: cdrom\nstart\nshow process\n");
  ASSERT_TRUE(first.ReadUntil("process: running\n", 0, Clock::now() + kPatience)) << first.Output();

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

  // The exit code tells a script's errors and an unusable argument.
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
