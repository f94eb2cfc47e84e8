// The web browser over libcurl's multi interface.
#include <curl/curl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com_error.h"
#include "platform/html_text.h"
#include "platform/text_util.h"
#include "platform/web_browser.h"

namespace vantrel::platform {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; Vantrel)";
constexpr long kNavigateFailed = -2147467259;  // E_FAIL as the control reports it
constexpr int kMaxFrameDepth = 3;
constexpr int kMaxFrames = 16;

void InitCurlOnce() {
  static const bool initialized = [] {
    return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  }();
  (void)initialized;
}

[[noreturn]] void RaiseNavigateFailed(const std::string& why) {
  throw ComError(kNavigateFailed,
                 "Method 'Navigate2' of object 'IWebBrowser2' failed (" + why + ")");
}

struct UrlFree {
  void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

struct CurlStringFree {
  void operator()(char* s) const { curl_free(s); }
};

bool IsWebScheme(CURLU* url) {
  char* raw = nullptr;
  if (curl_url_get(url, CURLUPART_SCHEME, &raw, 0) != CURLUE_OK) return false;
  std::unique_ptr<char, CurlStringFree> scheme(raw);
  return EqualsNoCase(scheme.get(), "http") || EqualsNoCase(scheme.get(), "https");
}

// `address` (already in wire form) resolved against `base` (empty: none);
// nullopt when it is no http or https address.
std::optional<std::string> ResolveAddress(const std::string& base, const std::string& address) {
  std::unique_ptr<CURLU, UrlFree> url(curl_url());
  if (!url) return std::nullopt;
  if (!base.empty() && curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  unsigned flags = base.empty() ? CURLU_GUESS_SCHEME : 0;
  if (curl_url_set(url.get(), CURLUPART_URL, address.c_str(), flags) != CURLUE_OK) {
    return std::nullopt;
  }
  if (!IsWebScheme(url.get())) return std::nullopt;
  char* raw = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &raw, 0) != CURLUE_OK) return std::nullopt;
  std::unique_ptr<char, CurlStringFree> full(raw);
  return std::string(full.get());
}

// One HTTP transfer of a navigation: the top page or a frame document.
struct Transfer {
  CURL* easy = nullptr;
  curl_slist* headers = nullptr;
  std::string body;
  std::size_t max_body = 0;
  int parent = -1;  // index of the frameset page that loads this frame
  int depth = 0;    // 0 for the top page
  int open_frames = 0;
  WebBrowser::HeaderFields reply_headers;  // the top page's only
  char error[CURL_ERROR_SIZE] = {};
};

TransferFailure FailureOf(CURLcode result, const char* detail) {
  TransferFailure failure;
  switch (result) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      failure.kind = TransferFailure::Kind::kConnect;
      break;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
      failure.kind = TransferFailure::Kind::kDropped;
      break;
    case CURLE_OPERATION_TIMEDOUT:
      failure.kind = TransferFailure::Kind::kTimeout;
      break;
    default:
      failure.kind = TransferFailure::Kind::kOther;
  }
  failure.text = curl_easy_strerror(result);
  if (detail != nullptr && *detail != '\0') failure.text += std::string(": ") + detail;
  return failure;
}

TransferFailure RedirectFailure(long status, const std::string& location) {
  TransferFailure failure;
  failure.kind = TransferFailure::Kind::kRedirect;
  failure.location = location;
  failure.text = "HTTP " + std::to_string(status) + " redirect to " +
                 (location.empty() ? std::string("no address") : location) + ", not followed";
  return failure;
}

TransferFailure NoDocument(long status, const std::string& content_type, std::size_t bytes) {
  TransferFailure failure;
  failure.kind = TransferFailure::Kind::kNoDocument;
  failure.text = "HTTP " + std::to_string(status) + ", " +
                 (content_type.empty() ? std::string("no content type") : content_type) + ", " +
                 std::to_string(bytes) + " bytes: no readable page";
  return failure;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  if (t->body.size() + n > t->max_body) return 0;  // gives up the transfer
  t->body.append(data, n);
  return n;
}

// Keeps one header line of the top page's reply. A status line starts the
// fields of a new reply (the final one after a 1xx); a line that begins
// with a blank or tab carries on the field before it.
size_t KeepHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    t->reply_headers.clear();
  } else if ((line.starts_with(" ") || line.starts_with("\t")) && !t->reply_headers.empty()) {
    std::string& value = t->reply_headers.back().second;
    value = std::string(TrimWhitespace(value + " " + std::string(TrimWhitespace(line))));
  } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
    t->reply_headers.emplace_back(std::string(TrimWhitespace(line.substr(0, colon))),
                                  std::string(TrimWhitespace(line.substr(colon + 1))));
  }
  return n;
}

class CurlWebBrowser : public WebBrowser {
 public:
  explicit CurlWebBrowser(const CurlBrowserOptions& options) : options_(options) {
    InitCurlOnce();
    multi_ = curl_multi_init();
    if (multi_ == nullptr) RaiseNavigateFailed("no transfer handle");
    std::string no_proxy = "localhost,127.0.0.1,::1";
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
      const char* value = std::getenv(name);
      if (value != nullptr && *value != '\0') {
        no_proxy += ",";
        no_proxy += value;
        break;
      }
    }
    no_proxy_ = no_proxy;
  }

  ~CurlWebBrowser() override {
    Stop();
    curl_multi_cleanup(multi_);
  }

  void Navigate2(const std::string& url, int flags,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& headers) override {
    Stop();
    last_failure_.reset();
    last_headers_.clear();
    std::optional<std::string> address = ResolveAddress("", BrowserAddress(url));
    if (!address) RaiseNavigateFailed("not an http or https address");
    no_cache_ = (flags & kNavNoReadFromCache) != 0;
    // The address goes out as given (after BrowserAddress), not as libcurl
    // would rebuild it; libcurl leaves out the fragment.
    if (!Start(BrowserAddress(url), post_data, headers, -1, 0)) {
      RaiseNavigateFailed("the transfer cannot be started");
    }
  }

  void Stop() override {
    for (auto& t : transfers_) Release(t.get());
    transfers_.clear();
    pending_.clear();
    frames_started_ = 0;
  }

  bool Busy() const override { return active_ > 0 || !pending_.empty(); }

  std::optional<TransferFailure> LastFailure() const override { return last_failure_; }

  HeaderFields LastReplyHeaders() const override { return last_headers_; }

  void Poll(std::chrono::milliseconds max_wait) override {
    if (DeliverOne()) return;
    if (active_ == 0) return;
    Perform();
    if (DeliverOne()) return;
    long long wait = std::clamp<long long>(max_wait.count(), 0, INT_MAX);
    if (wait > 0) curl_multi_poll(multi_, nullptr, 0, static_cast<int>(wait), nullptr);
    Perform();
    DeliverOne();
  }

 private:
  // Starts a transfer; false when libcurl refuses it.
  bool Start(const std::string& address, const std::optional<std::vector<std::uint8_t>>& post_data,
             const std::string& extra_headers, int parent, int depth) {
    auto t = std::make_unique<Transfer>();
    t->parent = parent;
    t->depth = depth;
    t->max_body = options_.max_body_bytes;
    t->easy = curl_easy_init();
    if (t->easy == nullptr) return false;
    CURL* e = t->easy;
    curl_easy_setopt(e, CURLOPT_URL, address.c_str());
    curl_easy_setopt(e, CURLOPT_PRIVATE, t.get());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are never followed: a 301 or 302 would turn the POST into a
    // GET without its body, and a 307 would carry the script to whatever
    // host the Location names. Finish reports them as failures.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    // Connections are kept open from navigation to navigation (libcurl's
    // cache of the multi handle), so that a run's posts do not each pay for
    // a new connection. libcurl sends a request again on a new connection
    // only when a kept one turns out closed before any reply came.
    curl_easy_setopt(e, CURLOPT_NOPROXY, no_proxy_.c_str());
    curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::max<long long>(1, options_.connect_timeout.count())));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>(std::max<long long>(1, options_.low_speed_time.count())));
    if (options_.transfer_timeout.count() > 0) {
      curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.transfer_timeout.count()));
    }
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, t.get());
    if (depth == 0) {
      curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &KeepHeader);
      curl_easy_setopt(e, CURLOPT_HEADERDATA, t.get());
    }
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->error);

    if (post_data) {
      curl_easy_setopt(e, CURLOPT_POST, 1L);
      curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post_data->size()));
      static const char kEmpty[1] = {0};
      const char* bytes =
          post_data->empty() ? kEmpty : reinterpret_cast<const char*>(post_data->data());
      // Sent from the caller's bytes, which outlive the navigation.
      curl_easy_setopt(e, CURLOPT_POSTFIELDS, bytes);
    } else {
      curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    }

    // A browser never sends "Expect: 100-continue".
    t->headers = curl_slist_append(t->headers, "Expect:");
    // An upload's reply is a line of text: compressing it costs both ends
    // more than sending it. A compressed reply is still decoded.
    if (post_data) t->headers = curl_slist_append(t->headers, "Accept-Encoding: identity");
    if (no_cache_) {
      t->headers = curl_slist_append(t->headers, "Cache-Control: no-cache");
      t->headers = curl_slist_append(t->headers, "Pragma: no-cache");
    }
    size_t pos = 0;
    while (pos < extra_headers.size()) {
      size_t end = extra_headers.find('\n', pos);
      if (end == std::string::npos) end = extra_headers.size();
      std::string line = extra_headers.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) t->headers = curl_slist_append(t->headers, line.c_str());
      pos = end + 1;
    }
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, t->headers);

    if (curl_multi_add_handle(multi_, e) != CURLM_OK) {
      curl_slist_free_all(t->headers);
      curl_easy_cleanup(e);
      return false;
    }
    ++active_;
    transfers_.push_back(std::move(t));
    return true;
  }

  void Release(Transfer* t) {
    if (t->easy == nullptr) return;
    curl_multi_remove_handle(multi_, t->easy);
    curl_easy_cleanup(t->easy);
    t->easy = nullptr;
    curl_slist_free_all(t->headers);
    t->headers = nullptr;
    --active_;
  }

  void Perform() {
    int running = 0;
    curl_multi_perform(multi_, &running);
    std::vector<std::pair<CURL*, CURLcode>> done;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi_, &left)) {
      if (msg->msg == CURLMSG_DONE) done.emplace_back(msg->easy_handle, msg->data.result);
    }
    for (auto [easy, result] : done) Finish(easy, result);
  }

  int IndexOf(const Transfer* t) const {
    for (size_t i = 0; i < transfers_.size(); ++i) {
      if (transfers_[i].get() == t) return static_cast<int>(i);
    }
    return -1;
  }

  void Finish(CURL* easy, CURLcode result) {
    Transfer* t = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char**>(&t));
    if (t == nullptr || t->easy != easy) return;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    char* raw_type = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &raw_type);
    std::string content_type = raw_type ? raw_type : "";
    char* raw_url = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &raw_url);
    std::string page_url = raw_url ? raw_url : "";
    char* raw_location = nullptr;
    curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &raw_location);
    std::string location = raw_location ? raw_location : "";
    Release(t);
    if (t->depth == 0) last_headers_ = std::move(t->reply_headers);

    if (result != CURLE_OK) {
      if (t->depth == 0) last_failure_ = FailureOf(result, t->error);
      Complete(t, std::string(kActionCancelled));
      return;
    }
    if (status >= 300 && status < 400 && status != 304) {
      if (t->depth == 0) last_failure_ = RedirectFailure(status, location);
      Complete(t, std::string(kActionCancelled));
      return;
    }
    if (status < 200 || status == 204 || status == 205 || status == 304) {
      if (t->depth == 0) last_failure_ = NoDocument(status, content_type, t->body.size());
      Complete(t, std::nullopt);
      return;
    }
    ReplyPage page = ReadReplyPage(t->body, content_type);
    if (!page.body_text && page.frame_sources.empty() && t->depth == 0) {
      last_failure_ = NoDocument(status, content_type, t->body.size());
    }
    std::string().swap(t->body);
    if (!page.frame_sources.empty() && t->depth < kMaxFrameDepth) {
      int index = IndexOf(t);
      int depth = t->depth + 1;
      for (const std::string& src : page.frame_sources) {
        if (frames_started_ >= kMaxFrames) break;
        std::optional<std::string> frame = ResolveAddress(page_url, BrowserAddress(src));
        if (!frame) continue;
        // Frame documents are plain GETs, without the navigation's extra headers.
        if (!Start(*frame, std::nullopt, "", index, depth)) continue;
        ++frames_started_;
        ++transfers_[index]->open_frames;
      }
      if (transfers_[index]->open_frames > 0) return;  // completes after its frames
    }
    Complete(t, page.body_text);
  }

  // Queues the document-complete of `t`, then that of its frameset page when
  // this was the page's last open frame.
  void Complete(Transfer* t, std::optional<std::string> text) {
    pending_.push_back(std::move(text));
    while (t->parent >= 0) {
      Transfer* parent = transfers_[t->parent].get();
      if (--parent->open_frames > 0) break;
      pending_.push_back(std::nullopt);
      t = parent;
    }
  }

  bool DeliverOne() {
    if (pending_.empty()) return false;
    std::optional<std::string> text = std::move(pending_.front());
    pending_.pop_front();
    if (active_ == 0 && pending_.empty()) {
      transfers_.clear();
      frames_started_ = 0;
    }
    // The handler may navigate again or stop; nothing here is touched after it.
    FireDocumentComplete(text);
    return true;
  }

  CurlBrowserOptions options_;
  CURLM* multi_ = nullptr;
  std::string no_proxy_;
  bool no_cache_ = false;
  std::vector<std::unique_ptr<Transfer>> transfers_;
  std::deque<std::optional<std::string>> pending_;
  int active_ = 0;
  int frames_started_ = 0;
  std::optional<TransferFailure> last_failure_;
  HeaderFields last_headers_;
};

}  // namespace

std::string BrowserAddress(std::string_view url) { return PercentEncode(url); }

std::unique_ptr<WebBrowser> NewCurlWebBrowser() { return NewCurlWebBrowser(CurlBrowserOptions{}); }

std::unique_ptr<WebBrowser> NewCurlWebBrowser(const CurlBrowserOptions& options) {
  return std::make_unique<CurlWebBrowser>(options);
}

}  // namespace vantrel::platform
