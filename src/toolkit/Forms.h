// The application, the screen and forms.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process_global.h"
#include "platform/win32.h"
#include "toolkit/Controls.h"

namespace vcl {

class TForm;

// Hands the exception being handled to the application's top-level error display (inside a catch
// block); with no application there is nobody to show it to, and the program ends.
void HandleGuardedException();

// Runs `body` and hands any exception to the application's top-level error display: no exception
// may leave a window procedure, timer or hook into Windows' frames. A template, so wrapping a
// message costs no heap allocation.
template <class Body>
void Guarded(Body&& body) {
  try {
    body();
  } catch (...) {
    HandleGuardedException();
  }
}

class TApplication : public TComponent {
 public:
  // Creates the application's top-level window (the one that carries a taskbar button).
  TApplication();
  ~TApplication() override;

  void Initialize() {}
  HWND Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }
  TForm* MainForm() const { return mainForm_; }

  // Creates a form owned by the application; the first one becomes the main form once made.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    if (!mainForm_) mainForm_ = form;
    form->AfterConstruction();
    return form;
  }

  // The message loop: runs until Terminate's quit message is taken.
  void Run();
  // Ends the message loop once the current handler has returned.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Handles one message; false when the queue was empty.
  bool ProcessMessage();
  // Hands a message taken from the queue to the hook, the shown dialog and its window.
  void DispatchTaken(MSG& msg);

  // Called inside a catch block: shows the exception being handled.
  void HandleException();
  // The top-level error display: a box with the title as caption, the error icon and OK. A full
  // stop is appended when the message's last character sorts after ".".
  void ShowException(std::string message);

  // Sees every message the loop takes from the queue before it is dispatched; setting the flag
  // stops the dispatch.
  std::function<void(MSG& msg, bool& handled)> OnMessage;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  HWND handle_ = nullptr;
  std::string title_;
  bool showMainForm_ = true;
  bool terminated_ = false;
  TForm* mainForm_ = nullptr;
};

// Screen-wide state: the table of cursors that controls name by number.
class TScreen {
 public:
  HCURSOR Cursors(int index) const;
  void SetCursors(int index, HCURSOR cursor);

 private:
  std::map<int, HCURSOR> cursors_;
};

// The process's application and screen; set by the program's entry while it runs.
extern ProcessPointer<TApplication> Application;
extern ProcessPointer<TScreen> Screen;

class TForm : public TControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // The class name that the form definition and the window class carry.
  virtual std::string ClassName() const { return "TForm"; }
  // The handler called `name`, for binding the definition's events; empty when there is none.
  TNotifyEvent MethodAddress(std::string_view name) const;

  // Runs OnCreate; a failure in it is shown by the top-level error display and the form is created
  // all the same.
  void AfterConstruction();

  HWND Handle();  // the form's window, made on first use
  bool HandleAllocated() const { return handle_ != nullptr; }
  // The screen's pixels per inch that the form's windows are laid out for (96 as designed).
  int Dpi() const { return dpi_; }
  // The control whose native window `window` is; null for any other window.
  TControl* ControlOfWindow(HWND window) const;
  void Show();
  void Hide();
  // Closing the main form ends the application; another form is hidden.
  void Close();
  void SetVisible(bool visible) override;
  void SetCaption(std::string caption) override;
  // The focus, when it is in `window`, moves to the next tab stop (and so does the control
  // remembered for the next activation).
  void MoveFocusFrom(HWND window);
  // The property-sheet keys: Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PageDown and Ctrl+PageUp on any of
  // the form's windows switch its tab control's pages. True when `msg` was one of them.
  bool PageKey(const MSG& msg);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  void SetClientWidth(int w) { clientWidth_ = w; }
  void SetClientHeight(int h) { clientHeight_ = h; }

  TNotifyEvent OnCreate;

 protected:
  // Reads the form definition into this form (called by the derived form's constructor).
  void ReadDefinition(std::string_view definition);
  void RegisterMethod(std::string name, TNotifyEvent handler);
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // --- The native windows of the controls (FormWindows.cpp)
  // --------------------------------------- A control's window with its place as designed: left,
  // top, right, bottom in its container's client pixels at 96 DPI.
  struct TPlaced {
    TControl* control;
    RECT design;
  };
  // Makes the windows of every control, once, when the form is first shown.
  void CreateControlWindows();
  void CreateChildren(TControl* parent, HWND container, int dx, int dy);
  HWND CreateControlWindow(TControl* control, HWND container, RECT design);
  // Places the form and its controls for `dpi_`; at `suggested`'s position when Windows gives one.
  void Layout(const RECT* suggested);
  void MakeFonts();
  HFONT FontOf(TControl* control) const;
  int Scale(int designPixels) const;
  // A control's answers to its window's messages that reach the form.
  bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Whether `window` is `ancestor` or inside it (a child of a child ...).
  bool IsInside(HWND ancestor, HWND window) const;
  // WM_ACTIVATE: the focused control is remembered when the form is deactivated and given the
  // focus again when it is activated, as a dialog does (Windows' default gives it to the form).
  void Activated(bool active);
  void RestoreFocus();

  HWND handle_ = nullptr;
  HWND savedFocus_ = nullptr;  // the control to focus on the next activation
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  std::map<std::string, TNotifyEvent, std::less<>> methods_;
  bool controlsMade_ = false;
  bool themed_ = false;        // the pages have the tab pane's texture (visual styles)
  HWND firstFocus_ = nullptr;  // the first window in keyboard order
  int dpi_ = 96;
  int nextControlId_ = 100;
  std::vector<TPlaced> placed_;
  std::map<HWND, TControl*> controlOf_;
  HFONT formFont_ = nullptr;
  std::map<TControl*, HFONT> ownFonts_;
};

// Registers the toolkit's own component classes for form definitions (once per process).
void RegisterToolkitClasses();

}  // namespace vcl
