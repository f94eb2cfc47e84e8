#include "platform/web_browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "canned_server.h"
#include "platform/com_error.h"
#include "site/site_server.h"

namespace vantrel::platform {
namespace {

using site::LoggedRequest;
using site::ReplyFormat;
using site::SiteOptions;
using site::SiteServer;
using vantrel::testing::CannedServer;
using vantrel::testing::HttpReply;
using Completions = std::vector<std::optional<std::string>>;

constexpr char kQuery[] =
    "vantrel.asp?sitecode=ABC&sitekey=K3y&reset=0&bmclntver=4.06&options=V&"
    "upstarttime=12/4/2026 4:54:56 AM&usrnm=Anne&debugmode=False";

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

class WebBrowserTest : public ::testing::Test {
 protected:
  // A site in a folder of its own: the frames' addresses are relative to it.
  void SetUp() override {
    SiteOptions options;
    options.site_code = "ABC";
    options.site_key = "K3y";
    options.path = "/tessaly/";
    server_ = std::make_unique<SiteServer>(options);
    server_->Start();
    UseBrowser(NewCurlWebBrowser());
  }

  void UseBrowser(std::unique_ptr<WebBrowser> browser) {
    browser_ = std::move(browser);
    browser_->set_on_document_complete(
        [this](const std::optional<std::string>& text) { done_.push_back(text); });
  }

  // Polls until `count` documents have completed (bounded, so that a fault
  // fails the test instead of hanging it).
  void PollFor(size_t count) {
    for (int i = 0; i < 3000 && done_.size() < count; ++i) {
      browser_->Poll(std::chrono::milliseconds(10));
    }
    ASSERT_GE(done_.size(), count);
  }

  std::optional<std::string> Navigate(const std::string& url,
                                      const std::optional<std::vector<std::uint8_t>>& post,
                                      const std::string& headers = "Content-Type:text/plain\r\n",
                                      int flags = kNavNoHistory | kNavNoReadFromCache) {
    done_.clear();
    browser_->Navigate2(url, flags, post, headers);
    EXPECT_TRUE(browser_->Busy());
    EXPECT_TRUE(browser_->LastReplyHeaders().empty()) << "the last reply's fields stay";
    PollFor(1);
    return done_.empty() ? std::nullopt : done_.front();
  }

  std::unique_ptr<SiteServer> server_;
  std::unique_ptr<WebBrowser> browser_;
  Completions done_;
};

TEST_F(WebBrowserTest, RequestsGoOutAsABrowserSendsThem) {
  const std::string plain = "Content-Type:text/plain\r\n";
  const int no_cache = kNavNoHistory | kNavNoReadFromCache;
  // Navigates, checks the reply, and returns the one request the server got.
  auto sent = [&](const std::string& page, const std::optional<std::string>& post,
                  const std::string& headers, int flags, const std::string& reply) {
    SCOPED_TRACE(page);
    server_->ClearRequests();
    std::optional<std::vector<std::uint8_t>> bytes;
    if (post) bytes = Bytes(*post);
    EXPECT_EQ(Navigate(server_->base_url() + page, bytes, headers, flags), reply);
    EXPECT_FALSE(browser_->Busy());
    const std::vector<LoggedRequest> log = server_->requests();
    EXPECT_EQ(log.size(), 1u);
    LoggedRequest r = log.empty() ? LoggedRequest{} : log.back();
    EXPECT_EQ(r.method, post ? "POST" : "GET");
    EXPECT_EQ(r.body, post.value_or(""));
    return r;
  };

  const std::string script = "UPDATE ClassInfo SET [ClassName]='A' WHERE [QBListId] = 'L1'\r\n";
  LoggedRequest r = sent(kQuery, script, plain, no_cache, "SUCCESS");
  const int first_port = r.remote_port;
  EXPECT_EQ(r.Header("Content-Type"), "text/plain");
  EXPECT_EQ(std::count_if(r.headers.begin(), r.headers.end(),
                          [](const auto& h) { return h.first == "Content-Type"; }),
            1);
  EXPECT_EQ(r.Header("Content-Length"), std::to_string(script.size()));
  EXPECT_EQ(r.Header("Cache-Control"), "no-cache");
  EXPECT_EQ(r.Header("Pragma"), "no-cache");
  EXPECT_FALSE(r.HasHeader("Expect"));
  EXPECT_FALSE(r.HasHeader("Cookie"));
  // An upload's reply is a line: it is asked for uncompressed, a page may be.
  EXPECT_EQ(r.Header("Accept-Encoding"), "identity");

  r = sent(
      "vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=H&"
      "upstarttime=12/04/2026 16:05:09",
      std::nullopt, plain, no_cache, "SUCCESS");
  EXPECT_EQ(r.Header("Content-Type"), "text/plain");
  EXPECT_FALSE(r.HasHeader("Content-Length"));
  EXPECT_NE(r.Header("Accept-Encoding").find("gzip"), std::string::npos);
  // The browser kept its connection from the post to the status request.
  EXPECT_EQ(r.remote_port, first_port);

  // Empty post data is still a POST; further header lines go with it.
  r = sent(kQuery, "", plain + "X-Vantrel: one two\r\n\r\n", no_cache, "No data to upload. ");
  EXPECT_EQ(r.Header("Content-Length"), "0");
  EXPECT_EQ(r.Header("Content-Type"), "text/plain");
  EXPECT_EQ(r.Header("X-Vantrel"), "one two");

  // Without the no-cache flag no cache headers; without a type libcurl's form type.
  r = sent(kQuery, "", "", kNavNoHistory, "No data to upload. ");
  EXPECT_FALSE(r.HasHeader("Cache-Control"));
  EXPECT_FALSE(r.HasHeader("Pragma"));
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(WebBrowserTest, FramesReplyCompletesEachFrameThenThePage) {
  server_->set_reply_format(ReplyFormat::kFrames);
  server_->ForceReply("SUCCESSP");
  Navigate(server_->base_url() + kQuery, Bytes(""));
  // One completion per Poll. The two frames load side by side and complete
  // in the order their transfers end; the frameset page comes last.
  ASSERT_EQ(done_.size(), 1u);
  EXPECT_TRUE(browser_->Busy());
  PollFor(3);
  ASSERT_EQ(done_.size(), 3u);
  const Completions frames(done_.begin(), done_.begin() + 2);
  EXPECT_TRUE(frames == (Completions{"SUCCESSP", "Vantrel site"}) ||
              frames == (Completions{"Vantrel site", "SUCCESSP"}));
  EXPECT_EQ(done_[2], std::nullopt);
  EXPECT_FALSE(browser_->Busy());
  // The header fields are the frameset page's, not a frame's.
  const WebBrowser::HeaderFields fields = browser_->LastReplyHeaders();
  EXPECT_EQ(std::count(fields.begin(), fields.end(),
                       std::pair<std::string, std::string>("X-Vantrel-Rows", "none")),
            1);
  std::vector<LoggedRequest> log = server_->requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].method, "POST");
  EXPECT_EQ(log[1].method, "GET");
  EXPECT_EQ(log[1].target.rfind("/tessaly/vantrelframe.asp?id=", 0), 0u) << log[1].target;
  EXPECT_FALSE(log[1].HasHeader("Content-Type"));
  for (int i = 0; i < 5; ++i) browser_->Poll(std::chrono::milliseconds(1));
  EXPECT_EQ(done_.size(), 3u);
}

// A reply of which nothing arrives is given up once the transfer has stalled
// for the low-speed time. (A refused connection and a reply slower than the
// whole transfer may take: see the whole runs.)
TEST_F(WebBrowserTest, AStalledReplyIsActionCancelled) {
  CurlBrowserOptions low_speed;
  low_speed.low_speed_time = std::chrono::seconds(1);
  UseBrowser(NewCurlWebBrowser(low_speed));
  server_->set_delay(std::chrono::seconds(30));
  EXPECT_EQ(Navigate(server_->base_url() + kQuery, Bytes("x")), "Action cancelled");
  server_->Stop();
}

TEST_F(WebBrowserTest, StopOrANewNavigationDropsTheOneUnderWay) {
  // The document-complete handler may itself navigate again.
  server_->ForceReply("first");
  bool again = true;
  browser_->set_on_document_complete([&](const std::optional<std::string>& text) {
    done_.push_back(text);
    if (again) browser_->Navigate2(server_->base_url() + kQuery, 6, Bytes(""), "");
    again = false;
  });
  Navigate(server_->base_url() + kQuery, Bytes(""), "");
  PollFor(2);
  EXPECT_EQ(done_, (Completions{"first", "No data to upload. "}));

  // Starts a navigation that the server holds back until it stops; its body
  // stays alive as long as the navigation.
  const std::optional<std::vector<std::uint8_t>> first = Bytes("first");
  auto start_slow = [&] {
    server_->ClearRequests();
    server_->set_delay(std::chrono::seconds(30));
    done_.clear();
    browser_->Navigate2(server_->base_url() + kQuery, 6, first, "");
    for (int i = 0; i < 3000 && server_->requests().empty(); ++i) {
      browser_->Poll(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(server_->requests().size(), 1u);  // the request is at the server
    EXPECT_TRUE(browser_->Busy());
    server_->set_delay(std::chrono::milliseconds(0));
  };
  start_slow();
  browser_->Stop();
  EXPECT_FALSE(browser_->Busy());
  for (int i = 0; i < 20; ++i) browser_->Poll(std::chrono::milliseconds(5));
  EXPECT_TRUE(done_.empty());
  // The next navigation completes with its own reply only.
  server_->ForceReply("second");
  EXPECT_EQ(Navigate(server_->base_url() + kQuery, Bytes("")), "second");

  start_slow();
  server_->ForceReply("from the second");
  EXPECT_EQ(Navigate(server_->base_url() + kQuery, Bytes("second")), "from the second");
  for (int i = 0; i < 20; ++i) browser_->Poll(std::chrono::milliseconds(5));
  EXPECT_EQ(done_, (Completions{"from the second"}));
  server_->Stop();  // releases the delayed requests
}

TEST_F(WebBrowserTest, UnusableAddressesThrow) {
  for (const char* url :
       {"", "ftp://127.0.0.1/x", "file:///etc/passwd", "http://", "gopher://x/"}) {
    try {
      browser_->Navigate2(url, 6, std::nullopt, "");
      ADD_FAILURE() << "no error: " << url;
    } catch (const ComError& e) {
      EXPECT_NE(e.number(), 0) << url;
      EXPECT_NE(e.description().find("Navigate2"), std::string::npos) << url;
    }
    EXPECT_FALSE(browser_->Busy()) << url;
  }
}

// Replies without a document complete with nothing, or fail the transfer.
TEST_F(WebBrowserTest, RepliesAsTheyComeOnTheWire) {
  CannedServer canned({
      {"/nocontent", "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n"},
      {"/image", HttpReply("200 OK", "image/png", "\x89PNG....")},
      {"/error", HttpReply("500 Internal Server Error", "text/html",
                           "<html><head><title>500</title></head><body><h1>Server Error</h1>"
                           "</body></html>")},
      {"/moved", HttpReply("302 Found", "text/html", "", "Location: /plain\r\n")},
      {"/plain", HttpReply("200 OK", "text/plain", "SUCCESS")},
      {"/p", HttpReply("200 OK", "text/plain", "SUCCESS")},
      {"/short",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 50\r\n\r\n"
       "SUCC"},
      {"/frames/top",
       HttpReply("200 OK", "text/html",
                 "<html><frameset rows=\"*,*,*\"><frame src=\"empty\"><frame src=\"../image\">"
                 "<frame src=\"missing\"></frameset></html>")},
      {"/frames/empty", "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n"},
      {"/r", "HTTP/1.1 100 Continue\r\nX-Early: 1\r\n\r\n" +
                 HttpReply("200 OK", "text/plain", "SUCCESS",
                           "x-vantrel-rows:  Vendors=1/0;\r\n\tClassInfo=2/0 \r\n")},
  });
  // The request line carries the address as the browser encodes it (blanks,
  // controls and high bytes only), without its fragment.
  EXPECT_EQ(
      Navigate(canned.url("/p?a=1?b=2&c=%zz&d= e\x7F\r\n\t\xC3\xA9&e=\"<>{}^`\\|!$'()*+,;:@~-._"
                          "#frag"),
               std::nullopt, ""),
      "SUCCESS");
  EXPECT_EQ(canned.request_lines().front(),
            "GET /p?a=1?b=2&c=%zz&d=%20e%7F%0D%0A%09%C3%A9&e=\"<>{}^`\\|!$'()*+,;:@~-._ HTTP/1.1");
  EXPECT_EQ(BrowserAddress("http://h/a b#g\x01\x1F\x80\xFF"), "http://h/a%20b#g%01%1F%80%FF");
  // Only the final reply's fields count; a folded line carries on its field.
  EXPECT_EQ(Navigate(canned.url("/r"), std::nullopt, "", 0), "SUCCESS");
  EXPECT_EQ(browser_->LastReplyHeaders(),
            (WebBrowser::HeaderFields{{"Content-Type", "text/plain"},
                                      {"x-vantrel-rows", "Vendors=1/0; ClassInfo=2/0"},
                                      {"Content-Length", "7"},
                                      {"Connection", "close"}}));

  using Kind = TransferFailure::Kind;
  struct Case {
    const char* path;
    std::optional<std::string> text;
    std::optional<Kind> failure;
    const char* failure_text = "";
  };
  const Case cases[] = {
      {"/nocontent", std::nullopt, Kind::kNoDocument, "HTTP 204, no content type, 0 bytes"},
      {"/image", std::nullopt, Kind::kNoDocument, "HTTP 200, image/png, 8 bytes"},
      {"/error", "Server Error", std::nullopt},
      // A redirect is never followed: the POST does not go on as a GET.
      {"/moved", "Action cancelled", Kind::kRedirect, "HTTP 302 redirect to http://127.0.0.1:"},
      {"/short", "Action cancelled", Kind::kDropped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(Navigate(canned.url(c.path), Bytes("x")), c.text);
    const std::optional<TransferFailure> failure = browser_->LastFailure();
    ASSERT_EQ(failure.has_value(), c.failure.has_value());
    if (!failure) continue;
    EXPECT_EQ(failure->kind, *c.failure);
    EXPECT_TRUE(failure->text.starts_with(c.failure_text)) << failure->text;
    EXPECT_EQ(failure->location, *c.failure == Kind::kRedirect ? canned.url("/plain") : "");
  }
  for (const std::string& line : canned.request_lines()) {
    EXPECT_FALSE(line.starts_with("GET /plain")) << line;
  }

  Navigate(canned.url("/frames/top"), std::nullopt, "");
  PollFor(4);
  for (int i = 0; i < 5; ++i) browser_->Poll(std::chrono::milliseconds(1));
  ASSERT_EQ(done_.size(), 4u);
  // Each frame gives nothing or an error page ("missing" is a 404 without a
  // type and body); the frameset page comes last.
  EXPECT_EQ(done_.back(), std::nullopt);
  EXPECT_EQ(std::count(done_.begin(), done_.end(), std::nullopt), 4);
}

}  // namespace
}  // namespace vantrel::platform
