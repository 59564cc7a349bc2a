// The tray icon's properties and life: IDs, the tip cut, showing and hiding, loading, the shell's
// refusals and the removal notices. The shell calls are read back from the machine's trace.
#include <gtest/gtest.h>

#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"
#include "tray/TrayIcon.h"

namespace {

const std::string kRegistrationError = "タスクトレイにアイコンを登録できません。";

HICON Image(const char* name) {
  return LoadIconA(GetModuleHandleA(nullptr), name);
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
  std::vector<emu::ShellCall> Calls() { return emu::ShellTrace(machine); }
  std::vector<DWORD> Messages() {
    std::vector<DWORD> out;
    for (const auto& call : Calls()) out.push_back(call.message);
    return out;
  }
};

TEST_F(TrayIcon, IdsFollowTheLastLivingIconAndStopAtOneHundred) {
  auto* a = new TTrayIcon(owner.get());
  auto* b = new TTrayIcon(owner.get());
  auto* c = new TTrayIcon(owner.get());
  EXPECT_EQ(a->IconID(), 1);
  EXPECT_EQ(b->IconID(), 2);
  EXPECT_EQ(c->IconID(), 3);
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
  EXPECT_TRUE(Calls().empty());
  b->SetAnimateRate(50);
  EXPECT_EQ(b->AnimateRate(), 100);
  b->SetAnimateRate(100);
  EXPECT_EQ(b->AnimateRate(), 100);

  while (TrayIconCount() < 100) new TTrayIcon(owner.get());
  const int components = owner->ComponentCount();
  try {
    new TTrayIcon(owner.get());
    FAIL() << "the 101st icon was made";
  } catch (const vcl::EOutOfMemory& e) {
    EXPECT_EQ(e.Message(), kRegistrationError);
  }
  EXPECT_EQ(TrayIconCount(), 100) << "no entry is left";
  EXPECT_EQ(owner->ComponentCount(), components) << "nor a component";
}

TEST_F(TrayIcon, TipIsCutAtSixtyTwoBytesEvenInsideATwoByteCharacter) {
  auto* icon = Shown();
  const std::string head(61, 'a');
  icon->SetTipHelp(head + "あいう");
  ASSERT_EQ(icon->TipHelp().size(), 62u);
  EXPECT_EQ(icon->TipHelp(), head + "あ"[0]) << "the lead byte of あ stays, its trail byte goes";
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(Calls()[0].tip, icon->TipHelp());
  EXPECT_EQ(Calls()[0].flags, 7u);

  icon->SetTipHelp(head + "あ" + std::string(20, 'z'));
  EXPECT_EQ(Calls().size(), 1u) << "the same first 62 bytes make no call";

  icon->SetTipHelp("");
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[1].flags, 3u) << "no NIF_TIP for an empty tip";
  EXPECT_EQ(Calls()[1].tip, "");
}

TEST_F(TrayIcon, VisibleNeedsAnImage) {
  auto* icon = new TTrayIcon(owner.get());
  icon->SetVisible(true);
  EXPECT_FALSE(icon->Visible());
  EXPECT_TRUE(Calls().empty());

  icon->Icon()->SetHandle(Image("NoCD"));
  EXPECT_TRUE(Calls().empty()) << "an image change of a hidden icon is only stored";
  icon->SetVisible(true);
  ASSERT_EQ(Calls().size(), 1u);
  const auto add = Calls()[0];
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.image, "NOCD");
  EXPECT_EQ(add.tip, "TipHelp");
  EXPECT_EQ(add.callbackMessage, 0x4C8u);
  ASSERT_NE(CallbackWindow(), nullptr);
  EXPECT_EQ(add.window, CallbackWindow()->Handle());
  EXPECT_EQ(emu::TrayIcons(machine).size(), 1u);

  icon->SetVisible(false);
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_DELETE}));
  EXPECT_FALSE(icon->Registered());
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  icon->SetTipHelp("No CD");
  EXPECT_EQ(icon->TipHelp(), "No CD");
  EXPECT_EQ(Calls().size(), 2u) << "the tip of a hidden icon is only stored";
}

TEST_F(TrayIcon, EveryImageChangeOfAShownIconModifiesIt) {
  auto* icon = Shown();
  icon->Icon()->SetHandle(Image("Play"));
  icon->Icon()->SetHandle(Image("Play"));
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));
  EXPECT_EQ(emu::TrayIcons(machine)[0].image, "PLAY");

  icon->SetIcon(icon->Icon());
  EXPECT_EQ(Calls().size(), 2u) << "its own image object changes nothing";
  vcl::TIcon other;
  other.SetHandle(Image("Stop"));
  icon->SetIcon(&other);
  EXPECT_EQ(Calls().size(), 3u);
  EXPECT_EQ(emu::TrayIcons(machine)[0].image, "STOP");
  EXPECT_EQ(emu::ImageName(icon->Icon()->Handle()), "STOP") << "copied into the own image";
  icon->SetEnabled(false);
  icon->SetEnabled(true);
  EXPECT_EQ(Calls().size(), 3u) << "Enabled never adds nor removes";
}

TEST_F(TrayIcon, EmptyIconModifiesTwiceThenRemovesTheIcon) {
  auto* icon = Shown();
  icon->SetIcon(nullptr);
  auto calls = Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(calls[0].image, "ZCD") << "an image read by name is made again at once";
  EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(calls[1].icon, nullptr);
  EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(icon->Visible());
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
}

TEST_F(TrayIcon, DestroyingAShownIconRemovesItAndAHiddenOneCallsNothing) {
  auto* shown = Shown();
  auto* hidden = new TTrayIcon(owner.get());
  vcl::TComponent::Free(hidden);
  EXPECT_TRUE(Calls().empty());
  vcl::TComponent::Free(shown);
  EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  EXPECT_EQ(TrayIconCount(), 0);
}

TEST_F(TrayIcon, RefusedAddLeavesItVisibleUnregisteredUntilHiddenAndShownAgain) {
  auto* icon = new TTrayIcon(owner.get());
  icon->Icon()->SetHandle(Image("ZCD"));
  machine.FailNext("Shell_NotifyIconA");
  try {
    icon->SetVisible(true);
    FAIL() << "the refusal was not raised";
  } catch (const vcl::EOutOfMemory& e) {
    EXPECT_EQ(e.Message(), kRegistrationError);
  }
  EXPECT_TRUE(icon->Visible());
  EXPECT_FALSE(icon->Registered());
  icon->SetVisible(true);
  icon->SetTipHelp("stored only");
  EXPECT_EQ(Calls().size(), 1u) << "Visible did not change, and nothing is registered";
  icon->SetVisible(false);
  EXPECT_EQ(Calls().size(), 1u);
  icon->SetVisible(true);
  EXPECT_TRUE(icon->Registered());
  EXPECT_EQ(emu::TrayIcons(machine).at(0).tip, "stored only");
}

TEST_F(TrayIcon, RefusedModifyRaisesAndKeepsTheNewTipAndImage) {
  auto* icon = Shown();
  machine.FailNext("Shell_NotifyIconA");
  EXPECT_THROW(icon->SetTipHelp("Disc title"), vcl::EOutOfMemory);
  EXPECT_EQ(icon->TipHelp(), "Disc title");
  EXPECT_TRUE(icon->Registered());
  EXPECT_EQ(emu::TrayIcons(machine)[0].tip, "Orvanta");

  machine.FailNext("Shell_NotifyIconA");
  EXPECT_THROW(icon->Icon()->SetHandle(Image("Pause")), vcl::EOutOfMemory);
  EXPECT_EQ(emu::ImageName(icon->Icon()->Handle()), "PAUSE");
  icon->SetTipHelp("Next");
  EXPECT_EQ(emu::TrayIcons(machine)[0].image, "PAUSE") << "the next modify shows both";
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

// A component written after the tray icon: it notes how many shell calls there were when its own
// property was read, which is after every property of the icon.
class TCallCounter : public vcl::TComponent {
 public:
  using TComponent::TComponent;
  size_t callsWhileLoading = 99;
};

class TTrayForm : public vcl::TForm {
 public:
  explicit TTrayForm(std::string_view definition) : vcl::TForm(nullptr) {
    RegisterTrayClasses();
    static bool registered = false;
    if (!registered) {
      registered = true;
      vcl::TClassInfo counter{
          "TCallCounter",
          "",
          [](vcl::TComponent* o) -> vcl::TComponent* { return new TCallCounter(o); },
          {}};
      counter.properties["Count"] =
          vcl::ValueProperty<TCallCounter>([](TCallCounter& c, const vcl::TValue&) {
            c.callsWhileLoading = emu::ShellTrace(emu::Machine::Current()).size();
          });
      vcl::TClassRegistry::Instance().Register(counter);
      vcl::TClassRegistry::Instance().Register(vcl::TClassInfo{"TTrayForm", "TForm", nullptr, {}});
    }
    ReadDefinition(definition);
  }
  std::string ClassName() const override { return "TTrayForm"; }
};

constexpr const char* kDefinition = R"(object F: TTrayForm
  object Tray: TTrayIcon
    Icon = 'ZCD'
    LBPopupMenu = Left
    TipHelp = 'Orvanta'
    Visible = True
  end
  object Counter: TCallCounter
    Count = 1
  end
  object Left: TPopupMenu
  end
end
)";

TEST_F(TrayIcon, LoadingAddsOnceAtItsEnd) {
  TTrayForm form(kDefinition);
  auto* tray = dynamic_cast<TTrayIcon*>(form.FindComponent("Tray"));
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(dynamic_cast<TCallCounter*>(form.FindComponent("Counter"))->callsWhileLoading, 0u);
  EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
  EXPECT_TRUE(tray->Registered());
  EXPECT_EQ(tray->LBPopupMenu(), form.FindComponent("Left"));
  auto icons = emu::TrayIcons(machine);
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].image, "ZCD");
  EXPECT_EQ(icons[0].tip, "Orvanta");

  emu::ClearShellTrace(machine);
  TTrayForm hidden("object F: TTrayForm\n object Tray: TTrayIcon\n Icon = 'ZCD'\n end\nend\n");
  EXPECT_TRUE(Calls().empty()) << "hidden in the definition: nothing asked";
}

TEST_F(TrayIcon, AddRefusedAtTheEndOfLoadingFailsTheFormsCreation) {
  machine.FailNext("Shell_NotifyIconA");
  try {
    TTrayForm form(kDefinition);
    FAIL() << "the form was made";
  } catch (const vcl::EOutOfMemory& e) {
    EXPECT_EQ(e.Message(), kRegistrationError);
  }
  EXPECT_EQ(TrayIconCount(), 0);
}

}  // namespace
