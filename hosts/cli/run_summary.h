// What a run did, for people: the table printed at the end of a run and the
// report file, built from the control's figures, the requests the command
// line saw and, when the site stand-in answered them, the rows it changed.
#ifndef VANTREL_HOSTS_CLI_RUN_SUMMARY_H_
#define VANTREL_HOSTS_CLI_RUN_SUMMARY_H_

#include <optional>
#include <string>
#include <vector>

#include "common/run_results.h"
#include "control/entity_table.h"
#include "control/vantrel_ctl.h"
#include "platform/request_log.h"

namespace vantrel::cli {

using host::EntitiesOfTheRun;
using host::Failed;
using host::LastSyncUse;
using host::RunRecord;
using host::SiteRows;
using host::SiteWarning;
using host::WallClockText;

// The exit status of a run that was not interrupted: kExitOk when it reached
// its end with every failure counter 0 and every request accepted,
// kExitWarnings when it did so but the server marked warnings, and
// kExitRunFailed otherwise.
int SyncExitStatus(const VantrelCtl& ctl, const platform::RequestLog& watch);

// The summary table, host::MakeResultsTable as host::TableText: a line per
// entity of the run with the records read from QuickBooks, the entries sent
// ("26 lines" for time and expenses, whose other figures count lines too),
// the rows new and updated on the site ("unknown" without the site
// stand-in), the inactive records sent as updates only, the records skipped
// as unchanged, those left out by a rule, the warnings and the failures;
// then the run's times.
std::string SummaryTable(const VantrelCtl& ctl, const RunRecord& record);

// What a dry run would have sent, a line per entity letter.
std::string DryRunLines(const platform::RequestLog& watch);

// The report file: the run's times, the site (its key masked), the
// last-sync dates used, the summary's figures by entity under plain names,
// the failed requests with the server's replies, and how the run ended.
std::string ReportJson(const VantrelCtl& ctl, const RunRecord& record,
                       const platform::RequestLog& watch);

// A key shown without giving it away: its first two characters, the rest as
// "*" (all of it for a key of five characters or fewer).
std::string MaskKey(const std::string& key);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_RUN_SUMMARY_H_
