// Icons loaded at a size (images.cpp).
#pragma once

#include <map>

#include "platform/emu/image_control.h"

namespace emu {

struct ImageState {
  std::map<HICON, IconImage> sized;
};

}  // namespace emu
