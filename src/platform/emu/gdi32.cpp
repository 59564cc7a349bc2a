// gdi32 and the user32 painting calls, as far as a self-painting control uses them: bitmaps from
// the program's resources, paint and memory contexts, and mouse capture. The machine has no
// screen: a paint is kept as the list of what was drawn (paint_control.h). Nothing invalidated is
// painted by itself either; a test sends WM_PAINT when it wants to see a window's picture.
#include <cctype>
#include <cstring>
#include <string>

#include "platform/emu/images_internal.h"
#include "platform/emu/machine_impl.h"

namespace {

const emu::StoredImage* FindBitmap(std::string_view name) {
  for (const auto& image : emu::StoredImages()) {
    if (std::string_view(image.kind) != "BITMAP" || std::strlen(image.name) != name.size()) {
      continue;
    }
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      same = std::toupper(static_cast<unsigned char>(name[i])) == image.name[i];
    }
    if (same) return &image;
  }
  return nullptr;
}

template <class Handle>
Handle NewHandleLocked(emu::GdiState& gdi) {
  auto handle = reinterpret_cast<Handle>(gdi.nextHandle);
  gdi.nextHandle += 4;
  return handle;
}

// Records a drawing operation on a context; false for a context that does not exist.
bool Draw(HDC dc, emu::PaintOp op) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.gdi.contexts.find(dc);
  if (it == impl.gdi.contexts.end()) return false;
  it->second.ops.push_back(std::move(op));
  return true;
}

}  // namespace

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR bitmapName) {
  auto& impl = emu::Impl();
  if (auto error = impl.machine.TakeFailure("LoadBitmapA")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (!bitmapName || IS_INTRESOURCE(bitmapName) || instance != GetModuleHandleA(nullptr)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const emu::StoredImage* image = FindBitmap(bitmapName);
  if (!image) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  // Unlike icons, every load makes a bitmap of its own, which its owner must delete.
  auto handle = NewHandleLocked<HBITMAP>(impl.gdi);
  impl.gdi.bitmaps[handle] = image->name;
  return handle;
}

BOOL DeleteObject(HGDIOBJ object) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  return impl.gdi.bitmaps.erase(static_cast<HBITMAP>(object)) != 0 ? TRUE : FALSE;
}

int GetObjectA(HANDLE object, int size, LPVOID buffer) {
  auto& impl = emu::Impl();
  std::string name;
  {
    std::lock_guard lock(impl.mu);
    auto it = impl.gdi.bitmaps.find(static_cast<HBITMAP>(object));
    if (it == impl.gdi.bitmaps.end()) return 0;
    name = it->second;
  }
  if (!buffer) return sizeof(BITMAP);
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  const emu::StoredImage* image = FindBitmap(name);
  BITMAP bitmap{};
  bitmap.bmWidth = image->width;
  bitmap.bmHeight = image->height;
  bitmap.bmPlanes = 1;
  bitmap.bmBitsPixel = static_cast<WORD>(image->bits);
  bitmap.bmWidthBytes = (image->width * image->bits + 15) / 16 * 2;
  std::memcpy(buffer, &bitmap, sizeof bitmap);
  return sizeof(BITMAP);
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w || !paint) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HDC dc = NewHandleLocked<HDC>(impl.gdi);
  impl.gdi.contexts[dc] = emu::GdiState::Context{window, nullptr, {}};
  std::memset(paint, 0, sizeof *paint);
  paint->hdc = dc;
  paint->rcPaint = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return dc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  if (!paint) return FALSE;
  auto it = impl.gdi.contexts.find(paint->hdc);
  if (it == impl.gdi.contexts.end() || it->second.window != window) return FALSE;
  impl.gdi.painted[window] = std::move(it->second.ops);
  impl.gdi.contexts.erase(it);
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* /*rect*/, BOOL /*erase*/) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  if (window && !impl.WindowLocked(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ++impl.gdi.invalidated[window];
  return TRUE;
}

HDC CreateCompatibleDC(HDC /*dc*/) {
  auto& impl = emu::Impl();
  if (impl.machine.TakeFailure("CreateCompatibleDC")) return nullptr;
  std::lock_guard lock(impl.mu);
  HDC memory = NewHandleLocked<HDC>(impl.gdi);
  impl.gdi.contexts[memory] = emu::GdiState::Context{};
  return memory;
}

BOOL DeleteDC(HDC dc) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  return impl.gdi.contexts.erase(dc) != 0 ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.gdi.contexts.find(dc);
  if (it == impl.gdi.contexts.end()) return nullptr;
  HGDIOBJ previous = it->second.selected;
  it->second.selected = object;
  // A fresh context holds a stock 1x1 bitmap; callers put it back before deleting the context.
  return previous ? previous : reinterpret_cast<HGDIOBJ>(uintptr_t{0x10});
}

BOOL BitBlt(HDC dc, int x, int y, int width, int height, HDC source, int /*sourceX*/,
            int /*sourceY*/, DWORD /*rop*/) {
  std::string name;
  {
    auto& impl = emu::Impl();
    std::lock_guard lock(impl.mu);
    auto it = impl.gdi.contexts.find(source);
    if (it == impl.gdi.contexts.end()) return FALSE;
    auto bitmap = impl.gdi.bitmaps.find(static_cast<HBITMAP>(it->second.selected));
    if (bitmap != impl.gdi.bitmaps.end()) name = bitmap->second;
  }
  emu::PaintOp op;
  op.kind = emu::PaintOp::Kind::Bitmap;
  op.rect = RECT{x, y, x + width, y + height};
  op.bitmap = std::move(name);
  return Draw(dc, std::move(op)) ? TRUE : FALSE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH /*brush*/) {
  if (!rect) return 0;
  emu::PaintOp op;
  op.kind = emu::PaintOp::Kind::Fill;
  op.rect = *rect;
  return Draw(dc, std::move(op)) ? 1 : 0;
}

HBRUSH GetSysColorBrush(int index) {
  // Stock brushes: never deleted, one per system colour.
  return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(0x800 + index));
}

BOOL DrawEdge(HDC dc, LPRECT rect, UINT edge, UINT /*flags*/) {
  if (!rect) return FALSE;
  emu::PaintOp op;
  op.kind = emu::PaintOp::Kind::Edge;
  op.rect = *rect;
  op.edge = edge;
  return Draw(dc, std::move(op)) ? TRUE : FALSE;
}

BOOL DrawFocusRect(HDC dc, const RECT* rect) {
  if (!rect) return FALSE;
  emu::PaintOp op;
  op.kind = emu::PaintOp::Kind::Focus;
  op.rect = *rect;
  return Draw(dc, std::move(op)) ? TRUE : FALSE;
}

HWND SetCapture(HWND window) {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  HWND previous = impl.gdi.capture;
  impl.gdi.capture = window;
  return previous;
}

BOOL ReleaseCapture() {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  impl.gdi.capture = nullptr;
  return TRUE;
}

HWND GetCapture() {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  return impl.gdi.capture;
}

namespace emu {

std::vector<PaintOp> LastPaint(Machine& machine, HWND window) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.gdi.painted.find(window);
  return it == impl.gdi.painted.end() ? std::vector<PaintOp>{} : it->second;
}

int Invalidations(Machine& machine, HWND window) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.gdi.invalidated.find(window);
  return it == impl.gdi.invalidated.end() ? 0 : it->second;
}

std::vector<std::string> LiveBitmaps(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  std::vector<std::string> names;
  for (const auto& [handle, name] : impl.gdi.bitmaps) names.push_back(name);
  return names;
}

HWND CaptureWindow(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return impl.gdi.capture;
}

}  // namespace emu
