// The emulated shell and menus: the notification area and its failures, the mouse reports, the
// Explorer restart, popup menus answered by the machine's user, and code page 932 to UTF-16.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "platform/win32.h"
#include "recorder.h"

namespace {

using emu_testing::kIconCallback;
using emu_testing::MakeWindow;
using emu_testing::seen;

NOTIFYICONDATAA Data(HWND window, UINT id, UINT flags, HICON icon, const char* tip) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = flags;
  data.uCallbackMessage = kIconCallback;
  data.hIcon = icon;
  std::strcpy(data.szTip, tip);
  return data;
}

HICON Icon(const char* name) {
  return LoadIconA(GetModuleHandleA(nullptr), name);
}

class Shell : public ::testing::Test {
 protected:
  emu::Machine machine;
  void SetUp() override { seen.clear(); }

  // The notification area as "ID IMAGE TIP" per icon, "+message" when it reports to its window.
  std::string Area() {
    std::string out;
    for (const auto& icon : emu::TrayIcons(machine)) {
      out += (out.empty() ? "" : ", ") + std::to_string(icon.id) + " " + icon.image + " " +
             icon.tip + (icon.hasMessage ? " +message" : "");
    }
    return out;
  }
};

TEST_F(Shell, AddModifyDeleteKeepTheAreaByWindowAndId) {
  HWND w = MakeWindow();
  auto add = Data(w, 1, NIF_MESSAGE | NIF_ICON | NIF_TIP, Icon("ZCD"), "Orvanta");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &add));
  auto other = Data(w, 2, NIF_ICON, Icon("NoCD"), "ignored without NIF_TIP");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &other));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &add)) << "the same window and ID twice";
  EXPECT_EQ(Area(), "1 ZCD Orvanta +message, 2 NOCD ");

  // A modify changes only what its flags name: without NIF_TIP the old tip stays.
  auto modify = Data(w, 1, NIF_MESSAGE | NIF_ICON, Icon("PLAY"), "");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &modify));
  EXPECT_EQ(Area(), "1 PLAY Orvanta +message, 2 NOCD ");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &modify));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &modify)) << "deleting what is not there";
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &modify)) << "modifying what is not there";
  EXPECT_EQ(Area(), "2 NOCD ");

  // Each call as message, size (the first version's), flags, image and whether it succeeded.
  std::string trace;
  for (const auto& call : emu::ShellTrace(machine)) {
    trace += std::to_string(call.message) + " " + std::to_string(call.size) + " " +
             std::to_string(call.flags) + " " + call.image + (call.succeeded ? "; " : " failed; ");
  }
  const std::string size = sizeof(void*) == 8 ? " 104 " : " 88 ";
  EXPECT_EQ(trace, "0" + size + "7 ZCD; 0" + size + "2 NOCD; 0" + size + "7 ZCD failed; 1" + size +
                       "3 PLAY; 2" + size + "3 PLAY; 2" + size + "3 PLAY failed; 1" + size +
                       "3 PLAY failed; ");

  // The first version reads at most 63 tip bytes; a shorter record is refused.
  auto longTip = Data(w, 3, NIF_TIP, nullptr, "");
  std::memset(longTip.szTip, 'x', 100);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &longTip));
  EXPECT_EQ(emu::TrayIcons(machine).back().tip, std::string(63, 'x'));
  longTip.cbSize = 8;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &longTip));
}

TEST_F(Shell, FailuresAStoppedExplorerAndTheRestartsBroadcastToTopLevelWindows) {
  HWND top = MakeWindow();
  MakeWindow(WS_CHILD, top);
  auto data = Data(top, 1, NIF_ICON, Icon("ZCD"), "");
  machine.FailNext("Shell_NotifyIconA");
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));

  emu::StopExplorer(machine);
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
  emu::StartExplorer(machine);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  UINT created = RegisterWindowMessageA("TaskbarCreated");
  EXPECT_EQ(RegisterWindowMessageA("taskbarcreated"), created) << "names are case-insensitive";
  EXPECT_GE(created, 0xC000u);
  EXPECT_NE(RegisterWindowMessageA("Other"), created);
  // The windows are this thread's, so each broadcast reached the top-level one at once.
  EXPECT_EQ(seen, std::vector<std::string>{"registered"});
  emu::RestartExplorer(machine);
  EXPECT_TRUE(emu::TrayIcons(machine).empty()) << "a restarted shell has forgotten every icon";
  EXPECT_EQ(seen, (std::vector<std::string>{"registered", "registered"}));
}

TEST_F(Shell, MouseReportsReachAProgramAsSentMessagesBeforePostedOnes) {
  HWND window = nullptr;
  int pid = machine.StartProcess([&] {
    window = MakeWindow();
    auto data = Data(window, 7, NIF_MESSAGE | NIF_ICON, Icon("ZCD"), "");
    Shell_NotifyIconA(NIM_ADD, &data);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return 0;
  });
  auto icon = emu::TrayIcons(machine).at(0);
  emu::SetCursorPos(machine, POINT{1, 2});
  // While the program is busy (here: asleep), a message is posted and then the shell reports a
  // press: the report is taken first.
  machine.RunInProcess(pid, [] { Sleep(10); });
  PostMessageA(window, WM_USER + 1, 0, 0);
  ASSERT_TRUE(emu::PressTrayIcon(machine, icon, emu::TrayButton::Right));
  EXPECT_TRUE(seen.empty()) << "the sender does not wait";
  machine.Advance(10);
  EXPECT_EQ(seen, (std::vector<std::string>{"icon 7:516", "posted 1"}));
  EXPECT_EQ(std::pair(emu::CursorPos(machine).x, emu::CursorPos(machine).y),
            std::pair(icon.at.x, icon.at.y))
      << "the hand moved onto the icon";

  seen.clear();
  ASSERT_TRUE(emu::DoubleClickTrayIcon(machine, icon));
  EXPECT_EQ(seen,
            (std::vector<std::string>{"icon 7:513", "icon 7:514", "icon 7:515", "icon 7:514"}));
  seen.clear();
  ASSERT_TRUE(emu::ClickTrayIcon(machine, icon, emu::TrayButton::Middle));
  ASSERT_TRUE(emu::MoveOverTrayIcon(machine, icon));
  EXPECT_EQ(seen, (std::vector<std::string>{"icon 7:519", "icon 7:520", "icon 7:512"}));
}

TEST_F(Shell, IconOfAnEndedProgramVanishesWhenTheMouseReachesIt) {
  machine.StartProcess([&] {
    HWND window = MakeWindow();
    auto data = Data(window, 1, NIF_MESSAGE | NIF_ICON, Icon("ZCD"), "");
    Shell_NotifyIconA(NIM_ADD, &data);
    return 0;  // ends without deleting its icon
  });
  machine.EndAllProcesses();
  auto icons = emu::TrayIcons(machine);
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_FALSE(emu::MoveOverTrayIcon(machine, icons[0]));
  EXPECT_TRUE(emu::TrayIcons(machine).empty());
}

// A program that shows one popup menu from its message loop and records what came of it.
class Menus : public Shell {
 protected:
  HWND owner = nullptr;
  int pid = 0;
  BOOL returned = -1;

  // The program uses this fixture's members: it ends before they go.
  void TearDown() override { machine.EndAllProcesses(); }

  void StartWithMenu(UINT flags) {
    pid = machine.StartProcess([this, flags] {
      owner = MakeWindow();
      HMENU menu = CreatePopupMenu();
      AppendMenuA(menu, MF_STRING, 10, "Play");
      AppendMenuA(menu, MF_STRING | MF_GRAYED, 11, "Pause");
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      const WCHAR repeat[] = {0x5168, 0x66F2, '(', '&', 'A', ')', 0};  // 全曲(&A)
      AppendMenuW(menu, MF_STRING | MF_CHECKED, 12, repeat);
      returned = TrackPopupMenu(menu, flags, 30, 40, 0, owner, nullptr);
      DestroyMenu(menu);
      seen.push_back("returned " + std::to_string(returned));
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
      return 0;
    });
  }
};

TEST_F(Menus, OpenMenuShowsItsItemsAndKeepsTheThreadsMessagesFlowing) {
  StartWithMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON);
  auto open = emu::OpenPopupMenu(machine);
  ASSERT_TRUE(open);
  EXPECT_EQ(open->owner, owner);
  EXPECT_EQ(std::pair(open->at.x, open->at.y), (std::pair<LONG, LONG>(30, 40)));
  // Each item as its text, "-" when disabled, "*" when checked, "|" a separator; a wide caption
  // reads back in code page 932.
  std::string items;
  for (const auto& item : open->items) {
    items += (item.Separator() ? "|" : item.text) + (item.Enabled() ? "" : "-") +
             (item.Checked() ? "*" : "") + " ";
  }
  EXPECT_EQ(items, "Play Pause- | 全曲(&A)* ");

  machine.RunInProcess(pid, [&] { PostMessageA(owner, WM_USER + 3, 0, 0); });
  EXPECT_EQ(seen, std::vector<std::string>{"posted 3"}) << "dispatched inside the menu's loop";
  EXPECT_TRUE(emu::OpenPopupMenu(machine));

  // A press on an icon closes the open menu first.
  machine.RunInProcess(pid, [&] {
    auto data = Data(owner, 1, NIF_MESSAGE | NIF_ICON, Icon("ZCD"), "");
    Shell_NotifyIconA(NIM_ADD, &data);
  });
  ASSERT_TRUE(emu::PressTrayIcon(machine, emu::TrayIcons(machine).at(0), emu::TrayButton::Left));
  EXPECT_EQ(seen, (std::vector<std::string>{"posted 3", "returned 1", "icon 1:513"}));
}

TEST_F(Menus, AChoiceIsPostedAfterTheCallReturnsUnlessItIsReturned) {
  StartWithMenu(TPM_LEFTALIGN);
  EXPECT_FALSE(emu::ChoosePopupMenuItem(machine, 11)) << "a disabled item cannot be chosen";
  EXPECT_FALSE(emu::ChoosePopupMenuItem(machine, 0)) << "nor a separator";
  EXPECT_FALSE(emu::ChoosePopupMenuItem(machine, 99));
  machine.EndAllProcesses();
  const struct {
    UINT flags;
    UINT choice;  // 0: dismissed
    std::vector<std::string> seen;
  } kRows[] = {
      {TPM_LEFTALIGN, 10, {"returned 1", "command 10"}},
      {TPM_RETURNCMD, 12, {"returned 12"}},
      {TPM_RETURNCMD, 0, {"returned 0"}},
      {0, 0, {"returned 1"}},
  };
  for (const auto& row : kRows) {
    seen.clear();
    StartWithMenu(row.flags);
    ASSERT_TRUE(emu::OpenPopupMenu(machine));
    EXPECT_TRUE(row.choice ? emu::ChoosePopupMenuItem(machine, row.choice)
                           : emu::DismissPopupMenu(machine));
    EXPECT_FALSE(emu::OpenPopupMenu(machine));
    EXPECT_EQ(seen, row.seen) << "flags " << row.flags << " choice " << row.choice;
    EXPECT_FALSE(emu::DismissPopupMenu(machine)) << "nothing is open any more";
    machine.EndAllProcesses();
  }
}

TEST_F(Menus, OnlyOneMenuAtATimeAndQuitEndsTheMenu) {
  StartWithMenu(0);
  BOOL second = -1;
  DWORD error = 0;
  machine.RunInProcess(pid, [&] {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "x");
    second = TrackPopupMenu(menu, 0, 0, 0, 0, owner, nullptr);
    error = GetLastError();
    DestroyMenu(menu);
  });
  EXPECT_FALSE(second);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));
  machine.EndAllProcesses();
  EXPECT_EQ(seen, std::vector<std::string>{"returned 1"}) << "the quit reached the program's loop";
  EXPECT_FALSE(machine.Process(pid).running);
}

TEST_F(Menus, BadHandlesFailAndAnswererServesTheTestsOwnThread) {
  HWND w = MakeWindow();
  HMENU menu = CreatePopupMenu();
  EXPECT_FALSE(TrackPopupMenu(menu, 0, 0, 0, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  ASSERT_TRUE(DestroyMenu(menu));
  EXPECT_FALSE(DestroyMenu(menu));
  EXPECT_FALSE(AppendMenuA(menu, MF_STRING, 1, "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE));

  menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 5, "Five");
  AppendMenuA(menu, MF_STRING | MF_GRAYED, 6, "Six");
  std::vector<UINT> answers{6, 5};
  emu::SetPopupMenuAnswerer(machine, [&](const emu::PopupMenuInfo& info) {
    EXPECT_EQ(info.items.size(), 2u);
    UINT answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  });
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, w, nullptr), 0)
      << "a disabled item's answer counts as no choice";
  EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, w, nullptr), 5);
  DestroyMenu(menu);
}

TEST_F(Shell, CursorForegroundAndDoubleClickTime) {
  HWND w = MakeWindow();
  emu::SetCursorPos(machine, POINT{3, 4});
  POINT p{};
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(std::pair(p.x, p.y), (std::pair<LONG, LONG>(3, 4)));
  EXPECT_TRUE(SetForegroundWindow(w));
  EXPECT_EQ(GetForegroundWindow(), w);
  EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(0x4)));
  DestroyWindow(w);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  emu::SetDoubleClickTime(machine, 300);
  EXPECT_EQ(GetDoubleClickTime(), 300u);
}

TEST_F(Shell, MultiByteToWideCharConvertsCodePage932) {
  const char text[] = "ｼｬｯﾄ再生";
  WCHAR wide[16] = {};
  EXPECT_EQ(MultiByteToWideChar(932, 0, text, -1, nullptr, 0), 7) << "with the zero";
  ASSERT_EQ(MultiByteToWideChar(932, 0, text, -1, wide, 16), 7);
  const WCHAR expected[] = {0xFF7C, 0xFF6C, 0xFF6F, 0xFF84, 0x518D, 0x751F, 0};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(wide[i], expected[i]) << i;
  EXPECT_EQ(MultiByteToWideChar(932, 0, text, 4, wide, 16), 4) << "half-width kana are one byte";
  EXPECT_EQ(MultiByteToWideChar(932, 0, text, -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(437, 0, text, -1, wide, 16), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace

namespace {

// A program whose icon reports open a box, shown on top of a box of its own.
LRESULT CALLBACK BoxOnReport(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kIconCallback) return DefWindowProcA(window, message, wParam, lParam);
  seen.push_back("inner " + std::to_string(MessageBoxA(window, "inner", "", MB_OKCANCEL)));
  return 0;
}

int ProgramInTwoBoxes() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = BoxOnReport;
  wc.lpszClassName = "BoxOnReport";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "BoxOnReport", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                nullptr, nullptr);
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE;
  data.uCallbackMessage = kIconCallback;
  Shell_NotifyIconA(NIM_ADD, &data);
  seen.push_back("outer " + std::to_string(MessageBoxA(window, "outer", "", MB_OK)));
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
  seen.push_back("quit " + std::to_string(msg.wParam));
  return 5;
}

}  // namespace

// The second box opens inside a report the shell sent while the first one waited. Asked to end,
// each box's loop ends on the quit and posts it again for the loop around it, as on Windows, so
// the program leaves both and its own loop.
TEST_F(Shell, NestedBoxesEndOnTheQuitAndTheProgramEndsWhenAsked) {
  const int pid = machine.StartProcess(ProgramInTwoBoxes);
  ASSERT_TRUE(emu::PressTrayIcon(machine, emu::TrayIcons(machine).at(0), emu::TrayButton::Left));
  ASSERT_EQ(machine.OpenBoxes().size(), 2u);
  EXPECT_EQ(machine.EndAllProcesses(), std::vector<int>{});
  EXPECT_EQ(seen, (std::vector<std::string>{"inner 2", "outer 1", "quit 0"}));
  EXPECT_EQ(machine.Process(pid).exitCode, 5);
  EXPECT_TRUE(machine.OpenBoxes().empty());
}

// A program that will not end is ended from outside after the machine's end limit: the caller
// learns which, the program's exit code says it was ended, and the machine goes on and goes
// away cleanly.
TEST(EndOfPrograms, AProgramThatWillNotEndIsEndedAndNamed) {
  emu::MachineOptions options;
  options.endLimitMs = 50;
  emu::Machine machine(options);
  static int quits;
  quits = 0;
  const int stubborn = machine.StartProcess([] {
    MSG msg;
    for (;;) {
      if (!GetMessageA(&msg, nullptr, 0, 0)) ++quits;
    }
    return 0;
  });
  const int willing = machine.StartProcess([] {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
    return 2;
  });
  EXPECT_EQ(machine.EndAllProcesses(), std::vector<int>{stubborn});
  EXPECT_EQ(quits, 1) << "it was asked";
  EXPECT_FALSE(machine.Process(stubborn).running);
  EXPECT_EQ(machine.Process(stubborn).exitCode, emu::Machine::kTerminatedExitCode);
  EXPECT_EQ(machine.Process(willing).exitCode, 2);
  EXPECT_EQ(machine.EndAllProcesses(), std::vector<int>{}) << "nothing is left running";
}
