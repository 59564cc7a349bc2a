// Icons loaded at a size, and whether user32 has the DPI exports of Windows 10 1607 (images.cpp).
#pragma once

#include <map>

#include "platform/emu/image_control.h"

namespace emu {

struct ImageState {
  bool dpiExports = false;
  std::map<HICON, IconImage> sized;
};

}  // namespace emu
