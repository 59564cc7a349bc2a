// Tab control and its pages, and the panel of the version page.
#pragma once

#include <vector>

#include "toolkit/Controls.h"

namespace vcl {

// A page: a window of its own over the tab control's display area, holding the page's controls
// (the dialog manager goes into it for the keyboard order). Its window passes the controls'
// notifications on to the form.
class TTabSheet : public TControl {
 public:
  using TControl::TControl;
  TNativeWindow NativeWindow() const override;
  static const char* WindowClass();
};

// The tab control; its pages are the TTabSheet controls whose parent it is, in definition order.
// The page shown is the active one; a user's click on a tab makes that page active.
class TPageControl : public TControl {
 public:
  using TControl::TControl;
  int ActivePageIndex() const { return activePage_; }
  void SetActivePageIndex(int index);
  // The next page (the previous one), round: the property sheet's Ctrl+Tab (Ctrl+Shift+Tab).
  void SelectNextPage(bool forward);
  std::vector<TTabSheet*> Pages() const;
  TNativeWindow NativeWindow() const override;
  LRESULT NativeNotify(UINT code) override;

 protected:
  void NativeCreated() override;

 private:
  void ShowActivePage();
  int activePage_ = 0;
};

// A frame with a raised inner and lowered outer bevel (an etched frame).
class TPanel : public TControl {
 public:
  using TControl::TControl;
  TNativeWindow NativeWindow() const override;
};

}  // namespace vcl
