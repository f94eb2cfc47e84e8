// What a conversion pass sees of the control that runs it: where its progress
// shows, where its entries go and how they are posted, its own failure
// counter, statement count and last-sync date, and the site's words.
#ifndef VANTREL_CONVERT_PASS_CONTEXT_H_
#define VANTREL_CONVERT_PASS_CONTEXT_H_

#include <string>
#include <string_view>

#include "convert/progress_strip.h"
#include "platform/date_time.h"
#include "wizard/batcher.h"
#include "wizard/bmwg_utility_result.h"
#include "wizard/run_state.h"

namespace vantrel {

struct ConverterStores;

// The site's words for its entities, and the user the statements name (the
// control's public properties of these names).
struct Wording {
  std::string CustLexicon;
  std::string EmpLexicon;
  std::string ProjLexicon;
  std::string SILexicon;
  std::string SubProjLexicon;
  std::string TessalyUser;
};

// A pass that ran just before and shares this pass's status update (the
// customers for the projects): its count and failure counter.
struct SharedReport {
  const long* count = nullptr;
  const long* failures = nullptr;
};

// Everything a pass sees but the count it adds its entries to.
struct PassScope {
  ProgressStrip& progress;
  Batcher& batcher;
  // The record stores of the passes: one per converter, kept by the control.
  ConverterStores& stores;
  RunState& run;
  long& failures;           // the entity's failure counter, raised by failed posts in debug mode
  std::string_view letter;  // the entity letter of posts and the status update
  platform::DateTime last_sync;  // the entity's last-sync date
  const Wording& words;
  platform::DateTime now;  // the clock when the pass began
  SharedReport shared = {};
  // Set when an upload reply carries the server's mark of lines it could not
  // take (the time and expense passes); null for the other passes.
  bool* reply_mark = nullptr;
  // Where the pass adds up what it did with its records; null for none.
  PassFigures* figures = nullptr;
};

struct PassContext : PassScope {
  long& count;  // the entity's statement or line count in this run

  // The same pass counting its entries into `other` (a kind of several):
  // the whole scope is copied, whatever it holds.
  PassContext CountingInto(long& other) const { return {*this, other}; }
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_PASS_CONTEXT_H_
