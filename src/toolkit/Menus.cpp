#include "toolkit/Menus.h"

#include <algorithm>
#include <atomic>

#include "toolkit/FormReader.h"
#include "toolkit/WinText.h"

namespace vcl {
namespace {

// Command numbers are 16 bits in WM_COMMAND; 0 is no choice. (Atomic: the emulated machine runs
// several programs' main threads in one process.)
UINT NextCommand() {
  static std::atomic<UINT> next{0};
  return next.fetch_add(1) % 0xFFFF + 1;
}

class MenuHandle {
 public:
  MenuHandle() : menu_(CreatePopupMenu()) {
    if (!menu_) throw EMenuError("Cannot create a menu");
  }
  ~MenuHandle() { DestroyMenu(menu_); }
  MenuHandle(const MenuHandle&) = delete;
  MenuHandle& operator=(const MenuHandle&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

UINT AlignmentFlag(TPopupAlignment alignment) {
  switch (alignment) {
    case TPopupAlignment::paRight:
      return TPM_RIGHTALIGN;
    case TPopupAlignment::paCenter:
      return TPM_CENTERALIGN;
    case TPopupAlignment::paLeft:
      break;
  }
  return TPM_LEFTALIGN;
}

}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
  if (menu_) menu_->Remove(this);
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  auto* menu = dynamic_cast<TPopupMenu*>(parent);
  if (!menu) throw EReadError("a menu item belongs in a popup menu");
  menu->Add(this);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner) {
  window_ = std::make_unique<TUtilityWindow>(
      [this](UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
        return HandleMessage(message, wParam, lParam, handled);
      });
}

TPopupMenu::~TPopupMenu() {
  for (TMenuItem* item : items_) item->menu_ = nullptr;
}

void TPopupMenu::Add(TMenuItem* item) {
  if (item->menu_) item->menu_->Remove(item);
  items_.push_back(item);
  item->menu_ = this;
}

void TPopupMenu::Remove(TMenuItem* item) {
  std::erase(items_, item);
  if (item->menu_ == this) item->menu_ = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  MenuHandle menu;
  for (TMenuItem* item : items_) {
    if (!item->Visible()) continue;
    BOOL added = FALSE;
    if (item->IsLine()) {
      added = AppendMenuText(menu.get(), MF_SEPARATOR, 0, "");
    } else {
      UINT flags = MF_STRING;
      if (!item->Enabled()) flags |= MF_GRAYED;
      if (item->Checked()) flags |= MF_CHECKED;
      added = AppendMenuText(menu.get(), flags, item->Command(), item->Caption());
    }
    if (!added) throw EMenuError("Cannot add the item " + item->Caption() + " to a menu");
  }
  // Nothing of this object is used once the menu has closed: a choice may have freed it already.
  const HWND owner = window_->Handle();
  TrackPopupMenu(menu.get(), AlignmentFlag(alignment_) | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
  // Lets the menu close properly the next time it is shown from a notification icon.
  PostMessageA(owner, WM_NULL, 0, 0);
}

LRESULT TPopupMenu::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/, bool& handled) {
  if (message != WM_COMMAND || HIWORD(wParam) != 0) return 0;
  handled = true;
  const UINT command = LOWORD(wParam);
  for (TMenuItem* item : items_) {
    if (item->Command() == command) {
      item->Click();
      break;
    }
  }
  return 0;
}

void RegisterMenuClasses() {
  // Once, by the first caller: the initialisation of a function-local static is thread-safe.
  static const bool registered = [] {
    auto& r = TClassRegistry::Instance();
    TClassInfo menu{
        "TPopupMenu", "", [](TComponent* o) -> TComponent* { return new TPopupMenu(o); }, {}};
    menu.properties["Alignment"] = ValueProperty<TPopupMenu>([](auto& m, auto& v) {
      const std::string& a = v.AsIdentifier();
      if (a == "paLeft") {
        m.SetAlignment(TPopupAlignment::paLeft);
      } else if (a == "paRight") {
        m.SetAlignment(TPopupAlignment::paRight);
      } else if (a == "paCenter") {
        m.SetAlignment(TPopupAlignment::paCenter);
      } else {
        throw EReadError("unknown alignment " + a);
      }
    });
    menu.properties["OnPopup"] = EventProperty<TPopupMenu>(&TPopupMenu::OnPopup);
    r.Register(menu);

    TClassInfo item{
        "TMenuItem", "", [](TComponent* o) -> TComponent* { return new TMenuItem(o); }, {}};
    item.properties["Caption"] =
        ValueProperty<TMenuItem>([](auto& i, auto& v) { i.SetCaption(v.AsString()); });
    item.properties["Enabled"] =
        ValueProperty<TMenuItem>([](auto& i, auto& v) { i.SetEnabled(v.AsBool()); });
    item.properties["Visible"] =
        ValueProperty<TMenuItem>([](auto& i, auto& v) { i.SetVisible(v.AsBool()); });
    item.properties["Checked"] =
        ValueProperty<TMenuItem>([](auto& i, auto& v) { i.SetChecked(v.AsBool()); });
    item.properties["OnClick"] = EventProperty<TMenuItem>(&TMenuItem::OnClick);
    r.Register(item);
    return true;
  }();
  (void)registered;
}

}  // namespace vcl
