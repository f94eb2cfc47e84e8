// What a run did, as data for the hosts' summaries and reports: the times,
// the last-sync dates used, and what the site's replies told of its tables.
#ifndef VANTREL_HOSTS_COMMON_RUN_RESULTS_H_
#define VANTREL_HOSTS_COMMON_RUN_RESULTS_H_

#include <optional>
#include <string>
#include <vector>

#include "control/entity_table.h"
#include "control/vantrel_ctl.h"
#include "platform/request_log.h"

namespace vantrel::host {

// The local wall-clock time now, as mm/dd/yyyy hh:mm:ss.
std::string WallClockText();

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

// Takes into `record` what the replies of `requests` tell of the site's
// tables, in the header fields the site stand-in adds (any letter case):
//   X-Vantrel-Rows: TABLE=INSERTED/UPDATED;...  (or "none")
//   X-Vantrel-Line-Warning: LETTER;LINE;KEY;KIND;LISTID
//   X-Vantrel-Line-Warnings-Untold: N
// with %XX escapes in the names and texts. `rows` becomes the sum over the
// replies that told rows, by entity (a table no entity has is left out),
// and stays unknown when none did (another server, a dry run, no reply);
// `site_warnings` gets the lines in the order the replies told them. A part
// that cannot be read is left out.
void TakeSiteReplies(const platform::RequestLog& requests, RunRecord& record);

// True when `request` did not end with an accepted reply (the reply
// "No data to upload. " included: nothing of it landed).
bool Failed(const platform::LoggedRequest& request);

// The warnings of `entity` in the last run of `ctl`: for the lines of time
// and expenses, the lines the site told it could not file when its replies
// told them (a reply's digit stops at 9), else the pass's figure.
long EntityWarnings(const VantrelCtl& ctl, const RunRecord& record, const EntityRow& entity);

// The entities the last run of `ctl` asked for, in pass order.
std::vector<const EntityRow*> EntitiesOfTheRun(const VantrelCtl& ctl);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_RUN_RESULTS_H_
