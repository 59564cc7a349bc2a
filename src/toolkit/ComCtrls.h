// Tab control and its pages, and the panel of the version page.
#pragma once

#include "toolkit/Controls.h"

namespace vcl {

class TTabSheet : public TControl {
 public:
  using TControl::TControl;
};

class TPageControl : public TControl {
 public:
  using TControl::TControl;
  int ActivePageIndex() const { return activePage_; }
  void SetActivePageIndex(int index) { activePage_ = index; }

 private:
  int activePage_ = 0;
};

class TPanel : public TControl {
 public:
  using TControl::TControl;
};

}  // namespace vcl
