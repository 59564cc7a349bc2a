// Controls: the state the program reads and sets (enabled, visible, caption, position). A control
// keeps its state in the object; its native window, once the form has made it, mirrors it, and
// the user's acts on the window come back to the object as notifications.
#pragma once

#include <string>

#include "platform/win32.h"
#include "toolkit/Classes.h"

namespace vcl {

// A control's own font, where it differs from the form's: character height in pixels at 96 DPI,
// bold, underlined, a colour of its own.
struct TFontStyle {
  int height = 0;  // 0: the form's
  bool bold = false;
  bool underline = false;
  bool hasColor = false;
  COLORREF color = 0;
};

// What the form makes for a control: a window of a standard class with these styles.
struct TNativeWindow {
  const char* className = nullptr;  // none: no window of its own
  DWORD style = 0;
  DWORD exStyle = 0;
};

class TControl : public TComponent {
 public:
  using TComponent::TComponent;

  TControl* Parent() const { return parent_; }
  void SetParent(TControl* parent) { parent_ = parent; }

  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(std::string caption);

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
  // Keyboard order among the controls of the same parent; -1: the order of the definition.
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }
  const TFontStyle& Font() const { return font_; }
  TFontStyle& FontStyle() { return font_; }

  TNotifyEvent OnClick;
  // Runs the click event, as a user's click would.
  virtual void Click();

  // --- The native window ------------------------------------------------------------------------
  HWND WindowHandle() const { return window_; }
  virtual TNativeWindow NativeWindow() const { return {}; }
  // The window is made: the object's state goes to it.
  void AttachWindow(HWND window);
  // A notification from the window: WM_COMMAND's code, or WM_NOTIFY's (whose answer is returned).
  virtual void NativeCommand(UINT /*code*/) {}
  virtual LRESULT NativeNotify(UINT /*code*/) { return 0; }

 protected:
  virtual void NativeCreated() {}
  // Before the window is disabled or hidden: a focus in it moves to the form's next tab stop.
  void LeaveFocus();
  HWND window_ = nullptr;

 private:
  TControl* parent_ = nullptr;
  bool enabled_ = true;
  bool visible_ = true;
  std::string caption_;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int cursor_ = 0;
  int tabOrder_ = -1;
  TFontStyle font_;
};

}  // namespace vcl
