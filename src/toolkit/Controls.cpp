#include "toolkit/Controls.h"

#include "toolkit/Forms.h"
#include "toolkit/WinText.h"

namespace vcl {

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (!window_) return;
  if (!enabled) LeaveFocus();
  EnableWindow(window_, enabled);
}

void TControl::SetVisible(bool visible) {
  visible_ = visible;
  if (!window_) return;
  if (!visible) LeaveFocus();
  ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void TControl::LeaveFocus() {
  // Windows leaves the keyboard nowhere when the focused window is disabled; the dialog moves it
  // on first, as its Tab key would.
  if (auto* form = dynamic_cast<TForm*>(Owner())) form->MoveFocusFrom(window_);
}

void TControl::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (window_) SetWindowCaption(window_, caption_);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::AttachWindow(HWND window) {
  window_ = window;
  if (!enabled_) EnableWindow(window_, FALSE);
  NativeCreated();
}

}  // namespace vcl
