// user32's standard controls (BUTTON, STATIC, COMBOBOX) and comctl32's tab control, with the
// messages and notifications the property dialog relies on; the dialog manager's keyboard
// (IsDialogMessage, GetNextDlgTabItem), focus and enabling; fonts as gdi32 keeps them; and the
// user's hand on all of it (dialog_control.h).
//
// As on Windows: a click or the space bar toggles an automatic check box and sends BN_CLICKED to
// its parent, BM_SETCHECK sends nothing; a user's pick in a list sends CBN_SELCHANGE, CB_SETCURSEL
// nothing; a click on a tab sends TCN_SELCHANGING then TCN_SELCHANGE, TCM_SETCURSEL nothing;
// hidden and disabled windows take no input; Tab follows WS_TABSTOP in z-order and goes into
// windows marked WS_EX_CONTROLPARENT.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/emu/dialog_control.h"
#include "platform/emu/machine_impl.h"
#include "platform/emu/shell_internal.h"

namespace emu {
namespace {

// Machine-only messages by which the user's picks reach a control on its own thread.
constexpr UINT kPickItemMessage = 0xFFF1;
constexpr UINT kPickTabMessage = 0xFFF2;
constexpr LONG kTabHeight = 22;

WindowRec* Locked(Machine::Impl& impl, HWND window) {
  return impl.WindowLocked(window);
}

void Notify(HWND window, UINT code) {
  const HWND parent = GetParent(window);
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), code),
               reinterpret_cast<LPARAM>(window));
}

LRESULT NotifyHeader(HWND window, UINT code) {
  NMHDR header{window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), code};
  return SendMessageA(GetParent(window), WM_NOTIFY, header.idFrom,
                      reinterpret_cast<LPARAM>(&header));
}

DWORD StyleOf(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = Locked(impl, window);
  return w ? w->style : 0;
}

// An automatic check box turns over; any button tells its parent it was clicked.
void ButtonClicked(HWND window) {
  if ((StyleOf(window) & BS_TYPEMASK) == BS_GROUPBOX) return;
  {
    auto& impl = Impl();
    std::lock_guard lock(impl.mu);
    auto* w = Locked(impl, window);
    if (!w) return;
    if ((w->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
      w->check = w->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    }
  }
  Notify(window, BN_CLICKED);
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  switch (message) {
    case BM_GETCHECK: {
      std::lock_guard lock(impl.mu);
      auto* w = Locked(impl, window);
      return w ? w->check : 0;
    }
    case BM_SETCHECK: {
      std::lock_guard lock(impl.mu);
      if (auto* w = Locked(impl, window)) w->check = static_cast<int>(wParam);
      return 0;
    }
    case BM_CLICK:
      if (IsWindowEnabled(window)) ButtonClicked(window);
      return 0;
    case WM_LBUTTONDOWN:
      if (StyleOf(window) & WS_TABSTOP) SetFocus(window);
      return 0;
    case WM_LBUTTONUP:
      ButtonClicked(window);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && GetFocus() == window) ButtonClicked(window);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONUP && (StyleOf(window) & SS_NOTIFY)) {
    Notify(window, STN_CLICKED);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto* w = Locked(impl, window);
  if (!w) return CB_ERR;
  const int count = static_cast<int>(w->items.size());
  switch (message) {
    case CB_ADDSTRING:
      w->items.push_back(emu::StoredText(reinterpret_cast<LPCSTR>(lParam)));
      return count;
    case CB_RESETCONTENT:
      w->items.clear();
      w->selection = -1;
      return 0;
    case CB_GETCOUNT:
      return count;
    case CB_GETCURSEL:
      return w->selection;
    case CB_SETCURSEL: {
      const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
      w->selection = index >= 0 && index < count ? index : -1;
      return w->selection >= 0 ? w->selection : CB_ERR;
    }
    case WM_LBUTTONDOWN:
      lock.unlock();
      SetFocus(window);
      return 0;
    case kPickItemMessage: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return 0;
      w->selection = index;
      lock.unlock();
      SetFocus(window);
      Notify(window, CBN_SELCHANGE);
      return 0;
    }
    default:
      lock.unlock();
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& impl = Impl();
  std::unique_lock lock(impl.mu);
  auto* w = Locked(impl, window);
  if (!w) return -1;
  const int count = static_cast<int>(w->items.size());
  switch (message) {
    case TCM_INSERTITEMA: {
      const auto* item = reinterpret_cast<const TCITEMA*>(lParam);
      const int index = std::clamp(static_cast<int>(wParam), 0, count);
      w->items.insert(w->items.begin() + index,
                      emu::StoredText(item && (item->mask & TCIF_TEXT) ? item->pszText : nullptr));
      if (w->selection < 0) w->selection = 0;
      return index;
    }
    case TCM_GETITEMCOUNT:
      return count;
    case TCM_GETCURSEL:
      return w->selection;
    case TCM_SETCURSEL: {
      const int previous = w->selection;
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return -1;
      w->selection = index;
      return previous;
    }
    case TCM_ADJUSTRECT: {
      // The display area: inside the frame, below the row of tabs.
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return 0;
      const LONG sign = wParam ? -1 : 1;
      rect->left += sign * 4;
      rect->top += sign * (kTabHeight + 2);
      rect->right -= sign * 4;
      rect->bottom -= sign * 4;
      return 0;
    }
    case WM_LBUTTONDOWN:
      lock.unlock();
      SetFocus(window);
      return 0;
    case kPickTabMessage: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return 0;
      lock.unlock();
      SetFocus(window);
      if (index == TabProc(window, TCM_GETCURSEL, 0, 0)) return 0;
      if (NotifyHeader(window, TCN_SELCHANGING)) return 0;  // the parent kept the page
      TabProc(window, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
      NotifyHeader(window, TCN_SELCHANGE);
      return 0;
    }
    default:
      lock.unlock();
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Whether the user can reach the window: it and every window around it shown and enabled.
// The window and the parents it is a child of (an owner is not one of them).
template <class F>
void ForSelfAndParents(Machine::Impl& impl, HWND window, F&& each) {
  for (auto* w = Locked(impl, window); w;
       w = (w->style & WS_CHILD) && w->parent ? Locked(impl, w->parent) : nullptr) {
    each(*w);
  }
}

bool ReachableLocked(Machine::Impl& impl, HWND window, bool needEnabled) {
  bool reachable = Locked(impl, window) != nullptr;
  ForSelfAndParents(impl, window, [&](const WindowRec& w) {
    reachable = reachable && w.visible && !(needEnabled && (w.style & WS_DISABLED));
  });
  return reachable;
}

// The tab stops under `parent`, in z-order, going into control parents.
void CollectTabStopsLocked(Machine::Impl& impl, HWND parent, std::vector<HWND>& out) {
  std::vector<const WindowRec*> children;
  for (const auto& [handle, w] : impl.windows) {
    if (w.parent == parent && (w.style & WS_CHILD)) children.push_back(&w);
  }
  std::sort(children.begin(), children.end(),
            [](const WindowRec* a, const WindowRec* b) { return a->z < b->z; });
  for (const WindowRec* w : children) {
    if (!w->visible || (w->style & WS_DISABLED)) continue;
    if (w->exStyle & WS_EX_CONTROLPARENT) {
      CollectTabStopsLocked(impl, w->handle, out);
    } else if (w->style & WS_TABSTOP) {
      out.push_back(w->handle);
    }
  }
}

bool IsWithin(Machine::Impl& impl, HWND ancestor, HWND window) {
  std::lock_guard lock(impl.mu);
  for (auto* w = Locked(impl, window); w; w = w->parent ? Locked(impl, w->parent) : nullptr) {
    if (w->handle == ancestor) return true;
  }
  return false;
}

BOOL DialogMessage(HWND dialog, LPMSG msg) {
  auto& impl = Impl();
  if (!msg || !dialog || !IsWithin(impl, dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    switch (msg->wParam) {
      case VK_TAB: {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        if (HWND next = GetNextDlgTabItem(dialog, GetFocus(), back)) SetFocus(next);
        return TRUE;
      }
      // With no default push button, Enter and Esc reach the dialog as IDOK and IDCANCEL.
      case VK_RETURN:
        SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return TRUE;
      case VK_ESCAPE:
        SendMessageA(dialog, WM_COMMAND, IDCANCEL,
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return TRUE;
      default:
        break;
    }
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}

// A window's pixels per inch: its monitor's, which is the system's unless per-monitor DPI moved
// it elsewhere; a child window has its top-level window's.
int WindowDpiLocked(Machine::Impl& impl, const WindowRec& window) {
  const WindowRec* w = &window;
  while ((w->style & WS_CHILD) && w->parent) {
    const WindowRec* parent = Locked(impl, w->parent);
    if (!parent) break;
    w = parent;
  }
  return w->dpi ? w->dpi : impl.dpi;
}

// The machine's frame at 96 DPI: 3 pixels each side and a caption of 19 above, scaled as Windows
// scales its metrics (rounded).
struct Frame {
  LONG side = 0;
  LONG caption = 0;
};
Frame FrameOf(DWORD style, int dpi) {
  if ((style & WS_CAPTION) != WS_CAPTION) return {};
  return Frame{MulDiv(3, dpi, 96), MulDiv(19, dpi, 96)};
}

// Posts to the window's thread and waits until the programs have settled; false when the user
// could not reach it.
bool Act(Machine& machine, HWND window, UINT message, WPARAM wParam, bool needEnabled) {
  auto& impl = machine.impl();
  {
    std::lock_guard lock(impl.mu);
    if (!ReachableLocked(impl, window, needEnabled)) return false;
  }
  PostMessageA(window, message, wParam, 0);
  machine.Settle();
  return true;
}

}  // namespace

WNDPROC Machine::Impl::BuiltinClassProc(const std::string& upperName) {
  if (upperName == "BUTTON") return &ButtonProc;
  if (upperName == "STATIC") return &StaticProc;
  if (upperName == "COMBOBOX") return &ComboProc;
  if (upperName == "SYSTABCONTROL32") return &TabProc;
  return nullptr;
}

// --- The user ------------------------------------------------------------------------------------

bool ClickWindow(Machine& machine, HWND window) {
  if (!Act(machine, window, WM_LBUTTONDOWN, MK_LBUTTON, true)) return false;
  return Act(machine, window, WM_LBUTTONUP, 0, true);
}

bool SelectListItem(Machine& machine, HWND comboBox, int index) {
  return Act(machine, comboBox, kPickItemMessage, static_cast<WPARAM>(index), true);
}

bool ClickTab(Machine& machine, HWND tabControl, int index) {
  return Act(machine, tabControl, kPickTabMessage, static_cast<WPARAM>(index), true);
}

HWND FocusWindow(Machine& machine, HWND anyWindow) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto* w = Locked(impl, anyWindow);
  auto* thread = w ? impl.ThreadLocked(w->threadId) : nullptr;
  return thread ? thread->focus : nullptr;
}

bool PressKey(Machine& machine, HWND anyWindow, int virtualKey, bool shift, bool ctrl) {
  HWND focus = FocusWindow(machine, anyWindow);
  if (!focus) return false;
  auto& impl = machine.impl();
  {
    std::lock_guard lock(impl.mu);
    // Keys reach no window of a disabled one (a box it waits for is active instead).
    bool enabled = true;
    ForSelfAndParents(impl, focus,
                      [&](const WindowRec& w) { enabled &= !(w.style & WS_DISABLED); });
    if (!enabled) return false;
    impl.shiftDown = shift;
    impl.ctrlDown = ctrl;
  }
  PostMessageA(focus, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0);
  PostMessageA(focus, WM_KEYUP, static_cast<WPARAM>(virtualKey), 0);
  machine.Settle();
  std::lock_guard lock(impl.mu);
  impl.shiftDown = false;
  impl.ctrlDown = false;
  return true;
}

bool MoveMouseOver(Machine& machine, HWND window) {
  auto& impl = machine.impl();
  {
    std::lock_guard lock(impl.mu);
    if (!ReachableLocked(impl, window, false)) return false;
  }
  // Windows asks the window under the mouse at once (a sent message), then queues the move.
  SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PostMessageA(window, WM_MOUSEMOVE, 0, 0);
  machine.Settle();
  return true;
}

HCURSOR CurrentCursor(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return impl.cursor;
}

void SetPerMonitorDpi(Machine& machine, bool on) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  impl.perMonitorDpi = on;
}

bool MoveToMonitor(Machine& machine, HWND window, int dpi) {
  auto& impl = machine.impl();
  RECT suggested{};
  int old = 0;
  {
    std::lock_guard lock(impl.mu);
    auto* w = Locked(impl, window);
    if (!w || (w->style & WS_CHILD) || dpi <= 0) return false;
    // Before Windows 8.1 every monitor has the system's pixels per inch: nothing changes.
    if (!impl.perMonitorDpi) return true;
    old = w->dpi ? w->dpi : impl.dpi;
    if (old == dpi) return true;
    w->dpi = dpi;
    const RECT& r = w->rect;
    // The whole window, frame included, scaled about its top left corner.
    suggested = RECT{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, old),
                     r.top + MulDiv(r.bottom - r.top, dpi, old)};
  }
  SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  machine.Settle();
  return true;
}

DcColours DcState(Machine& machine, HDC dc) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.dcs.find(dc);
  if (it == impl.dcs.end()) return {};
  return DcColours{it->second.text, it->second.bkMode};
}

void SetVisualStyles(Machine& machine, bool on) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  impl.visualStyles = on;
}

std::vector<ThemeTextureCall> ThemeTextureTrace(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return impl.themeTextureCalls;
}

std::optional<ControlInfo> Control(Machine& machine, HWND window) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto* w = Locked(impl, window);
  if (!w) return std::nullopt;
  ControlInfo info;
  info.className = w->className;
  info.text = w->text;
  info.style = w->style;
  info.exStyle = w->exStyle;
  info.shown = ReachableLocked(impl, window, false);
  info.enabled = true;
  ForSelfAndParents(impl, window,
                    [&](const WindowRec& a) { info.enabled &= !(a.style & WS_DISABLED); });
  info.check = w->check;
  info.items = w->items;
  info.selection = w->selection;
  info.font = w->font;
  info.rect = w->rect;
  info.dpi = WindowDpiLocked(impl, *w);
  const Frame frame = FrameOf(w->style, info.dpi);
  info.client = RECT{0, 0, w->rect.right - w->rect.left - 2 * frame.side,
                     w->rect.bottom - w->rect.top - 2 * frame.side - frame.caption};
  return info;
}

std::optional<FontInfo> Font(Machine& machine, HFONT font) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  auto it = impl.fontObjects.find(font);
  if (it == impl.fontObjects.end()) return std::nullopt;
  const auto& f = it->second;
  return FontInfo{f.face, f.height, f.weight, f.underline, f.charSet};
}

void SetFontFamilies(Machine& machine, std::vector<std::string> faces) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  impl.fonts = std::move(faces);
}

void SetScreenDpi(Machine& machine, int dpi) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  impl.dpi = dpi;
}

}  // namespace emu

// --- user32: focus, enabling, the dialog manager
// ---------------------------------------------------

using emu::Impl;

HWND SetFocus(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto& self = impl.CurrentThreadLocked();
  if (window && !impl.WindowLocked(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND previous = self.focus;
  self.focus = window;
  return previous;
}

HWND GetFocus() {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return impl.CurrentThreadLocked().focus;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!w) return FALSE;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable) {
    w->style &= ~static_cast<DWORD>(WS_DISABLED);
  } else {
    w->style |= WS_DISABLED;
    // A disabled window loses the focus.
    auto& self = impl.CurrentThreadLocked();
    if (self.focus == window) self.focus = nullptr;
  }
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  return w && !(w->style & WS_DISABLED);
}

HWND GetParent(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  return w ? w->parent : nullptr;
}

int GetDlgCtrlID(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  return w ? w->id : 0;
}

short GetKeyState(int virtualKey) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  const bool down =
      (virtualKey == VK_SHIFT && impl.shiftDown) || (virtualKey == VK_CONTROL && impl.ctrlDown);
  return down ? static_cast<short>(0x8000) : 0;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  std::vector<HWND> stops;
  emu::CollectTabStopsLocked(impl, dialog, stops);
  if (stops.empty()) return nullptr;
  auto at = std::find(stops.begin(), stops.end(), control);
  if (at == stops.end()) return previous ? stops.back() : stops.front();
  const size_t i = static_cast<size_t>(at - stops.begin());
  return previous ? stops[(i + stops.size() - 1) % stops.size()] : stops[(i + 1) % stops.size()];
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
  return emu::DialogMessage(dialog, msg);
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (emu::RefusedOnWin9x("IsDialogMessageW")) return FALSE;
  return emu::DialogMessage(dialog, msg);
}

namespace emu {

BOOL WINAPI AdjustWindowRectExForDpi(LPRECT rect, DWORD style, BOOL /*menu*/, DWORD /*exStyle*/,
                                     UINT dpi) {
  if (!rect || dpi == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const Frame frame = FrameOf(style, static_cast<int>(dpi));
  rect->left -= frame.side;
  rect->right += frame.side;
  rect->top -= frame.side + frame.caption;
  rect->bottom += frame.side;
  return TRUE;
}

UINT WINAPI GetDpiForWindow(HWND window) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = Locked(impl, window);
  return w ? static_cast<UINT>(WindowDpiLocked(impl, *w)) : 0;
}

FARPROC User32Export(LPCSTR name) {
  {
    auto& impl = Impl();
    std::lock_guard lock(impl.mu);
    // The DPI functions came together, with Windows 10 1607.
    if (!impl.perMonitorDpi) return nullptr;
  }
  if (std::strcmp(name, "GetDpiForWindow") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetDpiForWindow));
  if (std::strcmp(name, "AdjustWindowRectExForDpi") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&AdjustWindowRectExForDpi));
  return SystemDpiExport(name);
}

// uxtheme (XP and later): the call is recorded; the machine draws no texture.
HRESULT WINAPI EnableThemeDialogTexture(HWND window, DWORD flags) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  if (!Locked(impl, window)) return E_HANDLE;
  impl.themeTextureCalls.push_back(ThemeTextureCall{window, flags});
  return S_OK;
}

BOOL WINAPI IsAppThemed() {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return impl.visualStyles ? TRUE : FALSE;
}

FARPROC UxthemeExport(LPCSTR name) {
  if (std::strcmp(name, "EnableThemeDialogTexture") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&EnableThemeDialogTexture));
  if (std::strcmp(name, "IsAppThemed") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&IsAppThemed));
  return nullptr;
}

}  // namespace emu

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  // The system's metrics, whatever monitor the window will be on.
  int dpi = 96;
  {
    auto& impl = Impl();
    std::lock_guard lock(impl.mu);
    dpi = impl.dpi;
  }
  return emu::AdjustWindowRectExForDpi(rect, style, menu, exStyle, static_cast<UINT>(dpi));
}

BOOL SystemParametersInfoA(UINT action, UINT /*param*/, LPVOID value, UINT /*winIni*/) {
  if (action != SPI_GETWORKAREA || !value) return FALSE;
  // The 1024 x 768 screen less a taskbar of 30 pixels at the bottom.
  *static_cast<RECT*>(value) = RECT{0, 0, 1024, 738};
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto* w = impl.WindowLocked(window);
  if (!rect || !w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const emu::Frame frame = emu::FrameOf(w->style, emu::WindowDpiLocked(impl, *w));
  *rect = RECT{0, 0, w->rect.right - w->rect.left - 2 * frame.side,
               w->rect.bottom - w->rect.top - 2 * frame.side - frame.caption};
  return TRUE;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t magnitude =
      ((product < 0 ? -product : product) + half) / (denominator < 0 ? -denominator : denominator);
  const int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int>(result);
}

HCURSOR SetCursor(HCURSOR cursor) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  HCURSOR previous = impl.cursor;
  impl.cursor = cursor;
  return previous;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  if (emu::RefusedOnWin9x("CreateWindowExW")) return nullptr;
  const std::string cls = emu::NarrowCodePage932(emu::WideString(className));
  const emu::MachineText text(windowName);
  return CreateWindowExA(exStyle, cls.c_str(), windowName ? text.c_str() : nullptr, style, x, y,
                         width, height, parent, menu, instance, param);
}

ATOM RegisterClassW(const WNDCLASSW* wndClass) {
  if (emu::RefusedOnWin9x("RegisterClassW")) return 0;
  if (!wndClass) return RegisterClassA(nullptr);
  std::u16string name;
  for (const WCHAR* p = wndClass->lpszClassName; p && *p; ++p) name += static_cast<char16_t>(*p);
  const std::string narrowName = emu::NarrowCodePage932(name);
  WNDCLASSA narrow{};
  narrow.lpfnWndProc = wndClass->lpfnWndProc;
  narrow.hInstance = wndClass->hInstance;
  narrow.hbrBackground = wndClass->hbrBackground;
  narrow.lpszClassName = wndClass->lpszClassName ? narrowName.c_str() : nullptr;
  return RegisterClassA(&narrow);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (emu::RefusedOnWin9x("DefWindowProcW")) return 0;
  // The machine keeps texts in code page 932 whichever form set them.
  if (message == WM_SETTEXT) {
    const emu::MachineText text(reinterpret_cast<LPCWSTR>(lParam));
    return SetWindowTextA(window, text.c_str());
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (emu::RefusedOnWin9x("SendMessageW")) return 0;
  switch (message) {
    case WM_SETTEXT:
    case CB_ADDSTRING: {
      const emu::MachineText text(reinterpret_cast<LPCWSTR>(lParam));
      return SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    case TCM_INSERTITEMW: {
      const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
      const emu::MachineText text(item ? item->pszText : nullptr);
      TCITEMA narrowItem{};
      if (item) narrowItem.mask = item->mask;
      narrowItem.pszText = const_cast<char*>(text.c_str());
      return SendMessageA(window, TCM_INSERTITEMA, wParam, reinterpret_cast<LPARAM>(&narrowItem));
    }
    default:
      return SendMessageA(window, message, wParam, lParam);
  }
}

// --- comctl32 ------------------------------------------------------------------------------------

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (!init || init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  if (init->dwICC & ICC_TAB_CLASSES) impl.commonControls.insert(impl.CurrentThreadLocked().pid);
  return TRUE;
}

// The older registration, which registers every class comctl32 has, the tab control's among them
// (a plain NT 4.0's comctl32 has only this one).
void InitCommonControls() {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  impl.commonControls.insert(impl.CurrentThreadLocked().pid);
}

// --- gdi32: fonts, the screen's context, colours ------------------------------------------------

namespace {

template <class LogFont>
HFONT NewFont(const LogFont* font, std::string face) {
  if (!font) return nullptr;
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  HFONT handle = reinterpret_cast<HFONT>(impl.gdi.nextHandle);
  impl.gdi.nextHandle += 4;
  impl.fontObjects[handle] = emu::Machine::Impl::FontRec{
      std::move(face), font->lfHeight, font->lfWeight, font->lfUnderline != 0, font->lfCharSet};
  return handle;
}

std::string NarrowFace(const WCHAR* face) {
  std::u16string s;
  for (int i = 0; i < LF_FACESIZE && face[i]; ++i) s += static_cast<char16_t>(face[i]);
  return emu::NarrowCodePage932(s);
}

std::string AnsiFace(const char* face) {
  return emu::StoredText(std::string(face, strnlen(face, LF_FACESIZE)).c_str());
}

// Faces are compared without regard to case, as GDI does.
bool SameFace(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool HasFamily(const std::string& face) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return std::any_of(impl.fonts.begin(), impl.fonts.end(),
                     [&](const std::string& f) { return SameFace(f, face); });
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  return font ? NewFont(font, AnsiFace(font->lfFaceName)) : nullptr;
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
  if (emu::RefusedOnWin9x("CreateFontIndirectW")) return nullptr;
  return font ? NewFont(font, NarrowFace(font->lfFaceName)) : nullptr;
}

int EnumFontFamiliesExA(HDC /*dc*/, LOGFONTA* font, FONTENUMPROCA proc, LPARAM param,
                        DWORD /*flags*/) {
  if (!font || !proc) return 0;
  if (!HasFamily(AnsiFace(font->lfFaceName))) return 1;
  return proc(font, nullptr, 0, param);
}

int EnumFontFamiliesExW(HDC /*dc*/, LOGFONTW* font, FONTENUMPROCW proc, LPARAM param,
                        DWORD /*flags*/) {
  if (emu::RefusedOnWin9x("EnumFontFamiliesExW")) return 0;
  if (!font || !proc) return 0;
  if (!HasFamily(NarrowFace(font->lfFaceName))) return 1;
  return proc(font, nullptr, 0, param);
}

namespace {

// The machine draws no glyphs: a text is as wide as half its font's height for each byte (code page
// 932), and as tall as the font's cell. The screen's context always has the newest font selected.
BOOL Extent(int bytes, LPSIZE size) {
  if (!size) return FALSE;
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  LONG height = 12;
  if (!impl.fontObjects.empty()) height = std::abs(impl.fontObjects.rbegin()->second.height);
  *size = SIZE{bytes * height / 2, height + height / 6};
  return TRUE;
}

}  // namespace

BOOL GetTextExtentPoint32A(HDC /*dc*/, LPCSTR text, int length, LPSIZE size) {
  return text ? Extent(length, size) : FALSE;
}

BOOL GetTextExtentPoint32W(HDC /*dc*/, LPCWSTR text, int length, LPSIZE size) {
  if (!text) return FALSE;
  std::u16string wide(reinterpret_cast<const char16_t*>(text), static_cast<size_t>(length));
  return Extent(static_cast<int>(emu::NarrowCodePage932(wide).size()), size);
}

HGDIOBJ GetStockObject(int object) {
  return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x7000 + object));
}

HDC GetDC(HWND /*window*/) {
  return reinterpret_cast<HDC>(static_cast<uintptr_t>(0x5C5C0));
}

int ReleaseDC(HWND /*window*/, HDC /*dc*/) {
  return 1;
}

int GetDeviceCaps(HDC /*dc*/, int index) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  return index == LOGPIXELSY ? impl.dpi : 0;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto& state = impl.dcs[dc];
  return std::exchange(state.text, color);
}

int SetBkMode(HDC dc, int mode) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto& state = impl.dcs[dc];
  return std::exchange(state.bkMode, mode);
}

DWORD GetSysColor(int /*index*/) {
  return 0;
}

// --- shell32 -------------------------------------------------------------------------------------

HINSTANCE ShellExecuteA(HWND window, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                        LPCSTR directory, INT showCmd) {
  auto& impl = Impl();
  std::lock_guard lock(impl.mu);
  auto text = [](LPCSTR s) { return std::string(s ? s : ""); };
  impl.shellExecutes.push_back(emu::ShellExecuteCall{window, text(operation), text(file),
                                                     text(parameters), text(directory), showCmd});
  // Above 32: the shell took it (what it opens is outside the machine).
  return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(42));
}

namespace emu {
std::vector<ShellExecuteCall> ShellExecuteTrace(Machine& machine) {
  auto& impl = machine.impl();
  std::lock_guard lock(impl.mu);
  return impl.shellExecutes;
}
}  // namespace emu
