// Where a conversion pass hands its entries: the upload script, its batches
// and the requests that carry them to the site. Declared here, below the
// converters and the requests, so that a record flows downward: the control
// gives each pass the upload layer's batcher, and the pass writes to it.
#ifndef VANTREL_WIZARD_BATCHER_H_
#define VANTREL_WIZARD_BATCHER_H_

#include <string>
#include <string_view>

#include "wizard/bmwg_utility_result.h"
#include "wizard/run_state.h"

namespace vantrel {

// Runs after each upload that the pass goes on from, before the fresh script
// is opened (the time and expense passes read the reply there).
class UploadReplyHook {
 public:
  virtual ~UploadReplyHook() = default;
  virtual void AfterUpload() = 0;
};

// What a batcher needs of the pass it serves; the references must outlive
// the calls that take it.
struct BatchPass {
  RunState& run;            // the script, its batch count, mStopRun and mLastResult
  long& failures;           // the entity's failure counter (failed posts in debug mode)
  PassFigures* figures;     // where lost entries and warnings add up; null for none
  std::string_view letter;  // the entity letter of the posts
  UploadReplyHook* after_upload = nullptr;
};

// Called on the control's thread only, one call at a time.
class Batcher {
 public:
  virtual ~Batcher() = default;
  // Appends one whole entry (a statement or a line with its CR LF) to the
  // run's script, counts it in lngBatchCount and posts the script when due.
  // False when the pass must stop; mStopRun is then set.
  virtual bool Put(BatchPass& pass, std::string_view entry) = 0;
  // The end of a pass: posts what is left of the script. False when that
  // post was refused; mStopRun is then set.
  virtual bool Finish(BatchPass& pass) = 0;
  // The status update for `letter`. Throws ComError from the platform.
  virtual BMWGUtilityResult SendStatus(std::string_view letter) = 0;
  // The visible text of the last reply.
  virtual std::string ReplyText() const = 0;
};

}  // namespace vantrel

#endif  // VANTREL_WIZARD_BATCHER_H_
