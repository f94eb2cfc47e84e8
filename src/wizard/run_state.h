// The state of one run that the driver, the converters and the requests
// share: the upload script, its batch count, the stop flag, the last result
// and the entries each pass wrote.
#ifndef VANTREL_WIZARD_RUN_STATE_H_
#define VANTREL_WIZARD_RUN_STATE_H_

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_stream.h"
#include "platform/xml_response.h"
#include "wizard/bmwg_utility_result.h"
#include "wizard/entities.h"

namespace vantrel {

// Statements or lines written by each converter's pass in this run.
using EntityCounts = PerEntity<long>;

// What a pass did with the records of its kind, for the hosts' summaries.
struct PassFigures {
  long read = 0;         // records of the kind in the response
  long unchanged = 0;    // left out as created and modified before the last sync
  long left_out = 0;     // left out by a rule of the kind (payroll wage types)
  long update_only = 0;  // inactive records, written as updates only
  long failed = 0;       // the entity's failure counter at the end of the run
  // Entries of the uploads the server did not take (refused, no readable
  // reply, dropped, cancelled), counted from the batches as they were posted.
  long lost = 0;
  // The server's marks on uploads it took: lines it could not file (the
  // digit of a time or expense reply) and items or projects it added.
  long warnings = 0;
};

// A time or expense line whose free text held a "|" or a line break, which
// the line format cannot carry: the site reads such a line wrongly.
struct LineTextIssue {
  char letter = 0;        // the entity letter of the pass ("H", "X", "B")
  std::string key;        // the record's TxnID
  std::string field;      // the element the text came from ("Notes", "EntityRef/FullName")
  bool replaced = false;  // the characters were replaced by blanks (safe lines)
};

// The figures of every entity.
using RunFigures = PerEntity<PassFigures>;

struct RunState {
  bool mStopRun = false;                          // a pass stopped on an upload result or Cancel
  BMWGUtilityResult mLastResult = wgurSuccess;    // result of the last request of the run
  std::unique_ptr<platform::TextStream> mScript;  // the upload script being filled
  long lngBatchCount = 0;                         // entries in the script since the last upload
  EntityCounts counts;
  RunFigures figures;  // cleared when a run's conversion stage begins
  // The lines of this run whose free texts the line format cannot carry;
  // cleared with the figures.
  std::vector<LineTextIssue> line_issues;
  // Free texts of time and expense lines have "|" and line breaks replaced
  // by blanks (off: the lines carry the texts as they stand).
  bool safe_lines = false;

  // Puts a new, empty "us-ascii" text stream into mScript.
  void OpenFreshScript();
  // The run's response as the passes read it, while the conversion stage
  // lasts: read once by the first pass that needs it, then walked by all.
  std::unique_ptr<platform::XmlResponse> response;
  // Why a pass could not read the response, for the driver to report through
  // the error pair; nullopt when it could.
  std::optional<std::string> response_error;
};

}  // namespace vantrel

#endif  // VANTREL_WIZARD_RUN_STATE_H_
