// Popup menus and their items.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Classes.h"
#include "toolkit/SysUtils.h"
#include "toolkit/UtilityWindow.h"

namespace vcl {

class TPopupMenu;

class EMenuError : public Exception {
  using Exception::Exception;
};

// A menu item. Like every component of a form it is owned by the form; it belongs to the menu that
// it is added to (in a form definition, the menu it is written in). A caption of "-" makes a
// separator.
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  // Hidden items are left out of the menu when it is shown.
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool IsLine() const { return caption_ == "-"; }
  // The command number by which the native menu reports a choice of this item.
  UINT Command() const { return command_; }
  TPopupMenu* Menu() const { return menu_; }

  TNotifyEvent OnClick;
  // Runs OnClick as the user's choice does: only while the item is enabled.
  void Click();

  void SetParentComponent(TComponent* parent) override;

 private:
  friend class TPopupMenu;
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  UINT command_ = 0;
  TPopupMenu* menu_ = nullptr;
};

enum class TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  // Appends `item` (taking it from another menu it belongs to).
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);

  // Which side of the menu the popup point gives.
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment alignment) { alignment_ = alignment; }

  // Shows the menu at screen point x, y and returns once it has closed. OnPopup runs first. The
  // chosen item's OnClick runs afterwards, from the message that reports the choice.
  void Popup(int x, int y);

  TNotifyEvent OnPopup;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  std::vector<TMenuItem*> items_;
  TPopupAlignment alignment_ = TPopupAlignment::paLeft;
  std::unique_ptr<TUtilityWindow> window_;
};

// Registers TPopupMenu and TMenuItem for form definitions.
void RegisterMenuClasses();

}  // namespace vcl
