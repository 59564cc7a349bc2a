// The form's controls as native windows: made when the form is first shown, laid out for the
// screen's pixels per inch, and what the user does with them handed back to the controls.
//
// Every control is a window of a standard class. The pages of a tab control are windows of their
// own over its display area (the dialog manager goes into them: WS_EX_CONTROLPARENT); a group box
// or a panel is only a frame, and the controls drawn in it are windows of its page or of the form.
// Windows are made in keyboard order, since the dialog manager follows the z-order; the tab
// control then goes below its pages, so that it never paints over them. The Tab key's cycle is
// thus: the tab control, "設定の更新", "キャンセル", "OK", the shown page's controls, the tab
// control again.
#include <algorithm>

#include "toolkit/ComCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"
#include "toolkit/SysUtils.h"
#include "toolkit/WinText.h"

namespace vcl {
namespace {

// The face the dialog was designed with, then faces with the same glyphs that other systems
// have; with none of them the font mapper picks a face for Shift-JIS.
const char* const kFaces[] = {"ＭＳ Ｐゴシック", "MS PGothic",   "MS UI Gothic",
                              "Meiryo UI",       "Yu Gothic UI", "IPAPGothic",
                              "IPAexGothic",     "VL PGothic",   "Noto Sans CJK JP"};
constexpr int kFontHeight = 12;
constexpr int kDesignDpi = 96;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// A drop-down list's window includes its list.
constexpr int kDropDownHeight = 160;

std::string DialogFace() {
  for (const char* face : kFaces) {
    if (FontFaceExists(face, SHIFTJIS_CHARSET)) return face;
  }
  return "";
}

// A page hands what its controls say on to the form, whose window is its parent.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
      return SendMessageA(GetParent(window), message, wParam, lParam);
    default:
      return DefWindowProcText(window, message, wParam, lParam);
  }
}

void RegisterPageClass() {
  // Fails harmlessly when registered already.
  RegisterWindowClass(&PageProc, TTabSheet::WindowClass(), GetSysColorBrush(COLOR_BTNFACE));
}

using InitCommonControlsExProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using InitCommonControlsProc = void(WINAPI*)();

// The tab control's class. comctl32 is loaded here, when the first dialog is made, not at start:
// loading it registers every class it has along with their images (under Wine three 256-pixel
// icons, some 0.8 MB), which a program that mostly sits in the tray would carry for nothing. It
// stays loaded, as the class lives in it. InitCommonControlsEx came with comctl32 4.70 (Internet
// Explorer 3), so a plain NT 4.0 lacks it; comctl32 6 (the manifest's) registers nothing on the
// older InitCommonControls, which serves where the newer call is missing. Without comctl32 no
// window is made: the dialog reports it and can be opened again.
void InitTabControlClass() {
  HMODULE comctl32 = LoadLibraryA("comctl32.dll");
  if (!comctl32) throw EOutOfResources("Error creating window");
  if (FARPROC proc = GetProcAddress(comctl32, "InitCommonControlsEx")) {
    auto initEx = reinterpret_cast<InitCommonControlsExProc>(reinterpret_cast<void (*)()>(proc));
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_TAB_CLASSES};
    if (initEx(&classes)) return;
  }
  if (FARPROC proc = GetProcAddress(comctl32, "InitCommonControls"))
    reinterpret_cast<InitCommonControlsProc>(reinterpret_cast<void (*)()>(proc))();
}

// uxtheme.dll (XP and later): the pages' themed background, the tab pane's texture. Windows 98,
// NT 4.0 and 2000 have no uxtheme, and a page there keeps the button-face colour.
using EnableThemeDialogTextureProc = HRESULT(WINAPI*)(HWND, DWORD);
using IsAppThemedProc = BOOL(WINAPI*)();
constexpr DWORD kEnableTabTexture = 0x6;  // ETDT_ENABLE | ETDT_USETABTEXTURE

bool ThemePages(const std::vector<TTabSheet*>& pages) {
  HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
  if (!uxtheme) return false;
  // With the classic look there is no texture, and controls that let the page show through
  // would only draw their text again over itself.
  FARPROC themedProc = GetProcAddress(uxtheme, "IsAppThemed");
  const bool styled =
      themedProc && reinterpret_cast<IsAppThemedProc>(reinterpret_cast<void (*)()>(themedProc))();
  FARPROC proc = styled ? GetProcAddress(uxtheme, "EnableThemeDialogTexture") : nullptr;
  if (!proc) {
    FreeLibrary(uxtheme);
    return false;
  }
  auto enable = reinterpret_cast<EnableThemeDialogTextureProc>(reinterpret_cast<void (*)()>(proc));
  bool themed = true;
  for (TTabSheet* page : pages)
    themed = enable(page->WindowHandle(), kEnableTabTexture) >= 0 && themed;
  // uxtheme stays loaded: it draws the texture from now on.
  return themed;
}

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// The frame around a client area at `dpi`: per monitor where Windows can tell (10 1607 and later,
// looked up at run time); before that every monitor has the system's metrics.
void AddFrame(RECT& rect, int dpi) {
  if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
    if (FARPROC proc = GetProcAddress(user32, "AdjustWindowRectExForDpi")) {
      auto adjust =
          reinterpret_cast<AdjustWindowRectExForDpiProc>(reinterpret_cast<void (*)()>(proc));
      if (adjust(&rect, kFormStyle, FALSE, kFormExStyle, static_cast<UINT>(dpi))) return;
    }
  }
  AdjustWindowRectEx(&rect, kFormStyle, FALSE, kFormExStyle);
}

// The window's pixels per inch: per monitor where Windows can tell (10 and later, looked up at run
// time), otherwise the system's.
int WindowDpi(HWND window) {
  if (HMODULE user32 = GetModuleHandleA("user32.dll")) {
    if (FARPROC proc = GetProcAddress(user32, "GetDpiForWindow")) {
      auto getDpi = reinterpret_cast<GetDpiForWindowProc>(reinterpret_cast<void (*)()>(proc));
      if (UINT dpi = getDpi(window)) return static_cast<int>(dpi);
    }
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

// Labels stored without a size fit their text: about 6 pixels a byte at the dialog's 12 pixels.
RECT DesignRect(const TControl& control, int dx, int dy) {
  int width = control.Width();
  int height = control.Height();
  if (dynamic_cast<const TLabel*>(&control)) {
    if (width == 0) width = static_cast<int>(control.Caption().size()) * 6 + 4;
    if (height == 0) height = kFontHeight + 2;
  }
  if (dynamic_cast<const TComboBox*>(&control)) height = kDropDownHeight;
  return RECT{dx + control.Left(), dy + control.Top(), dx + control.Left() + width,
              dy + control.Top() + height};
}

}  // namespace

TControl* TForm::ControlOfWindow(HWND window) const {
  auto it = controlOf_.find(window);
  return it == controlOf_.end() ? nullptr : it->second;
}

int TForm::Scale(int designPixels) const {
  return (designPixels * dpi_ + kDesignDpi / 2) / kDesignDpi;
}

void TForm::CreateControlWindows() {
  if (controlsMade_) return;
  InitTabControlClass();
  RegisterPageClass();
  controlsMade_ = true;
  dpi_ = WindowDpi(Handle());
  CreateChildren(this, handle_, 0, 0);
  for (int i = 0; i < ComponentCount(); ++i) {
    if (auto* pages = dynamic_cast<TPageControl*>(Components(i)))
      themed_ = ThemePages(pages->Pages());
  }
  MakeFonts();
  Layout(nullptr);
}

void TForm::CreateChildren(TControl* parent, HWND container, int dx, int dy) {
  std::vector<TControl*> children;
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* control = dynamic_cast<TControl*>(Components(i));
    if (control && control->Parent() == parent) children.push_back(control);
  }
  // Keyboard order: the stored one, else the order of the definition.
  std::vector<std::pair<int, TControl*>> ordered;
  for (size_t i = 0; i < children.size(); ++i) {
    const int order = children[i]->TabOrder();
    ordered.push_back({order >= 0 ? order : static_cast<int>(i), children[i]});
  }
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [order, control] : ordered) {
    if (!control->NativeWindow().className || dynamic_cast<TTabSheet*>(control)) continue;
    const RECT design = DesignRect(*control, dx, dy);
    HWND window = CreateControlWindow(control, container, design);
    if (auto* pages = dynamic_cast<TPageControl*>(control)) {
      for (TTabSheet* page : pages->Pages()) {
        HWND pageWindow = CreateControlWindow(page, container, RECT{});
        CreateChildren(page, pageWindow, 0, 0);
      }
      SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      pages->SetActivePageIndex(pages->ActivePageIndex());
    } else if (dynamic_cast<TGroupBox*>(control) || dynamic_cast<TPanel*>(control)) {
      CreateChildren(control, container, design.left, design.top);
    }
  }
}

HWND TForm::CreateControlWindow(TControl* control, HWND container, RECT design) {
  const TNativeWindow native = control->NativeWindow();
  const bool page = dynamic_cast<TTabSheet*>(control) != nullptr;
  const DWORD style = WS_CHILD | native.style | (control->Visible() && !page ? WS_VISIBLE : 0);
  HWND window = CreateWindowText(native.exStyle, native.className, control->Caption(), style, 0, 0,
                                 0, 0, container, nextControlId_++);
  if (!window) throw EOutOfResources("Error creating window");
  controlOf_[window] = control;
  if (!firstFocus_ && (style & WS_TABSTOP)) firstFocus_ = window;
  placed_.push_back(TPlaced{control, design});
  control->AttachWindow(window);
  return window;
}

void TForm::MakeFonts() {
  const std::string face = DialogFace();
  std::map<TControl*, HFONT> fonts;
  HFONT formFont = CreateFontText(face, Scale(kFontHeight), false, false, SHIFTJIS_CHARSET);
  for (const TPlaced& placed : placed_) {
    const TFontStyle& own = placed.control->Font();
    if (own.height == 0 && !own.bold && !own.underline) continue;
    const int height = own.height ? own.height : kFontHeight;
    fonts[placed.control] =
        CreateFontText(face, Scale(height), own.bold, own.underline, SHIFTJIS_CHARSET);
  }
  std::swap(formFont_, formFont);
  std::swap(ownFonts_, fonts);
  for (const TPlaced& placed : placed_) {
    SendMessageA(placed.control->WindowHandle(), WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontOf(placed.control)), FALSE);
  }
  // The old fonts go once no window uses them.
  if (formFont) DeleteObject(formFont);
  for (const auto& [control, font] : fonts) DeleteObject(font);
}

HFONT TForm::FontOf(TControl* control) const {
  auto own = ownFonts_.find(control);
  return own != ownFonts_.end() ? own->second : formFont_;
}

void TForm::Layout(const RECT* suggested) {
  RECT frame{0, 0, Scale(clientWidth_), Scale(clientHeight_)};
  AddFrame(frame, dpi_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int x = Left();
  int y = Top();
  if (suggested) {
    x = suggested->left;
    y = suggested->top;
  }
  // Wholly on the work area (the design position lies on the primary monitor).
  RECT work{0, 0, 0, 0};
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  }
  SetWindowPos(handle_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const TPlaced& placed : placed_) {
    if (dynamic_cast<TTabSheet*>(placed.control)) continue;
    const RECT& d = placed.design;
    int width = Scale(d.right) - Scale(d.left);
    int height = Scale(d.bottom) - Scale(d.top);
    // A label fits its text, however wide the face the system has draws it.
    if (dynamic_cast<TLabel*>(placed.control)) {
      const SIZE text = MeasureText(FontOf(placed.control), placed.control->Caption());
      width = std::max<int>(width, text.cx);
      height = std::max<int>(height, text.cy);
    }
    SetWindowPos(placed.control->WindowHandle(), nullptr, Scale(d.left), Scale(d.top), width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The pages fill their tab control's display area.
  for (const TPlaced& placed : placed_) {
    auto* pages = dynamic_cast<TPageControl*>(placed.control);
    if (!pages) continue;
    const RECT& d = placed.design;
    RECT area{Scale(d.left), Scale(d.top), Scale(d.right), Scale(d.bottom)};
    SendMessageA(pages->WindowHandle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (TTabSheet* page : pages->Pages()) {
      SetWindowPos(page->WindowHandle(), nullptr, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

bool TForm::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  switch (message) {
    case WM_COMMAND: {
      // Enter and Esc reach the dialog as IDOK and IDCANCEL from no control: bound to nothing.
      if (TControl* control = ControlOfWindow(reinterpret_cast<HWND>(lParam))) {
        control->NativeCommand(HIWORD(wParam));
      }
      return true;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      TControl* control = header ? ControlOfWindow(header->hwndFrom) : nullptr;
      if (!control) return false;
      result = control->NativeNotify(header->code);
      return true;
    }
    case WM_CTLCOLORSTATIC: {
      TControl* control = ControlOfWindow(reinterpret_cast<HWND>(lParam));
      if (!control) return false;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      const TFontStyle& font = control->Font();
      SetTextColor(dc, font.hasColor ? font.color : GetSysColor(COLOR_WINDOWTEXT));
      // Labels are transparent ("Brevo" overlaps "Orvanta"); on a themed page so is everything
      // else, so that the tab pane's texture shows; otherwise boxes keep the face colour.
      result = themed_ || dynamic_cast<TLabel*>(control)
                   ? reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH))
                   : reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    case WM_SETCURSOR: {
      TControl* control = ControlOfWindow(reinterpret_cast<HWND>(wParam));
      if (!control || control->Cursor() == 0 || !Screen) return false;
      ::SetCursor(Screen->Cursors(control->Cursor()));
      result = TRUE;
      return true;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      MakeFonts();
      Layout(reinterpret_cast<const RECT*>(lParam));
      return true;
    }
    default:
      return false;
  }
}

}  // namespace vcl
