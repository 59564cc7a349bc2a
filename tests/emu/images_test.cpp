// user32's icon sizes on the emulated machine: the small-icon metric follows the screen's DPI, an
// icon loaded at a size comes from the nearest stored image, and the DPI calls of Windows 10 1607
// are there only on a machine that has them.
#include <gtest/gtest.h>

#include "platform/emu/dialog_control.h"
#include "platform/emu/image_control.h"
#include "platform/emu/machine.h"
#include "platform/win32.h"

namespace {

using GetSystemMetricsForDpiProc = int(WINAPI*)(int, UINT);

FARPROC User32(const char* name) {
  return GetProcAddress(GetModuleHandleA("user32.dll"), name);
}

TEST(Images, SmallIconMetricFollowsTheScreen) {
  emu::Machine machine;
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
  EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
  emu::SetScreenDpi(machine, 144);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 24);
  EXPECT_EQ(GetSystemMetrics(SM_CYSMICON), 24);
  EXPECT_EQ(GetSystemMetrics(-5), 0);
}

TEST(Images, TheDpiCallsAreThereOnlyOnANewerWindows) {
  emu::Machine machine;
  ASSERT_NE(GetModuleHandleA("USER32"), nullptr);
  EXPECT_EQ(User32("GetSystemMetricsForDpi"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  emu::SetPerMonitorDpi(machine, true);
  auto forDpi = reinterpret_cast<GetSystemMetricsForDpiProc>(
      reinterpret_cast<void (*)()>(User32("GetSystemMetricsForDpi")));
  ASSERT_NE(forDpi, nullptr);
  EXPECT_EQ(forDpi(SM_CXSMICON, 120), 20);
  EXPECT_EQ(forDpi(SM_CXSMICON, 192), 32);
  EXPECT_EQ(forDpi(SM_CXSMICON, 0), 0);
  EXPECT_NE(User32("GetDpiForSystem"), nullptr);
  EXPECT_EQ(User32("GetDpiForMonitor"), nullptr) << "not user32's";
}

TEST(Images, AnIconAtASizeComesFromTheNearestImageAndStaysShared) {
  emu::Machine machine;
  HINSTANCE self = GetModuleHandleA(nullptr);
  auto play = static_cast<HICON>(LoadImageA(self, "Play", IMAGE_ICON, 30, 30, LR_SHARED));
  ASSERT_NE(play, nullptr);
  EXPECT_EQ(emu::ImageName(play), "PLAY");
  EXPECT_EQ(emu::IconImageOf(machine, play), (emu::IconImage{30, 30, 32, 32}));
  // Shared: the first load under a name is the one every later load gets, whatever its size.
  EXPECT_EQ(LoadImageA(self, "PLAY", IMAGE_ICON, 20, 20, LR_SHARED), play);
  EXPECT_NE(LoadImageA(self, "Play", IMAGE_ICON, 20, 20, LR_SHARED), LoadIconA(self, "Play"))
      << "LoadIconA's icon is another one";
  auto stop = static_cast<HICON>(LoadImageA(self, "Stop", IMAGE_ICON, 21, 21, LR_SHARED));
  EXPECT_EQ(emu::IconImageOf(machine, stop), (emu::IconImage{21, 21, 20, 20}));
  // Halfway between two images, the larger one is shrunk rather than the smaller stretched.
  auto zcd = static_cast<HICON>(LoadImageA(self, "ZCD", IMAGE_ICON, 28, 28, LR_SHARED));
  EXPECT_EQ(emu::IconImageOf(machine, zcd), (emu::IconImage{28, 28, 32, 32}));

  EXPECT_EQ(LoadImageA(self, "Nothing", IMAGE_ICON, 24, 24, LR_SHARED), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadImageA(self, "Play", IMAGE_ICON, 0, 24, LR_SHARED), nullptr);
  EXPECT_EQ(emu::IconImageOf(machine, LoadIconA(self, "Pause")), std::nullopt);
}

}  // namespace
