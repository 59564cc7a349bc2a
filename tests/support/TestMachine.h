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
  // A playable audio disc of two tracks whose volume serial (and media identity) is `serial`:
  // track 2 starts at a whole minute m, so the identifier is 0x200 + (m << 16) + the frames from
  // track 1 to the lead-out. Serials that no such disc has are refused.
  void InsertAudioDisc(char letter, DWORD serial) {
    constexpr uint32_t kMinute = cdaudio::kFramesPerMinute;
    for (uint32_t m = 99; m >= 1; --m) {
      const uint64_t rest = uint64_t{serial} - 0x200 - (m << 16) + cdaudio::kFirstTrackStart;
      if (uint64_t{serial} < 0x200 + (m << 16) || rest <= m * kMinute ||
          rest > cdaudio::kMaxLeadOut) {
        continue;
      }
      cdaudio::Disc disc;
      disc.tracks = {{true, m * kMinute - cdaudio::kFirstTrackStart},
                     {true, static_cast<uint32_t>(rest) - m * kMinute}};
      InsertDisc(letter, std::move(disc));
      return;
    }
    throw std::invalid_argument("no two-track audio disc has this serial");
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
