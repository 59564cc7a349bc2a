// Activation, focus and DPI on the emulated machine, as Windows has them: a reactivated window
// gets the focus on itself, not back on its control; a hidden or disabled focus goes; monitors of
// another DPI exist only with per-monitor DPI, and the frame follows the window's DPI.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/emu/dialog_control.h"
#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "platform/win32.h"

namespace {

std::vector<std::string> activations;
HWND focusWhenDeactivated = nullptr;
std::vector<std::pair<WPARAM, RECT>> dpiChanges;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE) {
    activations.push_back(std::to_string(LOWORD(wParam)));
    if (LOWORD(wParam) == WA_INACTIVE) focusWhenDeactivated = GetFocus();
  }
  if (message == WM_DPICHANGED) dpiChanges.push_back({wParam, *reinterpret_cast<RECT*>(lParam)});
  return DefWindowProcA(window, message, wParam, lParam);
}

class Activation : public ::testing::Test {
 protected:
  void SetUp() override {
    activations.clear();
    dpiChanges.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = "ActivationTest";
    RegisterClassA(&wc);
  }
  HWND TopLevel() {
    return CreateWindowExA(0, "ActivationTest", "", WS_POPUP | WS_CAPTION | WS_VISIBLE, 10, 20, 200,
                           100, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent) {
    return CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 50, 20,
                           parent, reinterpret_cast<HMENU>(7), nullptr, nullptr);
  }
  emu::Machine machine;
};

TEST_F(Activation, AWindowComingBackTakesTheFocusItselfNotItsControl) {
  HWND a = TopLevel();
  HWND button = Child(a);
  HWND b = TopLevel();
  SetForegroundWindow(a);
  SetFocus(button);
  SetForegroundWindow(b);
  EXPECT_EQ(focusWhenDeactivated, button) << "told while its focus is still there";
  EXPECT_EQ(GetFocus(), b);
  SetForegroundWindow(a);
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(activations, (std::vector<std::string>{"1", "0", "1", "0", "1"}));
  // Already in front: nothing is sent.
  SetForegroundWindow(button);
  EXPECT_EQ(activations.size(), 5u);
  // Hiding the active window deactivates it; it has no owner to pass the activation to.
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(emu::ForegroundWindow(machine), nullptr);
  EXPECT_EQ(activations.back(), "0");
}

TEST_F(Activation, AHiddenFocusGoesToItsParentAndADisabledOneNowhere) {
  HWND a = TopLevel();
  HWND button = Child(a);
  SetFocus(button);
  ShowWindow(button, SW_HIDE);
  EXPECT_EQ(GetFocus(), a);
  ShowWindow(button, SW_SHOW);
  SetFocus(button);
  EnableWindow(button, FALSE);
  EXPECT_EQ(GetFocus(), nullptr);
  EnableWindow(a, FALSE);
  EXPECT_FALSE(emu::ActivateWindow(machine, button)) << "a disabled window takes no click";
  EnableWindow(a, TRUE);
  EXPECT_TRUE(emu::ActivateWindow(machine, button));
  EXPECT_EQ(emu::ForegroundWindow(machine), a);
}

TEST_F(Activation, PerMonitorDpiExistsOnlyWhereWindowsHasItAndScalesTheFrame) {
  HWND a = TopLevel();
  HMODULE user32 = GetModuleHandleA("user32.dll");
  ASSERT_NE(user32, nullptr);
  EXPECT_EQ(GetProcAddress(user32, "AdjustWindowRectExForDpi"), nullptr);
  EXPECT_TRUE(emu::MoveToMonitor(machine, a, 144));
  EXPECT_TRUE(dpiChanges.empty()) << "one DPI for every monitor before Windows 8.1";

  emu::SetPerMonitorDpi(machine, true);
  ASSERT_NE(GetProcAddress(user32, "GetDpiForWindow"), nullptr);
  ASSERT_TRUE(emu::MoveToMonitor(machine, a, 144));
  ASSERT_EQ(dpiChanges.size(), 1u);
  EXPECT_EQ(dpiChanges[0].first, static_cast<WPARAM>(MAKEWPARAM(144, 144)));
  const RECT& suggested = dpiChanges[0].second;
  EXPECT_EQ(suggested.left, 10);
  EXPECT_EQ(suggested.top, 20);
  EXPECT_EQ(suggested.right - suggested.left, 300);
  EXPECT_EQ(suggested.bottom - suggested.top, 150);
  // The window's frame is now 5 pixels a side and its caption 29 (3 and 19 rounded from 1.5x);
  // the system's metrics stay those of 96 DPI.
  RECT client{};
  GetClientRect(a, &client);
  EXPECT_EQ(client.right, 200 - 10);
  EXPECT_EQ(client.bottom, 100 - 10 - 29);
  RECT system{0, 0, 100, 100};
  AdjustWindowRectEx(&system, WS_POPUP | WS_CAPTION, FALSE, 0);
  EXPECT_EQ(system.right - system.left, 106);
  EXPECT_TRUE(emu::MoveToMonitor(machine, a, 144));
  EXPECT_EQ(dpiChanges.size(), 1u) << "no change, no message";
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesAZeroDenominator) {
  EXPECT_EQ(MulDiv(3, 144, 96), 5);
  EXPECT_EQ(MulDiv(-3, 144, 96), -5);
  EXPECT_EQ(MulDiv(5, 1, 3), 2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);
}

TEST_F(Activation, UxthemeIsThereOnNtOnly) {
  static HMODULE nt;
  static HMODULE win9x;
  machine.StartProcess([] {
    nt = LoadLibraryA("UxTheme.dll");
    return 0;
  });
  machine.SetPlatform(emu::Platform::Win9x);
  machine.StartProcess([] {
    win9x = LoadLibraryA("uxtheme.dll");
    return 0;
  });
  EXPECT_NE(nt, nullptr);
  EXPECT_EQ(win9x, nullptr);
}

}  // namespace
