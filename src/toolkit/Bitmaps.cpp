#include "toolkit/Bitmaps.h"

namespace vcl {

TBitmap::~TBitmap() {
  Release();
}

void TBitmap::Release() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
  width_ = height_ = 0;
}

void TBitmap::LoadFromResourceName(const std::string& name) {
  HBITMAP handle = LoadBitmapA(GetModuleHandleA(nullptr), name.c_str());
  if (!handle) throw EResNotFound("Resource " + name + " not found");
  Release();
  handle_ = handle;
  BITMAP info{};
  if (GetObjectA(handle_, sizeof info, &info)) {
    width_ = info.bmWidth;
    height_ = info.bmHeight;
  }
}

void TBitmap::Draw(HDC dc, int x, int y) const {
  if (!handle_) return;
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  HGDIOBJ previous = SelectObject(memory, handle_);
  BitBlt(dc, x, y, width_, height_, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
}

}  // namespace vcl
