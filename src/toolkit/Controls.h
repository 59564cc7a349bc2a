// Controls: the state the program reads and sets (enabled, visible, caption, position). A control
// keeps its state in the object; a native window, where one is made, mirrors it.
#pragma once

#include <string>

#include "toolkit/Classes.h"

namespace vcl {

class TControl : public TComponent {
 public:
  using TComponent::TComponent;

  TControl* Parent() const { return parent_; }
  void SetParent(TControl* parent) { parent_ = parent; }

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible) { visible_ = visible; }
  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(std::string caption) { caption_ = std::move(caption); }

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { left_ = v; }
  void SetTop(int v) { top_ = v; }
  void SetWidth(int v) { width_ = v; }
  void SetHeight(int v) { height_ = v; }
  int Cursor() const { return cursor_; }
  void SetCursor(int cursor) { cursor_ = cursor; }

  TNotifyEvent OnClick;
  // Runs the click event, as a user's click would.
  virtual void Click();

 private:
  TControl* parent_ = nullptr;
  bool enabled_ = true;
  bool visible_ = true;
  std::string caption_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int cursor_ = 0;
};

}  // namespace vcl
