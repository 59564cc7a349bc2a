// user32's hot keys on the emulated machine: one owner per key and modifiers, Windows' errors,
// WM_HOTKEY posted to the owner, and keys freed with the window or the process that held them.
#include <gtest/gtest.h>

#include <thread>

#include "platform/emu/hotkey_control.h"
#include "platform/emu/machine.h"
#include "platform/win32.h"
#include "recorder.h"

namespace {

using emu_testing::MakeWindow;

class HotKeys : public ::testing::Test {
 protected:
  emu::Machine machine;
  // The last error of a call that must fail.
  static DWORD Refusal(BOOL result) {
    EXPECT_FALSE(result);
    return GetLastError();
  }
};

TEST_F(HotKeys, AKeyAndItsModifiersHaveOneOwnerWhoeverAsks) {
  HWND first = MakeWindow();
  HWND second = MakeWindow();
  ASSERT_TRUE(RegisterHotKey(first, 1, 0, VK_MEDIA_PLAY_PAUSE));
  EXPECT_EQ(Refusal(RegisterHotKey(second, 1, 0, VK_MEDIA_PLAY_PAUSE)),
            static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_EQ(Refusal(RegisterHotKey(first, 2, 0, VK_MEDIA_PLAY_PAUSE)),
            static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED))
      << "the owner asking again under another ID";
  // MOD_NOREPEAT changes how the key repeats, not which key it is.
  EXPECT_EQ(Refusal(RegisterHotKey(second, 1, MOD_NOREPEAT, VK_MEDIA_PLAY_PAUSE)),
            static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_TRUE(RegisterHotKey(second, 1, MOD_CONTROL, VK_MEDIA_PLAY_PAUSE));
  ASSERT_EQ(emu::HotKeys(machine).size(), 2u);
  EXPECT_EQ(emu::HotKeys(machine)[0].owner, "host");

  ASSERT_TRUE(UnregisterHotKey(first, 1));
  EXPECT_EQ(Refusal(UnregisterHotKey(first, 1)), static_cast<DWORD>(ERROR_HOTKEY_NOT_REGISTERED));
  EXPECT_TRUE(RegisterHotKey(second, 2, 0, VK_MEDIA_PLAY_PAUSE)) << "free again once let go";
  // The thread's own keys (no window) are another owner's than its windows' keys.
  EXPECT_EQ(Refusal(UnregisterHotKey(nullptr, 2)), static_cast<DWORD>(ERROR_HOTKEY_NOT_REGISTERED));
  EXPECT_TRUE(RegisterHotKey(nullptr, 7, 0, VK_MEDIA_STOP));
  EXPECT_TRUE(UnregisterHotKey(nullptr, 7));
}

TEST_F(HotKeys, WindowsOfNoOneOrOfAnotherThreadAreRefused) {
  HWND gone = MakeWindow();
  DestroyWindow(gone);
  EXPECT_EQ(Refusal(RegisterHotKey(gone, 1, 0, VK_MEDIA_STOP)),
            static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(Refusal(UnregisterHotKey(gone, 1)), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

  HWND others = nullptr;
  std::thread([&] { others = MakeWindow(); }).join();
  ASSERT_NE(others, nullptr);
  EXPECT_EQ(Refusal(RegisterHotKey(others, 1, 0, VK_MEDIA_STOP)),
            static_cast<DWORD>(ERROR_WINDOW_OF_OTHER_THREAD));
  EXPECT_TRUE(emu::HotKeys(machine).empty());
}

TEST_F(HotKeys, APressIsPostedToTheOwnerWithItsIdAndKey) {
  HWND window = MakeWindow();
  ASSERT_TRUE(RegisterHotKey(window, 0xB3, MOD_NOREPEAT, VK_MEDIA_PLAY_PAUSE));
  EXPECT_EQ(emu::PressHotKey(machine, VK_MEDIA_PLAY_PAUSE), std::optional<std::string>("host"));
  EXPECT_EQ(emu::PressHotKey(machine, VK_MEDIA_NEXT_TRACK), std::nullopt) << "nobody holds it";
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_HOTKEY));
  EXPECT_EQ(msg.wParam, 0xB3u);
  EXPECT_EQ(LOWORD(msg.lParam), 0u) << "no modifier was held";
  EXPECT_EQ(HIWORD(msg.lParam), static_cast<WORD>(VK_MEDIA_PLAY_PAUSE));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "one press, one message";

  // A key held with a modifier is not the bare key the user pressed.
  ASSERT_TRUE(RegisterHotKey(window, 5, MOD_ALT, VK_MEDIA_STOP));
  EXPECT_EQ(emu::PressHotKey(machine, VK_MEDIA_STOP), std::nullopt);
}

TEST_F(HotKeys, KeysGoWithTheirWindowAndWithTheProcessThatHeldThem) {
  HWND window = MakeWindow();
  ASSERT_TRUE(RegisterHotKey(window, 1, 0, VK_MEDIA_STOP));
  DestroyWindow(window);
  EXPECT_TRUE(emu::HotKeys(machine).empty());

  const int pid = machine.StartProcess([] {
    HWND own = MakeWindow();
    return RegisterHotKey(own, 1, 0, VK_MEDIA_NEXT_TRACK) &&
                   RegisterHotKey(nullptr, 2, 0, VK_MEDIA_PREV_TRACK)
               ? 0
               : 1;
  });
  EXPECT_EQ(machine.Process(pid).exitCode, 0);
  EXPECT_FALSE(machine.Process(pid).running);
  EXPECT_TRUE(emu::HotKeys(machine).empty());
}

TEST_F(HotKeys, AProgramOutsideTheMachineHoldsAKeyUntilItLetsGo) {
  ASSERT_TRUE(emu::HoldHotKeyOutside(machine, VK_MEDIA_PLAY_PAUSE, "OtherPlayer"));
  EXPECT_FALSE(emu::HoldHotKeyOutside(machine, VK_MEDIA_PLAY_PAUSE, "Third"));
  HWND window = MakeWindow();
  EXPECT_EQ(Refusal(RegisterHotKey(window, 1, 0, VK_MEDIA_PLAY_PAUSE)),
            static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  EXPECT_EQ(emu::PressHotKey(machine, VK_MEDIA_PLAY_PAUSE),
            std::optional<std::string>("OtherPlayer"));
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(emu::ReleaseHotKeyOutside(machine, VK_MEDIA_PLAY_PAUSE));
  EXPECT_FALSE(emu::ReleaseHotKeyOutside(machine, VK_MEDIA_PLAY_PAUSE));
  EXPECT_TRUE(RegisterHotKey(window, 1, 0, VK_MEDIA_PLAY_PAUSE));
}

}  // namespace
