// The two requests to the site's server pages: the upload of a script and
// the status update of a finished entity. Both go through the module's
// upload form and classify its reply.
#ifndef VANTREL_UPLOAD_SITE_REQUESTS_H_
#define VANTREL_UPLOAD_SITE_REQUESTS_H_

#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/forms.h"
#include "platform/text_stream.h"
#include "wizard/bmwg_utility_result.h"

namespace vantrel {

// What the requests need of the control that hosts them.
class RequestHost {
 public:
  virtual ~RequestHost() = default;
  virtual platform::Env& env() = 0;
  // Delivers the browser's transfers and the timers while a request waits.
  virtual platform::EventPump& event_pump() = 0;
  // Starts the blinking "Please wait..." of the control's transfer indicator.
  virtual void StartTransferIndicator() = 0;
  virtual void ShowMessage(const std::string& text, platform::MessageStyle style) = 0;
};

// Where and as whom the requests are made; the texts must outlive the
// requests object.
struct SiteAccess {
  std::string_view base_url;  // ends with "/"
  std::string_view site_code;
  std::string_view site_key;
  std::string_view user;
  bool reset = false;
  bool debug_mode = false;
};

class SiteRequests {
 public:
  SiteRequests(RequestHost& host, const SiteAccess& access) : host_(host), access_(access) {}

  // Posts the whole of `stream` (read from its start as bytes) to
  // "vantrel.asp" with `options` as the entity letter. Any run-time error is
  // trapped: strServerReply then tells it and the result is wgurSystemError.
  BMWGUtilityResult UploadNow(platform::TextStream& stream, std::string_view options);
  // Requests "vantrelupdatestatus.asp" for the entity letter `options`.
  // Traps no error of its own: a ComError reaches the caller.
  BMWGUtilityResult SendStatusUpdate(std::string_view options);

 private:
  // The base address, `page`, and the site's code and key as query values.
  std::string PageAddress(std::string_view page) const;
  // Appends the client version, the entity letter `options`, the start time
  // `time` and the user.
  void AppendRunValues(std::string& url, std::string_view options, std::string_view time) const;

  RequestHost& host_;
  SiteAccess access_;
};

}  // namespace vantrel

#endif  // VANTREL_UPLOAD_SITE_REQUESTS_H_
