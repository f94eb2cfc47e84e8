// The state of one run that the driver, the converters and the requests
// share: the upload script, its batch count, the stop flag, the last result
// and the entries each pass wrote.
#ifndef VANTREL_WIZARD_RUN_STATE_H_
#define VANTREL_WIZARD_RUN_STATE_H_

#include <memory>

#include "platform/text_stream.h"
#include "wizard/bmwg_utility_result.h"

namespace vantrel {

// Statements or lines written by each converter's pass in this run.
struct EntityCounts {
  long employees = 0;
  long customers = 0;
  long projects = 0;
  long classes = 0;
  long accounts = 0;
  long items = 0;
  long vendors = 0;
  long time = 0;
  long expense = 0;
};

struct RunState {
  bool mStopRun = false;                          // a pass stopped on an upload result or Cancel
  BMWGUtilityResult mLastResult = wgurSuccess;    // result of the last request of the run
  std::unique_ptr<platform::TextStream> mScript;  // the upload script being filled
  long lngBatchCount = 0;                         // entries in the script since the last upload
  EntityCounts counts;
};

}  // namespace vantrel

#endif  // VANTREL_WIZARD_RUN_STATE_H_
