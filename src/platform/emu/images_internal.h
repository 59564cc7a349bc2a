// The program's stored images, shared by the loaders of this folder (gdi32.cpp's bitmaps,
// images.cpp's icons at a size). For this folder only.
#pragma once

#include <span>

namespace emu {

// One image of the program's resources (resources/generated/resource_images.inc): an icon with
// several sizes has one per size, in the order of its file. Names are upper case, as the
// resource generator allows no other.
struct StoredImage {
  const char* kind;  // "ICON" or "BITMAP"
  const char* name;
  int width;
  int height;
  int bits;
};

std::span<const StoredImage> StoredImages();

}  // namespace emu
