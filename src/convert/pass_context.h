// What a conversion pass sees of the control that runs it: where its progress
// shows, where its entries go and how they are posted, its own failure
// counter, statement count and last-sync date, and the site's words.
#ifndef VANTREL_CONVERT_PASS_CONTEXT_H_
#define VANTREL_CONVERT_PASS_CONTEXT_H_

#include <string>
#include <string_view>

#include "platform/date_time.h"
#include "wizard/bmwg_utility_result.h"
#include "wizard/run_state.h"

namespace vantrel {

// The progress strip of the wizard screen.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Shows the strip for `records` records (the bar from 0 to records - 1,
  // at least 1) with `caption`.
  virtual void Start(long records, const std::string& caption) = 0;
  // The bar at `position`.
  virtual void Step(long position) = 0;
  // A new caption, redrawn at once.
  virtual void Caption(const std::string& caption) = 0;
  // Hides the strip's frame.
  virtual void Hide() = 0;
};

// The upload script of the run and the requests that carry it.
class ScriptSink {
 public:
  virtual ~ScriptSink() = default;
  // Appends `text` to the upload script. A script that is missing or cannot
  // take text leaves the text unwritten.
  virtual void Write(std::string_view text) = 0;
  // Restores the mouse pointer, puts `letter` in nOptions and posts the
  // script; a missing script fails as wgurSystemError.
  virtual BMWGUtilityResult Post(std::string_view letter) = 0;
  // Replaces the script by a new, empty one.
  virtual void OpenFresh() = 0;
  // The status update for `letter`; a ComError reaches the caller.
  virtual BMWGUtilityResult SendStatus(std::string_view letter) = 0;
  // Every entry is posted on its own.
  virtual bool DebugMode() const = 0;
  // In debug mode, a failed post stops the pass.
  virtual bool StopOnError() const = 0;
  // The visible text of the last reply page.
  virtual std::string ReplyText() const = 0;
};

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

struct PassContext {
  ProgressSink& progress;
  ScriptSink& script;
  RunState& run;
  long& failures;           // the entity's failure counter, raised by failed posts in debug mode
  long& count;              // the entity's statement or line count in this run
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

  // The same pass counting its entries into `other` (a kind of several).
  PassContext CountingInto(long& other) const {
    return {progress,  script, run, failures, other,      letter,
            last_sync, words,  now, shared,   reply_mark, figures};
  }
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_PASS_CONTEXT_H_
