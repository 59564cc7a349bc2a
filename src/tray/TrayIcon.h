// Unit TrayIcon: the notification-area icon component, the process's callback window that the
// shell reports the mouse to, and the worker that tells a single left click from a double click.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "toolkit/Controls.h"
#include "toolkit/Graphics.h"
#include "toolkit/ImgList.h"
#include "toolkit/Menus.h"
#include "toolkit/Thread.h"

enum TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// A set of flags in one byte; the tray icon passes no flag or exactly one button.
using TShiftState = uint8_t;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;

using TMouseEvent =
    std::function<void(vcl::TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(vcl::TObject* sender, TShiftState shift, int x, int y)>;

class TTrayIcon;
class TAnimationWorker;

// The one hidden window per process that the shell reports every tray icon's mouse activity to.
// The first tray icon makes it, owned by that icon's owner; its native window is a zero-size popup
// owned by the owner form's window, made when the first icon is added.
class TCallbackWindow : public vcl::TControl {
 public:
  static constexpr UINT kCallbackMessage = WM_USER + 200;

  // The process's callback window, made with `owner` when there is none.
  static TCallbackWindow* Ensure(vcl::TComponent* owner);
  ~TCallbackWindow() override;

  HWND Handle();
  // The icon named by the latest callback message whose ID was found (empty once it is destroyed).
  TTrayIcon* CurrentIcon() const { return currentIcon_; }
  // The completion of a TSingleClick wait, on the main thread.
  void SingleClickDone();

 private:
  friend class TTrayIcon;
  explicit TCallbackWindow(vcl::TComponent* owner);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  void TrayMessage(WPARAM id, LPARAM mouseMessage);
  void MenuPopup(TTrayIcon* icon, bool left, int x, int y);
  void SingleClick(TTrayIcon* icon);
  void TaskbarCreated();

  HWND handle_ = nullptr;
  UINT taskbarCreated_ = 0;
  TTrayIcon* currentIcon_ = nullptr;
};

// Waits the double-click interval and a little more, then ends; its completion, on the main thread,
// is the callback window's SingleClickDone. It touches nothing shared.
class TSingleClick : public vcl::TThread {
 protected:
  void Execute() override;
};

class TTrayIcon : public vcl::TComponent {
 public:
  // Raises the registration error (EOutOfMemory) when 100 tray icons live already.
  explicit TTrayIcon(vcl::TComponent* owner);
  ~TTrayIcon() override;
  void Loaded() override;

  // --- Stored properties ---------------------------------------------------------------------
  vcl::TImageList* AnimateIcons() const { return animateIcons_; }
  void SetAnimateIcons(vcl::TImageList* images);
  int AnimateRate() const { return animateRate_; }
  void SetAnimateRate(int rate);
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  vcl::TIcon* Icon() const { return icon_.get(); }
  void SetIcon(vcl::TIcon* icon);
  vcl::TPopupMenu* LBPopupMenu() const { return lbPopupMenu_; }
  void SetLBPopupMenu(vcl::TPopupMenu* menu);
  vcl::TPopupMenu* RBPopupMenu() const { return rbPopupMenu_; }
  void SetRBPopupMenu(vcl::TPopupMenu* menu);
  const std::string& TipHelp() const { return tipHelp_; }
  void SetTipHelp(std::string tip);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  vcl::TNotifyEvent OnClick;
  vcl::TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;

  // --- State -----------------------------------------------------------------------------------
  int IconID() const { return iconID_; }
  bool Registered() const { return registered_; }
  bool ClickPending() const { return clickPending_; }
  const NOTIFYICONDATAA& NotifyData() const { return *notifyData_; }

  // The animation: the shell is shown AnimateIcons' images one after the other, one every
  // AnimateRate milliseconds, instead of Icon. Starting needs an image list with an image.
  bool Animating() const { return animating_; }
  void StartAnimation();
  void StopAnimation();

  // NIM_ADD, NIM_MODIFY or NIM_DELETE for this icon.
  void UpdateShellIcon(DWORD action);

 protected:
  void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

 private:
  friend class TCallbackWindow;
  friend class TAnimationWorker;
  void IconImageChanged();

  bool animating_ = false;
  vcl::TImageList* animateIcons_ = nullptr;
  int animateRate_ = 500;
  bool autoPopup_ = true;
  bool enabled_ = true;
  std::unique_ptr<vcl::TIcon> icon_;
  vcl::TPopupMenu* lbPopupMenu_ = nullptr;
  vcl::TPopupMenu* rbPopupMenu_ = nullptr;
  std::string tipHelp_ = "TipHelp";
  bool visible_ = false;
  std::unique_ptr<TAnimationWorker> animationWorker_;
  int iconID_ = 0;
  bool registered_ = false;
  std::unique_ptr<NOTIFYICONDATAA> notifyData_;
  bool clickPending_ = false;
};

// The process's callback window, empty before the first icon and after its owner destroyed it.
TCallbackWindow* CallbackWindow();
// The living tray icon with that ID, or none.
TTrayIcon* FindTrayIcon(int id);
int TrayIconCount();
// The living tray icons in creation order.
std::vector<TTrayIcon*> TrayIcons();

// Registers TTrayIcon and its stored properties for form definitions (once per process).
void RegisterTrayClasses();

// The width and height, in pixels, of the small icons the notification area shows (16 at 96 DPI).
int TrayImageSize();
// The program's icon resource `name` at that size (LoadIconA's shared icon at 16 pixels); null
// when there is none.
HICON LoadTrayImage(const char* name);
