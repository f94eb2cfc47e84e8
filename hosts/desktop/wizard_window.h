// The desktop wizard's window: the control's screen, a File menu for the
// company, the settings and the embedded site, and a status line that keeps
// the last run's summary.
#ifndef VANTREL_HOSTS_DESKTOP_WIZARD_WINDOW_H_
#define VANTREL_HOSTS_DESKTOP_WIZARD_WINDOW_H_

#include <QMainWindow>
#include <QSettings>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/host_args.h"
#include "common/run_setup.h"
#include "control/vantrel_ctl.h"
#include "desktop_host.h"
#include "desktop_options.h"
#include "desktop_settings.h"
#include "platform/values.h"
#include "site/site_server.h"
#include "wizard_view.h"

class QAction;
class QLabel;

namespace vantrel::desktop {

class WizardWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit WizardWindow(QWidget* parent = nullptr);
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
  // Saves `values` as settings and loads them into the control.
  void ApplySettings(const SettingValues& values);

  VantrelCtl& control() { return ctl_; }
  DesktopHost& forms_host() { return host_; }
  WizardView& view() { return *view_; }
  // The embedded site; null when it is not running.
  site::SiteServer* embedded_site() { return setup_.site(); }
  // QuickBooks, the site and the log of the control's requests (sent again
  // twice after a failed or dropped connection, as on the command line).
  host::RunSetup& run_setup() { return setup_; }

 protected:
  // During a run the window clicks Cancel and closes once the run has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
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
  DesktopHost host_;
  VantrelCtl ctl_;
  platform::PropertyBag bag_;
  host::ParsedArgs args_;  // its --param values: the site's dates do not replace them
  std::unique_ptr<QSettings> settings_;
  std::string site_db_;  // --site-db; "" for a temporary database

  WizardView* view_ = nullptr;
  QLabel* quickbooks_info_ = nullptr;
  QLabel* site_info_ = nullptr;
  QLabel* run_summary_ = nullptr;
  QAction* embedded_site_action_ = nullptr;
  std::size_t messages_seen_ = 0;
  bool close_pending_ = false;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_WIZARD_WINDOW_H_
