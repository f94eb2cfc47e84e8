// The command line's own word under a message box of a run: what caused it
// here and what to type about it.
#ifndef VANTREL_HOSTS_CLI_SYNC_HINTS_H_
#define VANTREL_HOSTS_CLI_SYNC_HINTS_H_

#include <string>
#include <vector>

#include "control/vantrel_ctl.h"
#include "platform/request_log.h"
#include "run_summary.h"

namespace vantrel::cli {

struct HintContext {
  bool quickbooks_given = false;     // --quickbooks FILE was given
  bool embedded_site_given = false;  // --embedded-site was given
  const platform::RequestLog* watch = nullptr;
};

// The hint for the message box that `ctl`'s run shows now, told by how the
// run ends (set before its closing message), the QuickBooks step that failed
// and the last request's reply; "" when there is nothing to add.
std::string Hint(const VantrelCtl& ctl, const HintContext& context);

// The lines the command line adds after a run (each printed as "hint: ..."):
// the time and expense records whose free texts the line format cannot
// carry, the site's warnings by entity and, from the site stand-in, the
// lines it could not file with the records it lacks, and the requests that
// did not land although the run went on (a status update, an upload answered
// "No data to upload. ").
std::vector<std::string> AfterRunHints(const VantrelCtl& ctl, const RunRecord& record,
                                       const platform::RequestLog& watch);

// What the command line says after Ctrl-C: the uploads the site confirmed,
// the request under way when it came (which may have landed), and how to go
// on.
std::string InterruptedNote(const platform::RequestLog& watch);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_SYNC_HINTS_H_
