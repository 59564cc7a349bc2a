// Helpers shared by the emulated shell, menus and input functions of this folder.
#pragma once

#include <mutex>
#include <string>

#include "platform/emu/machine_impl.h"

namespace emu {

// SendNotifyMessage: a window of the calling thread gets the message at once; another thread's
// window finds it among its sent messages, before anything posted, without the sender waiting.
// False when the window does not exist. Expects `lock` held; may release it meanwhile.
bool SendNotifyLocked(Machine::Impl& impl, std::unique_lock<std::mutex>& lock, HWND window,
                      UINT message, WPARAM wParam, LPARAM lParam);

// Whether the thread could take a message now (anything sent or posted, a quit, a due timer).
bool ThreadHasMessageLocked(Machine::Impl& impl, const ThreadRec& thread);

// Activation (input.cpp): `top` (a top-level window, or none) becomes the foreground and active
// window with WM_ACTIVATE `state`, the one before it deactivated; takes `mu`.
void MoveActivation(Machine::Impl& impl, HWND top, WORD state);
// After WM_ACTIVATE: an active window whose thread's focus is not inside it takes the focus
// itself (expects `mu` held).
void FocusActivatedLocked(Machine::Impl& impl, HWND window);
// The focus of the thread that owns `window` goes when it is in `window` (expects `mu` held).
void ClearFocusWithinLocked(Machine::Impl& impl, HWND window);

// user32's exports found by GetProcAddress (those newer than the oldest Windows: only with
// per-monitor DPI) and uxtheme's (controls.cpp); null for any other name.
FARPROC User32Export(LPCSTR name);
FARPROC UxthemeExport(LPCSTR name);

// Code page 932 <-> UTF-16; what 932 lacks narrows to '?', what it cannot read widens to U+30FB.
std::u16string WidenCodePage932(std::string_view text);
std::string NarrowCodePage932(std::u16string_view text);
std::u16string WideString(const WCHAR* wide);  // up to its terminating zero; null is empty

// The machine keeps every text its user reads (window texts, menu items, boxes, tips, list entries,
// font faces) in code page 932, whichever call set it: an A call's bytes are read in the machine's
// ANSI code page and a W call's characters narrowed, and what 932 lacks reads '?'. So on the 1252
// machine CP932 bytes through an A call read as the mojibake an English Windows shows.
std::string StoredText(const char* ansi);       // an A call's text as the machine keeps it
std::string AnsiText(std::string_view stored);  // a kept text as an A call returns it

// A W call's text for the A form of the same call, which then keeps it as it is. Lives on the
// stack of the W call, around the A call.
class MachineText {
 public:
  explicit MachineText(std::u16string_view wide);
  explicit MachineText(const WCHAR* wide);
  ~MachineText();
  MachineText(const MachineText&) = delete;
  MachineText& operator=(const MachineText&) = delete;
  const char* c_str() const { return text_.c_str(); }
  const std::string& str() const { return text_; }

 private:
  std::string text_;
};

}  // namespace emu
