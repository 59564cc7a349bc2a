#include "toolkit/StdCtrls.h"

namespace vcl {

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (!Loading()) Click();
}

void TCheckBox::UserClick() {
  if (Enabled()) SetChecked(!checked_);
}

void TComboBox::SetItemIndex(int index) {
  itemIndex_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
}

std::string TComboBox::Text() const {
  return itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
}

void TComboBox::UserSelect(int index) {
  if (!Enabled() || index < 0 || index >= static_cast<int>(items_.size())) return;
  itemIndex_ = index;
  if (OnChange) OnChange(this);
}

}  // namespace vcl
