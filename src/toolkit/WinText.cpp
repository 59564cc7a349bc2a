#include "toolkit/WinText.h"

#include "toolkit/SysUtils.h"

namespace vcl {

bool WideUserInterface() {
  // GetVersion's top bit is set on Windows 9x (and Win32s), clear on the NT family.
  return (GetVersion() & 0x80000000u) == 0;
}

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  if (WideUserInterface()) {
    auto wideText = WidenCodePage932(text);
    auto wideCaption = WidenCodePage932(caption);
    if (wideText && wideCaption) {
      return MessageBoxW(owner, wideText->c_str(), wideCaption->c_str(), type);
    }
  }
  return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

BOOL SetWindowCaption(HWND window, const std::string& text) {
  if (WideUserInterface()) {
    if (auto wide = WidenCodePage932(text)) return SetWindowTextW(window, wide->c_str());
  }
  return SetWindowTextA(window, text.c_str());
}

BOOL AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const std::string& caption) {
  if (flags & MF_SEPARATOR) return AppendMenuA(menu, flags, id, nullptr);
  if (WideUserInterface()) {
    if (auto wide = WidenCodePage932(caption)) return AppendMenuW(menu, flags, id, wide->c_str());
  }
  return AppendMenuA(menu, flags, id, caption.c_str());
}

}  // namespace vcl
