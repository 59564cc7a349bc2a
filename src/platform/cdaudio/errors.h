// The English texts mciGetErrorStringA gives for MCI error numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cdaudio {

// None for a number Windows has no text for (mciGetErrorStringA then returns FALSE). Covers every
// number the core returns and those an MCI host answers itself (257, 263, 266, 291 ...).
std::optional<std::string_view> ErrorText(uint32_t error);

}  // namespace cdaudio
