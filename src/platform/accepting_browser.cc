#include "platform/accepting_browser.h"

namespace vantrel::platform {

void AcceptingBrowser::Navigate2(const std::string& url, int /*flags*/,
                                 const std::optional<std::vector<std::uint8_t>>& post_data,
                                 const std::string& /*headers*/) {
  if (on_request_) on_request_(url, post_data);
  busy_ = true;
}

void AcceptingBrowser::Poll(std::chrono::milliseconds /*max_wait*/) {
  if (!busy_) return;
  busy_ = false;
  FireDocumentComplete(reply_);
}

}  // namespace vantrel::platform
