// Popup menus and items: the native menu they show, the choice reaching the item, items in form
// definitions; icon images and their change notices.
#include <gtest/gtest.h>

#include <tuple>

#include "TestForm.h"
#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "toolkit/FormReader.h"
#include "toolkit/Forms.h"
#include "toolkit/Graphics.h"
#include "toolkit/Menus.h"

namespace {

using vcl::TMenuItem;
using vcl::TPopupMenu;

class Menus : public ::testing::Test {
 protected:
  emu::Machine machine;
  vcl::TComponent owner{nullptr};
  std::vector<std::string> clicks;
  std::optional<emu::PopupMenuInfo> shown;
  UINT answer = 0;

  void SetUp() override {
    emu::SetPopupMenuAnswerer(machine, [this](const emu::PopupMenuInfo& info) {
      shown = info;
      return answer;
    });
  }

  TMenuItem* Item(TPopupMenu* menu, const char* name, const char* caption) {
    auto* item = new TMenuItem(&owner);
    item->SetName(name);
    item->SetCaption(caption);
    item->OnClick = [this](vcl::TObject* sender) {
      clicks.push_back(static_cast<TMenuItem*>(sender)->Name());
    };
    menu->Add(item);
    return item;
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
};

TEST_F(Menus, NativeMenuLeavesOutHiddenItemsAndCarriesStates) {
  auto* menu = new TPopupMenu(&owner);
  Item(menu, "Play", "再生(&P)");
  Item(menu, "Pause", "一時停止(&U)")->SetEnabled(false);
  Item(menu, "N1", "-");
  Item(menu, "Restart", "Windows9xの再起動")->SetVisible(false);
  Item(menu, "Repeat", "全曲ﾘﾋﾟｰﾄ(&A)")->SetChecked(true);
  menu->Popup(120, 340);

  ASSERT_TRUE(shown);
  // Each item: its text ("-" for a separator), "(off)" when greyed, "(x)" when checked.
  std::string items;
  for (const emu::MenuItemInfo& item : shown->items) {
    items += (item.Separator() ? "-" : item.text) + (item.Enabled() ? "" : "(off)") +
             (item.Checked() ? "(x)" : "") + " ";
  }
  EXPECT_EQ(items, "再生(&P) 一時停止(&U)(off) - 全曲ﾘﾋﾟｰﾄ(&A)(x) ");
  EXPECT_EQ(shown->items[0].id, menu->Items(0)->Command());
  EXPECT_EQ(std::tuple(shown->at.x, shown->at.y, shown->flags),
            std::tuple(120, 340, static_cast<UINT>(TPM_LEFTALIGN | TPM_RIGHTBUTTON)));

  menu->SetAlignment(vcl::TPopupAlignment::paRight);
  menu->Popup(0, 0);
  EXPECT_EQ(shown->flags & (TPM_RIGHTALIGN | TPM_CENTERALIGN), static_cast<UINT>(TPM_RIGHTALIGN));
}

TEST_F(Menus, ChoiceRunsTheItemsClickFromTheMessageAfterThePopupReturnsAndAFailedMenuRaises) {
  auto* menu = new TPopupMenu(&owner);
  Item(menu, "Play", "Play");
  auto* stop = Item(menu, "Stop", "Stop");
  bool popupNotice = false;
  menu->OnPopup = [&](vcl::TObject*) {
    popupNotice = true;
    EXPECT_FALSE(shown) << "the notice comes before the menu shows";
  };
  answer = stop->Command();
  menu->Popup(0, 0);
  EXPECT_TRUE(popupNotice);
  EXPECT_TRUE(clicks.empty()) << "the choice arrives as a posted message";
  Pump();
  EXPECT_EQ(clicks, std::vector<std::string>{"Stop"});

  // Dismissed: nothing runs.
  clicks.clear();
  shown.reset();
  answer = 0;
  menu->Popup(0, 0);
  Pump();
  EXPECT_TRUE(clicks.empty());

  // A native menu that cannot be made raises and shows nothing.
  shown.reset();
  machine.FailNext("AppendMenuW");
  EXPECT_THROW(menu->Popup(0, 0), vcl::EMenuError);
  EXPECT_FALSE(shown);
  machine.FailNext("CreatePopupMenu");
  EXPECT_THROW(menu->Popup(0, 0), vcl::EMenuError);
}

// A choice reaches nothing when its item was disabled or its menu freed since the popup.
TEST_F(Menus, ChoiceForAnItemDisabledOrAMenuFreedMeanwhileDoesNotRun) {
  auto* menu = new TPopupMenu(&owner);
  auto* play = Item(menu, "Play", "Play");
  auto* b = Item(menu, "B", "b");
  answer = play->Command();
  menu->Popup(0, 0);
  play->SetEnabled(false);
  Pump();
  EXPECT_TRUE(clicks.empty());
  play->SetEnabled(true);
  play->Click();
  EXPECT_EQ(clicks, std::vector<std::string>{"Play"});

  clicks.clear();
  vcl::TComponent::Free(b);
  ASSERT_EQ(menu->Count(), 1) << "a freed item leaves its menu";
  EXPECT_EQ(menu->Items(0), play);
  menu->Popup(0, 0);
  vcl::TComponent::Free(menu);
  Pump();
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(play->Menu(), nullptr);
}

TEST_F(Menus, FormDefinitionPutsItemsInTheMenuTheyAreWrittenIn) {
  toolkit_test::TTestForm form(R"(object F: TTestForm
  object First: TPopupMenu
    Alignment = paCenter
    object Play: TMenuItem
      Caption = '再生(&P)'
      OnClick = PlayClick
    end
    object Pause: TMenuItem
      Caption = '一時停止(&U)'
      Enabled = False
    end
  end
  object Second: TPopupMenu
    object Repeat: TMenuItem
      Caption = 'x'
      Checked = True
      Visible = False
    end
  end
end
)");
  auto* first = dynamic_cast<TPopupMenu*>(form.FindComponent("First"));
  auto* second = dynamic_cast<TPopupMenu*>(form.FindComponent("Second"));
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->Count(), 2);
  EXPECT_EQ(first->Alignment(), vcl::TPopupAlignment::paCenter);
  EXPECT_EQ(first->Items(0)->Caption(), "再生(&P)");
  EXPECT_FALSE(first->Items(1)->Enabled());
  ASSERT_EQ(second->Count(), 1);
  EXPECT_TRUE(second->Items(0)->Checked());
  EXPECT_FALSE(second->Items(0)->Visible());
  EXPECT_EQ(first->Items(0)->Owner(), &form) << "the form owns the items";
  first->Items(0)->Click();
  EXPECT_EQ(form.clicks, 1);

  EXPECT_THROW(toolkit_test::TTestForm(R"(object F: TTestForm
  object Stray: TMenuItem
  end
end
)"),
               vcl::EReadError)
      << "an item outside a menu";
}

TEST(Icon, EveryChangeIsAnnouncedAndANamedImageComesBack) {
  emu::Machine machine;
  vcl::TIcon icon;
  int notices = 0;
  icon.OnChange = [&](vcl::TObject*) { ++notices; };
  EXPECT_TRUE(icon.Empty());
  EXPECT_EQ(icon.Handle(), nullptr);

  icon.LoadFromResourceName("zcd");
  EXPECT_EQ(notices, 1);
  EXPECT_EQ(emu::ImageName(icon.Handle()), "ZCD");
  HICON loaded = icon.Handle();
  icon.SetHandle(loaded);
  EXPECT_EQ(notices, 2) << "the same handle again is a change all the same";

  icon.LoadFromResourceName("ZCD");
  EXPECT_EQ(icon.ReleaseHandle(), loaded);
  EXPECT_EQ(notices, 4);
  EXPECT_FALSE(icon.Empty());
  EXPECT_EQ(icon.Handle(), loaded) << "made again from the resource it was loaded from";
  icon.SetHandle(nullptr);
  EXPECT_TRUE(icon.Empty());

  vcl::TIcon other;
  other.SetHandle(LoadIconA(GetModuleHandleA(nullptr), "PLAY"));
  icon.Assign(other);
  EXPECT_EQ(emu::ImageName(icon.Handle()), "PLAY");
  EXPECT_EQ(notices, 6);
  icon.ReleaseHandle();
  EXPECT_TRUE(icon.Empty()) << "an image given by handle has nothing to come back from";

  EXPECT_THROW(icon.LoadFromResourceName("NOSUCH"), vcl::EOutOfResources);
}

}  // namespace
