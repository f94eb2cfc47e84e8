#include "common/run_end.h"

namespace vantrel::host {

const char* RunEndName(RunEnd end) {
  switch (end) {
    case RunEnd::kNotRun:
      return "not-run";
    case RunEnd::kNothingSelected:
      return "nothing-selected";
    case RunEnd::kMissingProperties:
      return "missing-properties";
    case RunEnd::kQuickBooksError:
      return "quickbooks-error";
    case RunEnd::kQueryError:
      return "query-error";
    case RunEnd::kStopped:
      return "stopped";
    case RunEnd::kConversionError:
      return "conversion-error";
    case RunEnd::kAlreadyInSync:
      return "already-in-sync";
    case RunEnd::kCompleted:
      return "completed";
  }
  return "unknown";
}

}  // namespace vantrel::host
