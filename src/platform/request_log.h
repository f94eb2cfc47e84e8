// What a host puts around the control's server requests: a record of every
// request, sending again after a failed or dropped connection, a dry run that
// sends nothing, and no request at all once the host has cancelled the run.
//
// Threads: a RequestLog, the browsers it wraps and the LoggingEnv that makes
// them belong to one thread, the one that creates and polls the browsers (the
// control's user-interface thread); every hook runs on it, inside Poll or
// Navigate2. The log must outlive every browser it wrapped.
#ifndef VANTREL_PLATFORM_REQUEST_LOG_H_
#define VANTREL_PLATFORM_REQUEST_LOG_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/web_browser.h"

namespace vantrel::platform {

// One request of the run as the log saw it.
struct LoggedRequest {
  int order = 0;             // 1 for the run's first request
  bool upload = false;       // a POST of an upload script; else a status update
  std::string letter;        // the options value of its address
  std::string address;       // as it goes on the wire, the site key masked
  std::size_t bytes = 0;     // of the body
  bool completed = false;    // a reply (or the failure's "Action cancelled") came
  bool not_sent = false;     // asked for after the run was cancelled, and never sent
  std::string reply;         // the text of its first document ("" for none)
  bool no_document = false;  // it completed without a readable page
  // The header fields of the reply that completed it (none without one).
  WebBrowser::HeaderFields reply_headers;
  // Of the last attempt: why it got no reply, or no readable page.
  std::optional<TransferFailure> failure;
  int attempts = 0;
  double seconds = 0;  // from the first attempt to the reply
};

struct RequestLogOptions {
  int retries = 2;  // sends again after a failed connect or a dropped one
  std::chrono::milliseconds retry_wait{1000};  // before the first retry; doubled each time
  bool dry_run = false;                        // nothing goes out: every request is accepted
  std::string script_dir;  // with dry_run: each request's bytes go to a file here
};

// What the host hears as requests go; each hook may be empty.
struct RequestLogHooks {
  // A request goes out for the first time (not one that is never sent).
  std::function<void(const LoggedRequest&)> sent;
  // A try failed with `failure` and the request goes again after `wait`.
  std::function<void(const LoggedRequest&, const TransferFailure& failure,
                     std::chrono::milliseconds wait)>
      retrying;
  // A request completed: its reply, failure and time are in the record.
  std::function<void(const LoggedRequest&)> completed;
  // A dry run's file could not be written at `path`.
  std::function<void(const std::string& path)> file_failed;
};

class RequestLog {
 public:
  explicit RequestLog(RequestLogOptions options = {}) : options_(std::move(options)) {}
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  const RequestLogOptions& options() const { return options_; }
  void set_hooks(RequestLogHooks hooks) { hooks_ = std::move(hooks); }

  // The requests since the log began or was cleared, in order.
  const std::vector<LoggedRequest>& requests() const { return requests_; }
  // The files the dry run wrote, in order.
  const std::vector<std::string>& files() const { return files_; }

  // Forgets the requests, the files and a server given up on, for a new run.
  // Never while a request of the log is under way.
  void Clear();

  // `inner` with the log around it; the returned browser owns `inner`. In a
  // dry run `inner` is not used (it may be null): requests go to an
  // accepting browser that answers "SUCCESS".
  std::unique_ptr<WebBrowser> Wrap(std::unique_ptr<WebBrowser> inner);

  // `text` with the site key masked (MaskKeyIn in platform/text_util.h).
  std::string Masked(std::string_view text) const;
  // The key to mask; the control's, once its parameters are loaded.
  void set_site_key(std::string key) { site_key_ = std::move(key); }

  // Once `cancelled` says true, no request goes out any more: each later one
  // is recorded as not sent and waits until the host stops it (Cancel).
  void set_cancelled(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }

 private:
  friend class LoggedBrowser;

  bool cancelled() const { return cancelled_ && cancelled_(); }
  // The retries a request may still have: none once a request failed every
  // one of its tries, so that a server that is not there is not tried again
  // and again for every later request.
  int retries_left() const { return gave_up_ ? 0 : options_.retries; }
  LoggedRequest& Begin(const std::string& url,
                       const std::optional<std::vector<std::uint8_t>>& body);
  void WriteDryRunFile(const LoggedRequest& request, const std::string& url,
                       const std::optional<std::vector<std::uint8_t>>& body);

  RequestLogOptions options_;
  RequestLogHooks hooks_;
  std::vector<LoggedRequest> requests_;
  std::vector<std::string> files_;
  bool gave_up_ = false;
  std::function<bool()> cancelled_;
  std::string site_key_;
};

// An environment whose browsers are `inner`'s wrapped by `log` (in a dry run,
// accepting browsers only); everything else is `inner`'s. Owns neither: both
// must outlive it.
class LoggingEnv : public Env {
 public:
  LoggingEnv(Env& inner, RequestLog& log) : inner_(inner), log_(log) {}
  DateTime Now() override { return inner_.Now(); }
  bool FindFile(std::string_view pattern) override { return inner_.FindFile(pattern); }
  std::unique_ptr<RequestProcessor> CreateRequestProcessor() override {
    return inner_.CreateRequestProcessor();
  }
  std::unique_ptr<WebBrowser> CreateWebBrowser() override;

 private:
  Env& inner_;
  RequestLog& log_;
};

// The file name of a dry run's request: "0001-E-upload.txt",
// "0002-E-status.txt" ("none" for a request without an entity letter).
std::string DryRunFileName(const LoggedRequest& request);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_REQUEST_LOG_H_
