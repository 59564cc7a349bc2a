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
