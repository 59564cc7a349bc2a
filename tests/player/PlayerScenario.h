// The program on the emulated machine, used the way a person does: through the console's words.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "Console.h"
#include "platform/emu/mci_control.h"

namespace player_test {

class PlayerScenario : public ::testing::Test {
 protected:
  ~PlayerScenario() override { console_.Finish(); }

  // Runs console lines; returns what the console answered.
  std::string Do(const std::string& lines) {
    out_.str("");
    std::istringstream in(lines);
    console_.Run(in);
    return out_.str();
  }
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
  // A file of the machine's disk, byte for byte.
  std::string FileBytes(const std::string& windowsPath) const {
    std::ifstream in(machine_.HostPath(windowsPath), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string TitleDatabase() const { return FileBytes(machine_.TitleDatabasePath()); }
  std::string SettingsBytes() const { return FileBytes(machine_.SettingsPath()); }

  emu::Machine machine_;
  std::ostringstream out_;
  sim::Console console_{machine_, out_};
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
