// The event pump, the same on every system; what differs (the system's own
// events, the idle wait) is in system_events.h.
#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/env.h"
#include "platform/system_events.h"

namespace vantrel::platform {

void EventPump::Add(Timer* timer) {
  if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) timers_.push_back(timer);
}

void EventPump::Remove(Timer* timer) { std::erase(timers_, timer); }

void EventPump::Add(WebBrowser* browser) {
  if (std::find(browsers_.begin(), browsers_.end(), browser) == browsers_.end()) {
    browsers_.push_back(browser);
  }
}

void EventPump::Remove(WebBrowser* browser) { std::erase(browsers_, browser); }

void EventPump::DoEvents() {
  bool waited = false;
  // Copies: a handler may add or remove browsers and timers.
  const std::vector<WebBrowser*> browsers = browsers_;
  for (WebBrowser* browser : browsers) {
    if (!browser->Busy()) continue;
    browser->Poll(waited ? std::chrono::milliseconds(0) : std::chrono::milliseconds(10));
    waited = true;
  }
  const auto now = std::chrono::steady_clock::now();
  const std::vector<Timer*> timers = timers_;
  for (Timer* timer : timers) timer->TickIfDue(now);
  // The system's turn (window messages, where there are windows of the
  // system's own), then whatever the host keeps pending itself.
  HandleSystemEvents();
  if (host_ != nullptr) host_->ProcessPendingEvents();
  // Nothing to wait on: wait briefly rather than spin.
  if (!waited) IdleWait();
}

}  // namespace vantrel::platform
