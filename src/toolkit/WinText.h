// The program's texts (code page 932) to Windows' user-interface calls. The one place that chooses
// between the wide and the ANSI calls:
// - Windows NT: the wide calls after MultiByteToWideChar(932), so the Japanese texts read right on
//   a Windows of any system locale;
// - Windows 9x: the ANSI calls with the code page 932 bytes, since most wide user32 calls exist
//   there only as stubs that fail (right on a Japanese Windows 9x, the only one that can show
//   them).
#pragma once

#include <string>

#include "platform/win32.h"

namespace vcl {

// True on Windows NT, where the wide calls are used.
bool WideUserInterface();

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
BOOL SetWindowCaption(HWND window, const std::string& text);
// Appends a string item (or a separator, with MF_SEPARATOR and an empty caption) to a menu.
BOOL AppendMenuText(HMENU menu, UINT flags, UINT_PTR id, const std::string& caption);

}  // namespace vcl

namespace vcl {

// A window with a caption or text; `id` is a child's control ID.
HWND CreateWindowText(DWORD exStyle, const char* className, const std::string& text, DWORD style,
                      int x, int y, int width, int height, HWND parent, int id);
// A message whose lParam carries a text (CB_ADDSTRING ...).
LRESULT SendTextMessage(HWND window, UINT message, WPARAM wParam, const std::string& text);
// Inserts a tab with `text` at `index` of a tab control.
LRESULT InsertTab(HWND tabControl, int index, const std::string& text);
BOOL IsDialogMessageText(HWND dialog, MSG* msg);
// A window class whose windows show the program's texts: on NT a wide class, since Windows keeps
// the text of a window of an ANSI class in the system code page. Its procedure must hand what it
// does not handle to DefWindowProcText.
ATOM RegisterWindowClass(WNDPROC proc, const char* className, HBRUSH background);
LRESULT DefWindowProcText(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A font of face `face` (empty: any face the system maps to the character set); character height
// `height` pixels, weight, underline, character set.
HFONT CreateFontText(const std::string& face, int height, bool bold, bool underline, BYTE charSet);
// The size of `text` drawn in `font`, in pixels.
SIZE MeasureText(HFONT font, const std::string& text);
// True when the system has a font family named `face` for `charSet`.
bool FontFaceExists(const std::string& face, BYTE charSet);

}  // namespace vcl
