// The tray icon's properties and life: IDs, the tip cut, showing and hiding, loading, the shell's
// refusals and the removal notices. The shell calls are read back from the machine's trace.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"
#include "toolkit/TestForm.h"
#include "tray/TrayIcon.h"

namespace {

const std::string kRegistrationError = "タスクトレイにアイコンを登録できません。";

HICON Image(const char* name) {
  return LoadIconA(GetModuleHandleA(nullptr), name);
}

// The message of the EOutOfMemory `action` raises.
std::string OutOfMemory(const std::function<void()>& action) {
  try {
    action();
  } catch (const vcl::EOutOfMemory& e) {
    return e.Message();
  }
  return "nothing raised";
}

class TrayIcon : public ::testing::Test {
 protected:
  emu::Machine machine;
  std::unique_ptr<vcl::TComponent> owner = std::make_unique<vcl::TComponent>(nullptr);

  void TearDown() override { owner.reset(); }

  TTrayIcon* Shown(const char* tip = "Orvanta") {
    auto* icon = new TTrayIcon(owner.get());
    icon->Icon()->LoadFromResourceName("ZCD");
    icon->SetTipHelp(tip);
    icon->SetVisible(true);
    EXPECT_TRUE(icon->Registered());
    emu::ClearShellTrace(machine);
    return icon;
  }
  // The shell calls since the last look, a line each: add or modify with the flags, the image
  // ("none" for no icon) and the tip; delete.
  std::string Shell() {
    std::string calls;
    for (const emu::ShellCall& call : emu::ShellTrace(machine)) {
      if (call.message == NIM_DELETE) {
        calls += "delete\n";
        continue;
      }
      calls += std::string(call.message == NIM_ADD ? "add " : "modify ") +
               std::to_string(call.flags) + " " + (call.icon ? call.image : "none") + " \"" +
               call.tip + "\"\n";
    }
    emu::ClearShellTrace(machine);
    return calls;
  }
  // The icons the shell shows: image and tip, a line each.
  std::string Tray() {
    std::string icons;
    for (const emu::TrayIconInfo& icon : emu::TrayIcons(machine)) {
      icons += icon.image + " \"" + icon.tip + "\"\n";
    }
    return icons;
  }
};

TEST_F(TrayIcon, IdsFollowTheLastLivingIconAndStopAtOneHundred) {
  auto* a = new TTrayIcon(owner.get());
  auto* b = new TTrayIcon(owner.get());
  auto* c = new TTrayIcon(owner.get());
  EXPECT_EQ((std::vector{a->IconID(), b->IconID(), c->IconID()}), (std::vector{1, 2, 3}));
  vcl::TComponent::Free(c);
  EXPECT_EQ((new TTrayIcon(owner.get()))->IconID(), 3) << "the largest ID is taken again";
  vcl::TComponent::Free(a);
  EXPECT_EQ((new TTrayIcon(owner.get()))->IconID(), 4);
  EXPECT_EQ(FindTrayIcon(2), b);
  EXPECT_EQ(FindTrayIcon(1), nullptr);
  // A new icon: the first-version record, nothing asked of the shell, an animation rate of 100 at
  // the least.
  EXPECT_EQ(b->NotifyData().uID, 2u);
  EXPECT_EQ(b->NotifyData().cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(b->NotifyData().uCallbackMessage, 0x4C8u);
  EXPECT_EQ(Shell(), "");
  b->SetAnimateRate(50);
  EXPECT_EQ(b->AnimateRate(), 100);
  b->SetAnimateRate(100);
  EXPECT_EQ(b->AnimateRate(), 100);

  while (TrayIconCount() < 100) new TTrayIcon(owner.get());
  const int components = owner->ComponentCount();
  EXPECT_EQ(OutOfMemory([&] { new TTrayIcon(owner.get()); }), kRegistrationError);
  EXPECT_EQ(TrayIconCount(), 100) << "no entry is left";
  EXPECT_EQ(owner->ComponentCount(), components) << "nor a component";
}

TEST_F(TrayIcon, VisibleNeedsAnImageAndAHiddenIconOnlyStores) {
  auto* icon = new TTrayIcon(owner.get());
  icon->SetVisible(true);
  EXPECT_FALSE(icon->Visible());
  icon->Icon()->SetHandle(Image("NoCD"));
  EXPECT_EQ(Shell(), "") << "an image change of a hidden icon is only stored";
  icon->SetVisible(true);
  EXPECT_EQ(Shell(), "add 7 NOCD \"TipHelp\"\n");
  EXPECT_EQ(Tray(), "NOCD \"TipHelp\"\n");
  ASSERT_NE(CallbackWindow(), nullptr);
  EXPECT_EQ(emu::TrayIcons(machine).at(0).window, CallbackWindow()->Handle());
  EXPECT_EQ(emu::TrayIcons(machine).at(0).callbackMessage, 0x4C8u);

  icon->SetVisible(false);
  EXPECT_EQ(Shell(), "delete\n");
  EXPECT_FALSE(icon->Registered());
  EXPECT_EQ(Tray(), "");
  icon->SetTipHelp("No CD");
  EXPECT_EQ(icon->TipHelp(), "No CD");
  EXPECT_EQ(Shell(), "") << "the tip of a hidden icon is only stored";
}

// Every image change of a shown icon modifies it; its tip is cut at 62 bytes, even inside a
// two-byte character.
TEST_F(TrayIcon, EveryImageAndTipChangeOfAShownIconModifiesIt) {
  machine.SetAnsiCodePage(932);  // a Japanese Windows, where a tip has two-byte characters
  auto* icon = Shown();
  const std::string cut = std::string(61, 'a') + "あ"[0];  // the lead byte stays, the trail goes
  icon->SetTipHelp(std::string(61, 'a') + "あいう");
  EXPECT_EQ(icon->TipHelp(), cut);
  EXPECT_EQ(Shell(), "modify 7 ZCD \"" + cut + "\"\n");
  icon->SetTipHelp(std::string(61, 'a') + "あ" + std::string(20, 'z'));
  EXPECT_EQ(Shell(), "") << "the same first 62 bytes make no call";
  icon->SetTipHelp("");
  EXPECT_EQ(Shell(), "modify 3 ZCD \"\"\n") << "no NIF_TIP for an empty tip";
  icon->SetTipHelp("Orvanta");
  Shell();
  icon->Icon()->SetHandle(Image("Play"));
  icon->Icon()->SetHandle(Image("Play"));
  EXPECT_EQ(Shell(), "modify 7 PLAY \"Orvanta\"\nmodify 7 PLAY \"Orvanta\"\n");
  icon->SetIcon(icon->Icon());
  EXPECT_EQ(Shell(), "") << "its own image object changes nothing";
  vcl::TIcon other;
  other.SetHandle(Image("Stop"));
  icon->SetIcon(&other);
  EXPECT_EQ(Shell(), "modify 7 STOP \"Orvanta\"\n");
  EXPECT_EQ(emu::ImageName(icon->Icon()->Handle()), "STOP") << "copied into the own image";
  icon->SetEnabled(false);
  icon->SetEnabled(true);
  EXPECT_EQ(Shell(), "") << "Enabled never adds nor removes";
  EXPECT_EQ(Tray(), "STOP \"Orvanta\"\n");

  // No image: an image read by name is made again at once, then none, then the icon goes.
  vcl::TComponent::Free(new TTrayIcon(owner.get()));
  icon->Icon()->LoadFromResourceName("ZCD");
  Shell();
  icon->SetIcon(nullptr);
  EXPECT_EQ(Shell(), "modify 7 ZCD \"Orvanta\"\nmodify 7 none \"Orvanta\"\ndelete\n");
  EXPECT_FALSE(icon->Visible());
  EXPECT_EQ(Tray(), "");
  vcl::TComponent::Free(icon);
  EXPECT_EQ(Shell(), "") << "neither a hidden icon's end nor another's calls the shell";
}

TEST_F(TrayIcon, RefusedAddLeavesItVisibleUnregisteredUntilHiddenAndShownAgain) {
  auto* icon = new TTrayIcon(owner.get());
  icon->Icon()->SetHandle(Image("ZCD"));
  machine.FailNext("Shell_NotifyIconA");
  EXPECT_EQ(OutOfMemory([&] { icon->SetVisible(true); }), kRegistrationError);
  EXPECT_TRUE(icon->Visible());
  EXPECT_FALSE(icon->Registered());
  icon->SetVisible(true);
  icon->SetTipHelp("stored only");
  icon->SetVisible(false);
  EXPECT_EQ(Shell(), "add 7 ZCD \"TipHelp\"\n") << "only the refused add: nothing is registered";
  icon->SetVisible(true);
  EXPECT_TRUE(icon->Registered());
  EXPECT_EQ(Tray(), "ZCD \"stored only\"\n");
}

TEST_F(TrayIcon, RefusedModifyRaisesAndKeepsTheNewTipAndImage) {
  auto* icon = Shown();
  machine.FailNext("Shell_NotifyIconA");
  EXPECT_EQ(OutOfMemory([&] { icon->SetTipHelp("Disc title"); }), kRegistrationError);
  EXPECT_EQ(icon->TipHelp(), "Disc title");
  EXPECT_TRUE(icon->Registered());
  EXPECT_EQ(Tray(), "ZCD \"Orvanta\"\n");

  machine.FailNext("Shell_NotifyIconA");
  EXPECT_THROW(icon->Icon()->SetHandle(Image("Pause")), vcl::EOutOfMemory);
  EXPECT_EQ(emu::ImageName(icon->Icon()->Handle()), "PAUSE");
  icon->SetTipHelp("Next");
  EXPECT_EQ(Tray(), "PAUSE \"Next\"\n") << "the next modify shows both";
  machine.FailNext("Shell_NotifyIconA");
  icon->SetVisible(false);  // a failed delete is not reported
  EXPECT_FALSE(icon->Registered());
  EXPECT_FALSE(icon->Visible());
}

TEST_F(TrayIcon, FreedMenusAndImagesAreForgotten) {
  auto* icon = new TTrayIcon(owner.get());
  vcl::TComponent elsewhere(nullptr);
  auto* left = new vcl::TPopupMenu(&elsewhere);
  auto* right = new vcl::TPopupMenu(&elsewhere);
  auto* images = new vcl::TImageList(&elsewhere);
  icon->SetLBPopupMenu(left);
  icon->SetRBPopupMenu(right);
  icon->SetAnimateIcons(images);
  vcl::TComponent::Free(left);
  EXPECT_EQ(icon->LBPopupMenu(), nullptr);
  EXPECT_EQ(icon->RBPopupMenu(), right);
  vcl::TComponent::Free(right);
  EXPECT_EQ(icon->RBPopupMenu(), nullptr);
  vcl::TComponent::Free(images);
  EXPECT_EQ(icon->AnimateIcons(), nullptr);

  // One menu for both buttons: both references go (one alone would be left dangling).
  auto* both = new vcl::TPopupMenu(&elsewhere);
  icon->SetLBPopupMenu(both);
  icon->SetRBPopupMenu(both);
  vcl::TComponent::Free(both);
  EXPECT_EQ(icon->LBPopupMenu(), nullptr);
  EXPECT_EQ(icon->RBPopupMenu(), nullptr);
}

// --- Loading from a form definition -----------------------------------------------------------

// The probe written after the icon looks at the shell calls when its Count is read, which is after
// every property of the icon.
constexpr const char* kDefinition = R"(object F: TTestForm
  object Tray: TTrayIcon
    Icon = 'ZCD'
    LBPopupMenu = Left
    TipHelp = 'Orvanta'
    Visible = True
  end
  object Counter: TProbe
    Count = 1
  end
  object Left: TPopupMenu
  end
end
)";

TEST_F(TrayIcon, LoadingAddsOnceAtItsEnd) {
  RegisterTrayClasses();
  size_t callsWhileLoading = 99;
  toolkit_test::onCount = [&] { callsWhileLoading = emu::ShellTrace(machine).size(); };
  toolkit_test::TTestForm form(kDefinition);
  toolkit_test::onCount = nullptr;
  auto* tray = dynamic_cast<TTrayIcon*>(form.FindComponent("Tray"));
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(callsWhileLoading, 0u);
  EXPECT_EQ(Shell(), "add 7 ZCD \"Orvanta\"\n");
  EXPECT_TRUE(tray->Registered());
  EXPECT_EQ(tray->LBPopupMenu(), form.FindComponent("Left"));
  EXPECT_EQ(Tray(), "ZCD \"Orvanta\"\n");

  toolkit_test::TTestForm hidden(
      "object F: TTestForm\n object Tray: TTrayIcon\n Icon = 'ZCD'\n end\nend\n");
  EXPECT_EQ(Shell(), "") << "hidden in the definition: nothing asked";
}

}  // namespace
