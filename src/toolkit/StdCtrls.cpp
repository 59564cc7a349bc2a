#include "toolkit/StdCtrls.h"

#include "toolkit/WinText.h"

namespace vcl {

TNativeWindow TLabel::NativeWindow() const {
  return {"STATIC", static_cast<DWORD>(SS_LEFT | (OnClick ? SS_NOTIFY : 0)), 0};
}

void TLabel::NativeCommand(UINT code) {
  if (code == STN_CLICKED) Click();
}

TNativeWindow TGroupBox::NativeWindow() const {
  return {"BUTTON", BS_GROUPBOX, 0};
}

TNativeWindow TButton::NativeWindow() const {
  // No default push button: Enter and Esc are bound to none.
  return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
}

void TButton::NativeCommand(UINT code) {
  if (code == BN_CLICKED) Click();
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (window_) SendMessageA(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!Loading()) Click();
}

TNativeWindow TCheckBox::NativeWindow() const {
  return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
}

void TCheckBox::NativeCreated() {
  SendMessageA(window_, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::NativeCommand(UINT code) {
  if (code == BN_CLICKED) SetChecked(SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void TComboBox::SetItemIndex(int index) {
  itemIndex_ = (index >= 0 && index < static_cast<int>(items_.size())) ? index : -1;
  if (window_) SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

std::string TComboBox::Text() const {
  return itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
}

TNativeWindow TComboBox::NativeWindow() const {
  return {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
}

void TComboBox::NativeCreated() {
  for (const std::string& item : items_) SendTextMessage(window_, CB_ADDSTRING, 0, item);
  SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::NativeCommand(UINT code) {
  if (code != CBN_SELCHANGE) return;
  const LRESULT index = SendMessageA(window_, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= static_cast<LRESULT>(items_.size())) return;
  itemIndex_ = static_cast<int>(index);
  if (OnChange) OnChange(this);
}

}  // namespace vcl
