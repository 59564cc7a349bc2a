// The program's texts on Windows 9x, whose wide user-interface calls are stubs that fail: every
// text the user meets reads as on Windows NT, and it got there through the ANSI calls (the 9x
// machine refuses and records any wide call that Windows 9x lacks). On NT they read the same
// whatever the system's code page: an English Windows shows the Japanese menus, boxes and dialog
// as a Japanese one does. Only a non-Japanese 9x shows mojibake, as it must.
#include "PlayerScenario.h"
#include "platform/emu/dialog_control.h"

namespace player_test {
namespace {

class Win9xText : public PlayerScenario {
 protected:
  // The shown dialog's windows: its caption and every control's text, entries and font face.
  std::string DialogTexts() {
    TPropertyForm* form = testing_support::Form();
    if (!form || !form->HandleAllocated()) return "no dialog\n";
    std::string texts =
        "dialog: " + sim::FromCodePage(emu::Control(machine_, form->Handle())->text);
    for (int i = 0; i < form->ComponentCount(); ++i) {
      auto* control = dynamic_cast<vcl::TControl*>(form->Components(i));
      if (!control || !control->WindowHandle()) continue;
      const auto info = emu::Control(machine_, control->WindowHandle());
      if (!info) continue;
      texts += "\n" + control->Name() + "=\"" + sim::FromCodePage(info->text) + "\"";
      for (const std::string& item : info->items) texts += " [" + sim::FromCodePage(item) + "]";
      if (const auto font = emu::Font(machine_, info->font)) {
        texts += " font=" + sim::FromCodePage(font->face);
      }
    }
    return texts + "\n";
  }
  // Everything the user reads, from a fresh start on the machine of `platform` ("nt" or "9x")
  // with the ANSI code page `codePage`.
  std::string EverythingShown(const std::string& platform, const std::string& codePage) {
    Do("machine " + platform + "\nmachine codepage " + codePage +
       "\nini settings RB_TabSheet Dialog_CheckBox 1\ndrive D: cdrom\n");
    EXPECT_EQ(Do("start\n"), "");
    std::string shown = NativeMenu("click left\nwait 500\n") + NativeMenu("click right\n");
    shown += Do("click right\nchoose PowerOff\nshow box\nanswer cancel\n");
    EXPECT_EQ(Do("click right\nchoose Version\n"), "");
    shown += Do("show dialog\n") + DialogTexts();
    Do("quit\n");
    console_.Finish();
    return shown;
  }
};

TEST_F(Win9xText, EveryTextReadsAsOnNtThroughTheAnsiCalls) {
  const std::string onNt = EverythingShown("nt", "932");
  EXPECT_TRUE(machine_.RefusedWideCalls().empty());
  EXPECT_EQ(EverythingShown("nt", "1252"), onNt) << "an English Windows NT";
  const std::string on9x = EverythingShown("9x", "932");
  EXPECT_EQ(machine_.RefusedWideCalls(), std::vector<std::string>{});
  // The same, but for the item Windows NT has no use for: the 9x restart, greyed there only.
  std::string expected = onNt;
  const std::string restartOnNt = "Windows9xの再起動(off) | ";
  ASSERT_NE(expected.find(restartOnNt), std::string::npos) << onNt;
  expected.replace(expected.find(restartOnNt), restartOnNt.size(), "Windows9xの再起動 | ");
  EXPECT_EQ(on9x, expected);
  // What is compared is the real thing: the menus, the renamed buttons and the dialog's controls.
  for (const char* text :
       {"プロパティ(&R)", "labels=\"OK|ｷｬﾝｾﾙ\"", "caption=\"警告\"", "AutoPlay_CheckBox=\"",
        "font=", "client=415x197 focus=PageControl", "CDDrive: items=\"D:\" index=0 enabled"}) {
    EXPECT_NE(on9x.find(text), std::string::npos) << text << " in\n" << on9x;
  }
}

// What 9x has only as failing stubs is never called there: not at start-up, not by a second copy
// that finds the first, nor by the single-click worker and its completion that open the menu.
// (The Linux build can call only the wide functions the machine defines, and the 9x machine
// refuses each of those; the runtime's own, in the Windows exe, are held by the import check.)
TEST_F(Win9xText, StartSecondCopyAndClickWorkerMakeNoWideCall) {
  Do("machine 9x\nmachine codepage 932\ndrive D: cdrom\n");
  EXPECT_EQ(Do("start\nstart\nshow process\n"), "process: running\nprocess 2: ended code=0\n");
  EXPECT_NE(NativeMenu("click left\nwait 500\n").find("再生(&P)"), std::string::npos);
  EXPECT_EQ(machine_.RefusedWideCalls(), std::vector<std::string>{});
}

// On an English Windows 9x the ANSI calls read the code page 932 bytes in 1252: the user sees
// mojibake (here '?' wherever 1252's character has no place in what the machine shows), never
// the Japanese texts, and the program still makes no wide call there.
TEST_F(Win9xText, AnEnglishWindows9xShowsTheBytesInItsOwnCodePage) {
  const std::string shown = EverythingShown("9x", "1252");
  EXPECT_EQ(machine_.RefusedWideCalls(), std::vector<std::string>{});
  EXPECT_EQ(shown.find("警告"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("プロパティ"), std::string::npos) << shown;
  // "警告" is 0x8C 0x78 0x8D 0x90: "Œx" and two undefined bytes.
  EXPECT_NE(shown.find("caption=\"?x??\""), std::string::npos) << shown;
  // The texts that are ASCII read as they are.
  EXPECT_NE(shown.find("CDDrive: items=\"D:\" index=0 enabled"), std::string::npos) << shown;
}

}  // namespace
}  // namespace player_test
