// Stand-in for the web browser control that the upload form hosts.
#ifndef VANTREL_PLATFORM_WEB_BROWSER_H_
#define VANTREL_PLATFORM_WEB_BROWSER_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform {

// Navigation flags.
inline constexpr int kNavNoHistory = 2;
inline constexpr int kNavNoReadFromCache = 4;

class WebBrowser {
 public:
  // Runs once for every document that completes, top page and frames alike.
  // `body_text` is the visible text of the document's body; nullopt when the
  // reply has no document whose body can be read.
  using DocumentCompleteHandler = std::function<void(const std::optional<std::string>& body_text)>;

  virtual ~WebBrowser() = default;

  void set_on_document_complete(DocumentCompleteHandler handler) {
    on_document_complete_ = std::move(handler);
  }

  // Starts a navigation to `url` and returns at once. With `post_data` the
  // request is a POST of exactly those bytes (an empty body included);
  // without it a GET. `headers` holds extra header lines, each ended by CR LF.
  // A navigation under way is stopped first. Throws ComError when the address
  // cannot be navigated at all.
  virtual void Navigate2(const std::string& url, int flags,
                         const std::optional<std::vector<std::uint8_t>>& post_data,
                         const std::string& headers) = 0;

  // Stops the navigation under way; its document never completes.
  virtual void Stop() = 0;

  // True while a navigation is under way.
  virtual bool Busy() const = 0;

  // Does pending transfer work, waiting at most `max_wait` for activity, and
  // fires the document-complete handler on the calling thread.
  virtual void Poll(std::chrono::milliseconds max_wait) = 0;

 protected:
  void FireDocumentComplete(const std::optional<std::string>& body_text) {
    if (on_document_complete_) on_document_complete_(body_text);
  }

 private:
  DocumentCompleteHandler on_document_complete_;
};

// The browser over libcurl: no cache, no cookies kept, redirects followed. A
// failure to connect, a reset connection or a timeout completes with the
// document text "Action cancelled", as the browser's own error page does.
std::unique_ptr<WebBrowser> NewCurlWebBrowser();

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_WEB_BROWSER_H_
