// The request log around the control's browsers: the record of each request,
// sending again after a failed or dropped connection, and nothing sent after
// a cancel.
#include "platform/request_log.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform {
namespace {

using Kind = TransferFailure::Kind;

// One try's outcome: a reply text, or "Action cancelled" with a failure.
struct Outcome {
  std::optional<Kind> failure;
  std::string reply = "SUCCESS";
};

// Completes each navigation on the next poll with the next outcome.
class ScriptedBrowser : public WebBrowser {
 public:
  explicit ScriptedBrowser(std::deque<Outcome> outcomes) : outcomes_(std::move(outcomes)) {}
  void Navigate2(const std::string&, int, const std::optional<std::vector<std::uint8_t>>&,
                 const std::string&) override {
    ++navigations;
    busy_ = true;
  }
  void Stop() override { busy_ = false; }
  bool Busy() const override { return busy_; }
  void Poll(std::chrono::milliseconds) override {
    if (!busy_) return;
    busy_ = false;
    current_ = outcomes_.empty() ? Outcome{} : outcomes_.front();
    if (!outcomes_.empty()) outcomes_.pop_front();
    FireDocumentComplete(current_.failure ? std::string(kActionCancelled) : current_.reply);
  }
  std::optional<TransferFailure> LastFailure() const override {
    if (!current_.failure) return std::nullopt;
    return TransferFailure{*current_.failure, "broke", ""};
  }
  HeaderFields LastReplyHeaders() const override { return {{"X-Try", "yes"}}; }
  int navigations = 0;

 private:
  std::deque<Outcome> outcomes_;
  Outcome current_;
  bool busy_ = false;
};

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
    std::deque<Outcome> outcomes;
    int attempts;
    std::optional<Kind> failure;  // of the record
    std::vector<long> waits;      // of the retries, in ms
  } cases[] = {
      {"dropped, then taken", 2, {{Kind::kDropped}, {}}, 2, std::nullopt, {1}},
      {"refused every time",
       2,
       {{Kind::kConnect}, {Kind::kConnect}, {Kind::kConnect}},
       3,
       Kind::kConnect,
       {1, 2}},
      {"no retries", 0, {{Kind::kDropped}}, 1, Kind::kDropped, {}},
      {"a timeout is not sent again", 2, {{Kind::kTimeout}}, 1, Kind::kTimeout, {}},
      {"a redirect is not sent again", 2, {{Kind::kRedirect}}, 1, Kind::kRedirect, {}},
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
    auto inner = std::make_unique<ScriptedBrowser>(c.outcomes);
    ScriptedBrowser& scripted = *inner;
    auto browser = log.Wrap(std::move(inner));
    const auto text = Send(*browser, kUpload, "INSERT;");
    ASSERT_EQ(log.requests().size(), 1u);
    const LoggedRequest& r = log.requests()[0];
    EXPECT_EQ(scripted.navigations, c.attempts);
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
  auto browser = log.Wrap(std::make_unique<ScriptedBrowser>(std::deque<Outcome>{
      {Kind::kConnect}, {Kind::kConnect}, {Kind::kConnect}, {Kind::kConnect}, {}}));
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
  auto inner = std::make_unique<ScriptedBrowser>(std::deque<Outcome>{});
  ScriptedBrowser& scripted = *inner;
  auto browser = log.Wrap(std::move(inner));
  EXPECT_EQ(Send(*browser, kUpload, "A"), "SUCCESS");
  cancelled = true;
  EXPECT_EQ(Send(*browser, kUpload, "B"), std::nullopt);
  EXPECT_EQ(scripted.navigations, 1);
  ASSERT_EQ(log.requests().size(), 2u);
  EXPECT_TRUE(log.requests()[1].not_sent);
  EXPECT_FALSE(log.requests()[1].completed);
  EXPECT_EQ(log.requests()[1].attempts, 0);
}

}  // namespace
}  // namespace vantrel::platform
