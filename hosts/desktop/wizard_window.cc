#include "wizard_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/bag_loading.h"
#include "common/host_args.h"
#include "common/run_end.h"

namespace vantrel::desktop {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A message's text on one line: each run of line breaks becomes one blank.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : DisplayText(text)) {
    if (c != '\n') {
      out += c;
    } else if (out.empty() || out.back() != '\n') {
      out += '\n';
    }
  }
  std::replace(out.begin(), out.end(), '\n', ' ');
  return out;
}

}  // namespace

WizardWindow::WizardWindow(QWidget* parent) : QMainWindow(parent), ctl_(setup_.env(), host_) {
  setWindowTitle(kWindowTitle);
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  view_ = new WizardView(ctl_.screen(), central);
  view_->set_running([this] { return ctl_.running(); });
  column->addWidget(view_);
  quickbooks_info_ = new QLabel(central);
  quickbooks_info_->setObjectName("quickbooksInfo");
  site_info_ = new QLabel(central);
  site_info_->setObjectName("siteInfo");
  site_info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  for (QLabel* info : {quickbooks_info_, site_info_}) {
    info->setTextFormat(Qt::PlainText);
    column->addWidget(info);
  }
  setCentralWidget(central);
  run_summary_ = new QLabel(this);
  run_summary_->setObjectName("runSummary");
  run_summary_->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(run_summary_, 1);
  host_.set_view(view_);
  connect(view_, &WizardView::AboutToClick, this, &WizardWindow::AboutToClick);
  connect(view_, &WizardView::ControlClicked, this, &WizardWindow::ControlClicked);
  BuildMenus();
  UpdateInfo();
}

WizardWindow::~WizardWindow() {
  // The widgets go first: they draw the control's screen.
  host_.set_view(nullptr);
  delete takeCentralWidget();
}

void WizardWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* open = file->addAction(tr("&Open company..."), this, &WizardWindow::ChooseCompany);
  open->setShortcut(QKeySequence::Open);
  QAction* settings = file->addAction(tr("S&ettings..."), this, &WizardWindow::EditSettings);
  file->addSeparator();
  embedded_site_action_ = file->addAction(tr("E&mbedded site"));
  embedded_site_action_->setObjectName("actionEmbeddedSite");
  embedded_site_action_->setCheckable(true);
  connect(embedded_site_action_, &QAction::triggered, this, [this](bool on) {
    if (ctl_.running() || !UseEmbeddedSite(on)) {
      embedded_site_action_->setChecked(setup_.site() != nullptr);
    }
  });
  file->addSeparator();
  QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);
  open->setObjectName("actionOpenCompany");
  settings->setObjectName("actionSettings");
  // Nothing the run reads changes under it (the actions' own handlers refuse
  // too, for their shortcuts).
  connect(file, &QMenu::aboutToShow, this, [this, open, settings] {
    for (QAction* action : {open, settings, embedded_site_action_}) {
      action->setEnabled(!ctl_.running());
    }
  });
}

void WizardWindow::Configure(const DesktopOptions& options) {
  settings_ = options.settings_file.empty()
                  ? std::make_unique<QSettings>()
                  : std::make_unique<QSettings>(Text(options.settings_file), QSettings::IniFormat);
  bag_ = host::BuildBag(options.args);
  args_ = options.args;
  FillFromSettings(*settings_, bag_);
  if (!options.quickbooks.empty()) setup_.quickbooks().Open(options.quickbooks);
  if (options.now) setup_.system_env().FixClock(*options.now);
  site_db_ = options.site_db;
  host::LoadBag(ctl_, bag_);
  if (options.embedded_site) StartSite();
  LoadConfiguration();
  view_->Sync();
  UpdateInfo();
}

void WizardWindow::LoadConfiguration() { setup_.Load(ctl_, bag_); }

void WizardWindow::StartSite() {
  setup_.StartSite(site_db_, ctl_.SiteCode, ctl_.SiteKey);
  embedded_site_action_->setChecked(true);
}

void WizardWindow::StopSite() {
  setup_.StopSite();
  embedded_site_action_->setChecked(false);
}

bool WizardWindow::UseEmbeddedSite(bool on) {
  bool ok = true;
  try {
    if (on && setup_.site() == nullptr) StartSite();
    if (!on) StopSite();
    LoadConfiguration();
  } catch (const host::UsageError& e) {
    ShowHostError(e.what());
    ok = false;
  }
  UpdateInfo();
  return ok;
}

bool WizardWindow::OpenCompany(const std::string& path) {
  std::string name = path;
  // QuickBooks names its open file as it was opened: the name QBFilePath
  // expects is the one to open it under.
  std::error_code error;
  if (!ctl_.QBFilePath.empty() && std::filesystem::equivalent(path, ctl_.QBFilePath, error)) {
    name = ctl_.QBFilePath;
  }
  try {
    setup_.quickbooks().Open(name);
  } catch (const host::UsageError& e) {
    ShowHostError(e.what());
    return false;
  }
  UpdateInfo();
  return true;
}

void WizardWindow::ChooseCompany() {
  if (ctl_.running()) return;
  const std::filesystem::path expected(ctl_.QBFilePath);
  const QString path =
      QFileDialog::getOpenFileName(this, tr("Open company"), Text(expected.parent_path().string()),
                                   tr("QuickBooks company files (*.QBW *.qbw);;All files (*)"));
  if (!path.isEmpty()) OpenCompany(path.toStdString());
}

void WizardWindow::EditSettings() {
  if (ctl_.running()) return;
  SettingsDialog dialog(bag_, this);
  if (dialog.exec() == QDialog::Accepted) ApplySettings(dialog.values());
}

void WizardWindow::ApplySettings(const SettingValues& values) {
  for (const auto& [parameter, value] : values) bag_.Set(parameter, value);
  if (settings_) SaveSettings(*settings_, values);
  try {
    LoadConfiguration();
  } catch (const host::UsageError& e) {
    ShowHostError(e.what());
  }
  view_->Sync();
  UpdateInfo();
}

void WizardWindow::ShowHostError(const std::string& text) {
  QMessageBox::warning(this, kWindowTitle, Text(text));
}

void WizardWindow::UpdateInfo() {
  const host::QuickBooksStandin& quickbooks = setup_.quickbooks();
  quickbooks_info_->setText(quickbooks.running()
                                ? tr("QuickBooks has %1 open").arg(Text(quickbooks.path()))
                                : tr("QuickBooks is not running"));
  if (const site::SiteServer* site = setup_.site()) {
    site_info_->setText(
        tr("Embedded site at %1, database %2").arg(Text(site->base_url()), Text(site->db_path())));
  } else if (!ctl_.WGSecureServerURL.empty()) {
    site_info_->setText(tr("Site at %1").arg(Text(ctl_.WGSecureServerURL)));
  } else {
    site_info_->setText(tr("No site: set the base address or choose the embedded site"));
  }
}

void WizardWindow::AboutToClick(const platform::Control& control) {
  if (ctl_.running() || &control != &ctl_.screen().cmdNav[3]) return;
  // A run against the embedded site starts from the site's last-sync dates,
  // as the service's page gives them, so that it sends only what changed.
  try {
    setup_.PrepareRun(ctl_, bag_, [this](std::string_view key) { return args_.GivesParam(key); });
  } catch (const host::UsageError& e) {
    ShowHostError(e.what());
  }
}

void WizardWindow::ControlClicked(const platform::Control& control) {
  if (ctl_.running()) return;
  const auto& messages = host_.messages();
  if (&control == &ctl_.screen().cmdNav[3]) {
    // The run is over: its last message stays readable below the screen.
    QString summary = tr("Last run: %1").arg(host::RunEndName(ctl_.last_run_end()));
    if (messages.size() > messages_seen_) {
      summary += ". " + Text(OneLine(messages.back().text));
    }
    run_summary_->setText(summary);
    run_summary_->setToolTip(
        messages.size() > messages_seen_ ? Text(DisplayText(messages.back().text)) : QString());
    if (close_pending_) QTimer::singleShot(0, this, &QWidget::close);
  }
  messages_seen_ = messages.size();
}

void WizardWindow::closeEvent(QCloseEvent* event) {
  if (ctl_.running()) {
    close_pending_ = true;
    ctl_.screen().cmdNav[1].Click();
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace vantrel::desktop
