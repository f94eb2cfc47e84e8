// The state of one run that the driver, the converters and the requests
// share: the upload script, its batch count, the stop flag, the last result
// and the entries each pass wrote.
#ifndef VANTREL_WIZARD_RUN_STATE_H_
#define VANTREL_WIZARD_RUN_STATE_H_

#include <array>
#include <memory>

#include "platform/text_stream.h"
#include "platform/xml_response.h"
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

// What a pass did with the records of its kind, for the hosts' summaries.
struct PassFigures {
  long read = 0;         // records of the kind in the response
  long unchanged = 0;    // left out as created and modified before the last sync
  long left_out = 0;     // left out by a rule of the kind (payroll wage types)
  long update_only = 0;  // inactive records, written as updates only
  long failed = 0;       // the entity's failure counter at the end of the run
};

// The figures of every entity, in the conversion stage's pass order.
using RunFigures = std::array<PassFigures, 9>;

struct RunState {
  bool mStopRun = false;                          // a pass stopped on an upload result or Cancel
  BMWGUtilityResult mLastResult = wgurSuccess;    // result of the last request of the run
  std::unique_ptr<platform::TextStream> mScript;  // the upload script being filled
  long lngBatchCount = 0;                         // entries in the script since the last upload
  EntityCounts counts;
  RunFigures figures;  // cleared when a run's conversion stage begins
  // The run's response as the passes read it, while the conversion stage
  // lasts: read once by the first pass that needs it, then walked by all.
  std::unique_ptr<platform::XmlResponse> response;
};

}  // namespace vantrel

#endif  // VANTREL_WIZARD_RUN_STATE_H_
