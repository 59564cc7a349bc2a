#include "toolkit/Controls.h"

namespace vcl {

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

}  // namespace vcl
