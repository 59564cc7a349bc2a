// kernel32 on the emulated machine: drives, volumes, profile files, module and version.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/win32.h"

namespace {

class Kernel : public ::testing::Test {
 protected:
  emu::Machine machine;
};

TEST_F(Kernel, LogicalDrivesAreFourByteRootsEndedByAnExtraZero) {
  machine.AddDrive('F', DRIVE_CDROM);
  machine.AddDrive('d', DRIVE_CDROM);
  char buffer[128];
  std::memset(buffer, 'x', sizeof buffer);
  DWORD n = GetLogicalDriveStringsA(sizeof buffer, buffer);
  ASSERT_EQ(n, 12u);
  EXPECT_EQ(std::string(buffer, 13), std::string("C:\\\0D:\\\0F:\\\0\0", 13));
  EXPECT_EQ(GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeA("D:\\"), static_cast<UINT>(DRIVE_CDROM));
  EXPECT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
  // Too small: the size needed, nothing written.
  char small[8] = "keep";
  EXPECT_EQ(GetLogicalDriveStringsA(sizeof small, small), 13u);
  EXPECT_STREQ(small, "keep");
}

TEST_F(Kernel, VolumeQueryTakesTheRootAndADriveAloneOnlyWhileItsDirectoryIsTheRoot) {
  machine.AddDrive('D', DRIVE_CDROM);
  char label[256] = "stale";
  DWORD serial = 1, maxLength = 0, flags = 0;
  const auto query = [&](const char* root) {
    return GetVolumeInformationA(root, label, sizeof label, &serial, &maxLength, &flags, nullptr,
                                 0);
  };
  EXPECT_FALSE(query("D:"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));

  machine.InsertMedium('D', emu::VolumeAnswer{"Audio CD", 0xC2C3B, "CDFS", 221, 0x80000});
  for (const char* root : {"D:", "D:\\", "d:\\"}) {
    serial = 0;
    ASSERT_TRUE(query(root)) << root;
    EXPECT_STREQ(label, "Audio CD");
    EXPECT_EQ(serial, 0xC2C3Bu);
  }
  // "D:" is the current directory on D:, which is not always the root.
  machine.SetDriveDirectory('d', "\\MUSIC");
  EXPECT_FALSE(query("D:"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_ROOT));
  EXPECT_TRUE(query("D:\\"));
  machine.SetDriveDirectory('D', "\\");
  EXPECT_FALSE(query("D"));
  EXPECT_FALSE(query(""));
  machine.FailNext("GetVolumeInformationA");
  EXPECT_FALSE(query("D:"));
  EXPECT_TRUE(query("D:"));
  machine.EjectMedium('D');
  EXPECT_FALSE(query("D:"));
}

TEST_F(Kernel, ProfileWritesGoToTheMachineDiskAndRespectTheReadOnlyAttribute) {
  const char* path = "C:\\OrvantaBrevo\\test.ini";
  ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", path));
  char value[16];
  EXPECT_EQ(GetPrivateProfileStringA("s", "K", "", value, sizeof value, path), 1u);
  EXPECT_STREQ(value, "v");
  EXPECT_TRUE(std::filesystem::exists(machine.Root() / "C" / "OrvantaBrevo" / "test.ini"));

  machine.SetReadOnly("c:\\orvantabrevo\\TEST.INI", true);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "w", path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  GetPrivateProfileStringA("S", "k", "", value, sizeof value, path);
  EXPECT_STREQ(value, "v");
  // A folder that does not exist cannot take a file.
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", "C:\\Nowhere\\x.ini"));
  // A value longer than the buffer is cut.
  std::string longValue(2000, 'a');
  machine.SetReadOnly(path, false);
  ASSERT_TRUE(WritePrivateProfileStringA("S", "long", longValue.c_str(), path));
  char buffer[1024];
  EXPECT_EQ(GetPrivateProfileStringA("S", "long", "", buffer, sizeof buffer, path), 1023u);
  EXPECT_EQ(std::strlen(buffer), 1023u);

  // Without a section a write fails unless it is the flush.
  path = "C:\\OrvantaBrevo\\nosection.ini";
  const auto host = machine.Root() / "C" / "OrvantaBrevo" / "nosection.ini";
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, "v", path));
  EXPECT_FALSE(std::filesystem::exists(host));
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, path));
  EXPECT_FALSE(std::filesystem::exists(host));
  // With a section, a deletion that finds no file makes an empty one.
  EXPECT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, path));
  EXPECT_TRUE(std::filesystem::exists(host));
  EXPECT_EQ(std::filesystem::file_size(host), 0u);
  std::filesystem::remove(host);
  EXPECT_TRUE(WritePrivateProfileStringA("S", "k", nullptr, path));
  EXPECT_EQ(std::filesystem::file_size(host), 0u);
}

// A settings write killed midway left its temporary: each program's first read of the file clears
// it, unless a live writer holds the folder (then a later read does). Later reads look no more.
TEST_F(Kernel, AProgramsFirstReadOfAFileClearsADeadWritersTemporaries) {
  const auto folder = machine.Root() / "C" / "OrvantaBrevo";
  std::ofstream(folder / "p.ini", std::ios::binary) << "[S]\r\nk=1\r\n";
  auto leftOver = [&](const char* name) {
    std::ofstream(folder / name, std::ios::binary) << "[S]\r\nk=ha";
    return folder / name;
  };
  static std::vector<std::string> read;
  read.clear();
  auto program = [] {
    char value[8] = "";
    GetPrivateProfileStringA("S", "k", "-", value, sizeof value, "C:\\OrvantaBrevo\\p.ini");
    read.push_back(value);
    return 0;
  };
  const auto first = leftOver("p.ini.~0000abcd.tmp");
  const auto other = leftOver("q.ini.~0000abcd.tmp");
  const int live = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(live, 0);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);
  const int pid = machine.StartProcess([&] {
    program();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return 0;
  });
  EXPECT_TRUE(std::filesystem::exists(first)) << "a live writer's temporary stays";
  ::close(live);
  machine.RunInProcess(pid, [&] { program(); });
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_TRUE(std::filesystem::exists(other)) << "another file's temporary is not this file's";
  const auto second = leftOver("p.ini.~0000beef.tmp");
  machine.RunInProcess(pid, [&] { program(); });
  EXPECT_TRUE(std::filesystem::exists(second)) << "only the first reads look";
  machine.EndAllProcesses();
  machine.StartProcess(program);
  EXPECT_FALSE(std::filesystem::exists(second)) << "the next start-up's first read clears it";
  EXPECT_EQ(read, (std::vector<std::string>{"1", "1", "1", "1"}));
}

// ".." at a drive's root stays at the root, as on Windows: no Windows path leaves the machine.
TEST_F(Kernel, WindowsPathsStayInsideTheMachineFolder) {
  const auto c = machine.Root() / "C";
  const std::pair<const char*, std::filesystem::path> cases[] = {
      {"C:\\..\\..\\x.ini", c / "x.ini"}, {"c:/a/../../../b/./x.ini", c / "b" / "x.ini"},
      {"..\\..\\..\\x.ini", c / "x.ini"}, {"x.ini", c / "WINDOWS" / "x.ini"},
      {"\\..\\x.ini", c / "x.ini"},       {"C:\\dir\\\\x.ini", c / "dir" / "x.ini"},
  };
  for (const auto& [windows, host] : cases) EXPECT_EQ(machine.HostPath(windows), host) << windows;

  ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "C:\\..\\..\\escape.ini"));
  EXPECT_FALSE(std::filesystem::exists(machine.Root().parent_path() / "escape.ini"));
  char value[8];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", value, sizeof value, "C:\\escape.ini"), 1u);
}

TEST_F(Kernel, ModulePathAndPlatform) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  EXPECT_EQ(std::string(path, n), machine.ProgramPath());
  char tiny[4];
  EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 4u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_STREQ(tiny, "C:\\");

  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  machine.SetPlatform(emu::Platform::Win9x);
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  info.dwOSVersionInfoSize = 12;
  EXPECT_FALSE(GetVersionExA(&info));
}

TEST_F(Kernel, ResourcesLoadByNameWithoutRegardToCase) {
  HMODULE self = GetModuleHandleA(nullptr);
  HCURSOR hand = LoadCursorA(self, "Hand");
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(LoadCursorA(self, "HAND"), hand);
  EXPECT_EQ(emu::ImageName(hand), "HAND");
  EXPECT_NE(LoadIconA(self, "zcd"), nullptr);
  EXPECT_EQ(LoadIconA(self, "Hand"), nullptr) << "a cursor is not an icon";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadIconA(self, "NOSUCH"), nullptr);
}

}  // namespace
