// Standard controls of the property dialog.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Controls.h"

namespace vcl {

// A static text; with a click event it reports clicks.
class TLabel : public TControl {
 public:
  using TControl::TControl;
  TNativeWindow NativeWindow() const override;
  void NativeCommand(UINT code) override;
};

// A frame with a caption around other controls (which are the form's windows, not its own).
class TGroupBox : public TControl {
 public:
  using TControl::TControl;
  TNativeWindow NativeWindow() const override;
};

class TButton : public TControl {
 public:
  using TControl::TControl;
  TNativeWindow NativeWindow() const override;
  void NativeCommand(UINT code) override;
};

// A check box's click event runs on every change of its state, by the user or by the program, and
// never when the state does not change. While its form is loading no event runs.
class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  TNativeWindow NativeWindow() const override;
  // The window toggled itself on the user's click or space bar: the object follows.
  void NativeCommand(UINT code) override;

 protected:
  void NativeCreated() override;

 private:
  bool checked_ = false;
};

// A drop-down list that allows selection only. Selecting from the program runs no event; a user's
// selection runs OnChange. The entries go to the window when it is made.
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
  TNativeWindow NativeWindow() const override;
  void NativeCommand(UINT code) override;

  TNotifyEvent OnChange;

 protected:
  void NativeCreated() override;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

}  // namespace vcl
