// The wide user-interface calls on the emulated Windows 9x: the stubs of Windows 9x fail with
// ERROR_CALL_NOT_IMPLEMENTED and the machine records each refusal; MessageBoxW, which Windows 9x
// does implement, is not among them. On NT the same calls work.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/win32.h"

namespace {

const WCHAR kText[] = {'t', 'e', 'x', 't', 0};
const WCHAR kStatic[] = {'S', 'T', 'A', 'T', 'I', 'C', 0};

int CALLBACK AnyFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM) {
  return 7;
}

HWND window;
HMENU menu;

// Each makes its call and tells whether it succeeded (what they do on NT is tested with their
// users).
const std::pair<const char*, bool (*)()> kWideCalls[] = {
    {"AppendMenuW", [] { return AppendMenuW(menu, MF_STRING, 1, kText) != 0; }},
    {"CreateWindowExW",
     [] {
       return CreateWindowExW(0, kStatic, kText, WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr,
                              nullptr) != nullptr;
     }},
    {"SetWindowTextW", [] { return SetWindowTextW(window, kText) != 0; }},
    {"RegisterClassW",
     [] {
       const WCHAR name[] = {'W', 'i', 'd', 'e', 0};
       WNDCLASSW wc{};
       wc.lpfnWndProc = &DefWindowProcW;
       wc.lpszClassName = name;
       return RegisterClassW(&wc) != 0;
     }},
    {"DefWindowProcW",
     [] { return DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText)) != 0; }},
    {"SendMessageW",
     [] { return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText)) != 0; }},
    {"IsDialogMessageW",
     [] {
       MSG msg{window, WM_KEYDOWN, VK_TAB, 0, 0, {}};
       return IsDialogMessageW(window, &msg) != 0;
     }},
    {"CreateFontIndirectW",
     [] {
       LOGFONTW font{};
       font.lfHeight = -12;
       return CreateFontIndirectW(&font) != nullptr;
     }},
    {"EnumFontFamiliesExW",
     [] {
       LOGFONTW font{};
       const WCHAR tahoma[] = {'T', 'a', 'h', 'o', 'm', 'a', 0};
       std::copy(std::begin(tahoma), std::end(tahoma), font.lfFaceName);
       return EnumFontFamiliesExW(GetDC(nullptr), &font, &AnyFace, 0, 0) == 7;
     }},
};

TEST(WideCalls, Windows9xRefusesEachStubAndNtAnswers) {
  for (emu::Platform platform : {emu::Platform::NT, emu::Platform::Win9x}) {
    emu::Machine machine;
    machine.SetPlatform(platform);
    const bool nt = platform == emu::Platform::NT;
    window =
        CreateWindowExA(0, "STATIC", "a", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    menu = CreatePopupMenu();
    ASSERT_TRUE(window && menu);
    std::vector<std::string> refused;
    for (const auto& [name, call] : kWideCalls) {
      SetLastError(0);
      const bool succeeded = call();
      const bool notImplemented = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
      EXPECT_EQ(notImplemented, !nt) << name << (nt ? " on NT" : " on 9x");
      if (!nt) {
        EXPECT_FALSE(succeeded) << name;
        refused.push_back(name);
      }
    }
    EXPECT_EQ(machine.RefusedWideCalls(), refused);
    DestroyMenu(menu);
    DestroyWindow(window);
  }
}

}  // namespace
