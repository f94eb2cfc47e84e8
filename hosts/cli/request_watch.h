// What the command line adds around the control's server requests: a line
// for each request and reply (--verbose), sending again after a failed
// connection (--retries), a run that sends nothing (--dry-run), and a record
// of every request for the summary, the report and the hints.
#ifndef VANTREL_HOSTS_CLI_REQUEST_WATCH_H_
#define VANTREL_HOSTS_CLI_REQUEST_WATCH_H_

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/web_browser.h"

namespace vantrel::cli {

// One request of the run as the command line saw it.
struct SeenRequest {
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
  platform::WebBrowser::HeaderFields reply_headers;
  // Of the last attempt: why it got no reply, or no readable page.
  std::optional<platform::TransferFailure> failure;
  int attempts = 0;
  double seconds = 0;  // from the first attempt to the reply
};

struct WatchOptions {
  std::FILE* verbose = nullptr;  // where each request and reply get a line; null for none
  int retries = 0;               // sends again after a failed connect or a dropped one
  std::chrono::milliseconds retry_wait{1000};  // before the first retry; doubled each time
  bool dry_run = false;                        // nothing goes out: every request is accepted
  std::string script_dir;  // with dry_run: each request's bytes go to a file here
};

// True when `request` did not end with an accepted reply (the reply
// "No data to upload. " included: nothing of it landed).
bool Failed(const SeenRequest& request);

// The requests of one run; the watched browsers add to it.
class RequestWatch {
 public:
  explicit RequestWatch(WatchOptions options) : options_(std::move(options)) {}

  const WatchOptions& options() const { return options_; }
  const std::vector<SeenRequest>& requests() const { return requests_; }
  // The files the dry run wrote, in order.
  const std::vector<std::string>& files() const { return files_; }

  // `inner` with the watch around it; in a dry run `inner` is not used and
  // requests go to an accepting browser.
  std::unique_ptr<platform::WebBrowser> Watch(std::unique_ptr<platform::WebBrowser> inner);

  // `text` with the site key masked: the sitekey value of an address and,
  // for a key of four characters or more, the key wherever it stands.
  std::string Masked(std::string text) const;
  // The key to mask; the control's, once its parameters are loaded.
  void set_site_key(std::string key) { site_key_ = std::move(key); }

  // The retries a request may still have: none once a request of the run
  // failed every one of its tries.
  int retries_left() const { return gave_up_ ? 0 : options_.retries; }
  void GiveUpRetries() { gave_up_ = true; }

  // Once `cancelled` says true, no request of the run goes out any more: each
  // later one is recorded as not sent and waits for the host's Cancel.
  void set_cancelled(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }
  bool cancelled() const { return cancelled_ && cancelled_(); }

  // Internal to the watched browsers.
  SeenRequest& request(std::size_t index) { return requests_[index]; }
  SeenRequest& Begin(const std::string& url, const std::optional<std::vector<std::uint8_t>>& body);
  void WriteDryRunFile(const SeenRequest& request, const std::string& url,
                       const std::optional<std::vector<std::uint8_t>>& body);

 private:
  WatchOptions options_;
  std::vector<SeenRequest> requests_;
  std::vector<std::string> files_;
  bool gave_up_ = false;
  std::function<bool()> cancelled_;
  std::string site_key_;
};

// The system's environment with every browser it makes watched by `watch`.
class WatchedEnv : public platform::SystemEnv {
 public:
  WatchedEnv(ProcessorFactory factory, RequestWatch& watch)
      : SystemEnv(std::move(factory)), watch_(watch) {}
  std::unique_ptr<platform::WebBrowser> CreateWebBrowser() override;

 private:
  RequestWatch& watch_;
};

// The file name of a dry run's request: "0001-E-upload.txt",
// "0002-E-status.txt".
std::string DryRunFileName(const SeenRequest& request);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_REQUEST_WATCH_H_
