// The batching of the upload script: when a pass's entries are posted, how
// each post's result is judged and counted, and when the pass must stop.
#ifndef VANTREL_UPLOAD_SITE_BATCHER_H_
#define VANTREL_UPLOAD_SITE_BATCHER_H_

#include <string>
#include <string_view>

#include "platform/forms.h"
#include "upload/site_requests.h"
#include "wizard/batcher.h"

namespace vantrel {

// Number of statements or lines that the normal mode posts at once.
inline constexpr long kBatchSize = 100;

// What the batcher reads and writes of the control besides the requests;
// every member must outlive the batcher.
struct BatcherControls {
  std::string& n_options;                       // the control's nOptions, set before each post
  platform::Screen& screen;                     // its mouse pointer goes back to the default
  const bool& debug_mode;                       // each entry is posted on its own
  const platform::OptionButton& stop_on_error;  // in debug mode, a failed post stops the pass
};

// Batches for the site's upload page: every kBatchSize entries in normal
// mode, where a post the server does not take (any result but success or
// "No data to upload. ") stops the pass; every entry in debug mode, where a
// failed post raises the failure counter and stops the pass only on "Stop on
// error" (a cancel always stops it). The entries of a post the server did
// not take count as lost (those answered "No data to upload. " too, though
// the pass goes on), the marks of a reply it took as warnings.
class SiteBatcher final : public Batcher {
 public:
  SiteBatcher(SiteRequests requests, BatcherControls controls)
      : requests_(requests), controls_(controls) {}

  bool Put(BatchPass& pass, std::string_view entry) override;
  bool Finish(BatchPass& pass) override;
  BMWGUtilityResult SendStatus(std::string_view letter) override;
  std::string ReplyText() const override;

  // Restores the mouse pointer, puts `letter` in nOptions and posts the
  // run's script; a missing script fails as wgurSystemError. The result is
  // kept in mLastResult.
  BMWGUtilityResult Post(RunState& run, std::string_view letter);

 private:
  bool PostBatch(BatchPass& pass);
  bool PostSingle(BatchPass& pass);

  SiteRequests requests_;
  BatcherControls controls_;
};

}  // namespace vantrel

#endif  // VANTREL_UPLOAD_SITE_BATCHER_H_
