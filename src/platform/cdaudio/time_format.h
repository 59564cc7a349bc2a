// Positions and lengths as MCI passes them in a device's time format.
//   milliseconds: frames * 1000 / 75, plus 1 as the Windows driver rounds (so that converting the
//                 answer back to frames lands in the same frame);
//   MSF:  m | s << 8 | f << 16, absolute;
//   TMSF: t | m << 8 | s << 16 | f << 24, relative to the start of track t.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/cdaudio/toc.h"

namespace cdaudio {

bool IsTimeFormat(uint32_t format);

uint32_t PackMsf(uint32_t frames);
uint32_t FramesToMs(uint32_t frames);

// An absolute position in `format`.
uint32_t EncodePosition(uint32_t frame, uint32_t format, const Toc& toc);
// A length in `format`; TMSF gives lengths as MSF, as Windows does.
uint32_t EncodeLength(uint32_t frames, uint32_t format);
// A position a caller gave in `format`, as an absolute frame. None (MCIERR_OUTOFRANGE) for a
// position before track 1 (inside the pregap, e.g. 0 ms), at or past the lead-out (the last frame
// is the last track's start plus the length MCI_STATUS_LENGTH gives it), a track that is not on the
// disc, or seconds/frames fields out of their range.
std::optional<uint32_t> DecodePosition(uint32_t value, uint32_t format, const Toc& toc);

}  // namespace cdaudio
