// The application: message loop, hook, termination and the top-level error display.
#include <gtest/gtest.h>

#include "ApplicationFixture.h"
#include "toolkit/SysUtils.h"

namespace {

using ApplicationTest = toolkit_test::ApplicationFixture;

TEST_F(ApplicationTest, ErrorDisplayAndGuardedAppendAFullStopOnlyAfterCharactersThatSortAfterIt) {
  struct Case {
    std::string message, shown;
  } cases[] = {{"Disc error", "Disc error."},
               {"Done.", "Done."},
               {"(see above)", "(see above)"},
               {"Error 42", "Error 42."},
               {"", ""},
               {"C:\\x.ini に書き込めません", "C:\\x.ini に書き込めません."},
               {"a,", "a,"}};
  for (const auto& c : cases) application->ShowException(c.message);
  const std::vector<emu::BoxInfo> boxes = machine.BoxLog();
  ASSERT_EQ(boxes.size(), std::size(cases));
  for (size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].text, cases[i].shown);
    EXPECT_EQ(boxes[i].caption, "OrvantaBrevo");
    EXPECT_EQ(boxes[i].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  }
  // Guarded shows any error that way and returns.
  shown.clear();
  vcl::Guarded([] { throw vcl::EOutOfMemory("no room"); });
  vcl::Guarded([] { throw std::runtime_error("plain"); });
  EXPECT_EQ(shown, (std::vector<std::string>{"no room.", "plain."}));
}

TEST_F(ApplicationTest, HookSeesMessagesBeforeDispatchAndMayStopThem) {
  std::vector<UINT> seen;
  application->OnMessage = [&](MSG& msg, bool& handled) {
    seen.push_back(msg.message);
    if (msg.message == WM_USER + 2) handled = true;
    if (msg.message == WM_USER + 3) throw vcl::Exception("hook failed");
  };
  PostMessageA(application->Handle(), WM_USER + 1, 0, 0);
  PostMessageA(application->Handle(), WM_USER + 2, 0, 0);
  PostMessageA(application->Handle(), WM_USER + 3, 0, 0);
  application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "hook failed.");
}

TEST_F(ApplicationTest, TerminateEndsTheLoopAfterTheCurrentMessages) {
  int handled = 0;
  application->OnMessage = [&](MSG& msg, bool&) {
    if (msg.message == WM_USER) ++handled;
  };
  PostMessageA(application->Handle(), WM_USER, 0, 0);
  application->Terminate();
  PostMessageA(application->Handle(), WM_USER, 0, 0);
  application->Run();
  EXPECT_TRUE(application->Terminated());
  EXPECT_EQ(handled, 2) << "messages posted before the quit are still handled";
}

TEST_F(ApplicationTest, ClosingTheMainFormTerminates) {
  auto* form = application->CreateForm<vcl::TForm>();
  auto* other = application->CreateForm<vcl::TForm>();
  EXPECT_EQ(application->MainForm(), form);
  other->Show();
  other->Close();
  EXPECT_FALSE(other->Visible());
  application->ProcessMessages();
  EXPECT_FALSE(application->Terminated());
  form->Close();
  application->ProcessMessages();
  EXPECT_TRUE(application->Terminated());
}

TEST_F(ApplicationTest, FailingCreateHandlerIsShownAndTheFormIsMadeAllTheSame) {
  struct TFailing : vcl::TForm {
    explicit TFailing(vcl::TComponent* owner) : vcl::TForm(owner) {
      OnCreate = [](vcl::TObject*) { throw vcl::Exception("half made"); };
    }
  };
  auto* form = application->CreateForm<TFailing>();
  EXPECT_EQ(application->MainForm(), form);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "half made.");
}

}  // namespace

namespace {

// A loop inside another (here: ProcessMessages inside a handler run by a box's loop) that takes
// the quit leaves it for the loop around it: that loop must end as well.
TEST_F(ApplicationTest, ProcessMessagesThatTakesTheQuitLeavesItForTheLoopAround) {
  int after = 0;
  application->OnMessage = [&](MSG& msg, bool&) {
    if (msg.message == WM_USER) ++after;
  };
  PostQuitMessage(4);
  PostMessageA(application->Handle(), WM_USER, 0, 0);
  application->ProcessMessages();
  EXPECT_TRUE(application->Terminated());
  EXPECT_EQ(after, 1) << "what came before the quit is handled";
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 4u);
}

}  // namespace
