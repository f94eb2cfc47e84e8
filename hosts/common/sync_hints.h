// The hosts' own word under a message box of a run: what caused it and how
// to fix it, in the command line's terms (the desktop wizard shows the same
// text under its message box).
#ifndef VANTREL_HOSTS_COMMON_SYNC_HINTS_H_
#define VANTREL_HOSTS_COMMON_SYNC_HINTS_H_

#include <string>
#include <vector>

#include "common/run_results.h"
#include "control/vantrel_ctl.h"
#include "platform/request_log.h"

namespace vantrel::host {

// How a host names what the user does about a hint; the hints are written
// around these.
struct HintWords {
  const char* give_params;       // how to give missing parameters
  const char* serve_site;        // what serves a site in process
  const char* start_quickbooks;  // after "QuickBooks is not running"
  const char* open_company;      // what opens the company QuickBooks should have open
  const char* set_company_path;  // how to give QBFilePath
  const char* check_site;        // how to check the site code and key
  const char* timeout_limit;     // after "in time": what sets the limit, or ""
  const char* run_again;         // how to send the rest once more
  const char* safe_lines;        // what sends blanks in place of "|" and line breaks
  const char* full_list;         // what lists every line when the hints stop naming them
};

// The command line's words: --param, --quickbooks FILE, "run the same
// command again", ...
extern const HintWords kCommandLineWords;
// The desktop wizard's words: File > Settings, File > Open company...,
// "click Start Sync again", ...
extern const HintWords kDesktopWords;

struct HintContext {
  bool quickbooks_given = false;     // a company file was given to QuickBooks
  bool embedded_site_given = false;  // the embedded site was asked for
  const platform::RequestLog* watch = nullptr;
  const HintWords* words = &kCommandLineWords;
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
                                       const platform::RequestLog& watch,
                                       const HintWords& words = kCommandLineWords);

// What the command line says after Ctrl-C: the uploads the site confirmed,
// the request under way when it came (which may have landed), and how to go
// on.
std::string InterruptedNote(const platform::RequestLog& watch);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_SYNC_HINTS_H_
