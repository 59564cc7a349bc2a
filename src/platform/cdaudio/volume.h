// What GetVolumeInformationA reports for the disc in a CD drive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/cdaudio/disc.h"

namespace cdaudio {

inline constexpr uint32_t kFileReadOnlyVolume = 0x00080000;  // FILE_READ_ONLY_VOLUME
// A data disc described without a label gets this one.
inline constexpr char kDefaultDataLabel[] = "CDROM";

struct VolumeInfo {
  std::string label;
  uint32_t serial = 0;
  std::string file_system;
  uint32_t max_component_length = 0;
  uint32_t flags = 0;
};

// Audio track 1: "Audio CD", serial = DiscIdentifier, "CDFS", 221, read-only.
// Data track 1: the disc's own label (kDefaultDataLabel when empty) and serial (DiscIdentifier of
// its TOC when not given, so the same description always gives the same serial), "CDFS", 221,
// read-only. None for a blank disc (the query fails). An empty drive or an open door is the
// drive's business: Drive::Volume.
std::optional<VolumeInfo> VolumeOf(const Disc& disc);

}  // namespace cdaudio
