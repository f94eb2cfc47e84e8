// The two requests to the site's server pages: the upload of a script and
// the status update of a finished entity. Both go through the module's
// upload form and classify its reply.
#ifndef VANTREL_UPLOAD_SITE_REQUESTS_H_
#define VANTREL_UPLOAD_SITE_REQUESTS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "platform/forms.h"
#include "platform/text_stream.h"
#include "upload/frm_wg_upload.h"
#include "wizard/bmwg_utility_result.h"

namespace vantrel {

// What the requests use of the control that hosts them: all of it platform
// objects the control owns, which must outlive the requests.
struct RequestSurface {
  platform::Env& env;
  // Delivers the browser's transfers and the timers while a request waits.
  platform::EventPump& pump;
  // The transfer indicator: the timer that blinks the "Please wait..." label.
  platform::Timer& indicator_timer;
  platform::Label& indicator_label;
  // Where message boxes show.
  platform::FormsHost& host;
  // The upload form through which every request goes.
  UploadFormSlot& form;

  // Starts the blinking "Please wait..." of the transfer indicator.
  void StartTransferIndicator();
};

// Where and as whom the requests are made: the control's properties, read
// at each request (so that a page's script may change them between two).
// The strings and flags must outlive the requests object.
struct SiteAccess {
  const std::string* base_url;  // ends with "/"
  const std::string* site_code;
  const std::string* site_key;
  const std::string* user;
  const bool* reset;
  const bool* debug_mode;
};

class SiteRequests {
 public:
  SiteRequests(RequestSurface& surface, const SiteAccess& access)
      : surface_(surface), access_(access) {}

  // Posts the whole of `stream` (read from its start as bytes) to
  // "vantrel.asp" with `options` as the entity letter. Any run-time error is
  // trapped: strServerReply then tells it and the result is wgurSystemError.
  BMWGUtilityResult UploadNow(platform::TextStream& stream, std::string_view options);
  // Requests "vantrelupdatestatus.asp" for the entity letter `options`.
  // Traps no error of its own: a ComError reaches the caller.
  BMWGUtilityResult SendStatusUpdate(std::string_view options);

  const RequestSurface& surface() const { return surface_; }

 private:
  // The base address, `page`, and the site's code and key as query values.
  std::string PageAddress(std::string_view page) const;
  // Appends the client version, the entity letter `options`, the start time
  // `time` and the user.
  void AppendRunValues(std::string& url, std::string_view options, std::string_view time) const;

  RequestSurface& surface_;
  SiteAccess access_;
  // The body of the upload under way; its memory serves every upload.
  std::optional<std::vector<std::uint8_t>> body_;
};

}  // namespace vantrel

#endif  // VANTREL_UPLOAD_SITE_REQUESTS_H_
