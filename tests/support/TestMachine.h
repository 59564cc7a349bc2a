// A fresh emulated machine for a test, with helpers to start the program and read its files.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "app/Program.h"
#include "platform/emu/machine.h"

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
  void InsertAudioDisc(char letter, DWORD serial) {
    InsertMedium(letter, emu::VolumeAnswer{"Audio CD", serial, "CDFS", 221, FILE_READ_ONLY_VOLUME});
  }
};

}  // namespace testing_support

#include "form/MainUnit.h"
#include "toolkit/Forms.h"

namespace testing_support {

// The running program's form. Only to be used while the machine is settled, or inside RunInProcess.
inline TPropertyForm* Form() {
  return vcl::Application ? dynamic_cast<TPropertyForm*>(vcl::Application->MainForm()) : nullptr;
}

}  // namespace testing_support
