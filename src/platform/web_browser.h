// Stand-in for the web browser control that the upload form hosts.
#ifndef VANTREL_PLATFORM_WEB_BROWSER_H_
#define VANTREL_PLATFORM_WEB_BROWSER_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel::platform {

// The text a navigation completes with when it got no reply: the browser's
// own error page.
inline constexpr char kActionCancelled[] = "Action cancelled";

// Navigation flags.
inline constexpr int kNavNoHistory = 2;
inline constexpr int kNavNoReadFromCache = 4;

// Why a navigation completed with "Action cancelled" instead of a reply, or
// with no readable document (kNoDocument).
struct TransferFailure {
  enum class Kind {
    kConnect,     // no connection: refused, unreachable, name not found
    kDropped,     // the connection broke before a whole reply came
    kTimeout,     // the connect or whole-request time ran out, or the reply stalled
    kRedirect,    // the server answered with a redirect, which is never followed
    kNoDocument,  // a reply came, but without a document whose text could be read
    kOther,       // anything else libcurl reports (a reply too long, TLS, ...)
  };
  Kind kind = Kind::kOther;
  std::string text;      // libcurl's description and its detail, or what the reply was
  std::string location;  // kRedirect: the address the redirect pointed to ("" if none)
};

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
  // cannot be navigated at all. The browser sends `post_data` from where it
  // stands, without a copy: the caller keeps it alive and unchanged until the
  // navigation's document completes or Stop is called.
  virtual void Navigate2(const std::string& url, int flags,
                         const std::optional<std::vector<std::uint8_t>>& post_data,
                         const std::string& headers) = 0;

  // Stops the navigation under way; its document never completes.
  virtual void Stop() = 0;

  // True while a navigation is under way.
  virtual bool Busy() const = 0;

  // Does pending transfer work, waiting at most `max_wait` for activity, and
  // fires the document-complete handler on the calling thread, at most once
  // per call. Returns at once when no navigation is under way.
  virtual void Poll(std::chrono::milliseconds max_wait) = 0;

  // Why the last navigation's transfer failed without a reply, or what the
  // reply was when it had no readable document; nullopt when it got a
  // document, or for a browser that cannot tell.
  virtual std::optional<TransferFailure> LastFailure() const { return std::nullopt; }

  // The header fields of the reply to the last navigation's own request (the
  // top document, never a frame's), in the order they came: names as the
  // server sent them, values without the blanks around them. Empty before
  // any reply, for a navigation that got none, or for a browser that cannot
  // tell. A new navigation clears them; a reply whose body then fails to
  // arrive keeps the fields that came.
  using HeaderFields = std::vector<std::pair<std::string, std::string>>;
  virtual HeaderFields LastReplyHeaders() const { return {}; }

 protected:
  void FireDocumentComplete(const std::optional<std::string>& body_text) {
    if (on_document_complete_) on_document_complete_(body_text);
  }

 private:
  DocumentCompleteHandler on_document_complete_;
};

// Limits of the libcurl browser's transfers.
struct CurlBrowserOptions {
  // Time allowed to connect to the server.
  std::chrono::milliseconds connect_timeout{30000};
  // A transfer is given up when less than 1 byte per second arrives for this
  // long (whole seconds, at least 1).
  std::chrono::seconds low_speed_time{300};
  // Time allowed for a whole request, from the start of the navigation to
  // the last byte of the reply; 0 for no limit. A server that drips its
  // reply cannot hold a run past it.
  std::chrono::milliseconds transfer_timeout{300000};
  // Largest reply body kept; a longer reply is given up.
  std::size_t max_body_bytes = 64 * 1024 * 1024;
};

// The browser over libcurl's multi interface: Poll does the transfer work in
// slices. HTTP/1.1, redirects never followed, no cache (flag 4 sends
// "Cache-Control: no-cache" and "Pragma: no-cache"), no cookies kept.
//
// - Any HTTP reply is a document: it completes with the visible text of its
//   body (ReadReplyPage in platform/html_text.h), so an error page of the
//   server (a 500 with HTML) completes with its text, and a reply without a
//   readable document (1xx, 204, 205, 304, an image, XML, a frameset whose
//   frames give nothing) with nullopt; LastFailure then says kNoDocument
//   with the status and content type.
// - A redirect (a 3xx status other than 304) is not followed: a POST must
//   never turn into a GET without its body, nor carry the script to another
//   host. It completes with "Action cancelled"; LastFailure says kRedirect
//   with the Location it named.
// - A failure to connect, a reset or dropped connection, an incomplete reply
//   or a timeout completes with the document text "Action cancelled", as the
//   browser's own error page does.
// - A frameset page loads each of its frames (src resolved against the page,
//   nested framesets too, at most 3 levels and 16 frames); every frame
//   document completes on its own, in the order its transfer ends, and the
//   frameset page itself completes last, with nullopt.
//   Frame documents are GETs with the no-cache headers but without the
//   navigation's extra header lines.
// - Connections are kept for the next navigation; libcurl sends a request
//   again on a new connection only when a kept one closed before any reply.
//   A request whose connection drops later is not sent again.
// - LastFailure tells why the last navigation completed with "Action
//   cancelled"; a new navigation clears it. LastReplyHeaders holds the header
//   fields of the navigation's last reply (after a 1xx, the final one's).
// - Poll fires at most one completion per call. Stop and a new Navigate2
//   abort the transfers and drop completions not yet fired. Busy is true from
//   Navigate2 until the last completion has been fired.
// - A "#" in the address starts a fragment, which is not sent (as in a
//   browser); see BrowserAddress for the other characters.
// Throws ComError from Navigate2 when the address is not an http or https
// address that can be parsed.
std::unique_ptr<WebBrowser> NewCurlWebBrowser();
std::unique_ptr<WebBrowser> NewCurlWebBrowser(const CurlBrowserOptions& options);

// The address as a browser puts it on the wire: a blank becomes %20, control
// characters and bytes from 0x7F up become %XX (upper-case hex); every other
// character, "%", "&", "?", "=", "#" and "/" included, is left as it is
// (PercentEncode in platform/text_util.h with nothing reserved).
std::string BrowserAddress(std::string_view url);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_WEB_BROWSER_H_
