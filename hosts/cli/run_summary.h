// What a run did, for people: the table printed at the end of a run and the
// report file, built from the control's figures, the requests the command
// line saw and, when the site stand-in answered them, the rows it changed.
#ifndef VANTREL_HOSTS_CLI_RUN_SUMMARY_H_
#define VANTREL_HOSTS_CLI_RUN_SUMMARY_H_

#include <optional>
#include <string>
#include <vector>

#include "control/entity_table.h"
#include "control/vantrel_ctl.h"
#include "request_watch.h"

namespace vantrel::cli {

// Rows a run inserted and updated in the site's tables, per entity.
struct SiteRows {
  long inserted = 0;
  long updated = 0;
};
using SiteRowsByEntity = PerEntity<SiteRows>;

// Where a last-sync date of the run came from.
struct LastSyncUse {
  std::string key;     // "CustomerLastSyncDate"
  std::string date;    // as the run used it, mm/dd/yyyy hh:mm:ss
  std::string source;  // "site", "page", "param" or "default"
};

// A line the site stand-in took but could not file: a reference it lacks.
struct SiteWarning {
  std::string letter;   // the upload's entity letter
  long line = 0;        // the line's number in its upload
  std::string key;      // the line's key
  std::string missing;  // what the site lacks: "employee/vendor", "customer/project", "item"
  std::string list_id;  // the ListID it lacks
};

struct RunRecord {
  std::string started;  // local wall-clock times, mm/dd/yyyy hh:mm:ss
  std::string ended;
  double seconds = 0;
  bool dry_run = false;
  std::string site_db;                   // the embedded site's database, if any
  std::optional<SiteRowsByEntity> rows;  // known when a reply told them
  std::vector<LastSyncUse> last_sync;
  std::vector<SiteWarning> site_warnings;  // as the replies told them
  long site_warnings_untold = 0;           // more the replies did not list
};

// Takes into `record` what the replies the run got tell of the site's
// tables, in the header fields the site stand-in adds (any letter case):
//   X-Vantrel-Rows: TABLE=INSERTED/UPDATED;...  (or "none")
//   X-Vantrel-Line-Warning: LETTER;LINE;KEY;KIND;LISTID
//   X-Vantrel-Line-Warnings-Untold: N
// with %XX escapes in the names and texts. `rows` becomes the sum over the
// replies that told rows, by entity (a table no entity has is left out),
// and stays unknown when none did (another server, a dry run, no reply);
// `site_warnings` gets the lines in the order the replies told them. A part
// that cannot be read is left out.
void TakeSiteReplies(const RequestWatch& watch, RunRecord& record);

// The exit status of a run that was not interrupted: kExitOk when it reached
// its end with every failure counter 0 and every request accepted,
// kExitWarnings when it did so but the server marked warnings, and
// kExitRunFailed otherwise.
int SyncExitStatus(const VantrelCtl& ctl, const RequestWatch& watch);

// The entities the last run asked for, in pass order.
std::vector<const EntityRow*> EntitiesOfTheRun(const VantrelCtl& ctl);

// The summary table: a line per entity of the run with the records read
// from QuickBooks, the entries sent, the rows new and updated on the site
// ("unknown" without the site stand-in), the inactive records sent as
// updates only, the records skipped as unchanged and the failures; then the
// run's times.
// Failed entries are those of uploads that did not land, or the entity's
// failure counter when that counts more.
// Warnings are the server's marks on uploads it took.
std::string SummaryTable(const VantrelCtl& ctl, const RunRecord& record);

// What a dry run would have sent, a line per entity letter.
std::string DryRunLines(const RequestWatch& watch);

// The report file: the run's times, the site (its key masked), the
// last-sync dates used, the summary's figures by entity under plain names,
// the failed requests with the server's replies, and how the run ended.
std::string ReportJson(const VantrelCtl& ctl, const RunRecord& record, const RequestWatch& watch);

// A key shown without giving it away: its first two characters, the rest as
// "*" (all of it for a key of five characters or fewer).
std::string MaskKey(const std::string& key);

// The local wall-clock time now, as mm/dd/yyyy hh:mm:ss.
std::string WallClockText();

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_RUN_SUMMARY_H_
