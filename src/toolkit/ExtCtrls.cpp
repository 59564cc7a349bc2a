#include "toolkit/ExtCtrls.h"

#include "toolkit/SysUtils.h"

namespace vcl {
namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = std::make_unique<TUtilityWindow>([this](UINT message, WPARAM, LPARAM, bool& handled) {
    if (message == WM_TIMER) {
      handled = true;
      if (enabled_ && onTimer_) onTimer_(this);
    }
    return LRESULT{0};
  });
}

TTimer::~TTimer() {
  enabled_ = false;
  KillTimer(window_->Handle(), kTimerId);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(window_->Handle(), kTimerId);
  if (interval_ != 0 && enabled_ && onTimer_) {
    if (!SetTimer(window_->Handle(), kTimerId, interval_, nullptr)) {
      throw EOutOfResources("Not enough timers available");
    }
  }
}

}  // namespace vcl
