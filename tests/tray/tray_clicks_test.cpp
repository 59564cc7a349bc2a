// The callback window: each mouse report with and without menus, the popup at the cursor, single
// and double clicks through the worker on the manual clock, several icons, and destruction while a
// wait runs.
#include "tray_program.h"

namespace {

using tray_testing::events;
using tray_testing::form;
using tray_testing::TrayProgramTest;
using tray_testing::TTrayTestForm;
using Events = std::vector<std::string>;

class Clicks : public TrayProgramTest {};

TEST_F(Clicks, EachReportWithoutMenusBecomesItsEventWithTheCursorWhenHandled) {
  In([] {
    form->Tray->SetLBPopupMenu(nullptr);
    form->Tray->SetRBPopupMenu(nullptr);
    TTrayTestForm::Record(form->Tray);
  });
  struct Case {
    LPARAM message;
    Events expected;
  } cases[] = {
      {WM_MOUSEMOVE, {"move 0 @11,22"}},
      {WM_LBUTTONDOWN, {"down 0 8 @11,22"}},
      {WM_LBUTTONUP, {"up 0 8 @11,22"}},
      {WM_LBUTTONDBLCLK, {"dblclick"}},
      {WM_RBUTTONDOWN, {"down 1 16 @11,22"}},
      {WM_RBUTTONUP, {"up 1 16 @11,22"}},
      {WM_RBUTTONDBLCLK, {}},
      {WM_MBUTTONDOWN, {"down 2 32 @11,22"}},
      {WM_MBUTTONUP, {"up 2 32 @11,22"}},
      {WM_MBUTTONDBLCLK, {}},
      {0x20A, {}},
      {WM_USER, {}},
  };
  for (const auto& c : cases) {
    events.clear();
    Report(c.message);
    EXPECT_EQ(events, c.expected) << "mouse message " << std::hex << c.message;
    EXPECT_FALSE(emu::OpenPopupMenu(machine));
  }
  // The position is read when the report is handled, not when it was sent.
  events.clear();
  In([this] {
    PostMessageA(CallbackWindow()->Handle(), TCallbackWindow::kCallbackMessage, 1, WM_MOUSEMOVE);
    emu::SetCursorPos(machine, POINT{300, 400});
  });
  EXPECT_EQ(events, Events{"move 0 @300,400"});
}

TEST_F(Clicks, PressesPopTheirButtonsMenuAtTheCursorInsteadOfMouseDown) {
  In([] { TTrayTestForm::Record(form->Tray); });
  auto icon = Icon();
  ASSERT_TRUE(emu::PressTrayIcon(machine, icon, emu::TrayButton::Left));
  auto open = emu::OpenPopupMenu(machine);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->at.x, icon.at.x);
  EXPECT_EQ(open->at.y, icon.at.y);
  ASSERT_EQ(open->items.size(), 1u);
  EXPECT_EQ(open->items[0].text, "Play");
  HWND formWindow = nullptr;
  In([&] { formWindow = form->Handle(); });
  EXPECT_EQ(emu::ForegroundWindow(machine), formWindow) << "the menu's thread has the foreground";

  // The release arrives while the menu is open: the window is entered again.
  ASSERT_TRUE(emu::ReleaseTrayIcon(machine, icon, emu::TrayButton::Left));
  EXPECT_EQ(events, Events{"up 0 8 @1013,758"});
  ASSERT_TRUE(emu::ChoosePopupMenuItem(machine, open->items[0].id));
  EXPECT_EQ(events, (Events{"up 0 8 @1013,758", "item Play"}));

  events.clear();
  ASSERT_TRUE(emu::PressTrayIcon(machine, icon, emu::TrayButton::Right));
  ASSERT_TRUE(emu::OpenPopupMenu(machine));
  EXPECT_EQ(emu::OpenPopupMenu(machine)->items.at(0).text, "Exit");
  ASSERT_TRUE(emu::DismissPopupMenu(machine));
  ASSERT_TRUE(emu::PressTrayIcon(machine, icon, emu::TrayButton::Middle));
  EXPECT_FALSE(emu::OpenPopupMenu(machine)) << "the middle button has no menu";
  EXPECT_EQ(events, Events{"down 2 32 @1013,758"});
}

// Before its menu a press lets the messages already waiting run; one of them may free the icon,
// and then no menu pops up.
TEST_F(Clicks, MessagesWaitingBeforeAPressRunBeforeItsMenu) {
  In([] {
    form->Tray->OnMouseUp = [](vcl::TObject*, TMouseButton button, TShiftState, int, int) {
      if (button != mbMiddle) return;
      vcl::TComponent::Free(form->Tray);
      form->Tray = nullptr;
    };
    const HWND window = CallbackWindow()->Handle();
    const WPARAM id = static_cast<WPARAM>(form->Tray->IconID());
    PostMessageA(window, TCallbackWindow::kCallbackMessage, id, WM_MBUTTONUP);
    SendMessageA(window, TCallbackWindow::kCallbackMessage, id, WM_LBUTTONDOWN);
  });
  EXPECT_FALSE(emu::OpenPopupMenu(machine));
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
}

TEST_F(Clicks, WithoutAutoPopupOrThatButtonsMenuAPressIsMouseDownAndADisabledIconIgnoresIt) {
  In([] {
    TTrayTestForm::Record(form->Tray);
    form->Tray->SetAutoPopup(false);
  });
  Report(WM_LBUTTONDOWN);
  Report(WM_RBUTTONDOWN);
  EXPECT_FALSE(emu::OpenPopupMenu(machine));
  In([] {
    form->Tray->SetAutoPopup(true);
    form->Tray->SetRBPopupMenu(nullptr);
  });
  Report(WM_RBUTTONDOWN);
  EXPECT_FALSE(emu::OpenPopupMenu(machine));
  EXPECT_EQ(events, (Events{"down 0 8 @11,22", "down 1 16 @11,22", "down 1 16 @11,22"}));

  // A disabled icon ignores the mouse but becomes current.
  events.clear();
  TTrayIcon* second = nullptr;
  In([&] {
    second = form->NewIcon("NoCD", "second");
    form->Tray->SetEnabled(false);
  });
  Report(WM_RBUTTONDOWN, second->IconID());
  Report(WM_LBUTTONDOWN);
  Report(WM_MOUSEMOVE);
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(emu::OpenPopupMenu(machine));
  In([&] { EXPECT_EQ(CallbackWindow()->CurrentIcon(), form->Tray); });

  // An ID that no living icon has changes nothing.
  Report(WM_LBUTTONDOWN, 77);
  In([&] { EXPECT_EQ(CallbackWindow()->CurrentIcon(), form->Tray); });
}

class SingleClick : public TrayProgramTest {
 protected:
  void SetUp() override {
    TrayProgramTest::SetUp();
    In([] {
      form->Tray->SetLBPopupMenu(nullptr);
      TTrayTestForm::Record(form->Tray);
      form->Tray->OnMouseUp = nullptr;
      TTrayTestForm::RecordClicks(form->Tray);
    });
  }
  bool Pending() {
    bool pending = false;
    In([&] { pending = form->Tray->ClickPending(); });
    return pending;
  }
};

// The click fires the system's double-click time and 50 ms after the release, unless a mouse-up
// handler took the release.
TEST_F(SingleClick,
       FiresTheDoubleClickTimeAndFiftyMillisecondsAfterTheReleaseUnlessMouseUpTakesIt) {
  for (const UINT doubleClickTime : {500u, 200u}) {
    events.clear();
    emu::SetDoubleClickTime(machine, doubleClickTime);
    ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
    EXPECT_EQ(events, Events{"down 0 8 @1013,758"});
    EXPECT_TRUE(Pending());
    machine.Advance(doubleClickTime + 49);
    EXPECT_EQ(events.size(), 1u) << doubleClickTime;
    machine.Advance(1);
    EXPECT_EQ(events, (Events{"down 0 8 @1013,758", "click"})) << doubleClickTime;
    EXPECT_FALSE(Pending());
  }
  // A mouse-up handler takes the release, and no click fires.
  events.clear();
  In([] {
    form->Tray->OnMouseUp = [](vcl::TObject*, TMouseButton, TShiftState, int, int) {
      events.push_back("up");
    };
  });
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  machine.Advance(1000);
  EXPECT_EQ(events, (Events{"down 0 8 @1013,758", "up"}));
}

TEST_F(SingleClick, DoubleClickFiresDblClickAndNoClickButALateSecondReleaseWaitsAgain) {
  ASSERT_TRUE(emu::DoubleClickTrayIcon(machine, Icon()));
  EXPECT_FALSE(Pending()) << "the second release ended the double click";
  machine.Advance(1000);
  EXPECT_EQ(events, (Events{"down 0 8 @1013,758", "dblclick"}));

  events.clear();
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  Report(WM_LBUTTONDBLCLK);
  machine.Advance(550);
  EXPECT_EQ(events, (Events{"down 0 8 @1013,758", "dblclick", "click"}));
  ASSERT_TRUE(emu::ReleaseTrayIcon(machine, Icon(), emu::TrayButton::Left));
  EXPECT_TRUE(Pending());
  machine.Advance(550);
  EXPECT_EQ(events, (Events{"down 0 8 @1013,758", "dblclick", "click", "click"}));
}

TEST_F(SingleClick, WithoutClickHandlerNothingWaitsAndTheCompletionEndsTheWaitAllTheSame) {
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  In([] { form->Tray->OnClick = nullptr; });
  machine.Advance(550);
  EXPECT_FALSE(Pending());
  Report(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Pending());
  Report(WM_LBUTTONUP);
  EXPECT_FALSE(Pending()) << "no handler, no wait";
  // So the next click is one, not the end of a double click.
  In([] { TTrayTestForm::RecordClicks(form->Tray); });
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  machine.Advance(550);
  EXPECT_EQ(events.back(), "click");
}

TEST_F(SingleClick, DisablingDropsTheClickBeingWaitedFor) {
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  In([] {
    form->Tray->SetEnabled(false);
    form->Tray->SetEnabled(true);
  });
  EXPECT_FALSE(Pending());
  machine.Advance(550);
  EXPECT_EQ(events, Events{"down 0 8 @1013,758"});
  // A disabled icon ignores the double click too.
  In([] { form->Tray->SetEnabled(false); });
  Report(WM_LBUTTONDBLCLK);
  EXPECT_FALSE(Pending());
  EXPECT_EQ(events, Events{"down 0 8 @1013,758"});
}

TEST_F(SingleClick, CompletionLooksAtTheIconOfTheLatestReport) {
  TTrayIcon* second = nullptr;
  In([&] {
    second = form->NewIcon("NoCD", "second");
    TTrayTestForm::Record(second, "B ");
    TTrayTestForm::RecordClicks(second, "B ");
  });
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(0), emu::TrayButton::Left));
  ASSERT_TRUE(emu::MoveOverTrayIcon(machine, Icon(1)));
  machine.Advance(550);
  EXPECT_EQ(events, (Events{"down 0 8 @1013,758", "B move 0 @993,758"}))
      << "neither icon clicks: the second was current and had no click waiting";
  EXPECT_TRUE(Pending()) << "the first icon's click stays pending";
  In([&] { EXPECT_FALSE(second->ClickPending()); });
}

TEST_F(SingleClick, CompletionAfterTheIconWasDestroyedDoesNothingWithIt) {
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  In([] {
    vcl::TComponent::Free(form->Tray);
    form->Tray = nullptr;
    EXPECT_EQ(CallbackWindow()->CurrentIcon(), nullptr);
  });
  machine.Advance(550);
  EXPECT_EQ(events, Events{"down 0 8 @1013,758"});
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
}

TEST_F(SingleClick, ProgramEndsCleanlyWhileAWorkerSleeps) {
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  machine.EndAllProcesses();
  EXPECT_FALSE(machine.Process(pid).running);
  EXPECT_EQ(machine.Process(pid).exitCode, 0);
  EXPECT_EQ(events, Events{"down 0 8 @1013,758"});
  EXPECT_TRUE(emu::TrayIcons(machine).empty()) << "the form took its icon away";
}

TEST_F(SingleClick, FailingWorkerIsReportedAndLeavesNoClickPending) {
  machine.FailNext("CreateThread");
  ASSERT_TRUE(emu::ClickTrayIcon(machine, Icon(), emu::TrayButton::Left));
  ASSERT_EQ(machine.OpenBoxes().size(), 1u);
  EXPECT_EQ(machine.OpenBoxes()[0].text, "Thread creation error.");
  machine.AnswerBox(IDOK);
  EXPECT_FALSE(Pending());
}

}  // namespace
