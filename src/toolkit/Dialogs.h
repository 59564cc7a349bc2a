// A message box whose buttons carry captions of the program's own.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

namespace vcl {

struct TButtonCaption {
  int id;               // IDOK, IDCANCEL ...
  std::string caption;  // code page 932
};

// Shows a message box (ShowMessageBox) and, as it is activated, gives the listed buttons their
// captions; the other buttons keep the system's. Returns the button that closed it. A thread hook
// does the renaming, so the box is Windows' own (icon, sound, keys, placement).
int MessageBoxWithCaptions(HWND owner, const std::string& text, const std::string& caption,
                           UINT type, const std::vector<TButtonCaption>& buttons);

}  // namespace vcl
