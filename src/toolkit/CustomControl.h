// A control with a native window of its own that it paints itself, and that takes keys, the mouse
// and the focus. The window is made on first use: as a child of the parent form's window, or as a
// hidden top-level window when the control has no windowed parent.
#pragma once

#include <string>

#include "platform/win32.h"
#include "toolkit/Controls.h"

namespace vcl {

class TCustomControl : public TControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Asks for a repaint; nothing to do while there is no window.
  void Invalidate();
  bool Focused() const { return focused_; }
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
  void SetVisible(bool visible) override;

 protected:
  virtual const char* WindowClassName() const { return "TCustomControl"; }
  virtual void Paint(HDC /*dc*/) {}
  virtual void KeyDown(WORD /*key*/) {}
  // The left mouse button, in client coordinates.
  virtual void MouseDown(int /*x*/, int /*y*/) {}
  virtual void MouseMove(int /*x*/, int /*y*/, bool /*leftButtonDown*/) {}
  virtual void MouseUp(int /*x*/, int /*y*/) {}
  virtual void FocusChanged() {}
  virtual void Resize() {}
  // WM_GETDLGCODE: which keys the control wants for itself (DLGC_WANTARROWS ...).
  virtual UINT DialogCode() const { return 0; }
  // Messages of the control's own; true when handled, with the result in `result`.
  virtual bool HandleMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                             LRESULT& /*result*/) {
    return false;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

  HWND handle_ = nullptr;
  bool focused_ = false;
  bool tabStop_ = false;
};

}  // namespace vcl
