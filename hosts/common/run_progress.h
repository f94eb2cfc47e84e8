// The figures a host adds to a run's progress, in the results table's words:
// what a pass has done so far, and how far the whole run is with the time
// left. Pure functions of the figures and of times measured by the caller.
#ifndef VANTREL_HOSTS_COMMON_RUN_PROGRESS_H_
#define VANTREL_HOSTS_COMMON_RUN_PROGRESS_H_

#include <string>

#include "control/vantrel_ctl.h"
#include "wizard/entities.h"
#include "wizard/run_state.h"

namespace vantrel::host {

// What one pass did since it began.
struct PassTally {
  std::string part;    // "checks" or "bills" for a pass of the expenses, else empty
  long read = 0;       // records read, as the table's "read"
  long unchanged = 0;  // records skipped as unchanged
  long left_out = 0;   // records left out by a rule
  long sent = 0;       // entries written, as the table's "sent"
  bool lines = false;  // the entries are lines
  bool dry_run = false;
  double seconds = 0;  // since the pass began
};

// "[checks: read 8, sent 15 lines, 12 read/s, 0.7 s]": the part when there
// is one, the records read, those unchanged and left out when there are
// any, the entries sent ("to send" in a dry run), the records read a
// second (0 before a second has any length) and the seconds, to a tenth.
std::string PassFiguresText(const PassTally& pass);

// A duration for people, rounded to the second: "0 s", "59 s", "1 min 05 s",
// "1 h 00 min" (from an hour on, to the minute).
std::string DurationText(double seconds);

// The progress of a whole run after `seconds`, with `done` of the `total`
// records read: "overall: 300 of 600 records read, 2.0 s, about 2 s left".
// The time left assumes the rate so far; before any record is read it is
// "time left not known yet". A `done` above `total` counts as `total`.
std::string OverallText(long done, long total, double seconds);

// A run's overall line shows once its passes have lasted this long.
inline constexpr double kOverallAfterSeconds = 3.0;

// The records the passes of the run under way will read: those of its
// qbXML response that the entities it asked for take (a customer record is
// read once, by the customers' pass or the projects'); 0 before the
// response is read.
long RecordsToRead(const VantrelCtl& ctl);

// The records read so far by the passes of the run under way.
long RecordsRead(const RunFigures& figures);

// The entity whose figures differ between `before` and `now` (the pass that
// ran between them); null when none do.
const EntityRow* EntityOfPass(const RunFigures& before, const RunFigures& now);

// The figures of `kind` in `now` less those in `before`.
PassFigures FiguresSince(const RunFigures& before, const RunFigures& now, EntityKind kind);

// The check records of the run's response (the expenses' first pass walks
// them, the second the bills); 0 before the response is read.
long CheckRecords(const VantrelCtl& ctl);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_RUN_PROGRESS_H_
