// A media player on the test's own thread, over a CD-ROM drive D: of an emulated machine that
// holds five audio tracks of three minutes each.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mci/MPlayer.h"
#include "platform/emu/machine.h"
#include "platform/emu/mci_control.h"
#include "platform/emu/paint_control.h"
#include "toolkit/Forms.h"

namespace mci_testing {

constexpr DWORD Tmsf(DWORD t, DWORD m = 0, DWORD s = 0, DWORD f = 0) {
  return t | m << 8 | s << 16 | f << 24;
}

constexpr uint32_t kTrackSeconds = 180;

inline cdaudio::Disc FiveTracks() {
  cdaudio::Disc disc;
  for (int t = 0; t < 5; ++t) disc.tracks.push_back({true, kTrackSeconds * 75});
  return disc;
}

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.AddDrive('D', DRIVE_CDROM);
    ASSERT_EQ(emu::InsertDisc(machine, 'D', FiveTracks()), "");
    application = std::make_unique<vcl::TApplication>();
    vcl::Application = application.get();
    machine.SetBoxAnswerer([this](const emu::BoxInfo& box) {
      boxes.push_back(box.text);
      return IDOK;
    });
    player = std::make_unique<TMediaPlayer>(nullptr);
    player->SetDeviceType(dtCDAudio);
    player->SetFileName("D:");
    player->OnNotify = [this](vcl::TObject* sender) {
      EXPECT_EQ(sender, player.get());
      notified.push_back(player->NotifyValue());
      if (onNotify) onNotify();
    };
  }
  void TearDown() override {
    player.reset();
    application.reset();
    vcl::Application = nullptr;
  }

  // The MCI commands sent since the last call.
  std::vector<emu::MciCall> Sent() {
    std::vector<emu::MciCall> calls = emu::MciTrace(machine);
    emu::ClearMciTrace(machine);
    return calls;
  }
  // Opens the player and forgets what that sent.
  void OpenPlayer() {
    player->Open();
    Sent();
  }
  // Delivers what was posted to the test thread's windows (completions above all).
  void Deliver() { application->ProcessMessages(); }
  DWORD_PTR Window() { return reinterpret_cast<DWORD_PTR>(player->Handle()); }

  // The message of the EMCIDeviceError `operation` raises; empty when it raises none.
  template <class Operation>
  static std::string RaisedBy(Operation operation) {
    try {
      operation();
    } catch (const EMCIDeviceError& e) {
      return e.Message();
    }
    return "";
  }
  // Puts the head at `tmsf` with the device stopped, behind the player's back.
  void SeekTo(DWORD tmsf) {
    MCI_SEEK_PARMS parms{};
    parms.dwTo = tmsf;
    ASSERT_EQ(mciSendCommandA(player->DeviceID(), MCI_SEEK, MCI_WAIT | MCI_TO,
                              reinterpret_cast<DWORD_PTR>(&parms)),
              0u);
    emu::ClearMciTrace(machine);
  }
  // Starts playing at `tmsf`, behind the player's back and without a completion request.
  void PlayFrom(DWORD tmsf) {
    MCI_PLAY_PARMS parms{};
    parms.dwFrom = tmsf;
    ASSERT_EQ(mciSendCommandA(player->DeviceID(), MCI_PLAY, MCI_FROM,
                              reinterpret_cast<DWORD_PTR>(&parms)),
              0u);
    emu::ClearMciTrace(machine);
  }

  emu::Machine machine;
  std::unique_ptr<vcl::TApplication> application;
  std::unique_ptr<TMediaPlayer> player;
  std::vector<TMPNotifyValue> notified;
  std::function<void()> onNotify;
  std::vector<std::string> boxes;
};

inline std::vector<UINT> Commands(const std::vector<emu::MciCall>& calls) {
  std::vector<UINT> commands;
  for (const auto& call : calls) commands.push_back(call.command);
  return commands;
}

}  // namespace mci_testing
