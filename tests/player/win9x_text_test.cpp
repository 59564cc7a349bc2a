// The program's texts on Windows 9x, whose wide user-interface calls are stubs that fail: every
// text the user meets reads as on Windows NT, and it got there through the ANSI calls (the 9x
// machine refuses and records any wide call that Windows 9x lacks).
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
  // Everything the user reads, from a fresh start on the machine of `platform` ("nt" or "9x").
  std::string EverythingShown(const std::string& platform) {
    Do("machine " + platform + "\nini settings RB_TabSheet Dialog_CheckBox 1\ndrive D: cdrom\n");
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
  const std::string onNt = EverythingShown("nt");
  EXPECT_TRUE(machine_.RefusedWideCalls().empty());
  const std::string on9x = EverythingShown("9x");
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

}  // namespace
}  // namespace player_test
