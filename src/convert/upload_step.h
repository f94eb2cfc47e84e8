// The batching and upload rules that every converter shares, statements and
// transaction lines alike: when the upload script is posted, how the result is
// judged and counted, and when a pass must stop.
#ifndef VANTREL_CONVERT_UPLOAD_STEP_H_
#define VANTREL_CONVERT_UPLOAD_STEP_H_

#include <string_view>

#include "convert/pass_context.h"

namespace vantrel {

// Number of statements or lines that the normal mode posts at once.
inline constexpr long kBatchSize = 100;

// Runs after an upload that the pass goes on from, before the fresh script is
// opened (the time and expense converters read the reply there).
class UploadReplyHook {
 public:
  virtual ~UploadReplyHook() = default;
  virtual void AfterUpload(PassContext& pass) = 0;
};

struct UploadPolicy {
  std::string_view letter = {};  // the entity letter placed in nOptions
  UploadReplyHook* after_upload = nullptr;
};

// The warnings a reply the server took carries: for a reply that begins with
// SUCCESS, the digit of an 8-character reply (time and expense lines the
// server could not file), or 1 when it ends in "T" or "P" (items or projects
// the server added); 0 otherwise.
long ReplyWarnings(std::string_view reply);

// Posts the upload script with `letter` and keeps the result in mLastResult.
BMWGUtilityResult PostScript(PassContext& pass, std::string_view letter);

// To call after each statement or line written: counts it in lngBatchCount
// and uploads when due (every kBatchSize entries in normal mode, every entry
// in debug mode, where a failed upload raises the pass's failure counter).
// The entries of a post the server did not take count as lost, the marks of
// a reply it took as warnings (PassFigures). Returns false when the pass must
// stop; mStopRun is then set.
bool AfterEntryWritten(PassContext& pass, const UploadPolicy& policy);

// The end of a pass in normal mode: posts what is left in the script (nothing
// when lngBatchCount is 0). Returns false when the upload was refused; mStopRun
// is then set. Does nothing in debug mode.
bool UploadRest(PassContext& pass, const UploadPolicy& policy);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_UPLOAD_STEP_H_
