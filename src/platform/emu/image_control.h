// Icons loaded at a size, and the DPI calls a newer Windows offers, for tests and the console.
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

// Whether user32 exports GetDpiForSystem, GetDpiForWindow and GetSystemMetricsForDpi, as
// Windows 10 1607 and later do (default: not, as the machine is an older Windows).
void SetDpiExports(Machine& machine, bool offered);

}  // namespace emu
