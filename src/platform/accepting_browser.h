// A browser with no server behind it, for runs that must send nothing: every
// navigation is handed to a callback and completes as accepted.
#ifndef VANTREL_PLATFORM_ACCEPTING_BROWSER_H_
#define VANTREL_PLATFORM_ACCEPTING_BROWSER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/web_browser.h"

namespace vantrel::platform {

class AcceptingBrowser : public WebBrowser {
 public:
  // Sees each navigation as it starts: its address as given and, for a POST,
  // its body (nullopt for a GET).
  using RequestHandler = std::function<void(
      const std::string& url, const std::optional<std::vector<std::uint8_t>>& post_data)>;

  // Every navigation goes to `on_request` and then completes, on the next
  // poll, with the document text `reply`.
  explicit AcceptingBrowser(RequestHandler on_request, std::string reply = "SUCCESS")
      : on_request_(std::move(on_request)), reply_(std::move(reply)) {}

  void Navigate2(const std::string& url, int flags,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& headers) override;
  void Stop() override { busy_ = false; }
  bool Busy() const override { return busy_; }
  void Poll(std::chrono::milliseconds max_wait) override;

 private:
  RequestHandler on_request_;
  std::string reply_;
  bool busy_ = false;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_ACCEPTING_BROWSER_H_
