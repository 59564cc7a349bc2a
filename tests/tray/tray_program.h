// A small program on the emulated machine that owns tray icons and two menus, for the tests that
// need its message loop: mouse reports, menus, the single-click wait, the shell's restart.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/emu/machine.h"
#include "platform/emu/tray_control.h"
#include "toolkit/Forms.h"
#include "tray/TrayIcon.h"

namespace tray_testing {

// What the program's handlers saw, in order. Written by the program, read while it is settled.
inline std::vector<std::string> events;

class TTrayTestForm : public vcl::TForm {
 public:
  explicit TTrayTestForm(vcl::TComponent* owner) : vcl::TForm(owner) {
    Left = new vcl::TPopupMenu(this);
    Right = new vcl::TPopupMenu(this);
    AddItem(Left, "Play");
    AddItem(Right, "Exit");
    Tray = NewIcon("ZCD", "Test");
    Tray->SetLBPopupMenu(Left);
    Tray->SetRBPopupMenu(Right);
  }
  std::string ClassName() const override { return "TTrayTestForm"; }

  TTrayIcon* NewIcon(const char* image, const char* tip) {
    auto* icon = new TTrayIcon(this);
    icon->Icon()->LoadFromResourceName(image);
    icon->SetTipHelp(tip);
    icon->SetVisible(true);
    return icon;
  }
  void AddItem(vcl::TPopupMenu* menu, const char* name) {
    auto* item = new vcl::TMenuItem(this);
    item->SetName(name);
    item->SetCaption(name);
    item->OnClick = [name](vcl::TObject*) { events.push_back(std::string("item ") + name); };
    menu->Add(item);
  }

  // Every event of `icon` is recorded, named by `who`.
  static void Record(TTrayIcon* icon, const std::string& who = "") {
    auto mouse = [who](const char* what) {
      return [who, what](vcl::TObject*, TMouseButton button, TShiftState shift, int x, int y) {
        events.push_back(who + what + " " + std::to_string(button) + " " + std::to_string(shift) +
                         " @" + std::to_string(x) + "," + std::to_string(y));
      };
    };
    icon->OnMouseDown = mouse("down");
    icon->OnMouseUp = mouse("up");
    icon->OnMouseMove = [who](vcl::TObject*, TShiftState shift, int x, int y) {
      events.push_back(who + "move " + std::to_string(shift) + " @" + std::to_string(x) + "," +
                       std::to_string(y));
    };
    icon->OnDblClick = [who](vcl::TObject*) { events.push_back(who + "dblclick"); };
  }
  static void RecordClicks(TTrayIcon* icon, const std::string& who = "") {
    icon->OnClick = [who](vcl::TObject* sender) {
      EXPECT_NE(dynamic_cast<TTrayIcon*>(sender), nullptr);
      events.push_back(who + "click");
    };
  }

  TTrayIcon* Tray = nullptr;
  vcl::TPopupMenu* Left = nullptr;
  vcl::TPopupMenu* Right = nullptr;
};

inline TTrayTestForm* form = nullptr;

inline int TrayProgram() {
  vcl::TApplication application;
  vcl::Application = &application;
  application.SetTitle("TrayTest");
  application.SetShowMainForm(false);
  form = application.CreateForm<TTrayTestForm>();
  application.Run();
  form = nullptr;
  vcl::Application = nullptr;
  return 0;
}

class TrayProgramTest : public ::testing::Test {
 protected:
  emu::Machine machine;
  int pid = 0;

  void SetUp() override {
    events.clear();
    pid = machine.StartProcess(&TrayProgram);
    ASSERT_NE(form, nullptr);
  }
  void TearDown() override { machine.EndAllProcesses(); }

  // The user's hand on the program's objects.
  void In(const std::function<void()>& action) { machine.RunInProcess(pid, action); }
  emu::TrayIconInfo Icon(size_t index = 0) { return emu::TrayIcons(machine).at(index); }
  // The shell's report `mouseMessage` about the icon with `id`, handled with the cursor at x, y.
  void Report(LPARAM mouseMessage, int id = 1, POINT at = {11, 22}) {
    emu::SetCursorPos(machine, at);
    In([&] {
      PostMessageA(CallbackWindow()->Handle(), TCallbackWindow::kCallbackMessage,
                   static_cast<WPARAM>(id), mouseMessage);
    });
  }
};

}  // namespace tray_testing
