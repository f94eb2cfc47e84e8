// The web browser over WinHTTP.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/com_error.h"
#include "platform/html_text.h"
#include "platform/text_util.h"
#include "platform/web_browser.h"
#include "platform/windows/windows_platform.h"
#include "platform/windows/winhttp_transfer.h"

namespace vantrel::platform {

namespace {

constexpr char kActionCancelled[] = "Action cancelled";
constexpr long kNavigateFailed = -2147467259;  // E_FAIL as the control reports it

[[noreturn]] void RaiseNavigateFailed(const std::string& why) {
  throw ComError(kNavigateFailed,
                 "Method 'Navigate2' of object 'IWebBrowser2' failed (" + why + ")");
}

TransferFailure Failure(TransferFailure::Kind kind, std::string text, std::string location = "") {
  TransferFailure failure;
  failure.kind = kind;
  failure.text = std::move(text);
  failure.location = std::move(location);
  return failure;
}

TransferFailure NoDocument(unsigned long status, const std::string& content_type,
                           std::size_t bytes) {
  return Failure(TransferFailure::Kind::kNoDocument,
                 "HTTP " + std::to_string(status) + ", " +
                     (content_type.empty() ? std::string("no content type") : content_type) + ", " +
                     std::to_string(bytes) + " bytes: no readable page");
}

// The extra header lines of a navigation, each without its line end.
std::vector<std::string> HeaderLines(int flags, const std::string& headers) {
  std::vector<std::string> lines;
  if ((flags & kNavNoReadFromCache) != 0) {
    lines.push_back("Cache-Control: no-cache");
    lines.push_back("Pragma: no-cache");
  }
  std::size_t pos = 0;
  while (pos < headers.size()) {
    std::size_t end = headers.find('\n', pos);
    if (end == std::string::npos) end = headers.size();
    std::string line = headers.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

class WinHttpWebBrowser : public WebBrowser {
 public:
  explicit WinHttpWebBrowser(const CurlBrowserOptions& options) : options_(options) {}
  ~WinHttpWebBrowser() override { Stop(); }

  void Navigate2(const std::string& url, int flags,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& headers) override {
    Stop();
    last_failure_.reset();
    last_headers_.clear();
    std::string address = BrowserAddress(url);
    // A fragment is not sent.
    if (const std::size_t hash = address.find('#'); hash != std::string::npos) {
      address.resize(hash);
    }
    if (!win::IsWebAddress(address)) RaiseNavigateFailed("not an http or https address");
    win::TransferRequest request;
    request.url = address;
    request.post_data = post_data;
    request.header_lines = HeaderLines(flags, headers);
    request.connect_timeout = options_.connect_timeout;
    request.stall_timeout = options_.low_speed_time;
    request.max_body_bytes = options_.max_body_bytes;
    started_ = std::chrono::steady_clock::now();
    transfer_ = win::Transfer::Start(std::move(request));
  }

  void Stop() override {
    if (transfer_) transfer_->Cancel();
    transfer_.reset();
  }

  bool Busy() const override { return transfer_ != nullptr; }

  std::optional<TransferFailure> LastFailure() const override { return last_failure_; }
  HeaderFields LastReplyHeaders() const override { return last_headers_; }

  void Poll(std::chrono::milliseconds max_wait) override {
    if (!transfer_) return;
    std::optional<win::TransferOutcome> outcome = transfer_->Wait(max_wait);
    if (!outcome) {
      const auto limit = options_.transfer_timeout;
      if (limit.count() > 0 && std::chrono::steady_clock::now() - started_ >= limit) {
        Stop();
        last_failure_ =
            Failure(TransferFailure::Kind::kTimeout,
                    "the whole request took longer than " + std::to_string(limit.count()) + " ms");
        FireDocumentComplete(std::string(kActionCancelled));
      }
      return;
    }
    transfer_.reset();
    // The handler may navigate again or stop; nothing here is touched after it.
    FireDocumentComplete(Complete(*outcome));
  }

 private:
  // The document text of a finished transfer, with LastFailure set to match.
  std::optional<std::string> Complete(const win::TransferOutcome& outcome) {
    last_headers_ = outcome.headers;
    if (outcome.failure) {
      last_failure_ = outcome.failure;
      return std::string(kActionCancelled);
    }
    const unsigned long status = outcome.status;
    if (status >= 300 && status < 400 && status != 304) {
      last_failure_ = Failure(TransferFailure::Kind::kRedirect,
                              "HTTP " + std::to_string(status) + " redirect to " +
                                  (outcome.location.empty() ? "no address" : outcome.location) +
                                  ", not followed",
                              outcome.location);
      return std::string(kActionCancelled);
    }
    if (status < 200 || status == 204 || status == 205 || status == 304) {
      last_failure_ = NoDocument(status, outcome.content_type, outcome.body.size());
      return std::nullopt;
    }
    ReplyPage page = ReadReplyPage(outcome.body, outcome.content_type);
    if (!page.body_text) {
      last_failure_ = NoDocument(status, outcome.content_type, outcome.body.size());
    }
    return page.body_text;
  }

  CurlBrowserOptions options_;
  std::shared_ptr<win::Transfer> transfer_;
  std::chrono::steady_clock::time_point started_;
  std::optional<TransferFailure> last_failure_;
  HeaderFields last_headers_;
};

}  // namespace

std::string BrowserAddress(std::string_view url) { return PercentEncode(url); }

std::unique_ptr<WebBrowser> NewWinHttpWebBrowser(const CurlBrowserOptions& options) {
  return std::make_unique<WinHttpWebBrowser>(options);
}

}  // namespace vantrel::platform
