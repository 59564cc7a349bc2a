// Check box and drop-down list event rules, and the timer on the machine's clock.
#include <gtest/gtest.h>

#include "ApplicationFixture.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/SysUtils.h"

namespace {

TEST(CheckBox, ClickRunsOnEveryChangeAndOnlyThenButNotWhileLoading) {
  vcl::TCheckBox box(nullptr);
  int clicks = 0;
  box.OnClick = [&](vcl::TObject*) { ++clicks; };
  box.BeginLoading();
  box.SetChecked(true);
  box.Loaded();
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 0);
  box.SetChecked(true);
  EXPECT_EQ(clicks, 0);
  box.SetChecked(false);
  EXPECT_EQ(clicks, 1);
  box.SetEnabled(false);
  box.SetChecked(true);
  EXPECT_EQ(clicks, 2) << "a disabled box still follows the program";
}

TEST(ComboBox, SelectionFromTheProgramRunsNoChangeHandler) {
  vcl::TComboBox list(nullptr);
  int changes = 0;
  list.OnChange = [&](vcl::TObject*) { ++changes; };
  list.Items() = {"D:", "F:"};
  list.SetItemIndex(1);
  EXPECT_EQ(list.Text(), "F:");
  list.SetItemIndex(2);
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(list.Text(), "");
  list.SetItemIndex(-2);
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(changes, 0);
}

using TimerTest = toolkit_test::ApplicationFixture;

TEST_F(TimerTest, FiresEveryIntervalWhileEnabledWithAHandlerAndRaisesWhenRefused) {
  vcl::TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(1500);
  Wait(5000);
  EXPECT_EQ(ticks, 0) << "no handler, no timer";
  timer.SetOnTimer([&](vcl::TObject*) { ++ticks; });
  Wait(1499);
  EXPECT_EQ(ticks, 0);
  Wait(1);
  EXPECT_EQ(ticks, 1);
  Wait(1500);
  EXPECT_EQ(ticks, 2);
  timer.SetEnabled(false);
  Wait(3000);
  EXPECT_EQ(ticks, 2);
  timer.SetEnabled(true);
  Wait(1500);
  EXPECT_EQ(ticks, 3);
  // A refused timer raises.
  timer.SetEnabled(false);
  machine.FailNext("SetTimer");
  EXPECT_THROW(timer.SetEnabled(true), vcl::EOutOfResources);
}

TEST_F(TimerTest, ErrorInAHandlerIsShownAndTheTimerGoesOn) {
  vcl::TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(100);
  timer.SetOnTimer([&](vcl::TObject*) {
    if (++ticks == 1) throw vcl::Exception("broken");
  });
  Wait(100);
  Wait(100);
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(shown, std::vector<std::string>{"broken."});
}

}  // namespace
