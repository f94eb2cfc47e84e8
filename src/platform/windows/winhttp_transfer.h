// One HTTP request over WinHTTP, run on a worker thread: the browser starts
// it, may cancel it, and collects its outcome once it is done.
#ifndef VANTREL_PLATFORM_WINDOWS_WINHTTP_TRANSFER_H_
#define VANTREL_PLATFORM_WINDOWS_WINHTTP_TRANSFER_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/web_browser.h"

namespace vantrel::platform::win {

struct TransferRequest {
  std::string url;  // http or https, in wire form, without a fragment
  std::optional<std::vector<std::uint8_t>> post_data;
  std::vector<std::string> header_lines;  // "Name: value", no line ends
  std::chrono::milliseconds connect_timeout{30000};
  std::chrono::milliseconds stall_timeout{300000};
  std::size_t max_body_bytes = 0;
};

struct TransferOutcome {
  std::optional<TransferFailure> failure;  // set when no whole reply came
  unsigned long status = 0;
  std::string content_type;
  std::string location;
  // The reply's header fields in order, values without surrounding blanks.
  WebBrowser::HeaderFields headers;
  std::string body;
};

// Shared by the browser and the worker thread.
class Transfer {
 public:
  // Starts `request` on a worker thread of its own, which keeps the transfer
  // (and the module holding this code) alive until it ends.
  static std::shared_ptr<Transfer> Start(TransferRequest request);

  // Waits up to `max_wait` for the outcome; nullopt while still running.
  std::optional<TransferOutcome> Wait(std::chrono::milliseconds max_wait);

  // Aborts the request: its outcome is never collected. The worker's
  // blocking WinHTTP call ends as soon as WinHTTP notices the closed handle.
  void Cancel();

  // The worker thread's side: performs the request, then records its
  // outcome (Start calls them; nothing else should).
  void Run(const TransferRequest& request);
  void Finish(TransferOutcome outcome);

 private:
  // Returns false when the transfer was cancelled before `handle` existed.
  bool Track(void* handle);

  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  bool cancelled_ = false;
  void* request_handle_ = nullptr;
  TransferOutcome outcome_;
};

// True when `url` is an http or https address with a host, as WinHTTP
// splits it.
bool IsWebAddress(const std::string& url);

}  // namespace vantrel::platform::win

#endif  // VANTREL_PLATFORM_WINDOWS_WINHTTP_TRANSFER_H_
