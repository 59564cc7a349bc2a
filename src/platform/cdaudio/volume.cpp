#include "platform/cdaudio/volume.h"

#include "platform/cdaudio/toc.h"

namespace cdaudio {

std::optional<VolumeInfo> VolumeOf(const Disc& disc) {
  const std::optional<Toc> toc = Toc::FromDisc(disc);
  if (!toc) return std::nullopt;
  VolumeInfo info;
  info.file_system = "CDFS";
  info.max_component_length = 221;
  info.flags = kFileReadOnlyVolume;
  if (toc->IsAudio(1)) {
    info.label = "Audio CD";
    info.serial = DiscIdentifier(*toc);
  } else {
    info.label = disc.label.empty() ? std::string(kDefaultDataLabel) : disc.label;
    info.serial = disc.serial.value_or(DiscIdentifier(*toc));
  }
  return info;
}

}  // namespace cdaudio
