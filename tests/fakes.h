// Test doubles for the platform seam: a host that records message boxes and
// runs queued clicks, a scripted browser, and an Env that hands them out.
#ifndef VANTREL_TESTS_FAKES_H_
#define VANTREL_TESTS_FAKES_H_

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/com_error.h"
#include "platform/date_time.h"
#include "platform/env.h"
#include "platform/forms.h"
#include "platform/request_processor.h"
#include "platform/web_browser.h"

namespace vantrel::testing {

struct ShownMessage {
  std::string text;
  platform::MessageStyle style;
  friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

class FakeHost : public platform::FormsHost {
 public:
  void ShowMessage(const std::string& text, platform::MessageStyle style) override {
    messages.push_back({text, style});
  }
  // Runs the queued events once each, in order.
  void ProcessPendingEvents() override {
    std::deque<std::function<void()>> events;
    events.swap(pending);
    for (auto& event : events) event();
  }
  std::vector<ShownMessage> messages;
  std::deque<std::function<void()>> pending;
};

// One navigation the fake browser received.
struct Navigation {
  std::string url;
  int flags = 0;
  std::optional<std::vector<std::uint8_t>> post_data;
  std::string headers;
  std::string body() const {
    return post_data ? std::string(post_data->begin(), post_data->end()) : std::string();
  }
};

// What the fake browser does with a navigation: complete with a text (or with
// no document), fail the transfer of `kind`, or stay pending until stopped.
struct Reply {
  std::optional<std::string> text;
  bool hang = false;
  std::optional<platform::TransferFailure> failure;
  static Reply Text(std::string t) { return {std::move(t), false, std::nullopt}; }
  static Reply NoDocument() { return {std::nullopt, false, std::nullopt}; }
  static Reply Hang() { return {std::string(), true, std::nullopt}; }
  static Reply Failed(platform::TransferFailure::Kind kind) {
    return {platform::kActionCancelled, false, platform::TransferFailure{kind, "broke", ""}};
  }
};

// Shared by every FakeBrowser an Env creates, so tests can script and read it.
struct BrowserScript {
  std::vector<Navigation> navigations;
  // Replies used in order; when empty, `default_reply` answers.
  std::deque<Reply> replies;
  Reply default_reply = Reply::Text("SUCCESS");
  // Runs on each navigation before it is answered (for example to queue a click).
  std::function<void(const Navigation&)> on_navigate;
  int stops = 0;
  platform::WebBrowser::HeaderFields reply_headers;  // of every reply

  std::vector<Navigation> Posts() const { return Where(true); }
  std::vector<Navigation> Gets() const { return Where(false); }
  // The navigations that posted data (`posted`), or the others.
  std::vector<Navigation> Where(bool posted) const {
    std::vector<Navigation> out;
    for (const auto& n : navigations) {
      if (n.post_data.has_value() == posted) out.push_back(n);
    }
    return out;
  }
};

// Completes each navigation on the next Poll with the scripted reply.
class FakeBrowser : public platform::WebBrowser {
 public:
  explicit FakeBrowser(std::shared_ptr<BrowserScript> script) : script_(std::move(script)) {}
  void Navigate2(const std::string& url, int flags,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& headers) override {
    Navigation n{url, flags, post_data, headers};
    script_->navigations.push_back(n);
    failure_.reset();
    if (script_->on_navigate) script_->on_navigate(n);
    if (!script_->replies.empty()) {
      pending_ = script_->replies.front();
      script_->replies.pop_front();
    } else {
      pending_ = script_->default_reply;
    }
  }
  void Stop() override {
    ++script_->stops;
    pending_.reset();
  }
  bool Busy() const override { return pending_.has_value(); }
  void Poll(std::chrono::milliseconds) override {
    if (!pending_ || pending_->hang) return;
    const Reply reply = *pending_;
    pending_.reset();
    failure_ = reply.failure;
    FireDocumentComplete(reply.text);
  }
  std::optional<platform::TransferFailure> LastFailure() const override { return failure_; }
  HeaderFields LastReplyHeaders() const override { return script_->reply_headers; }

 private:
  std::shared_ptr<BrowserScript> script_;
  std::optional<Reply> pending_;
  std::optional<platform::TransferFailure> failure_;
};

class FakeEnv : public platform::Env {
 public:
  FakeEnv() : browser_script(std::make_shared<BrowserScript>()) {}

  platform::DateTime Now() override { return now; }
  bool FindFile(std::string_view pattern) override {
    if (find_file_throws) throw platform::ComError(52, "Bad file name or number");
    return files.count(std::string(pattern)) > 0;
  }
  std::unique_ptr<platform::RequestProcessor> CreateRequestProcessor() override {
    if (!processor_factory) throw platform::ComError(429, "ActiveX component can't create object");
    return processor_factory();
  }
  std::unique_ptr<platform::WebBrowser> CreateWebBrowser() override {
    ++browsers_created;
    return std::make_unique<FakeBrowser>(browser_script);
  }

  platform::DateTime now = *platform::DateTime::FromParts(2026, 12, 4, 16, 5, 9);
  std::set<std::string> files;
  bool find_file_throws = false;
  std::function<std::unique_ptr<platform::RequestProcessor>()> processor_factory;
  std::shared_ptr<BrowserScript> browser_script;
  int browsers_created = 0;
};

// A request processor whose answers and failures a test sets; it records
// every call as "Operation(arguments)".
struct ProcessorScript {
  std::vector<std::string> calls;
  std::optional<std::string> open_error;
  std::string ticket = "{TICKET-1}";
  std::string company_file = "C:\\Data\\Acme.QBW";
  std::optional<std::vector<std::string>> versions = std::vector<std::string>{"1.0", "1.1", "2.0"};
  std::string response = "<QBXML><QBXMLMsgsRs/></QBXML>";
  std::optional<std::string> process_error;
  std::optional<std::string> end_error;
  std::optional<std::string> close_error;
};

class FakeProcessor : public platform::RequestProcessor {
 public:
  explicit FakeProcessor(std::shared_ptr<ProcessorScript> script) : s_(std::move(script)) {}
  void OpenConnection(const std::string& app_id, const std::string& app_name) override {
    s_->calls.push_back("OpenConnection(" + app_id + "," + app_name + ")");
    if (s_->open_error) throw platform::ComError(-2147220472, *s_->open_error, "QBXMLRP2");
  }
  std::string BeginSession(const std::string& file, int mode) override {
    s_->calls.push_back("BeginSession(" + file + "," + std::to_string(mode) + ")");
    return s_->ticket;
  }
  std::string GetCurrentCompanyFileName(const std::string& ticket) override {
    s_->calls.push_back("GetCurrentCompanyFileName(" + ticket + ")");
    return s_->company_file;
  }
  std::optional<std::vector<std::string>> QBXMLVersionsForSession(
      const std::string& ticket) override {
    s_->calls.push_back("QBXMLVersionsForSession(" + ticket + ")");
    return s_->versions;
  }
  std::string ProcessRequest(const std::string& ticket, const std::string&) override {
    s_->calls.push_back("ProcessRequest(" + ticket + ")");
    if (s_->process_error) throw platform::ComError(-2147220470, *s_->process_error, "QBXMLRP2");
    return s_->response;
  }
  void EndSession(const std::string& ticket) override {
    s_->calls.push_back("EndSession(" + ticket + ")");
    if (s_->end_error) throw platform::ComError(-2147220469, *s_->end_error, "QBXMLRP2");
  }
  void CloseConnection() override {
    s_->calls.push_back("CloseConnection()");
    if (s_->close_error) throw platform::ComError(-2147220468, *s_->close_error, "QBXMLRP2");
  }

 private:
  std::shared_ptr<ProcessorScript> s_;
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_FAKES_H_
