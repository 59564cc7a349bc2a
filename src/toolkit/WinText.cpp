#include "toolkit/WinText.h"

#include <algorithm>
#include <optional>

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

namespace vcl {
namespace {

// The program's text for a wide call; none when it cannot be converted (the ANSI call then).
std::optional<std::basic_string<WCHAR>> Wide(const std::string& text) {
  return WideUserInterface() ? WidenCodePage932(text) : std::nullopt;
}

}  // namespace

HWND CreateWindowText(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                      int x, int y, int width, int height, HWND parent, int id) {
  HMENU menu = reinterpret_cast<HMENU>(static_cast<intptr_t>(id));
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (auto wide = Wide(text)) {
    auto wideClass = WidenCodePage932(className);
    if (wideClass) {
      return CreateWindowExW(exStyle, wideClass->c_str(), wide->c_str(), style, x, y, width, height,
                             parent, menu, instance, nullptr);
    }
  }
  return CreateWindowExA(exStyle, className, text.c_str(), style, x, y, width, height, parent, menu,
                         instance, nullptr);
}

LRESULT SendTextMessage(HWND window, UINT message, WPARAM wParam, const std::string& text) {
  if (auto wide = Wide(text)) {
    return SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(wide->c_str()));
  }
  return SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
}

LRESULT InsertTab(HWND tabControl, int index, const std::string& text) {
  if (auto wide = Wide(text)) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide->data();
    return SendMessageW(tabControl, TCM_INSERTITEMW, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(&item));
  }
  std::string bytes = text;
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = bytes.data();
  return SendMessageA(tabControl, TCM_INSERTITEMA, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&item));
}

ATOM RegisterWindowClass(WNDPROC proc, const char* className, HBRUSH background) {
  if (WideUserInterface()) {
    if (auto wideName = WidenCodePage932(className)) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hbrBackground = background;
      wc.lpszClassName = wideName->c_str();
      return RegisterClassW(&wc);
    }
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassA(&wc);
}

LRESULT DefWindowProcText(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return WideUserInterface() ? DefWindowProcW(window, message, wParam, lParam)
                             : DefWindowProcA(window, message, wParam, lParam);
}

BOOL IsDialogMessageText(HWND dialog, MSG* msg) {
  return WideUserInterface() ? IsDialogMessageW(dialog, msg) : IsDialogMessageA(dialog, msg);
}

namespace {

template <class LogFont>
void FillFont(LogFont& font, int height, bool bold, bool underline, BYTE charSet) {
  // A negative height asks for the character height, without the internal leading.
  font.lfHeight = -height;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = underline ? 1 : 0;
  font.lfCharSet = charSet;
}

int CALLBACK FoundFaceW(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

int CALLBACK FoundFaceA(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

HFONT CreateFontText(const std::string& face, int height, bool bold, bool underline, BYTE charSet) {
  if (auto wide = Wide(face); wide && wide->size() < LF_FACESIZE) {
    LOGFONTW font{};
    FillFont(font, height, bold, underline, charSet);
    std::copy(wide->begin(), wide->end(), font.lfFaceName);
    return CreateFontIndirectW(&font);
  }
  LOGFONTA font{};
  FillFont(font, height, bold, underline, charSet);
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

SIZE MeasureText(HFONT font, const std::string& text) {
  SIZE size{0, 0};
  HDC screen = GetDC(nullptr);
  if (!screen) return size;
  HGDIOBJ previous = SelectObject(screen, font);
  auto wide = Wide(text);
  if (wide) {
    GetTextExtentPoint32W(screen, wide->c_str(), static_cast<int>(wide->size()), &size);
  } else {
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
  }
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return size;
}

bool FontFaceExists(const std::string& face, BYTE charSet) {
  bool found = false;
  HDC screen = GetDC(nullptr);
  if (auto wide = Wide(face); wide && wide->size() < LF_FACESIZE) {
    LOGFONTW font{};
    font.lfCharSet = charSet;
    std::copy(wide->begin(), wide->end(), font.lfFaceName);
    EnumFontFamiliesExW(screen, &font, &FoundFaceW, reinterpret_cast<LPARAM>(&found), 0);
  } else if (face.size() < LF_FACESIZE) {
    LOGFONTA font{};
    font.lfCharSet = charSet;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    EnumFontFamiliesExA(screen, &font, &FoundFaceA, reinterpret_cast<LPARAM>(&found), 0);
  }
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace vcl
