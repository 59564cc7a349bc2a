// Tray images at the size the notification area draws small icons: on a screen of more than 96
// pixels per inch Windows would otherwise stretch the 16-pixel image and blur it.
#include "tray/TrayIcon.h"

namespace {

constexpr int kClassicSize = 16;

using GetDpiForSystemProc = UINT(WINAPI*)();
using GetSystemMetricsForDpiProc = int(WINAPI*)(int, UINT);

template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

int TrayImageSize() {
  int size = 0;
  // Windows 10 1607 and later tell the metric for a DPI; the notification area lies on the
  // primary monitor's taskbar, which the system DPI describes.
  if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
    auto forDpi = Export<GetSystemMetricsForDpiProc>(user32, "GetSystemMetricsForDpi");
    auto systemDpi = Export<GetDpiForSystemProc>(user32, "GetDpiForSystem");
    if (forDpi && systemDpi) size = forDpi(SM_CXSMICON, systemDpi());
  }
  if (size <= 0) size = GetSystemMetrics(SM_CXSMICON);
  return size > 0 ? size : kClassicSize;
}

HICON LoadTrayImage(const char* name) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  const int size = TrayImageSize();
  // At the classic size the image is loaded exactly as it always was.
  if (size == kClassicSize) return LoadIconA(module, name);
  // Shared, like LoadIconA's: the handle is loaded once and never destroyed.
  return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, LR_SHARED));
}
