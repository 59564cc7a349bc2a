// TMediaPlayer's button bar (clicks, keys, the auto-enable rules, its picture) and the component
// in a form definition.
#include <gtest/gtest.h>

#include <algorithm>

#include "player_fixture.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/FormReader.h"

namespace {

using mci_testing::PlayerTest;
using mci_testing::Tmsf;

LPARAM At(int x, int y) {
  return static_cast<LPARAM>(static_cast<DWORD>(y) << 16 | static_cast<WORD>(x));
}

class ButtonBar : public PlayerTest {
 protected:
  void SetUp() override {
    PlayerTest::SetUp();
    player->OnClick = [this](vcl::TObject*, TMPBtnType button, bool& doDefault) {
      events.push_back("click " + std::to_string(button));
      doDefault = allowDefault;
    };
    player->OnPostClick = [this](vcl::TObject*, TMPBtnType button) {
      events.push_back("post " + std::to_string(button));
    };
  }

  POINT Centre(TMPBtnType button) const {
    const RECT r = player->ButtonRect(button);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Press(TMPBtnType button) {
    const POINT p = Centre(button);
    SendMessageA(player->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(p.x, p.y));
  }
  void Release(int x, int y) { SendMessageA(player->Handle(), WM_LBUTTONUP, 0, At(x, y)); }
  void Click(TMPBtnType button) {
    Press(button);
    const POINT p = Centre(button);
    Release(p.x, p.y);
  }
  void Key(WORD key) { SendMessageA(player->Handle(), WM_KEYDOWN, key, 0); }

  // The bitmaps the bar drew, in order, after a fresh paint.
  std::string PaintedBitmaps() {
    SendMessageA(player->Handle(), WM_PAINT, 0, 0);
    std::string names;
    for (const auto& op : emu::LastPaint(machine, player->Handle())) {
      if (op.kind == emu::PaintOp::Kind::Bitmap) names += (names.empty() ? "" : " ") + op.bitmap;
    }
    return names;
  }

  std::vector<std::string> events;
  bool allowDefault = true;
};

TEST_F(ButtonBar, CreationLoadsTheTwentySevenBitmapsOrFailsWithoutLeaksAndMakesNoWindowYet) {
  std::vector<std::string> live = emu::LiveBitmaps(machine);
  std::sort(live.begin(), live.end());
  ASSERT_EQ(live.size(), 27u);
  for (const char* state : {"CL_", "DI_", "EN_"}) {
    for (const char* name : {"MPBACK", "MPEJECT", "MPNEXT", "MPPAUSE", "MPPLAY", "MPPREV",
                             "MPRECORD", "MPSTEP", "MPSTOP"}) {
      EXPECT_TRUE(std::binary_search(live.begin(), live.end(), std::string(state) + name))
          << state << name;
    }
  }
  TMediaPlayer fresh(nullptr);
  EXPECT_FALSE(fresh.HandleAllocated()) << "the window is made on first use";
  // A bitmap that cannot be loaded fails the creation without leaks.
  machine.FailNext("LoadBitmapA", 0, 5);
  EXPECT_THROW(TMediaPlayer broken(nullptr), vcl::EResNotFound);
  EXPECT_EQ(emu::LiveBitmaps(machine).size(), 54u) << "only the two players' own";
}

// A click runs OnClick, the action, OnPostClick, then the auto rule by what the action did (a Next
// that plays enables as a play does); OnClick can stop the action but not the rule; the end of a
// play enables Play again.
TEST_F(ButtonBar, AClickRunsOnClickTheActionOnPostClickAndTheAutoRule) {
  const TButtonSet playing{btPause, btStop, btNext, btPrev, btEject};
  const TButtonSet stopped{btPlay, btNext, btPrev, btEject};
  OpenPlayer();
  Click(btPlay);
  EXPECT_EQ(events, (std::vector<std::string>{"click 0", "post 0"}));
  EXPECT_EQ(Described(true), "status 102 item 2, status 102 item 1, play 1");
  EXPECT_EQ(player->AutoEnabledButtons(), playing);

  events.clear();
  Click(btStop);
  EXPECT_EQ(events, (std::vector<std::string>{"click 2", "post 2"}));
  EXPECT_EQ(Described(true), "stop 2");
  EXPECT_EQ(player->AutoEnabledButtons(), stopped);
  EXPECT_EQ(player->FocusedButton(), btStop) << "the pressed button takes the focus";

  PlayFrom(Tmsf(2));
  Click(btNext);
  EXPECT_EQ(Sent().back().command, static_cast<UINT>(MCI_PLAY));
  EXPECT_EQ(player->AutoEnabledButtons(), playing);
  player->Stop();
  Click(btPrev);
  EXPECT_EQ(Sent().back().command, static_cast<UINT>(MCI_SEEK));
  EXPECT_EQ(player->AutoEnabledButtons(), stopped);

  events.clear();
  allowDefault = false;
  Click(btPlay);
  EXPECT_EQ(events, (std::vector<std::string>{"click 0"}));
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(player->AutoEnabledButtons(), playing);

  allowDefault = true;
  player->SetStartPos(Tmsf(5, 2, 59));
  Click(btPlay);
  ASSERT_EQ(player->AutoEnabledButtons(), playing);
  machine.Advance(1000);
  Deliver();
  EXPECT_EQ(player->AutoEnabledButtons(), stopped);
  player->Close();
  EXPECT_EQ(player->AutoEnabledButtons(), TButtonSet{});
}

TEST_F(ButtonBar, AfterAFailedMouseClickTheRuleWaitsButAKeyAppliesIt) {
  OpenPlayer();
  Click(btEject);
  ASSERT_EQ(player->Mode(), mpOpen);
  Click(btPlay);  // the door is open: the play fails
  ASSERT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPlay, btNext, btPrev, btEject}));
  Key(VK_SPACE);  // the focus is on btPlay now
  EXPECT_EQ(player->Error(), static_cast<MCIERROR>(MCIERR_DEVICE_NOT_READY));
  EXPECT_EQ(player->AutoEnabledButtons(), (TButtonSet{btPause, btStop, btNext, btPrev, btEject}));
}

TEST_F(ButtonBar, OnlyAUsableButtonTakesAPressAndOnlyAReleaseOnItClicks) {
  // Closed, with AutoEnable: nothing is auto-enabled, so nothing takes a press.
  Press(btPlay);
  EXPECT_EQ(emu::CaptureWindow(machine), nullptr);
  Release(Centre(btPlay).x, Centre(btPlay).y);
  EXPECT_TRUE(events.empty());

  OpenPlayer();
  Press(btPause);  // not auto-enabled while stopped
  EXPECT_EQ(emu::CaptureWindow(machine), nullptr);

  Press(btPlay);
  EXPECT_EQ(emu::CaptureWindow(machine), player->Handle());
  Release(-40, 5);  // outside the bar
  EXPECT_EQ(emu::CaptureWindow(machine), nullptr);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(Sent().empty());

  // Out and back in again before the release still clicks.
  Press(btPlay);
  SendMessageA(player->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(300, 5));
  SendMessageA(player->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(Centre(btPlay).x, 5));
  Release(Centre(btPlay).x, 5);
  EXPECT_EQ(events, (std::vector<std::string>{"click 0", "post 0"}));

  // Without AutoEnable the enabled flags decide.
  events.clear();
  player->SetAutoEnable(false);
  player->SetEnabledButtons({btStop});
  Click(btPlay);
  EXPECT_TRUE(events.empty());
  Click(btStop);
  EXPECT_EQ(events, (std::vector<std::string>{"click 2", "post 2"}));

  // A press beside the last visible button falls on none.
  events.clear();
  player->SetVisibleButtons({btPlay, btStop});
  SendMessageA(player->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(player->Width() + 50, 5));
  EXPECT_EQ(emu::CaptureWindow(machine), nullptr);
}

TEST_F(ButtonBar, AFailingActionIsShownByTheApplicationAndTheBarGoesOn) {
  player->SetAutoEnable(false);  // closed, yet every button is enabled
  Click(btStop);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], std::string("MCI ﾃﾞﾊﾞｲｽがありません") + ".");
  EXPECT_EQ(events, (std::vector<std::string>{"click 2"}));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(ButtonBar, ArrowKeysWalkTheVisibleButtonsAndSpaceClicksAnEnabledOne) {
  EXPECT_EQ(SendMessageA(player->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  player->SetVisibleButtons({btPlay, btStop, btPrev, btEject});
  // Never past btPlay or btEject.
  const std::pair<WORD, TMPBtnType> kSteps[] = {{VK_LEFT, btPlay},   {VK_RIGHT, btStop},
                                                {VK_RIGHT, btPrev},  {VK_RIGHT, btEject},
                                                {VK_RIGHT, btEject}, {VK_LEFT, btPrev}};
  for (int i = 0; const auto& [key, focused] : kSteps) {
    Key(key);
    EXPECT_EQ(player->FocusedButton(), focused) << "step " << i++;
  }

  OpenPlayer();
  Key(VK_SPACE);
  EXPECT_EQ(events, (std::vector<std::string>{"click 4", "post 4"}));
  EXPECT_EQ(Sent().back().command, static_cast<UINT>(MCI_SEEK));

  // Space asks for the enabled flag, whatever the device's state enables.
  events.clear();
  player->SetEnabledButtons({btPlay});
  Key(VK_SPACE);
  EXPECT_TRUE(events.empty());
}

TEST_F(ButtonBar, ThePictureShowsWhichButtonsAreUsable) {
  EXPECT_EQ(PaintedBitmaps(),
            "DI_MPPLAY DI_MPPAUSE DI_MPSTOP DI_MPNEXT DI_MPPREV DI_MPSTEP DI_MPBACK DI_MPRECORD "
            "DI_MPEJECT")
      << "closed: nothing is auto-enabled";
  OpenPlayer();
  EXPECT_EQ(PaintedBitmaps(),
            "CL_MPPLAY DI_MPPAUSE DI_MPSTOP CL_MPNEXT CL_MPPREV DI_MPSTEP DI_MPBACK DI_MPRECORD "
            "CL_MPEJECT");
  player->SetColoredButtons({btNext});
  player->SetVisibleButtons({btPlay, btNext, btEject});
  EXPECT_EQ(PaintedBitmaps(), "EN_MPPLAY CL_MPNEXT EN_MPEJECT");
  player->SetAutoEnable(false);
  player->SetEnabledButtons({btEject});
  EXPECT_EQ(PaintedBitmaps(), "DI_MPPLAY DI_MPNEXT EN_MPEJECT");

  // A held button looks pressed; the focused one carries the focus frame once focused.
  player->SetAutoEnable(true);
  Press(btNext);
  SendMessageA(player->Handle(), WM_SETFOCUS, 0, 0);
  SendMessageA(player->Handle(), WM_PAINT, 0, 0);
  int sunken = 0;
  int focus = 0;
  for (const auto& op : emu::LastPaint(machine, player->Handle())) {
    if (op.kind == emu::PaintOp::Kind::Edge && op.edge == EDGE_SUNKEN) {
      ++sunken;
      EXPECT_EQ(op.rect.left, player->ButtonRect(btNext).left);
    }
    if (op.kind == emu::PaintOp::Kind::Focus) ++focus;
  }
  EXPECT_EQ(sunken, 1);
  EXPECT_EQ(focus, 1);
  EXPECT_GT(emu::Invalidations(machine, player->Handle()), 0);
}

// --- The component in a form definition ---------------------------------------------------------

class TPlayerForm : public vcl::TForm {
 public:
  explicit TPlayerForm(std::string_view definition) : vcl::TForm(nullptr) {
    RegisterMPlayerClasses();
    static bool registered = false;
    if (!registered) {
      registered = true;
      vcl::TClassRegistry::Instance().Register(
          vcl::TClassInfo{"TPlayerForm", "TForm", nullptr, {}});
    }
    RegisterMethod("MediaPlayerNotify", [this](vcl::TObject*) { ++notifies; });
    ReadDefinition(definition);
  }
  std::string ClassName() const override { return "TPlayerForm"; }
  TMediaPlayer* Player() { return dynamic_cast<TMediaPlayer*>(FindComponent("MediaPlayer")); }
  int notifies = 0;
};

TEST_F(PlayerTest, TheFormsStoredPropertiesConfigureThePlayer) {
  TPlayerForm form(R"(object PropertyForm: TPlayerForm
  object MediaPlayer: TMediaPlayer
    Left = 8
    Top = 200
    DeviceType = dtCDAudio
    VisibleButtons = []
    Visible = False
    TabOrder = 3
    OnNotify = MediaPlayerNotify
  end
end)");
  TMediaPlayer* mp = form.Player();
  ASSERT_NE(mp, nullptr);
  EXPECT_EQ(mp->DeviceType(), dtCDAudio);
  EXPECT_EQ(mp->VisibleButtons(), TButtonSet{});
  EXPECT_FALSE(mp->Visible());
  EXPECT_FALSE(mp->AutoOpen());
  EXPECT_FALSE(mp->Shareable());
  EXPECT_TRUE(Sent().empty()) << "the form opens the device itself";

  mp->SetFileName("D:");
  mp->Open();
  // The player's window is a hidden child of the form's window.
  const auto window = machine.Window(mp->Handle());
  ASSERT_TRUE(window);
  EXPECT_EQ(window->parent, form.Handle());
  EXPECT_FALSE(window->visible);
  PostMessageA(mp->Handle(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, mp->DeviceID());
  Deliver();
  EXPECT_EQ(form.notifies, 1);
}

TEST_F(PlayerTest, AutoOpenOpensOnceLoadedAndAFailureReachesTheReader) {
  {
    TPlayerForm form(R"(object PropertyForm: TPlayerForm
  object MediaPlayer: TMediaPlayer
    DeviceType = dtCDAudio
    FileName = 'D:'
    AutoOpen = True
    Shareable = True
  end
end)");
    ASSERT_NE(form.Player(), nullptr);
    EXPECT_NE(form.Player()->DeviceID(), 0u);
    EXPECT_EQ(Sent()[0].flags, 0x2302u);
  }
  EXPECT_THROW(TPlayerForm(R"(object PropertyForm: TPlayerForm
  object MediaPlayer: TMediaPlayer
    DeviceType = dtWaveAudio
    AutoOpen = True
  end
end)"),
               EMCIDeviceError);
  EXPECT_THROW(TPlayerForm("object PropertyForm: TPlayerForm\n"
                           "  object MediaPlayer: TMediaPlayer\n"
                           "    DeviceType = dtGramophone\n  end\nend"),
               vcl::EReadError);
  EXPECT_THROW(TPlayerForm("object PropertyForm: TPlayerForm\n"
                           "  object MediaPlayer: TMediaPlayer\n"
                           "    EnabledButtons = [btPlay, btRewind]\n  end\nend"),
               vcl::EReadError);
}

TEST_F(PlayerTest, ADisplayControlThatGoesAwayIsForgotten) {
  TPlayerForm form(R"(object PropertyForm: TPlayerForm
  object Screen: TPanel
  end
  object MediaPlayer: TMediaPlayer
    Display = Screen
  end
end)");
  auto* screen = dynamic_cast<vcl::TPanel*>(form.FindComponent("Screen"));
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(form.Player()->Display(), screen);
  vcl::TComponent::Free(screen);
  EXPECT_EQ(form.Player()->Display(), nullptr);

  // Kept while closed too: a display stored before any open must not be left dangling.
  auto* other = new vcl::TPanel(&form);
  player->SetDisplay(other);
  vcl::TComponent::Free(other);
  EXPECT_EQ(player->Display(), nullptr);
}

}  // namespace
