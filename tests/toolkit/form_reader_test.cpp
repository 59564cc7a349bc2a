// Reading form definitions: components, stored properties, handlers by name, references, Loaded.
#include <gtest/gtest.h>

#include "TestForm.h"
#include "platform/emu/machine.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/SysUtils.h"

namespace {

using toolkit_test::loadedOrder;
using toolkit_test::TProbe;
using toolkit_test::TTestForm;

class FormReader : public ::testing::Test {
 protected:
  emu::Machine machine;
  void SetUp() override { loadedOrder.clear(); }
};

TEST_F(FormReader, BuildsComponentsWithPropertiesHandlersAndReferences) {
  TTestForm form(R"(object Main: TTestForm
    Caption = 'It''s ＯＫ'
    ClientWidth = 415
    object First: TProbe
      Buddy = Second
      Count = -3
    end
    object Box: TGroupBox
      object Check: TCheckBox
        Checked = True
        OnClick = BoxClick
      end
    end
    object Second: TProbe
    end
  end)");
  EXPECT_EQ(form.Name(), "Main");
  EXPECT_EQ(form.Caption(), "It's ＯＫ");
  EXPECT_EQ(form.ClientWidth(), 415);
  auto* first = dynamic_cast<TProbe*>(form.FindComponent("First"));
  auto* second = dynamic_cast<TProbe*>(form.FindComponent("Second"));
  auto* check = dynamic_cast<vcl::TCheckBox*>(form.FindComponent("Check"));
  ASSERT_TRUE(first && second && check);
  EXPECT_EQ(first->buddy, second) << "a reference to a component defined later is fixed up";
  EXPECT_EQ(first->count, -3);
  EXPECT_EQ(check->Parent(), form.FindComponent("Box"));
  EXPECT_EQ(check->Owner(), &form);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(form.clicks, 0) << "setting a stored state while loading is no click";
  check->SetChecked(false);
  EXPECT_EQ(form.clicks, 1) << "the handler was bound by name";
  // Loaded runs once all is read, in creation order, while each is still loading.
  EXPECT_EQ(loadedOrder, (std::vector<std::string>{"First", "Second"}));
  EXPECT_TRUE(first->loadedInLoadingState);
  EXPECT_FALSE(first->Loading());
}

TEST_F(FormReader, TwoByteCharactersPassThroughUnchanged) {
  // "ソ" ends in a backslash byte (0x5C), which must not be taken for an escape.
  TTestForm form("object Main: TTestForm\n Caption = 'ソフト'\nend");
  EXPECT_EQ(form.Caption(), "ソフト");
}

struct BadDefinition {
  const char* text;
  const char* expected;
};

class FormReaderErrors : public FormReader, public ::testing::WithParamInterface<BadDefinition> {};

TEST_P(FormReaderErrors, RaiseAReadErrorNamingTheProblem) {
  try {
    TTestForm form(GetParam().text);
    FAIL() << "no error";
  } catch (const vcl::EReadError& e) {
    EXPECT_NE(e.Message().find(GetParam().expected), std::string::npos) << e.Message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FormReaderErrors,
    ::testing::Values(
        BadDefinition{"object M: TTestForm\n Colour = 1\nend", "property Colour does not exist"},
        BadDefinition{"object M: TTestForm\n object X: TNothing\n end\nend", "class TNothing"},
        BadDefinition{"object M: TTestForm\n OnCreate = Missing\nend", "method Missing"},
        BadDefinition{"object M: TTestForm\n object P: TProbe\n Buddy = Nobody\n end\nend",
                      "no component named Nobody"},
        BadDefinition{"object M: TTestForm\n ClientWidth = 'wide'\nend", "integer"},
        BadDefinition{"object M: TTestForm\n Caption = 'open\nend", "unterminated"},
        BadDefinition{"object M: TOther\nend", "not TTestForm"},
        BadDefinition{"object M: TTestForm\n object A: TProbe\n end\n object A: TProbe\n "
                      "end\nend",
                      "already exists"},
        BadDefinition{"object M: TTestForm\nend\nextra", "line 3"}));

}  // namespace
