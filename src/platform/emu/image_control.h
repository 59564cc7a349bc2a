// Icons loaded at a size, for tests and the console. (The DPI calls of a newer Windows come with
// SetPerMonitorDpi, dialog_control.h.)
#pragma once

#include <optional>

#include "platform/emu/machine.h"

namespace emu {

// What LoadImageA gave: the size asked and the stored image it was made from.
struct IconImage {
  int width = 0;
  int height = 0;
  int imageWidth = 0;
  int imageHeight = 0;
  bool operator==(const IconImage&) const = default;
};

// Null for a handle LoadImageA did not make (LoadIconA's icons have the system's size).
std::optional<IconImage> IconImageOf(Machine& machine, HICON icon);

}  // namespace emu
