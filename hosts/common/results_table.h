// The table of a run's results, as text cells that every host lays out its
// own way: a row per entity the run asked for, in pass order, and the run's
// times.
#ifndef VANTREL_HOSTS_COMMON_RESULTS_TABLE_H_
#define VANTREL_HOSTS_COMMON_RESULTS_TABLE_H_

#include <optional>
#include <string>
#include <vector>

#include "common/run_results.h"
#include "control/vantrel_ctl.h"

namespace vantrel::host {

// What the results say of one entity. The time and expenses count their
// records in `read` and their "|" lines in every other figure.
struct EntityResults {
  long read = 0;       // records read from QuickBooks
  long sent = 0;       // statements or lines sent (a dry run: to send)
  long inactive = 0;   // inactive records sent as updates only
  long unchanged = 0;  // records skipped as unchanged since the last sync
  long left_out = 0;   // records left out by a rule of the entity
  long warnings = 0;   // the server's marks on uploads it took
  // Entries of the uploads that did not land, or the entity's failure
  // counter when that counts more.
  long failed = 0;
  std::optional<SiteRows> rows;  // the site's new and updated rows, when told
};

// The results of `entity` in the last run of `ctl`, the site's rows as
// `record` tells them.
EntityResults ResultsOf(const VantrelCtl& ctl, const RunRecord& record, const EntityRow& entity);

struct ResultsTable {
  // The headings: "entity", "read", "sent" ("to send" in a dry run), "new",
  // "updated", "inactive", "unchanged", "left out", "warnings", "failed".
  std::vector<std::string> columns;
  // A row per entity of the run, a cell per column: the entity's name, then
  // whole numbers; "unknown" for the site's rows when no reply told them;
  // the sent cell of an entity that sends lines says so ("26 lines").
  std::vector<std::vector<std::string>> rows;
  // "run from 12/07/2026 10:00:00 to 12/07/2026 10:00:02 (2.1 s)", "dry run
  // from ..." for a dry run.
  std::string duration;
};

// The table of the last run of `ctl`.
ResultsTable MakeResultsTable(const VantrelCtl& ctl, const RunRecord& record);

// The table as text, a line for the headings, one per row and the duration:
// the first column at the left, the others at the right of their columns,
// each as wide as its widest cell and at least 10 characters for the
// first, 7 for the last and 9 for the others; a blank between columns.
std::string TableText(const ResultsTable& table);

// The sent cell of `entity`: the number, with " lines" for an entity that
// sends lines.
std::string SentCell(const EntityRow& entity, long sent);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_RESULTS_TABLE_H_
