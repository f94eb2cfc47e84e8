#include "platform/forms.h"

namespace vantrel::platform {

void Control::Refresh() {
  ++refresh_count_;
  if (host_ != nullptr) host_->Redrawn(*this);
}

void CheckBox::set_value(int value) {
  if (value == value_) return;
  value_ = value;
  if (on_click_) on_click_();
}

void OptionButton::set_value(bool value) {
  value_ = value;
  if (!value) return;
  for (OptionButton* other : group_) {
    if (other != this) other->value_ = false;
  }
}

void Timer::set_enabled(bool enabled) {
  if (enabled && !enabled_) last_ = std::chrono::steady_clock::now();
  enabled_ = enabled;
}

bool Timer::TickIfDue(std::chrono::steady_clock::time_point now) {
  if (!enabled_ || interval_ms_ <= 0) return false;
  if (now - last_ < std::chrono::milliseconds(interval_ms_)) return false;
  last_ = now;
  ++tick_count_;
  if (on_tick_) on_tick_();
  return true;
}

}  // namespace vantrel::platform
