// A fresh emulated machine for a test, with helpers to start the program and read its files.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/Program.h"
#include "platform/emu/machine.h"
#include "platform/emu/mci_control.h"

namespace testing_support {

class TestMachine : public emu::Machine {
 public:
  TestMachine() = default;

  int StartProgram() { return StartProcess(&OrvantaBrevoMain); }

  bool SettingsExist() const { return std::filesystem::exists(HostPath(SettingsPath())); }
  std::string ReadFile(const std::string& windowsPath) const {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string Settings() const { return ReadFile(SettingsPath()); }
  void WriteFile(const std::string& windowsPath, const std::string& text) const {
    std::filesystem::create_directories(HostPath(windowsPath).parent_path());
    std::ofstream(HostPath(windowsPath), std::ios::binary) << text;
  }
  std::string Setting(const char* section, const char* key) {
    char buffer[256];
    // Read through the machine's own profile function, as the program would.
    return std::string(buffer, GetPrivateProfileStringA(section, key, "<missing>", buffer,
                                                        sizeof buffer, SettingsPath().c_str()));
  }
  void AddCdDrive(char letter) { AddDrive(letter, DRIVE_CDROM); }
  // Puts a playable disc into a CD drive (closing the door); raises when the drive refuses it.
  void InsertDisc(char letter, cdaudio::Disc disc) {
    if (std::string why = emu::InsertDisc(*this, letter, std::move(disc)); !why.empty()) {
      throw std::invalid_argument(why);
    }
  }
  // The CD Player database's worked example, volume serial 0xC2C3B: audio tracks of 4:30.47,
  // 3:37.40 and 3:49.63 (minutes:seconds.frames).
  void InsertExampleDisc(char letter) {
    cdaudio::Disc disc;
    disc.tracks = {{true, 270 * 75 + 47}, {true, 217 * 75 + 40}, {true, 229 * 75 + 63}};
    InsertDisc(letter, std::move(disc));
  }
};

}  // namespace testing_support

#include "form/MainUnit.h"
#include "toolkit/Forms.h"

namespace testing_support {

// The running program's form. Only to be used while the machine is settled, or inside RunInProcess.
inline TPropertyForm* Form() {
  vcl::TApplication* application = vcl::Application.InRunningProgram();
  return application ? dynamic_cast<TPropertyForm*>(application->MainForm()) : nullptr;
}

}  // namespace testing_support
