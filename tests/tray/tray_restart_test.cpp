// Icons meant to be shown come back when the shell restarts (its "TaskbarCreated" broadcast); and
// the animation.
#include "tray_program.h"

namespace {

using tray_testing::form;
using tray_testing::TrayProgramTest;

const std::string kRegistrationError = "タスクトレイにアイコンを登録できません。.";

class Restart : public TrayProgramTest {};

TEST_F(Restart, ShownIconsComeBackWithTheirImageAndTipHiddenOnesDoNot) {
  TTrayIcon* hidden = nullptr;
  In([&] {
    form->Tray->Icon()->SetHandle(LoadIconA(GetModuleHandleA(nullptr), "NoCD"));
    form->Tray->SetTipHelp("No CD");
    hidden = form->NewIcon("Stop", "hidden");
    hidden->SetVisible(false);
  });
  const auto before = Icon();
  emu::RestartExplorer(machine);
  auto icons = emu::TrayIcons(machine);
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(std::tie(icons[0].window, icons[0].id, icons[0].image, icons[0].tip),
            std::tie(before.window, before.id, "NOCD", "No CD"));
  EXPECT_TRUE(icons[0].hasMessage);
  In([&] { EXPECT_TRUE(form->Tray->Registered()); });

  // It answers the mouse as before.
  ASSERT_TRUE(emu::PressTrayIcon(machine, icons[0], emu::TrayButton::Left));
  EXPECT_TRUE(emu::OpenPopupMenu(machine));
}

TEST_F(Restart, IconRefusedWhileTheShellWasAwayIsAddedWhenItComesAndARefusalThenIsReported) {
  emu::StopExplorer(machine);
  In([] {
    form->Tray->SetVisible(false);
    vcl::Guarded([] { form->Tray->SetVisible(true); });
  });
  ASSERT_EQ(machine.OpenBoxes().size(), 1u);
  EXPECT_EQ(machine.OpenBoxes()[0].text, kRegistrationError);
  machine.AnswerBox(IDOK);
  In([] {
    EXPECT_TRUE(form->Tray->Visible());
    EXPECT_FALSE(form->Tray->Registered());
  });
  emu::StartExplorer(machine);
  ASSERT_EQ(emu::TrayIcons(machine).size(), 1u);
  In([] { EXPECT_TRUE(form->Tray->Registered()); });

  // A refused add after a restart is reported, and the other icons still come back.
  In([] { form->NewIcon("Play", "second"); });
  machine.FailNext("Shell_NotifyIconA");
  emu::RestartExplorer(machine);
  ASSERT_EQ(machine.OpenBoxes().size(), 1u);
  EXPECT_EQ(machine.OpenBoxes()[0].text, kRegistrationError);
  machine.AnswerBox(IDOK);
  auto icons = emu::TrayIcons(machine);
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].tip, "second");
  In([] { EXPECT_FALSE(form->Tray->Registered()); });
}

class Animation : public TrayProgramTest {
 protected:
  vcl::TImageList* images = nullptr;
  void SetUp() override {
    TrayProgramTest::SetUp();
    In([this] {
      images = new vcl::TImageList(form);
      images->AddIcon(LoadIconA(GetModuleHandleA(nullptr), "Play"));
      images->AddIcon(LoadIconA(GetModuleHandleA(nullptr), "Pause"));
      form->Tray->SetAnimateIcons(images);
    });
  }
  std::string Shown() { return emu::TrayIcons(machine).at(0).image; }
};

TEST_F(Animation, StepsThroughTheImagesAtItsRateAndStopsBackAtTheIcon) {
  In([] { form->Tray->StartAnimation(); });
  EXPECT_EQ(Shown(), "PLAY");
  machine.Advance(499);
  EXPECT_EQ(Shown(), "PLAY");
  machine.Advance(1);
  EXPECT_EQ(Shown(), "PAUSE");
  machine.Advance(500);
  EXPECT_EQ(Shown(), "PLAY") << "round again";

  In([] {
    EXPECT_TRUE(form->Tray->Animating());
    form->Tray->SetAnimateIcons(nullptr);
    EXPECT_NE(form->Tray->AnimateIcons(), nullptr) << "not replaced while animating";
    form->Tray->SetAnimateRate(200);
  });
  machine.Advance(200);
  EXPECT_EQ(Shown(), "PAUSE");

  In([] { form->Tray->StopAnimation(); });
  EXPECT_EQ(Shown(), "ZCD");
  machine.Advance(1000);
  EXPECT_EQ(Shown(), "ZCD");
}

TEST_F(Animation, FreedImagesStopItAndDestructionEndsIt) {
  In([this] {
    form->Tray->StartAnimation();
    vcl::TComponent::Free(images);
    EXPECT_FALSE(form->Tray->Animating());
  });
  EXPECT_EQ(Shown(), "ZCD");

  In([this] {
    images = new vcl::TImageList(form);
    images->AddIcon(LoadIconA(GetModuleHandleA(nullptr), "Stop"));
    form->Tray->SetAnimateIcons(images);
    form->Tray->StartAnimation();
    vcl::TComponent::Free(form->Tray);
    form->Tray = nullptr;
  });
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  machine.Advance(2000);
}

}  // namespace
