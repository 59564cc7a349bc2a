// The player's scenarios: the console's fixture with the answers they read most.
#pragma once

#include <optional>
#include <string>

#include "CodePage.h"
#include "platform/emu/mci_control.h"
#include "platform/emu/tray_control.h"
#include "support/ConsoleScenario.h"

namespace player_test {

class PlayerScenario : public testing_support::ConsoleScenario {
 protected:
  std::string Tray() { return Do("show tray\n"); }
  std::string Device() { return Do("show device\n"); }
  // The player menu's line.
  std::string Menu() {
    std::string menus = Do("show menus\n");
    return menus.substr(0, menus.find('\n') + 1);
  }
  // A left click on the icon opens the player menu once the double-click time has passed.
  void Choose(const std::string& item) {
    ASSERT_EQ(Do("click left\nwait 500\nchoose " + item + "\n"), "") << "choosing " << item;
  }
  int Count(UINT command) {
    int n = 0;
    for (const auto& call : emu::MciTrace(machine_)) n += call.command == command;
    return n;
  }
  // The native menu `clicks` opens, then dismissed: captions, "-" for a separator, "(off)" when
  // greyed, each followed by " | ".
  std::string NativeMenu(const std::string& clicks) {
    EXPECT_EQ(Do(clicks), "");
    std::optional<emu::PopupMenuInfo> menu = emu::OpenPopupMenu(machine_);
    if (!menu) return "no menu";
    std::string items;
    for (const emu::MenuItemInfo& item : menu->items) {
      items +=
          item.Separator() ? "-" : sim::FromCodePage(item.text) + (item.Enabled() ? "" : "(off)");
      items += " | ";
    }
    Do("dismiss\n");
    return items;
  }
};

// Three audio tracks of 10, 8 and 5 seconds: short enough to play to the end.
inline const char* kThreeTracks = "audio:0:10 audio:0:08 audio:0:05";
inline const char* kAllOn =
    "LBPopupMenu: Play[on] Stop[on] Pause[off] Next[on] Previous[on] All_Repeat[on,unchecked] "
    "Eject[on]\n";
inline const char* kAllOff =
    "LBPopupMenu: Play[off] Stop[off] Pause[off] Next[off] Previous[off] "
    "All_Repeat[off,unchecked] Eject[on]\n";

}  // namespace player_test
