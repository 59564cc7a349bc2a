// Bitmaps from the program's resources.
#pragma once

#include <string>

#include "platform/win32.h"
#include "toolkit/SysUtils.h"

namespace vcl {

class EResNotFound : public Exception {
  using Exception::Exception;
};

// Owns one bitmap handle; the bitmap is deleted with the object.
class TBitmap {
 public:
  TBitmap() = default;
  ~TBitmap();
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  // Loads the bitmap resource `name` of the program's module; EResNotFound when there is none.
  void LoadFromResourceName(const std::string& name);
  HBITMAP Handle() const { return handle_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies the bitmap onto `dc` with its top left corner at (x, y).
  void Draw(HDC dc, int x, int y) const;

 private:
  void Release();

  HBITMAP handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace vcl
