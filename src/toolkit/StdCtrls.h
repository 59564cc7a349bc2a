// Standard controls of the property dialog.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Controls.h"

namespace vcl {

class TLabel : public TControl {
 public:
  using TControl::TControl;
};

class TGroupBox : public TControl {
 public:
  using TControl::TControl;
};

class TButton : public TControl {
 public:
  using TControl::TControl;
};

// A check box's click event runs on every change of its state, by the user or by the program, and
// never when the state does not change. While its form is loading no event runs.
class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // The user's click: toggles the state (when enabled).
  void UserClick();

 private:
  bool checked_ = false;
};

// A drop-down list that allows selection only. Selecting from the program runs no event; a user's
// selection runs OnChange.
class TComboBox : public TControl {
 public:
  using TControl::TControl;
  std::vector<std::string>& Items() { return items_; }
  const std::vector<std::string>& Items() const { return items_; }
  int ItemIndex() const { return itemIndex_; }
  // An index outside the list leaves nothing selected.
  void SetItemIndex(int index);
  // The selected entry's text, empty with nothing selected.
  std::string Text() const;
  // The user's selection of entry `index`.
  void UserSelect(int index);

  TNotifyEvent OnChange;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

}  // namespace vcl
