#include "toolkit/ComCtrls.h"

#include "toolkit/WinText.h"

namespace vcl {

const char* TTabSheet::WindowClass() {
  return "TTabSheet";
}

TNativeWindow TTabSheet::NativeWindow() const {
  return {WindowClass(), WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
}

std::vector<TTabSheet*> TPageControl::Pages() const {
  std::vector<TTabSheet*> pages;
  for (int i = 0; i < Owner()->ComponentCount(); ++i) {
    auto* sheet = dynamic_cast<TTabSheet*>(Owner()->Components(i));
    if (sheet && sheet->Parent() == this) pages.push_back(sheet);
  }
  return pages;
}

void TPageControl::SetActivePageIndex(int index) {
  activePage_ = index;
  if (!window_) return;
  SendMessageA(window_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowActivePage();
}

TNativeWindow TPageControl::NativeWindow() const {
  return {WC_TABCONTROLA, WS_TABSTOP | WS_CLIPSIBLINGS, 0};
}

void TPageControl::NativeCreated() {
  int index = 0;
  for (TTabSheet* page : Pages()) InsertTab(window_, index++, page->Caption());
  SendMessageA(window_, TCM_SETCURSEL, static_cast<WPARAM>(activePage_), 0);
}

void TPageControl::SelectNextPage(bool forward) {
  const int count = static_cast<int>(Pages().size());
  if (count < 2) return;
  SetActivePageIndex((activePage_ + (forward ? 1 : count - 1)) % count);
}

void TPageControl::ShowActivePage() {
  const std::vector<TTabSheet*> pages = Pages();
  // A focus on a page that goes away moves to the tabs, where the keyboard chose the page.
  HWND focus = GetFocus();
  for (int index = 0; index < static_cast<int>(pages.size()); ++index) {
    if (index == activePage_ || !pages[index]->WindowHandle()) continue;
    for (HWND w = focus; w; w = GetParent(w)) {
      if (w != pages[index]->WindowHandle()) continue;
      SetFocus(window_);
      break;
    }
  }
  int index = 0;
  for (TTabSheet* page : pages) page->SetVisible(index++ == activePage_);
}

LRESULT TPageControl::NativeNotify(UINT code) {
  if (code == TCN_SELCHANGE) {
    activePage_ = static_cast<int>(SendMessageA(window_, TCM_GETCURSEL, 0, 0));
    ShowActivePage();
  }
  return 0;  // TCN_SELCHANGING: the change may go ahead
}

TNativeWindow TPanel::NativeWindow() const {
  return {"STATIC", SS_ETCHEDFRAME, 0};
}

}  // namespace vcl
