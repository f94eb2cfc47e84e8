// The batching and upload rules that every converter shares, statements and
// transaction lines alike: when the upload script is posted, how the result is
// judged and counted, and when a pass must stop.
#ifndef VANTREL_CONVERT_UPLOAD_STEP_H_
#define VANTREL_CONVERT_UPLOAD_STEP_H_

#include <string_view>

#include "control/vantrel_ctl.h"

namespace vantrel {

// Number of statements or lines that the normal mode posts at once.
inline constexpr long kBatchSize = 100;

struct UploadPolicy {
  std::string_view letter = {};                 // the entity letter placed in nOptions
  long VantrelCtl::*failure_counter = nullptr;  // raised by each failed upload in debug mode
  // Runs after an upload that the pass goes on from, before the fresh script
  // is opened (the time and expense converters read the reply there).
  void (*after_upload)(VantrelCtl& ctl) = nullptr;
};

// Appends `text` to the upload script. A script that is missing or cannot
// take text leaves the text unwritten and the pass goes on.
void WriteToScript(VantrelCtl& ctl, std::string_view text);

// Posts the upload script: restores the mouse pointer, puts the letter in
// nOptions, calls UploadNow and keeps its result in mLastResult.
BMWGUtilityResult PostScript(VantrelCtl& ctl, std::string_view letter);

// To call after each statement or line written: counts it in lngBatchCount
// and uploads when due (every kBatchSize entries in normal mode, every entry
// in debug mode). Returns false when the pass must stop; mStopRun is then set.
bool AfterEntryWritten(VantrelCtl& ctl, const UploadPolicy& policy);

// The end of a pass in normal mode: posts what is left in the script (nothing
// when lngBatchCount is 0). Returns false when the upload was refused; mStopRun
// is then set. Does nothing in debug mode.
bool UploadRest(VantrelCtl& ctl, const UploadPolicy& policy);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_UPLOAD_STEP_H_
