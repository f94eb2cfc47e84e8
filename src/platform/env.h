// The narrow seam between the control and the machine: clock, file system,
// QuickBooks request processor, browser, and the event pump.
//
// Threads: an Env and everything it makes belong to the thread of the
// control that uses them (the host's user-interface thread); none of it may
// be called from another thread. Ownership: every object an Env creates is
// handed to the caller (a unique_ptr) and must not outlive the Env.
#ifndef VANTREL_PLATFORM_ENV_H_
#define VANTREL_PLATFORM_ENV_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"
#include "platform/forms.h"
#include "platform/request_processor.h"
#include "platform/web_browser.h"

namespace vantrel::platform {

class Env {
 public:
  // An Env must outlive the controls, processors and browsers that use it.
  virtual ~Env() = default;

  // The current local date and time, to the second.
  virtual DateTime Now() = 0;

  // The directory search for a path, normal files only: true when `pattern`
  // names an existing file, with * and ? matching as usual in its last part.
  // Throws ComError when the path is malformed.
  virtual bool FindFile(std::string_view pattern) = 0;

  // A new request processor object. Throws ComError when none can be created.
  virtual std::unique_ptr<RequestProcessor> CreateRequestProcessor() = 0;

  // A new browser for the upload form, owned by the caller; its transfers
  // make progress only while it is polled (EventPump::DoEvents).
  virtual std::unique_ptr<WebBrowser> CreateWebBrowser() = 0;
};

// The machine's own services: the system clock, the file system and the
// libcurl browser. Request processors come from `processor_factory`; without
// one, creation throws ComError.
class SystemEnv : public Env {
 public:
  using ProcessorFactory = std::function<std::unique_ptr<RequestProcessor>()>;
  explicit SystemEnv(ProcessorFactory processor_factory = nullptr)
      : processor_factory_(std::move(processor_factory)) {}
  // The local time; after FixClock(at), always `at`.
  DateTime Now() override;
  bool FindFile(std::string_view pattern) override;
  std::unique_ptr<RequestProcessor> CreateRequestProcessor() override;
  std::unique_ptr<WebBrowser> CreateWebBrowser() override;

  // Makes the clock stand still at `at`, for runs that must come out the
  // same every time.
  void FixClock(DateTime at) { fixed_now_ = at; }
  // The limits of the browsers made from now on.
  void set_browser_options(const CurlBrowserOptions& options) { browser_options_ = options; }

 private:
  ProcessorFactory processor_factory_;
  CurlBrowserOptions browser_options_;
  std::optional<DateTime> fixed_now_;
};

// Delivers events while the core waits: the transfers of registered browsers,
// the ticks of registered timers that are due, and the host's pending events.
// The pump does not own what is registered: a browser or timer must be
// removed before it goes away. Called on the control's thread only; a
// handler it runs may add or remove browsers and timers.
class EventPump {
 public:
  explicit EventPump(FormsHost* host = nullptr) : host_(host) {}
  void set_host(FormsHost* host) { host_ = host; }
  void Add(Timer* timer);
  void Remove(Timer* timer);
  void Add(WebBrowser* browser);
  void Remove(WebBrowser* browser);

  // Processes pending events once: lets busy browsers work for a short slice
  // (at most 10 ms), ticks due timers, then runs the host's pending events.
  void DoEvents();

 private:
  FormsHost* host_;
  std::vector<Timer*> timers_;
  std::vector<WebBrowser*> browsers_;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_ENV_H_
