// user32: the system's icon metrics at the screen's DPI, icons loaded at a size with the image
// Windows would pick, and user32's run-time exports of Windows 10 1607 (GetDpiForSystem,
// GetDpiForWindow, GetSystemMetricsForDpi) on a machine that has them. The program's stored
// images live here too, for gdi32.cpp's bitmaps as well (images_internal.h).
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "platform/emu/image_control.h"
#include "platform/emu/images_internal.h"
#include "platform/emu/machine_impl.h"

namespace {

constexpr emu::StoredImage kImages[] = {
#define ORVANTA_RESOURCE_IMAGE(kind, name, width, height, bits) {#kind, name, width, height, bits},
#include "resources/generated/resource_images.inc"
#undef ORVANTA_RESOURCE_IMAGE
};

int Scaled(int pixels, int dpi) {
  return (pixels * dpi + 48) / 96;
}

int MetricAt(int index, int dpi) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return Scaled(32, dpi);
    case SM_CXSMICON:
    case SM_CYSMICON:
      return Scaled(16, dpi);
    default:
      return 0;  // what Windows answers for an index it does not know
  }
}

UINT WINAPI GetDpiForSystemExport() {
  auto& impl = emu::Impl();
  std::lock_guard lock(impl.mu);
  return static_cast<UINT>(impl.dpi);
}

int WINAPI GetSystemMetricsForDpiExport(int index, UINT dpi) {
  if (dpi == 0 || dpi > static_cast<UINT>(std::numeric_limits<int>::max() / 256)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return MetricAt(index, static_cast<int>(dpi));
}

std::string Upper(const char* s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

namespace emu {

std::span<const StoredImage> StoredImages() {
  return kImages;
}

int IconMetric(int index) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return MetricAt(index, impl.dpi);
}

FARPROC SystemDpiExport(LPCSTR name) {
  if (std::strcmp(name, "GetDpiForSystem") == 0) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetDpiForSystemExport));
  }
  if (std::strcmp(name, "GetSystemMetricsForDpi") == 0) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetSystemMetricsForDpiExport));
  }
  return nullptr;
}

std::optional<IconImage> IconImageOf(Machine& machine, HICON icon) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.images.sized.find(icon);
  if (it == impl.images.sized.end()) return std::nullopt;
  return it->second;
}

}  // namespace emu

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT load) {
  auto& impl = emu::Impl();
  if (auto error = impl.machine.TakeFailure("LoadImageA")) {
    SetLastError(*error ? *error : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Only what the program asks for: its own named icons, at a size given, shared.
  if (type != IMAGE_ICON || !(load & LR_SHARED) || cx <= 0 || cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!name || IS_INTRESOURCE(name) || instance != GetModuleHandleA(nullptr)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const std::string wanted = Upper(name);
  // Windows takes the stored image nearest in size (the deepest colours among equals; every
  // image here has the same) and scales it to the size asked; halfway between two, the larger.
  const emu::StoredImage* best = nullptr;
  for (const emu::StoredImage& image : emu::StoredImages()) {
    if (std::strcmp(image.kind, "ICON") != 0 || Upper(image.name) != wanted) continue;
    const int distance = std::abs(image.width - cx);
    const int bestDistance = best ? std::abs(best->width - cx) : 0;
    if (!best || distance < bestDistance ||
        (distance == bestDistance && image.width > best->width)) {
      best = &image;
    }
  }
  if (!best) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard lock(impl.mu);
  // A shared image is the first one loaded under its name: later sizes get that one again.
  const std::string key = "SIZED:" + wanted;
  if (auto it = impl.icons.find(key); it != impl.icons.end()) return it->second;
  auto handle = reinterpret_cast<HICON>(impl.nextIcon);
  impl.nextIcon += 4;
  impl.icons[key] = handle;
  impl.iconNames[handle] = wanted;
  impl.images.sized[handle] = emu::IconImage{cx, cy, best->width, best->height};
  return handle;
}
