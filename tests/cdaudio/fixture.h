// A drive on a manual clock with a sink that records every completion message.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/cdaudio/constants.h"
#include "platform/cdaudio/device.h"
#include "platform/cdaudio/disc.h"
#include "platform/cdaudio/drive.h"

namespace cdaudio {

struct Note {
  uintptr_t callback;
  uint32_t outcome;
  uint32_t device;
  bool operator==(const Note&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Note& note) {
  return out << "{cb " << note.callback << ", outcome " << note.outcome << ", dev " << note.device
             << "}";
}

constexpr uint32_t Msf(uint32_t m, uint32_t s, uint32_t f = 0) {
  return m | s << 8 | f << 16;
}
constexpr uint32_t Tmsf(uint32_t t, uint32_t m, uint32_t s, uint32_t f = 0) {
  return t | m << 8 | s << 16 | f << 24;
}

// A disc of track words ("audio:4:30.47", "data:10:00").
inline Disc DiscOf(std::initializer_list<const char*> words) {
  Disc disc;
  for (const char* word : words) {
    Parsed<TrackEntry> track = ParseTrackWord(word);
    EXPECT_TRUE(track) << track.error;
    if (track) disc.tracks.push_back(*track.value);
  }
  return disc;
}

// Tracks at 00:02:00, 04:32:47, 08:10:12, lead-out 12:00:00 (identifier 797755).
inline Disc WorkedExample() {
  return DiscOf({"audio:4:30.47", "audio:3:37.40", "audio:3:49.63"});
}

// The driver that reports the end of a play (Windows 9x's, and the documentation's).
inline constexpr OpenOptions kEndReported{.notify_at_end = true};

class CdTest : public ::testing::Test {
 protected:
  void Insert(std::initializer_list<const char*> words) {
    ASSERT_EQ(drive_.Insert(DiscOf(words)), "");
  }
  void InsertExample() { ASSERT_EQ(drive_.Insert(WorkedExample()), ""); }

  std::unique_ptr<Device> Open(uint32_t id = 1, OpenOptions options = {}) {
    Device::Opened opened =
        Device::Open(drive_, id, options, [this](uintptr_t cb, uint32_t outcome, uint32_t dev) {
          notes_.push_back({cb, outcome, dev});
        });
    EXPECT_EQ(opened.error, 0u);
    return std::move(opened.device);
  }

  // Steps the clock the way the host does and runs what falls due.
  void RunUntil(uint64_t ms) {
    now_ = ms;
    drive_.Poll();
  }

  uint32_t StatusOf(Device& device, uint32_t item, std::optional<uint32_t> track = {}) {
    const Answer answer = device.Status({item, track});
    EXPECT_EQ(answer.error, 0u) << "item " << item;
    return answer.value;
  }
  uint32_t ErrorOf(Device& device, uint32_t item, std::optional<uint32_t> track = {}) {
    return device.Status({item, track}).error;
  }
  void SetFormat(Device& device, uint32_t format) {
    ASSERT_EQ(device.Set({format, false, false}), 0u);
  }
  std::vector<Note> TakeNotes() { return std::exchange(notes_, {}); }

  uint64_t now_ = 1000;
  Drive drive_{[this] { return now_; }};
  std::vector<Note> notes_;
};

}  // namespace cdaudio
