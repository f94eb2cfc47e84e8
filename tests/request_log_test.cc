// The request log around the control's browsers: the record of each request,
// sending again after a failed or dropped connection, and nothing sent after
// a cancel.
#include "platform/request_log.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes.h"

namespace vantrel::platform {
namespace {

using Kind = TransferFailure::Kind;
using vantrel::testing::BrowserScript;
using vantrel::testing::FakeBrowser;
using vantrel::testing::Reply;

// A fake browser whose tries fail with `failures` in turn, then succeed;
// `script` records its navigations.
std::unique_ptr<WebBrowser> Scripted(std::shared_ptr<BrowserScript>& script,
                                     const std::vector<Kind>& failures = {}) {
  script = std::make_shared<BrowserScript>();
  for (const Kind kind : failures) script->replies.push_back(Reply::Failed(kind));
  script->reply_headers = {{"X-Try", "yes"}};
  return std::make_unique<FakeBrowser>(script);
}

RequestLogOptions Retrying(int retries) {
  RequestLogOptions options;
  options.retries = retries;
  options.retry_wait = std::chrono::milliseconds(1);
  return options;
}

// Sends one request through `browser` and polls it until it completes.
std::optional<std::string> Send(WebBrowser& browser, const std::string& url,
                                std::optional<std::string> body = std::nullopt) {
  std::optional<std::string> completed;
  browser.set_on_document_complete([&](const std::optional<std::string>& t) { completed = t; });
  std::optional<std::vector<std::uint8_t>> bytes;
  if (body) bytes.emplace(body->begin(), body->end());
  browser.Navigate2(url, kNavNoReadFromCache, bytes, "");
  for (int i = 0; i < 1000 && browser.Busy() && !completed; ++i) {
    browser.Poll(std::chrono::milliseconds(5));
  }
  return completed;
}

const char kUpload[] = "http://site.test/vantrel.asp?sitecode=A&sitekey=K3Y-5ECRET&options=C";

TEST(RequestLogTest, SendsAgainOnlyAfterAFailedOrDroppedConnection) {
  const struct {
    const char* name;
    int retries;
    std::vector<Kind> failures;
    int attempts;
    std::optional<Kind> failure;  // of the record
    std::vector<long> waits;      // of the retries, in ms
  } cases[] = {
      {"dropped, then taken", 2, {Kind::kDropped}, 2, std::nullopt, {1}},
      {"refused every time",
       2,
       {Kind::kConnect, Kind::kConnect, Kind::kConnect},
       3,
       Kind::kConnect,
       {1, 2}},
      {"no retries", 0, {Kind::kDropped}, 1, Kind::kDropped, {}},
      {"a timeout is not sent again", 2, {Kind::kTimeout}, 1, Kind::kTimeout, {}},
      {"a redirect is not sent again", 2, {Kind::kRedirect}, 1, Kind::kRedirect, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RequestLog log(Retrying(c.retries));
    log.set_site_key("K3Y-5ECRET");
    std::vector<long> waits;
    std::vector<std::string> completed;
    RequestLogHooks hooks;
    hooks.retrying = [&](const LoggedRequest&, const TransferFailure& failure,
                         std::chrono::milliseconds wait) {
      EXPECT_EQ(failure.text, "broke");
      waits.push_back(static_cast<long>(wait.count()));
    };
    hooks.completed = [&](const LoggedRequest& r) { completed.push_back(r.reply); };
    log.set_hooks(hooks);
    std::shared_ptr<BrowserScript> script;
    auto browser = log.Wrap(Scripted(script, c.failures));
    const auto text = Send(*browser, kUpload, "INSERT;");
    ASSERT_EQ(log.requests().size(), 1u);
    const LoggedRequest& r = log.requests()[0];
    EXPECT_EQ(script->navigations.size(), static_cast<std::size_t>(c.attempts));
    EXPECT_EQ(r.attempts, c.attempts);
    EXPECT_EQ(waits, c.waits);
    EXPECT_TRUE(r.completed);
    EXPECT_EQ(r.failure ? std::optional<Kind>(r.failure->kind) : std::nullopt, c.failure);
    // The control sees only the last try's document.
    EXPECT_EQ(text, c.failure ? kActionCancelled : "SUCCESS");
    EXPECT_EQ(completed, std::vector<std::string>{*text});
    EXPECT_EQ(r.address, "http://site.test/vantrel.asp?sitecode=A&sitekey=***&options=C");
    EXPECT_EQ(r.letter, "C");
    EXPECT_TRUE(r.upload);
    EXPECT_EQ(r.bytes, 7u);
    EXPECT_EQ(r.reply_headers, (WebBrowser::HeaderFields{{"X-Try", "yes"}}));
  }
}

// Once a request failed every try, the run's later requests go once; a new
// run (Clear) may retry again.
TEST(RequestLogTest, AServerGivenUpOnIsNotRetriedUntilTheNextRun) {
  RequestLog log(Retrying(1));
  std::shared_ptr<BrowserScript> script;
  auto browser =
      log.Wrap(Scripted(script, {Kind::kConnect, Kind::kConnect, Kind::kConnect, Kind::kConnect}));
  Send(*browser, kUpload, "A");
  Send(*browser, "http://site.test/vantrelupdatestatus.asp?options=C");
  ASSERT_EQ(log.requests().size(), 2u);
  EXPECT_EQ(log.requests()[0].attempts, 2);
  EXPECT_EQ(log.requests()[1].attempts, 1);
  EXPECT_EQ(log.requests()[1].order, 2);
  EXPECT_FALSE(log.requests()[1].upload);
  log.Clear();
  EXPECT_TRUE(log.requests().empty());
  EXPECT_EQ(Send(*browser, kUpload, "A"), "SUCCESS");
  EXPECT_EQ(log.requests()[0].attempts, 2);
}

// After a cancel a request is recorded as not sent and never completes.
TEST(RequestLogTest, NothingGoesOutAfterACancel) {
  RequestLog log;
  bool cancelled = false;
  log.set_cancelled([&] { return cancelled; });
  std::shared_ptr<BrowserScript> script;
  auto browser = log.Wrap(Scripted(script));
  EXPECT_EQ(Send(*browser, kUpload, "A"), "SUCCESS");
  cancelled = true;
  EXPECT_EQ(Send(*browser, kUpload, "B"), std::nullopt);
  EXPECT_EQ(script->navigations.size(), 1u);
  ASSERT_EQ(log.requests().size(), 2u);
  EXPECT_TRUE(log.requests()[1].not_sent);
  EXPECT_FALSE(log.requests()[1].completed);
  EXPECT_EQ(log.requests()[1].attempts, 0);
}

}  // namespace
}  // namespace vantrel::platform
