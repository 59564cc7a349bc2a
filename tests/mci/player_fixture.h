// A media player on the test's own thread, over a CD-ROM drive D: of an emulated machine that
// holds five audio tracks of three minutes each.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
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

// "T.M.S.F", fewer parts meaning zeros.
inline DWORD TmsfOf(const std::string& text) {
  DWORD parts[4] = {};
  std::istringstream in(text);
  std::string part;
  for (int i = 0; i < 4 && std::getline(in, part, '.'); ++i) parts[i] = std::stoul(part);
  return Tmsf(parts[0], parts[1], parts[2], parts[3]);
}

// The same without the zero parts at the end.
inline std::string Dotted(DWORD tmsf) {
  std::string out = std::to_string(tmsf & 0xFF);
  int last = tmsf >> 24 ? 3 : tmsf >> 16 & 0xFF ? 2 : tmsf >> 8 & 0xFF ? 1 : 0;
  for (int i = 1; i <= last; ++i) {
    out += '.';
    out += std::to_string(tmsf >> (8 * i) & 0xFF);
  }
  return out;
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
  // The commands sent since the last call (the status and capability queries only if asked for),
  // each as its name, its flags in hex and what its flags name: a query's item (and track), the
  // positions, the time format; "= N" when it failed with error N. Checks on the way that no query
  // carries MCI_NOTIFY and that the commands that take the markers name the player's window, with
  // or without a request (the time format, the rewind and the window query name none).
  std::string Described(bool queries = false) {
    static const std::map<UINT, const char*> kNames = {
        {MCI_OPEN, "open"},     {MCI_CLOSE, "close"},    {MCI_PLAY, "play"},
        {MCI_STOP, "stop"},     {MCI_SEEK, "seek"},      {MCI_SET, "set"},
        {MCI_WHERE, "where"},   {MCI_PAUSE, "pause"},    {MCI_RESUME, "resume"},
        {MCI_STATUS, "status"}, {MCI_GETDEVCAPS, "caps"}};
    std::ostringstream out;
    for (const auto& call : Sent()) {
      const bool query = call.command == MCI_STATUS || call.command == MCI_GETDEVCAPS;
      if (query) {
        EXPECT_EQ(call.flags & MCI_NOTIFY, 0u) << "a query takes no marker";
        if (!queries) continue;
      }
      out << (out.tellp() ? ", " : "") << kNames.at(call.command) << " " << std::hex << call.flags;
      if (query) out << " item " << call.item;
      if (call.command == MCI_STATUS && call.flags & MCI_TRACK) out << " track " << call.track;
      if (call.command == MCI_PLAY && call.flags & MCI_FROM) out << " from " << Dotted(call.from);
      if (call.flags & MCI_TO) out << " to " << Dotted(call.to);
      if (call.command == MCI_SET && call.flags & MCI_SET_TIME_FORMAT) {
        out << " format " << std::dec << call.timeFormat;
      }
      if (call.result) out << " = " << std::dec << call.result;
      if (!query && call.command != MCI_SET && call.command != MCI_WHERE &&
          call.flags != (MCI_WAIT | MCI_SEEK_TO_START)) {
        EXPECT_EQ(call.callback, Window()) << call.command;
      }
    }
    return out.str();
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
  // Puts the head at `tmsf` with the device stopped (SeekTo), or starts playing there without a
  // completion request (PlayFrom), behind the player's back.
  void SeekTo(DWORD tmsf) { Behind(MCI_SEEK, MCI_WAIT | MCI_TO, tmsf); }
  void PlayFrom(DWORD tmsf) { Behind(MCI_PLAY, MCI_FROM, tmsf); }
  void Behind(UINT command, DWORD flags, DWORD tmsf) {
    MCI_SEEK_PARMS seek{0, tmsf};
    MCI_PLAY_PARMS play{0, tmsf, 0};
    void* parms = command == MCI_SEEK ? static_cast<void*>(&seek) : &play;
    ASSERT_EQ(
        mciSendCommandA(player->DeviceID(), command, flags, reinterpret_cast<DWORD_PTR>(parms)),
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

}  // namespace mci_testing
