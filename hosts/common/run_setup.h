// What both hosts set up around the control's runs: QuickBooks as the
// stand-in, the environment the control is made with (its requests logged,
// retried and, in a dry run, never sent), and the embedded site that stands
// in for the server pages.
//
// A RunSetup and everything it hands out belong to the host's one
// user-interface thread, the control's; it must outlive the control made
// with env().
#ifndef VANTREL_HOSTS_COMMON_RUN_SETUP_H_
#define VANTREL_HOSTS_COMMON_RUN_SETUP_H_

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/quickbooks_standin.h"
#include "control/vantrel_ctl.h"
#include "platform/env.h"
#include "platform/request_log.h"
#include "platform/values.h"
#include "site/site_server.h"

namespace vantrel::host {

// The address a dry run gives a control that has none; nothing goes to it.
inline constexpr char kDryRunAddress[] = "http://dry-run.invalid/";

// Says whether a last-sync key's value was given by the user (a --param), so
// that the site's date does not replace it.
using KeepDate = std::function<bool(std::string_view key)>;

class RunSetup {
 public:
  // QuickBooks not running and no site; the control's requests are logged
  // with `options` (by default sent again twice after a failed connection).
  explicit RunSetup(platform::RequestLogOptions options = {});
  // Stops the site; removes the folder of a temporary database unless kept.
  ~RunSetup();
  RunSetup(const RunSetup&) = delete;
  RunSetup& operator=(const RunSetup&) = delete;

  // The environment to make the control with: the machine's, with every
  // browser wrapped by requests().
  platform::Env& env() { return logging_env_; }
  // The machine's environment beneath it: its clock and browser limits.
  platform::SystemEnv& system_env() { return system_env_; }
  QuickBooksStandin& quickbooks() { return quickbooks_; }
  platform::RequestLog& requests() { return log_; }
  const platform::RequestLog& requests() const { return log_; }

  // Starts the embedded site over the database at `db_path`, or with "" over
  // this setup's temporary one (made on first use), answering to `site_code`
  // and `site_key`; a site running before is stopped first. Throws
  // UsageError when the folder or the site cannot be made.
  void StartSite(const std::string& db_path, const std::string& site_code,
                 const std::string& site_key);
  void StopSite();
  // The running site; null when none runs.
  site::SiteServer* site() const { return site_.get(); }
  // The database of the site started last ("" before any).
  const std::string& site_db() const { return site_db_; }
  // Keeps the temporary database's folder after this setup is gone.
  void set_keep_temporary(bool keep) { keep_temporary_ = keep; }

  // Loads `bag` into `ctl`. While the site runs, a site that answers to
  // another code or key than the control's now is started again for them,
  // and the control posts to the site. Throws UsageError for a value that
  // cannot be converted or a site that cannot start.
  void Load(VantrelCtl& ctl, const platform::PropertyBag& bag);

  // Before a run: the log starts afresh, masking `ctl`'s key. While the site
  // runs, its page's last-sync dates (except those `keep` holds on to) go
  // into `bag`, which is loaded into `ctl`, and the control posts to the
  // site; in a dry run a control without an address gets kDryRunAddress.
  // Returns the keys whose dates the site gave. Throws UsageError when the
  // site's page cannot be read (the control posts to the site all the same).
  std::vector<std::string> PrepareRun(VantrelCtl& ctl, platform::PropertyBag bag,
                                      const KeepDate& keep);

 private:
  QuickBooksStandin quickbooks_;
  platform::SystemEnv system_env_;
  platform::RequestLog log_;
  platform::LoggingEnv logging_env_;
  std::unique_ptr<site::SiteServer> site_;
  std::string site_db_;
  std::string site_code_, site_key_;  // what the running site answers to
  std::filesystem::path temporary_folder_;
  std::string temporary_db_;
  bool keep_temporary_ = false;
};

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_RUN_SETUP_H_
