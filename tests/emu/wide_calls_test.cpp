// The wide user-interface calls on the emulated Windows 9x: the stubs of Windows 9x fail with
// ERROR_CALL_NOT_IMPLEMENTED and the machine records each refusal; MessageBoxW, which Windows 9x
// does implement, is not among them. On NT the same calls work.
#include <gtest/gtest.h>

#include <functional>
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

struct WideCall {
  const char* name;
  // Makes the call; true when it succeeded (what it does on NT is tested with its users).
  std::function<bool(HWND window, HMENU menu)> call;
};

const WideCall kWideCalls[] = {
    {"AppendMenuW", [](HWND, HMENU menu) { return AppendMenuW(menu, MF_STRING, 1, kText) != 0; }},
    {"CreateWindowExW",
     [](HWND, HMENU) {
       return CreateWindowExW(0, kStatic, kText, WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr,
                              nullptr) != nullptr;
     }},
    {"SetWindowTextW", [](HWND window, HMENU) { return SetWindowTextW(window, kText) != 0; }},
    {"RegisterClassW",
     [](HWND, HMENU) {
       const WCHAR name[] = {'W', 'i', 'd', 'e', 0};
       WNDCLASSW wc{};
       wc.lpfnWndProc = &DefWindowProcW;
       wc.lpszClassName = name;
       return RegisterClassW(&wc) != 0;
     }},
    {"DefWindowProcW",
     [](HWND window, HMENU) {
       return DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText)) != 0;
     }},
    {"SendMessageW",
     [](HWND window, HMENU) {
       return SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kText)) != 0;
     }},
    {"IsDialogMessageW",
     [](HWND window, HMENU) {
       MSG msg{};
       msg.hwnd = window;
       msg.message = WM_KEYDOWN;
       msg.wParam = VK_TAB;
       return IsDialogMessageW(window, &msg) != 0;
     }},
    {"CreateFontIndirectW",
     [](HWND, HMENU) {
       LOGFONTW font{};
       font.lfHeight = -12;
       return CreateFontIndirectW(&font) != nullptr;
     }},
    {"EnumFontFamiliesExW",
     [](HWND, HMENU) {
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
    HWND window =
        CreateWindowExA(0, "STATIC", "a", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(window && menu);
    std::vector<std::string> refused;
    for (const WideCall& c : kWideCalls) {
      SetLastError(0);
      const bool succeeded = c.call(window, menu);
      const bool notImplemented = GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
      EXPECT_EQ(notImplemented, !nt) << c.name << (nt ? " on NT" : " on 9x");
      if (!nt) {
        EXPECT_FALSE(succeeded) << c.name;
        refused.push_back(c.name);
      }
    }
    EXPECT_EQ(machine.RefusedWideCalls(), refused);
    DestroyMenu(menu);
    DestroyWindow(window);
  }
}

}  // namespace
