#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/profile/ini_text.h"
#include "platform/profile/profile.h"
#include "test_folder.h"

namespace {

namespace fs = std::filesystem;
using profile::WriteString;
using profile::testing::FailNextWrite;
using profile::testing::WriteStage;

class ProfileWrite : public ::testing::Test {
 protected:
  TestFolder folder_;
};

// The key writer `t` writes as its `i`th, "k<t>_<i>" (appended: GCC 12 at -O2 warns of a false
// overlap in "k" + std::to_string(…)).
std::string WriterKey(int t, int i) {
  std::string key = "k";
  key += std::to_string(t);
  key += '_';
  key += std::to_string(i);
  return key;
}

TEST_F(ProfileWrite, HandWrittenFileKeepsEveryOtherByte) {
  auto ini = folder_.Put("player.ini",
                         "; OrvantaBrevo settings\r\n"
                         "\r\n"
                         "unowned=before any section\r\n"
                         "[CDPlayer_TabSheet]\r\n"
                         "  DriveComboBox = 2   \r\n"
                         "; keep this comment\r\n"
                         "AutoPlay=1 ; stays\r\n"
                         "Unknown\t=\t\"quoted\"\r\n"
                         "\r\n"
                         "; belongs after the keys\r\n"
                         "[Unknown Section]\r\n"
                         "x = y\r\n"
                         "line without equals\r\n"
                         "\r\n"
                         "[RB_TabSheet]\r\n"
                         "Confirm=0");
  EXPECT_TRUE(WriteString(ini, "cdplayer_tabsheet", " DRIVECOMBOBOX ", "3"));
  EXPECT_TRUE(WriteString(ini, "CDPlayer_TabSheet", "NewKey", "new"));
  EXPECT_TRUE(WriteString(ini, "Unknown Section", "x", "y"));
  EXPECT_TRUE(WriteString(ini, "RB_TabSheet", "Confirm", "1"));
  EXPECT_TRUE(WriteString(ini, "RB_TabSheet", "Katakana", ""));
  EXPECT_TRUE(WriteString(ini, " Added ", "Key", " spaced "));

  EXPECT_EQ(TestFolder::Read(ini),
            "; OrvantaBrevo settings\r\n"
            "\r\n"
            "unowned=before any section\r\n"
            "[CDPlayer_TabSheet]\r\n"
            "  DriveComboBox = 3\r\n"
            "; keep this comment\r\n"
            "AutoPlay=1 ; stays\r\n"
            "Unknown\t=\t\"quoted\"\r\n"
            "NewKey=new\r\n"
            "\r\n"
            "; belongs after the keys\r\n"
            "[Unknown Section]\r\n"
            "x = y\r\n"
            "line without equals\r\n"
            "\r\n"
            "[RB_TabSheet]\r\n"
            "Confirm=1\r\n"
            "Katakana=\r\n"
            "[Added]\r\n"
            "Key= spaced \r\n");
  EXPECT_EQ(Get(ini, "added", "key"), "spaced");
  EXPECT_EQ(Get(ini, "RB_TabSheet", "Katakana", "-"), "");
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{"player.ini"});
}

// Every key the file shows, by section, as the profile functions read them back.
std::map<std::pair<std::string, std::string>, std::string> VisibleValues(const fs::path& ini) {
  std::map<std::pair<std::string, std::string>, std::string> values;
  char sections[4096];
  uint32_t n = profile::GetString(ini, nullptr, nullptr, "", sections, sizeof sections);
  for (const char* s = sections; s < sections + n; s += std::strlen(s) + 1) {
    char keys[4096];
    uint32_t m = profile::GetString(ini, s, nullptr, "", keys, sizeof keys);
    for (const char* k = keys; k < keys + m; k += std::strlen(k) + 1) {
      values.emplace(std::make_pair(std::string(s), std::string(k)), Get(ini, s, k));
    }
  }
  return values;
}

// No file, line ends of every kind, a byte-order mark, a last line without an end, keys and
// sections of one name twice: a write that succeeds makes the key read back as written, leaves
// every other key's value alone and keeps the file's own line ends and bytes (CR LF where it has
// none).
TEST_F(ProfileWrite, WriteChangesOnlyItsKeyWhateverTheLineEnds) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    const char* after;
  } cases[] = {
      {nullptr, "A", "one", "[A]\r\none=2\r\n"},
      {"[A]\r\none=1\r\n[B]\r\ntwo=2\r\n", "A", "three",
       "[A]\r\none=1\r\nthree=2\r\n[B]\r\ntwo=2\r\n"},
      {"[A]\nk=1", "A", "added", "[A]\nk=1\nadded=2\n"},
      {"[A]\nk=1", "B", "k", "[A]\nk=1\n[B]\nk=2\n"},
      {"[A]", "a", "k", "[A]\r\nk=2\r\n"},
      // Only the visible key and section change.
      {"[S]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", "S", "K", "[S]\r\nk=2\r\nk=2\r\n[s]\r\nk=3\r\n"},
      {"[S]\r\na=1\r", "S", "b", "[S]\r\na=1\rb=2\r\n"},
      {"[S]\ra=1\r[T]\rc=3\r", "S", "b", "[S]\ra=1\rb=2\r[T]\rc=3\r"},
      {"[S]\ra=1", "T", "b", "[S]\ra=1\r[T]\rb=2\r"},
      {"[S]\ra=1\r", "S", "a", "[S]\ra=2\r"},
      {"[S]\r\na=1\r\n[T]\nc=3", "T", "b", "[S]\r\na=1\r\n[T]\nc=3\r\nb=2\r\n"},
      {"[S]\ra=1\n\n", "S", "b", "[S]\ra=1\nb=2\r\n\n"},
      {"\xEF\xBB\xBF[S]\r\na=1\r\n", "S", "b", "\xEF\xBB\xBF[S]\r\na=1\r\nb=2\r\n"},
      {"\xEF\xBB\xBF[S]\r\na=1\r\n", "s", "A", "\xEF\xBB\xBF[S]\r\na=2\r\n"},
      {"\xEF\xBB\xBF", "S", "b", "\xEF\xBB\xBF[S]\r\nb=2\r\n"},
  };
  for (const Case& c : cases) {
    fs::remove(folder_ / "c.ini");
    auto ini = c.before ? folder_.Put("c.ini", c.before) : folder_ / "c.ini";
    auto others = VisibleValues(ini);
    ASSERT_TRUE(WriteString(ini, c.section, c.key, "2")) << c.before;
    EXPECT_EQ(TestFolder::Read(ini), c.after) << c.before;
    EXPECT_EQ(Get(ini, c.section, c.key), "2") << c.before;
    auto now = VisibleValues(ini);
    for (auto* values : {&others, &now}) {
      std::erase_if(*values, [&c](const auto& entry) {
        return profile::detail::NamesEqual(entry.first.first, c.section) &&
               profile::detail::NamesEqual(entry.first.second, c.key);
      });
    }
    EXPECT_EQ(now, others) << c.before;
  }
}

TEST_F(ProfileWrite, NullValueDeletesTheKeyAndNullKeyTheSection) {
  auto ini = folder_.Put("del.ini",
                         "; head\r\n"
                         "[Keep]\r\nk=1\r\n"
                         "[Gone]\r\nk=2\r\n; its comment\r\n\r\n"
                         "[Keys]\r\na=1\r\nK=2\r\nb=3\r\nk=4\r\n"
                         "[gone]\r\nk=5\r\n");
  EXPECT_TRUE(WriteString(ini, "keys", "k", nullptr));
  EXPECT_EQ(Get(ini, "Keys", "k", "-"), "-");
  EXPECT_TRUE(WriteString(ini, "GONE", nullptr, nullptr));
  EXPECT_EQ(Get(ini, "Gone", "k", "-"), "-");
  EXPECT_EQ(TestFolder::Read(ini), "; head\r\n[Keep]\r\nk=1\r\n[Keys]\r\na=1\r\nb=3\r\n");

  const std::string before = TestFolder::Read(ini);
  EXPECT_TRUE(WriteString(ini, "Keep", "missing", nullptr));
  EXPECT_TRUE(WriteString(ini, "Missing", nullptr, nullptr));
  EXPECT_EQ(TestFolder::Read(ini), before);
  // A deletion from a file that is not there succeeds and leaves it there, empty, as on Windows.
  EXPECT_TRUE(WriteString(folder_ / "none.ini", "S", nullptr, nullptr));
  EXPECT_EQ(TestFolder::Read(folder_ / "none.ini"), "");
  EXPECT_TRUE(fs::is_regular_file(folder_ / "none.ini"));
  EXPECT_TRUE(WriteString(folder_ / "nokey.ini", "S", "k", nullptr));
  EXPECT_EQ(TestFolder::Read(folder_ / "nokey.ini"), "");
  EXPECT_TRUE(fs::is_regular_file(folder_ / "nokey.ini"));
  // Where no file can be made, the deletion fails like any write.
  EXPECT_FALSE(WriteString(folder_ / "no-such-folder" / "x.ini", "S", nullptr, nullptr));
  // A key without a section is refused; all three null is a flush.
  EXPECT_FALSE(WriteString(ini, nullptr, "k", "2"));
  EXPECT_TRUE(WriteString(ini, nullptr, nullptr, nullptr));
  EXPECT_EQ(TestFolder::Read(ini), before);
}

TEST_F(ProfileWrite, UnwritablePlacesReturnFalse) {
  EXPECT_FALSE(WriteString(folder_ / "no-such-folder" / "a.ini", "S", "k", "v"));
  EXPECT_FALSE(fs::exists(folder_ / "no-such-folder"));
  auto file = folder_.Put("plain", "x");
  EXPECT_FALSE(WriteString(file / "a.ini", "S", "k", "v"));
  fs::create_directory(folder_ / "dir.ini");
  EXPECT_FALSE(WriteString(folder_ / "dir.ini", "S", "k", "v"));
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"dir.ini", "plain"}));
}

// Root passes every permission check, so the attempt runs in a child that drops to "nobody".
std::optional<bool> WriteWithoutPrivileges(const fs::path& file) {
  if (geteuid() != 0) return WriteString(file, "S", "k", "new");
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
    _exit(WriteString(file, "S", "k", "new") ? 1 : 0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return std::nullopt;
  if (WEXITSTATUS(status) == 77) return std::nullopt;
  return WEXITSTATUS(status) == 1;
}

TEST_F(ProfileWrite, PermissionFailuresReturnFalseAndChangeNothing) {
  const std::string text = "[S]\r\nk=old\r\n";
  // A file the caller may not write, even though the folder would allow replacing it.
  auto locked = folder_.Put("locked.ini", text);
  fs::permissions(folder_.path(), fs::perms::all);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::optional<bool> wrote = WriteWithoutPrivileges(locked);
  if (!wrote) GTEST_SKIP() << "cannot drop privileges here";
  EXPECT_FALSE(*wrote);
  EXPECT_EQ(TestFolder::Read(locked), text);
}

// Windows writes a writable file in a read-only folder in place; so does the engine when no
// temporary file can be made beside it.
TEST_F(ProfileWrite, WritableFileInReadOnlyFolderIsWrittenInPlace) {
  auto open = folder_.Put("open.ini", "[S]\r\nk=old\r\n; stays\r\n");
  fs::permissions(open, fs::perms::all & ~fs::perms::owner_exec & ~fs::perms::group_exec &
                            ~fs::perms::others_exec);
  fs::permissions(folder_.path(), fs::perms::all & ~fs::perms::owner_write &
                                      ~fs::perms::group_write & ~fs::perms::others_write);
  std::optional<bool> wrote = WriteWithoutPrivileges(open);
  if (!wrote) GTEST_SKIP() << "cannot drop privileges here";
  EXPECT_TRUE(*wrote);
  EXPECT_EQ(TestFolder::Read(open), "[S]\r\nk=new\r\n; stays\r\n");
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{"open.ini"});
}

// A temporary left by a write that was killed goes with the next write of its file; a name too
// long to take the temporary suffix still gets written.
TEST_F(ProfileWrite, StaleTemporariesGoAndLongNamesAreWritable) {
  auto ini = folder_.Put("a.ini", "[S]\r\nk=1\r\n");
  folder_.Put("a.ini.~0badf00d.tmp", "[S]\r\nk=half");
  folder_.Put("b.ini.~0badf00d.tmp", "another file's");
  EXPECT_TRUE(WriteString(ini, "S", "k", "2"));
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"a.ini", "b.ini.~0badf00d.tmp"}));

  const std::string longName(250, 'n');
  EXPECT_TRUE(WriteString(folder_.path() / longName, "S", "k", "v"));
  EXPECT_EQ(Get(folder_.path() / longName, "S", "k"), "v");
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"a.ini", "b.ini.~0badf00d.tmp", longName}));
}

// A dead writer's temporaries go without a write; a live writer, who holds the folder's lock, keeps
// its own, and the caller does not wait for it.
TEST_F(ProfileWrite, DeadWritersTemporariesGoWithoutAWriteButALiveWritersStay) {
  auto ini = folder_.Put("a.ini", "[S]\r\nk=1\r\n");
  folder_.Put("a.ini.~0badf00d.tmp", "[S]\r\nk=half");
  folder_.Put("b.ini.~0badf00d.tmp", "another file's");
  const int folder = ::open(folder_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(::flock(folder, LOCK_EX), 0);
  EXPECT_FALSE(profile::ClearDeadWritersTemporaries(ini));
  EXPECT_EQ(folder_.Entries(),
            (std::set<std::string>{"a.ini", "a.ini.~0badf00d.tmp", "b.ini.~0badf00d.tmp"}));
  ::close(folder);
  EXPECT_TRUE(profile::ClearDeadWritersTemporaries(ini));
  EXPECT_EQ(folder_.Entries(), (std::set<std::string>{"a.ini", "b.ini.~0badf00d.tmp"}));
  EXPECT_EQ(Get(ini, "S", "k"), "1");
}

// Writers killed at any moment: the file is always whole, and whatever temporary a kill left is
// gone after the clearing that the next start-up does.
TEST_F(ProfileWrite, WritersKilledMidwayLeaveNothingAfterTheNextClearing) {
  auto ini = folder_ / "killed.ini";
  ASSERT_TRUE(WriteString(ini, "S", "k", "0"));
  const std::string filler(20000, 'x');
  for (int round = 0; round < 20; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 1;; ++i) {
        WriteString(ini, "S", "k", std::to_string(i).c_str());
        WriteString(ini, "S", "filler", i % 2 ? filler.c_str() : nullptr);
      }
    }
    ::usleep(500 + 700 * round);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_NE(Get(ini, "S", "k", "-"), "-") << "round " << round;
    EXPECT_TRUE(profile::ClearDeadWritersTemporaries(ini));
    EXPECT_EQ(folder_.Entries(), std::set<std::string>{"killed.ini"}) << "round " << round;
  }
}

TEST_F(ProfileWrite, ReplacementKeepsPermissionsAndSymbolicLinks) {
  auto real = folder_.Put("real.ini", "[S]\r\nk=1\r\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real.ini", folder_ / "link.ini");

  EXPECT_TRUE(WriteString(folder_ / "link.ini", "S", "k", "2"));
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.ini"));
  EXPECT_EQ(TestFolder::Read(real), "[S]\r\nk=2\r\n");
  EXPECT_EQ(fs::status(real).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

class InterruptedWrite : public ::testing::TestWithParam<WriteStage> {
 protected:
  TestFolder folder_;
};

TEST_P(InterruptedWrite, OldFileSurvivesWholeAndNoTemporaryIsLeft) {
  const std::string text = "; keep\r\n[S]\r\nk=old\r\n" + std::string(5000, ';') + "\r\n";
  auto ini = folder_.Put("a.ini", text);

  FailNextWrite(GetParam());
  EXPECT_FALSE(WriteString(ini, "S", "k", "new"));
  EXPECT_EQ(TestFolder::Read(ini), text);
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{"a.ini"});

  FailNextWrite(GetParam());
  EXPECT_FALSE(WriteString(folder_ / "fresh.ini", "S", "k", "new"));
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{"a.ini"});

  EXPECT_TRUE(WriteString(ini, "S", "k", "new")) << "a failure strikes once";
  EXPECT_EQ(Get(ini, "S", "k"), "new");
  EXPECT_EQ(folder_.Entries(), std::set<std::string>{"a.ini"});
}

INSTANTIATE_TEST_SUITE_P(EveryStage, InterruptedWrite,
                         ::testing::Values(WriteStage::kCreateTemp, WriteStage::kWriteTemp,
                                           WriteStage::kSyncTemp, WriteStage::kReplace));

// Writers in this process and in others: no update that returned true is lost.
TEST_F(ProfileWrite, ConcurrentWritersLoseNoKey) {
  constexpr int kWriters = 4;
  constexpr int kKeys = 20;
  auto ini = folder_ / "shared.ini";
  auto write_all = [&ini](int t) {
    bool ok = true;
    for (int i = 0; i < kKeys; ++i) {
      const std::string key = WriterKey(t, i);
      ok = WriteString(ini, "S", key.c_str(), key.c_str()) && ok;
    }
    return ok;
  };
  std::vector<pid_t> children;
  for (int t = 0; t < kWriters; ++t) {
    pid_t child = fork();
    if (child == 0) _exit(write_all(t) ? 0 : 1);
    ASSERT_GT(child, 0);
    children.push_back(child);
  }
  std::vector<std::thread> threads;
  for (int t = kWriters; t < 2 * kWriters; ++t)
    threads.emplace_back([&write_all, t] { EXPECT_TRUE(write_all(t)); });
  for (std::thread& w : threads) w.join();
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int t = 0; t < 2 * kWriters; ++t) {
    for (int i = 0; i < kKeys; ++i) {
      const std::string key = WriterKey(t, i);
      EXPECT_EQ(Get(ini, "S", key.c_str()), key);
    }
  }
}

}  // namespace
