// The timer component.
#pragma once

#include <memory>

#include "toolkit/Classes.h"
#include "toolkit/UtilityWindow.h"

namespace vcl {

// Runs OnTimer every Interval milliseconds while Enabled; a timer without a handler or with
// interval 0 does not run.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned interval);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent handler);

 private:
  void UpdateTimer();

  bool enabled_ = true;
  unsigned interval_ = 1000;
  TNotifyEvent onTimer_;
  std::unique_ptr<TUtilityWindow> window_;
};

}  // namespace vcl
