// How the hosts name the end of a run.
#ifndef VANTREL_HOSTS_COMMON_RUN_END_H_
#define VANTREL_HOSTS_COMMON_RUN_END_H_

#include "control/vantrel_ctl.h"

namespace vantrel::host {

// "not-run", "nothing-selected", "missing-properties", "quickbooks-error",
// "query-error", "stopped", "conversion-error", "already-in-sync",
// "completed".
const char* RunEndName(RunEnd end);

// True for the ends of a run that sent what it could: the summary or the
// already-in-sync message.
inline bool RunReachedItsEnd(RunEnd end) {
  return end == RunEnd::kCompleted || end == RunEnd::kAlreadyInSync;
}

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_RUN_END_H_
