// The machine's ANSI code page: CP_ACP and every A call read text in it, so CP932 bytes handed to
// an A call on the English (1252) machine read as the mojibake an English Windows shows, while
// the W calls and an explicit 932 read the same on both machines.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/emu/dialog_control.h"
#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "platform/win32.h"

namespace {

// "警告" (warning) in code page 932, and in UTF-16.
constexpr const char* kWarning932 = "\x8C\x78\x8D\x90";
const WCHAR kWarningWide[] = {0x8B66, 0x544A, 0};

std::u16string Widen(UINT codePage, const char* text) {
  WCHAR wide[64] = {};
  const int n = MultiByteToWideChar(codePage, 0, text, -1, wide, 64);
  return n > 0 ? std::u16string(wide, wide + n - 1) : u"(failed)";
}

class CodePage : public ::testing::TestWithParam<UINT> {
 protected:
  void SetUp() override { machine.SetAnsiCodePage(GetParam()); }
  bool English() const { return GetParam() == 1252; }
  emu::Machine machine;
};

INSTANTIATE_TEST_SUITE_P(Machines, CodePage, ::testing::Values(1252u, 932u),
                         [](const auto& info) { return "cp" + std::to_string(info.param); });

TEST(CodePageMachine, IsAnEnglishWindowsUnlessToldAndHasOnlyItsTwoCodePages) {
  emu::Machine machine;
  EXPECT_EQ(machine.AnsiCodePage(), 1252u);
  EXPECT_THROW(machine.SetAnsiCodePage(437), std::invalid_argument);
  machine.SetAnsiCodePage(932);
  EXPECT_EQ(machine.AnsiCodePage(), 932u);
  WCHAR wide[4];
  EXPECT_EQ(MultiByteToWideChar(437, 0, "a", -1, wide, 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_P(CodePage, CpAcpFollowsTheMachineAndAnExplicitCodePageDoesNot) {
  // "ゲ" is 0x83 0x51; in 1252 the same bytes are "ƒQ".
  EXPECT_EQ(Widen(CP_ACP, "\x83\x51"), English() ? u"\u0192Q" : u"\u30B2");
  EXPECT_EQ(Widen(932, "\x83\x51"), u"\u30B2");
  EXPECT_EQ(Widen(1252, "\x83\x51"), u"\u0192Q");
  // Every byte of 1252 widens, the five it leaves undefined to the controls of their value.
  EXPECT_EQ(Widen(1252, "\x80\x81\x9D\x9F\xE9"), u"\u20AC\u0081\u009D\u0178\u00E9");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x83\x51", 2, nullptr, 0), English() ? 2 : 1);
}

TEST_P(CodePage, AnsiBoxesMenusAndWindowsShowTheirBytesInTheMachinesCodePage) {
  std::string caption, text;
  machine.SetBoxAnswerer([&](const emu::BoxInfo& box) {
    caption = box.caption;
    text = box.text;
    return IDOK;
  });
  MessageBoxA(nullptr, kWarning932, "20\xB0", MB_OK);
  // 0x8C 0x78 0x8D 0x90 is "Œx" and two controls in 1252, of which 932 has only the "x".
  EXPECT_EQ(text, English() ? "?x??" : kWarning932);
  // 0xB0 is "°" in 1252 (932 has it as 0x81 0x8B) and a half-width katakana in 932.
  EXPECT_EQ(caption, English() ? "20\x81\x8B" : "20\xB0");
  MessageBoxW(nullptr, kWarningWide, kWarningWide, MB_OK);
  EXPECT_EQ(text, kWarning932) << "a wide text reads the same on every machine";
  EXPECT_EQ(caption, kWarning932);

  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, kWarning932);
  AppendMenuW(menu, MF_STRING, 2, kWarningWide);
  std::vector<std::string> items;
  emu::SetPopupMenuAnswerer(machine, [&](const emu::PopupMenuInfo& open) {
    for (const auto& item : open.items) items.push_back(item.text);
    return 0u;
  });
  HWND owner =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, owner, nullptr);
  EXPECT_EQ(items, (std::vector<std::string>{English() ? "?x??" : kWarning932, kWarning932}));
  DestroyWindow(owner);

  HWND window = CreateWindowExA(0, "STATIC", kWarning932, WS_POPUP, 0, 0, 9, 9, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(emu::Control(machine, window)->text, English() ? "?x??" : kWarning932);
  SetWindowTextW(window, kWarningWide);
  EXPECT_EQ(emu::Control(machine, window)->text, kWarning932);
  // What an A call reads back is in the machine's code page too.
  SetWindowTextA(window, "20\xB0");
  char back[16] = {};
  EXPECT_EQ(GetWindowTextA(window, back, sizeof back), 3);
  EXPECT_STREQ(back, "20\xB0");
  SetWindowTextW(window, kWarningWide);
  GetWindowTextA(window, back, sizeof back);
  EXPECT_STREQ(back, English() ? "??" : kWarning932) << "what 1252 lacks reads '?'";
  DestroyWindow(window);
  DestroyMenu(menu);
}

TEST_P(CodePage, ListEntriesTabsFontFacesAndTheTipFollowTheCodePage) {
  HWND combo =
      CreateWindowExA(0, "COMBOBOX", "", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kWarning932));
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kWarningWide));
  EXPECT_EQ(emu::Control(machine, combo)->items,
            (std::vector<std::string>{English() ? "?x??" : kWarning932, kWarning932}));

  LOGFONTA font{};
  std::strcpy(font.lfFaceName, kWarning932);
  EXPECT_EQ(emu::Font(machine, CreateFontIndirectA(&font))->face, English() ? "?x??" : kWarning932);

  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = combo;
  data.uFlags = NIF_TIP;
  std::strcpy(data.szTip, "Caf\xE9 20\xB0");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  // A tip from the system (a disc title) reads right on its own machine; é is not in 932.
  EXPECT_EQ(emu::TrayIcons(machine).at(0).tip, English() ? "Caf? 20\x81\x8B" : "Caf\xE9 20\xB0");
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(combo);
}

TEST_P(CodePage, ProfileNamesAreReadInTheMachinesCodePage) {
  const std::string ini = machine.HostPath("C:\\x.ini").string();
  // 0x83 0x5D is "ゼ" in 932; in 1252 the 0x5D is a "]" that closes the section name.
  {
    FILE* f = std::fopen(ini.c_str(), "wb");
    std::fputs("[\x83]x]\r\nk=one\r\n[\xC9t\xC9]\r\nk=two\r\n", f);
    std::fclose(f);
  }
  char value[16];
  GetPrivateProfileStringA("\x83]x", "k", "-", value, sizeof value, "C:\\x.ini");
  EXPECT_STREQ(value, English() ? "-" : "one");
  GetPrivateProfileStringA("\x83", "k", "-", value, sizeof value, "C:\\x.ini");
  EXPECT_STREQ(value, English() ? "one" : "-");
  // "ÉTÉ" and "été" are one name on an English Windows; 0xC9 is a half-width kana in 932.
  GetPrivateProfileStringA("\xE9t\xE9", "K", "-", value, sizeof value, "C:\\x.ini");
  EXPECT_STREQ(value, English() ? "two" : "-");
  ASSERT_TRUE(WritePrivateProfileStringA("\xE9T\xE9", "k", "three", "C:\\x.ini"));
  GetPrivateProfileStringA("\xC9t\xC9", "k", "-", value, sizeof value, "C:\\x.ini");
  EXPECT_STREQ(value, English() ? "three" : "two") << "the write found the same section";
}

}  // namespace
