// One run of `vantrel sync`, from checked options to its exit status: the
// set-up around the control, the clicks, and what is printed and written
// after it.
#ifndef VANTREL_HOSTS_CLI_SYNC_RUN_H_
#define VANTREL_HOSTS_CLI_SYNC_RUN_H_

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli_host.h"
#include "common/host_args.h"
#include "common/run_setup.h"
#include "control/vantrel_ctl.h"
#include "platform/request_log.h"
#include "run_summary.h"

namespace vantrel::cli {

// The command line of a run, checked.
struct SyncOptions {
  host::ParsedArgs parsed;                 // every option as given
  std::vector<const EntityRow*> selected;  // --select, in order
  std::optional<platform::DateTime> now;   // --now
  platform::RequestLogOptions requests;    // --retries, --dry-run, --script-dir
  platform::CurlBrowserOptions browser;    // --request-timeout
};

class OutputFile;

class SyncRun {
 public:
  // Makes the --report and --messages files (so that a path that cannot be
  // written is refused before any work) and reads the control's parameters.
  // Throws host::UsageError.
  explicit SyncRun(SyncOptions options);
  ~SyncRun();

  // Sets everything up, prints what the run uses and clicks "Start &Sync";
  // returns when the run is over. False when Ctrl-C came before the run
  // started (nothing was sent; said on standard error). Throws
  // host::UsageError for a company, folder or site that cannot be used.
  bool Run();

  // Prints the summary and the hints, writes the output files and returns
  // the exit status.
  int Finish();

 private:
  void SetUp();
  void StartEmbeddedSite();
  void ClickTheBoxes();
  int ExitStatus(bool written);
  bool quiet() const { return options_.parsed.Has("quiet"); }
  bool dry_run() const { return options_.requests.dry_run; }

  SyncOptions options_;
  std::unique_ptr<OutputFile> report_file_, messages_file_;
  platform::PropertyBag bag_;
  std::map<std::string, std::string> date_sources_;
  RunRecord record_;
  std::chrono::steady_clock::time_point start_;
  host::RunSetup setup_;
  CliHost forms_host_;
  std::optional<VantrelCtl> ctl_;  // made once the environment is set up
};

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_SYNC_RUN_H_
