// The tray icon component: its place in the process's icon table, its properties and the shell
// calls that keep the notification area in step with them.
#include "tray/TrayIcon.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/process_global.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/SysUtils.h"

namespace {

constexpr const char kRegistrationError[] = "タスクトレイにアイコンを登録できません。";
constexpr size_t kMaxIcons = 100;
// The first version's tip field holds 64 bytes; a tip keeps two bytes less than that.
constexpr size_t kTipLimit = 62;
constexpr int kMinAnimateRate = 100;
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104),
              "the first version of the record: 88 bytes in 32-bit Windows, 104 in 64-bit");

// The living icons in creation order, IDs ascending.
std::vector<std::pair<int, TTrayIcon*>>& IconTable() {
  static ProcessGlobal<std::vector<std::pair<int, TTrayIcon*>>> table;
  return *table;
}

// The callback window for `icon`'s adds: the process's one, or a new one owned by the icon's owner
// (by the icon itself when it has none, so that nothing is left unowned).
TCallbackWindow* EnsureCallbackWindow(TTrayIcon* icon) {
  return TCallbackWindow::Ensure(icon->Owner() ? icon->Owner() : icon);
}

}  // namespace

TTrayIcon* FindTrayIcon(int id) {
  for (const auto& [entryId, icon] : IconTable()) {
    if (entryId == id) return icon;
  }
  return nullptr;
}

int TrayIconCount() {
  return static_cast<int>(IconTable().size());
}

std::vector<TTrayIcon*> TrayIcons() {
  std::vector<TTrayIcon*> icons;
  for (const auto& entry : IconTable()) icons.push_back(entry.second);
  return icons;
}

// The animation steps on a timer of the main thread: it shows one frame after the other and has
// the registered icon modified at each step. (A thread would only sleep and hand every step back
// to the main thread, and destruction would have to wait out its sleep.)
class TAnimationWorker {
 public:
  explicit TAnimationWorker(TTrayIcon& icon) : icon_(icon), timer_(nullptr) {
    frame_.SetHandle(icon.AnimateIcons()->Icon(0));
    frame_.OnChange = [this](vcl::TObject*) { icon_.IconImageChanged(); };
    timer_.SetInterval(static_cast<unsigned>(icon.AnimateRate()));
    timer_.SetOnTimer([this](vcl::TObject*) { Step(); });
  }

  HICON Frame() { return frame_.Handle(); }
  void SetRate(int rate) { timer_.SetInterval(static_cast<unsigned>(rate)); }
  void Terminate() {
    timer_.SetEnabled(false);
    frame_.OnChange = nullptr;
  }

 private:
  void Step() {
    vcl::TImageList* frames = icon_.AnimateIcons();
    if (!frames || frames->Count() == 0) return;
    index_ = (index_ + 1) % frames->Count();
    frame_.SetHandle(frames->Icon(index_));
  }

  TTrayIcon& icon_;
  vcl::TIcon frame_;
  vcl::TTimer timer_;
  int index_ = 0;
};

TTrayIcon::TTrayIcon(vcl::TComponent* owner)
    : vcl::TComponent(owner), icon_(std::make_unique<vcl::TIcon>()) {
  auto& table = IconTable();
  const int id = table.empty() ? 1 : table.back().first + 1;
  if (table.size() >= kMaxIcons) throw vcl::EOutOfMemory(kRegistrationError);
  icon_->OnChange = [this](vcl::TObject*) { IconImageChanged(); };
  EnsureCallbackWindow(this);
  notifyData_ = std::make_unique<NOTIFYICONDATAA>();
  // The first version of the record, whatever the headers' full record is: the shell then reads
  // a 64-byte tip, which is what the 62-byte cut is for.
  notifyData_->cbSize = NOTIFYICONDATAA_V1_SIZE;
  notifyData_->uCallbackMessage = TCallbackWindow::kCallbackMessage;
  notifyData_->uID = static_cast<UINT>(id);
  // Last, so that a construction that fails leaves no entry.
  iconID_ = id;
  table.emplace_back(id, this);
}

TTrayIcon::~TTrayIcon() {
  if (animationWorker_) {
    animationWorker_->Terminate();
    animationWorker_.reset();
    animating_ = false;
  }
  if (registered_) {
    // A failed delete is not reported, and nothing may leave a destructor.
    try {
      UpdateShellIcon(NIM_DELETE);
    } catch (...) {
    }
  }
  notifyData_.reset();
  auto& table = IconTable();
  std::erase_if(table, [this](const auto& entry) { return entry.second == this; });
  // A click completion that comes later must find nothing of this icon.
  if (TCallbackWindow* window = CallbackWindow(); window && window->currentIcon_ == this) {
    window->currentIcon_ = nullptr;
  }
  icon_->OnChange = nullptr;
}

void TTrayIcon::Loaded() {
  // The form definition's image came at the classic size; a screen with larger small icons gets
  // it again at theirs before the shell first sees it.
  if (const std::string name = icon_->ResourceName(); !name.empty() && TrayImageSize() != 16) {
    if (HICON sized = LoadTrayImage(name.c_str())) icon_->SetHandle(sized);
  }
  UpdateShellIcon(NIM_ADD);
  vcl::TComponent::Loaded();
}

void TTrayIcon::Notification(vcl::TComponent* component, vcl::TOperation operation) {
  vcl::TComponent::Notification(component, operation);
  if (operation != vcl::TOperation::opRemove || !component) return;
  // Compared as components: a component that is going away is no longer of its own class.
  if (component == lbPopupMenu_) lbPopupMenu_ = nullptr;
  if (component == rbPopupMenu_) rbPopupMenu_ = nullptr;
  if (component == animateIcons_) {
    // Called from the image list's destruction, where nothing may be raised: a modify the shell
    // refuses here leaves the last frame shown.
    try {
      StopAnimation();
    } catch (...) {
    }
    animateIcons_ = nullptr;
  }
}

void TTrayIcon::SetAnimateIcons(vcl::TImageList* images) {
  if (animating_) return;
  animateIcons_ = images;
  if (images) images->FreeNotification(this);
}

void TTrayIcon::SetAnimateRate(int rate) {
  if (rate == animateRate_) return;
  animateRate_ = std::max(rate, kMinAnimateRate);
  if (animationWorker_) animationWorker_->SetRate(animateRate_);
}

void TTrayIcon::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  // A single click being waited for is dropped.
  if (!enabled) clickPending_ = false;
}

void TTrayIcon::SetIcon(vcl::TIcon* icon) {
  if (icon == icon_.get()) return;
  if (icon) {
    icon_->Assign(*icon);
    return;
  }
  icon_->ReleaseHandle();
  icon_->SetHandle(nullptr);
  SetVisible(false);
}

void TTrayIcon::SetLBPopupMenu(vcl::TPopupMenu* menu) {
  lbPopupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TTrayIcon::SetRBPopupMenu(vcl::TPopupMenu* menu) {
  rbPopupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TTrayIcon::SetTipHelp(std::string tip) {
  // Counts bytes: the cut may split a two-byte character, as the shell's field would.
  if (tip.size() > kTipLimit) tip.resize(kTipLimit);
  if (tip == tipHelp_) return;
  tipHelp_ = std::move(tip);
  if (registered_) UpdateShellIcon(NIM_MODIFY);
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = icon_->Handle() ? visible : false;
  // The end of loading adds the icon.
  if (Loading()) return;
  if (visible_) {
    UpdateShellIcon(NIM_ADD);
  } else if (registered_) {
    UpdateShellIcon(NIM_DELETE);
  }
}

void TTrayIcon::IconImageChanged() {
  if (registered_) UpdateShellIcon(NIM_MODIFY);
}

void TTrayIcon::StartAnimation() {
  if (animating_ || !animateIcons_ || animateIcons_->Count() == 0) return;
  animationWorker_ = std::make_unique<TAnimationWorker>(*this);
  animating_ = true;
  if (registered_) UpdateShellIcon(NIM_MODIFY);
}

void TTrayIcon::StopAnimation() {
  if (!animating_) return;
  animationWorker_->Terminate();
  animationWorker_.reset();
  animating_ = false;
  if (registered_) UpdateShellIcon(NIM_MODIFY);
}

void TTrayIcon::UpdateShellIcon(DWORD action) {
  NOTIFYICONDATAA& data = *notifyData_;
  data.hIcon = animating_ ? animationWorker_->Frame() : icon_->Handle();
  std::memcpy(data.szTip, tipHelp_.data(), tipHelp_.size());
  data.szTip[tipHelp_.size()] = '\0';
  data.uFlags = tipHelp_.empty() ? NIF_MESSAGE | NIF_ICON : NIF_MESSAGE | NIF_ICON | NIF_TIP;
  switch (action) {
    case NIM_ADD:
      if (!visible_) return;
      data.hWnd = EnsureCallbackWindow(this)->Handle();
      if (!Shell_NotifyIconA(NIM_ADD, &data)) throw vcl::EOutOfMemory(kRegistrationError);
      registered_ = true;
      break;
    case NIM_MODIFY:
      if (!Shell_NotifyIconA(NIM_MODIFY, &data)) throw vcl::EOutOfMemory(kRegistrationError);
      break;
    case NIM_DELETE:
      Shell_NotifyIconA(NIM_DELETE, &data);
      registered_ = false;
      break;
    default:
      break;
  }
}
