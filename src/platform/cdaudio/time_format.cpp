#include "platform/cdaudio/time_format.h"

#include <algorithm>

#include "platform/cdaudio/constants.h"

namespace cdaudio {
namespace {

std::optional<uint32_t> MsfFields(uint32_t minutes, uint32_t seconds, uint32_t frames) {
  if (seconds >= 60 || frames >= kFramesPerSecond) return std::nullopt;
  return FramesOf(minutes, seconds, frames);
}

}  // namespace

bool IsTimeFormat(uint32_t format) {
  return format == kFormatMilliseconds || format == kFormatMsf || format == kFormatTmsf;
}

uint32_t PackMsf(uint32_t frames) {
  const Msf msf = ToMsf(frames);
  return msf.minutes | msf.seconds << 8 | msf.frames << 16;
}

uint32_t FramesToMs(uint32_t frames) {
  return static_cast<uint32_t>(uint64_t{frames} * 1000 / kFramesPerSecond + 1);
}

uint32_t EncodePosition(uint32_t frame, uint32_t format, const Toc& toc) {
  if (format == kFormatMilliseconds) return FramesToMs(frame);
  if (format == kFormatMsf) return PackMsf(frame);
  const int track = toc.TrackAt(frame);
  const uint32_t start = toc.TrackStart(track);
  const uint32_t relative = frame > start ? frame - start : 0;
  return static_cast<uint32_t>(track) | PackMsf(relative) << 8;
}

uint32_t EncodeLength(uint32_t frames, uint32_t format) {
  return format == kFormatMilliseconds ? FramesToMs(frames) : PackMsf(frames);
}

std::optional<uint32_t> DecodePosition(uint32_t value, uint32_t format, const Toc& toc) {
  std::optional<uint32_t> frame;
  if (format == kFormatMilliseconds) {
    frame = static_cast<uint32_t>(uint64_t{value} * kFramesPerSecond / 1000);
  } else if (format == kFormatMsf) {
    frame = MsfFields(value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF);
  } else {
    const uint32_t track = value & 0xFF;
    if (track < 1 || track > static_cast<uint32_t>(toc.TrackCount())) return std::nullopt;
    frame = MsfFields(value >> 8 & 0xFF, value >> 16 & 0xFF, value >> 24);
    if (frame) *frame += toc.TrackStart(static_cast<int>(track));
  }
  if (!frame || *frame < toc.TrackStart(1) || *frame >= toc.LeadOut()) return std::nullopt;
  return frame;
}

}  // namespace cdaudio
