// The desktop wizard's window: the control's screen, a File menu for the
// company, the settings and the embedded site, a Help menu with About and
// the log, a results panel with the last run's figures, and a status line
// that keeps the last run's end and message.
#ifndef VANTREL_HOSTS_DESKTOP_WIZARD_WINDOW_H_
#define VANTREL_HOSTS_DESKTOP_WIZARD_WINDOW_H_

#include <QMainWindow>
#include <QSettings>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/host_args.h"
#include "common/run_results.h"
#include "common/run_setup.h"
#include "control/vantrel_ctl.h"
#include "desktop_host.h"
#include "desktop_options.h"
#include "desktop_settings.h"
#include "platform/values.h"
#include "progress_lines.h"
#include "secret_store.h"
#include "site/site_server.h"
#include "wizard_view.h"

class QAction;
class QDockWidget;
class QLabel;
class QPlainTextEdit;

namespace vantrel::desktop {

class ResultsPanel;
class StatusLine;

class WizardWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The site key is kept in `secrets`; null for the desktop's own store.
  explicit WizardWindow(std::unique_ptr<SecretStore> secrets = nullptr, QWidget* parent = nullptr);
  ~WizardWindow() override;

  // Applies the command line: the page and params over the saved settings,
  // the company QuickBooks has open, the embedded site. Throws
  // host::UsageError when any of them cannot be used.
  void Configure(const DesktopOptions& options);

  // Opens the company file at `path` in QuickBooks; a path that names the
  // file of QBFilePath is opened under that name. Tells the user and returns
  // false when the file cannot be loaded.
  bool OpenCompany(const std::string& path);
  // Starts or stops the embedded site; while it runs the control posts to it
  // instead of the base address. Tells the user and returns false when it
  // cannot start.
  bool UseEmbeddedSite(bool on);
  // Saves `values` as settings (the site key in the secret store, or with
  // `key_in_file` in the settings file) and loads them into the control.
  // Tells the user when the secret store cannot keep the key.
  void ApplySettings(const SettingValues& values, bool key_in_file = false);

  VantrelCtl& control() { return ctl_; }
  DesktopHost& forms_host() { return host_; }
  WizardView& view() { return *view_; }
  // The embedded site; null when it is not running.
  site::SiteServer* embedded_site() { return setup_.site(); }
  // QuickBooks, the site and the log of the control's requests (sent again
  // twice after a failed or dropped connection, as on the command line).
  host::RunSetup& run_setup() { return setup_; }
  // The report of the last run that went as far as its closing message.
  const host::RunRecord& last_record() const { return record_; }

 protected:
  // During a run the window clicks Cancel and closes once the run has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildDocks();
  void ShowAbout();
  // A line of the log pane.
  void Log(const std::string& line);
  // A request's line, after the count its pass stands at.
  void LogRequest(const std::string& line);
  void LogMessage(const ShownMessage& message);
  // The hint under a message box of the run, in the command line's words.
  std::string HintNow();
  // Where the run stands, for the view.
  WizardView::Phase RunPhase() const;
  // After a run: its report, the results panel, the status line.
  void RunEnded();
  void ChooseCompany();
  void EditSettings();
  // Before "Start &Sync" reaches the control: the embedded site's dates.
  void AboutToClick(const platform::Control& control);
  void ControlClicked(const platform::Control& control);
  // Loads the bag into the control; the embedded site, when it runs, takes
  // the base address's place. Throws host::UsageError.
  void LoadConfiguration();
  void StartSite();
  void StopSite();
  void ShowHostError(const std::string& text);
  void UpdateInfo();

  host::RunSetup setup_;
  std::unique_ptr<SecretStore> secrets_;
  DesktopHost host_;
  VantrelCtl ctl_;
  platform::PropertyBag bag_;
  host::ParsedArgs args_;  // its --param values: the site's dates do not replace them
  std::unique_ptr<QSettings> settings_;
  std::string site_db_;  // --site-db; "" for a temporary database

  WizardView* view_ = nullptr;
  StatusLine* quickbooks_info_ = nullptr;
  StatusLine* site_info_ = nullptr;
  StatusLine* run_summary_ = nullptr;
  QAction* embedded_site_action_ = nullptr;
  QDockWidget* results_dock_ = nullptr;
  ResultsPanel* results_ = nullptr;
  QDockWidget* log_dock_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  ProgressLines progress_;
  bool logging_progress_ = false;  // from Start Sync to the run's closing message
  host::RunRecord record_;
  std::chrono::steady_clock::time_point run_start_;
  std::size_t messages_seen_ = 0;
  bool close_pending_ = false;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_WIZARD_WINDOW_H_
