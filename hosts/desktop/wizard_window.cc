#include "wizard_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "build_info.h"
#include "common/bag_loading.h"
#include "common/host_args.h"
#include "common/request_text.h"
#include "common/results_table.h"
#include "common/run_end.h"
#include "common/sync_hints.h"
#include "results_panel.h"
#include "status_line.h"
#include "upload/frm_wg_upload.h"

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

WizardWindow::WizardWindow(std::unique_ptr<SecretStore> secrets, QWidget* parent)
    : QMainWindow(parent),
      secrets_(secrets ? std::move(secrets) : MakeDesktopSecretStore()),
      ctl_(setup_.env(), host_) {
  setWindowTitle(kWindowTitle);
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  view_ = new WizardView(ctl_.screen(), central);
  view_->set_phase([this] { return RunPhase(); });
  column->addWidget(view_, 1);
  // The lines under the screen show what fits of a long path; the whole
  // line is their tooltip.
  quickbooks_info_ = new StatusLine(central);
  quickbooks_info_->setObjectName("quickbooksInfo");
  site_info_ = new StatusLine(central);
  site_info_->setObjectName("siteInfo");
  column->addWidget(quickbooks_info_);
  column->addWidget(site_info_);
  setCentralWidget(central);
  run_summary_ = new StatusLine(this);
  run_summary_->setObjectName("runSummary");
  statusBar()->addWidget(run_summary_, 1);
  host_.set_view(view_);
  host_.set_hint([this] { return HintNow(); });
  host_.set_on_message([this](const ShownMessage& message) { LogMessage(message); });
  host_.set_on_redrawn([this](const platform::Control& control) {
    if (!logging_progress_) return;
    for (const std::string& line : progress_.Redrawn(control.name(), control.caption())) Log(line);
  });
  platform::RequestLogHooks hooks;
  hooks.sent = [this](const platform::LoggedRequest& request) {
    LogRequest(host::SentLine(request));
  };
  hooks.completed = [this](const platform::LoggedRequest& request) {
    LogRequest(host::ReplyLine(request, setup_.requests()));
  };
  hooks.retrying = [this](const platform::LoggedRequest& request,
                          const platform::TransferFailure& failure,
                          std::chrono::milliseconds wait) {
    LogRequest("note: " + setup_.requests().Masked(host::RetryNote(
                              request, failure, wait, setup_.requests().options().retries)));
  };
  setup_.requests().set_hooks(std::move(hooks));
  connect(view_, &WizardView::AboutToClick, this, &WizardWindow::AboutToClick);
  connect(view_, &WizardView::ControlClicked, this, &WizardWindow::ControlClicked);
  BuildDocks();
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
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* show_log = log_dock_->toggleViewAction();
  show_log->setText(tr("Show &log"));
  show_log->setObjectName("actionShowLog");
  help->addAction(show_log);
  help->addSeparator();
  help->addAction(tr("&About QB Sync Wizard"), this, &WizardWindow::ShowAbout)
      ->setObjectName("actionAbout");
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

void WizardWindow::BuildDocks() {
  results_ = new ResultsPanel(this);
  results_dock_ = new QDockWidget(tr("Results of the last run"), this);
  results_dock_->setObjectName("resultsDock");
  results_dock_->setWidget(results_);
  results_dock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
  addDockWidget(Qt::BottomDockWidgetArea, results_dock_);
  results_dock_->hide();  // until a run has results

  log_ = new QPlainTextEdit(this);
  log_->setObjectName("logView");
  log_->setReadOnly(true);
  log_->setLineWrapMode(QPlainTextEdit::NoWrap);
  log_->setMaximumBlockCount(20000);
  log_dock_ = new QDockWidget(tr("Log"), this);
  log_dock_->setObjectName("logDock");
  log_dock_->setWidget(log_);
  addDockWidget(Qt::BottomDockWidgetArea, log_dock_);
  tabifyDockWidget(results_dock_, log_dock_);
  log_dock_->hide();
}

void WizardWindow::ShowAbout() {
  QMessageBox box(QMessageBox::Information, tr("About QB Sync Wizard"),
                  QString("QB Sync Wizard\n\n%1\nQt %2")
                      .arg(VANTREL_VERSION_LINE("vantrel-wizard"), qVersion()),
                  QMessageBox::Ok, this);
  box.setObjectName("aboutBox");
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void WizardWindow::Log(const std::string& line) { log_->appendPlainText(Text(line)); }

void WizardWindow::LogRequest(const std::string& line) {
  // The count the pass stands at when it posts comes first.
  for (const std::string& count : progress_.Flush()) Log(count);
  Log(line);
}

void WizardWindow::LogMessage(const ShownMessage& message) {
  if (ctl_.last_run_end() != RunEnd::kNotRun && logging_progress_) {
    for (const std::string& line : progress_.Finish()) Log(line);
    logging_progress_ = false;
  }
  Log((message.style == platform::MessageStyle::kCritical ? "[critical] " : "[information] ") +
      OneLine(message.text));
  if (!message.hint.empty()) Log("hint: " + message.hint);
}

std::string WizardWindow::HintNow() {
  const host::HintContext context{.quickbooks_given = setup_.quickbooks().running(),
                                  .embedded_site_given = setup_.site() != nullptr,
                                  .watch = &setup_.requests(),
                                  .words = &host::kDesktopWords};
  return host::Hint(ctl_, context);
}

WizardView::Phase WizardWindow::RunPhase() const {
  if (!ctl_.running()) return WizardView::Phase::kIdle;
  // The end is recorded before the closing message shows.
  if (ctl_.last_run_end() != RunEnd::kNotRun) return WizardView::Phase::kClosing;
  const frmWGUpload* form = ctl_.upload_form();
  return form != nullptr && form->mWaiting ? WizardView::Phase::kWaiting
                                           : WizardView::Phase::kWorking;
}

void WizardWindow::Configure(const DesktopOptions& options) {
  settings_ = options.settings_file.empty()
                  ? std::make_unique<QSettings>()
                  : std::make_unique<QSettings>(Text(options.settings_file), QSettings::IniFormat);
  bag_ = host::BuildBag(options.args);
  args_ = options.args;
  const std::string note = FillFromSettings(*settings_, *secrets_, bag_);
  if (!note.empty()) run_summary_->SetStatus(Text(note));
  if (!options.quickbooks.empty()) setup_.quickbooks().Open(options.quickbooks);
  if (options.now) setup_.system_env().FixClock(*options.now);
  site_db_ = options.site_db;
  host::LoadBag(ctl_, bag_);
  if (options.embedded_site) StartSite();
  LoadConfiguration();
  view_->Sync();
  UpdateInfo();
  // The window starts with room to spare; its minimum keeps every control whole.
  const QFontMetrics metrics = fontMetrics();
  resize(sizeHint() + QSize(metrics.averageCharWidth() * 8, metrics.lineSpacing() * 4));
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
  SettingsDialog dialog(bag_, settings_ && KeyInSettingsFile(*settings_), this);
  if (dialog.exec() == QDialog::Accepted) {
    ApplySettings(dialog.values(), dialog.key_in_settings_file());
  }
}

void WizardWindow::ApplySettings(const SettingValues& values, bool key_in_file) {
  for (const auto& [parameter, value] : values) bag_.Set(parameter, value);
  if (settings_) {
    const std::string refused = SaveSettings(*settings_, *secrets_, values, key_in_file);
    if (!refused.empty()) ShowHostError(refused);
  }
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
  quickbooks_info_->SetStatus(quickbooks.running()
                                  ? tr("QuickBooks has %1 open").arg(Text(quickbooks.path()))
                                  : tr("QuickBooks is not running"));
  if (const site::SiteServer* site = setup_.site()) {
    site_info_->SetStatus(
        tr("Embedded site at %1, database %2").arg(Text(site->base_url()), Text(site->db_path())));
  } else if (!ctl_.WGSecureServerURL.empty()) {
    site_info_->SetStatus(tr("Site at %1").arg(Text(ctl_.WGSecureServerURL)));
  } else {
    site_info_->SetStatus(tr("No site: set the base address or choose the embedded site"));
  }
}

void WizardWindow::AboutToClick(const platform::Control& control) {
  if (ctl_.running() || &control != &ctl_.screen().cmdNav[3]) return;
  // Nothing of the run before stays: its message, its results.
  run_summary_->SetStatus(QString());
  results_->Clear();
  record_ = host::RunRecord();
  record_.started = host::WallClockText();
  run_start_ = std::chrono::steady_clock::now();
  progress_.Finish();
  logging_progress_ = true;
  Log("Start Sync at " + record_.started);
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
  if (&control == &ctl_.screen().cmdNav[3]) RunEnded();
  messages_seen_ = host_.messages().size();
}

void WizardWindow::RunEnded() {
  logging_progress_ = false;
  for (const std::string& line : progress_.Finish()) Log(line);
  record_.ended = host::WallClockText();
  record_.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - run_start_).count();
  if (const site::SiteServer* site = setup_.site()) record_.site_db = site->db_path();
  host::TakeSiteReplies(setup_.requests(), record_);
  const std::vector<std::string> hints =
      host::AfterRunHints(ctl_, record_, setup_.requests(), host::kDesktopWords);
  for (const std::string& hint : hints) Log("hint: " + hint);
  const host::ResultsTable table = host::MakeResultsTable(ctl_, record_);
  results_->Show(table, hints);
  Log(table.duration);
  // The panel shows every row (its size hint is that height): it takes the
  // room the screen can spare, and the window grows for the rest.
  const QSize hint = results_->sizeHint();
  const int wanted = hint.height() + fontMetrics().lineSpacing() + 8;
  const int missing = wanted - (results_dock_->isHidden() ? 0 : results_dock_->height());
  if (missing > 0 || width() < hint.width()) {
    const int spare = centralWidget()->height() - centralWidget()->minimumSizeHint().height();
    resize(std::max(width(), hint.width()), height() + std::max(0, missing - spare));
    results_dock_->show();
    resizeDocks({results_dock_}, {wanted}, Qt::Vertical);
  }
  results_dock_->raise();

  // The run is over: its last message stays readable below the screen.
  const auto& messages = host_.messages();
  QString summary = tr("Last run: %1").arg(host::RunEndName(ctl_.last_run_end()));
  if (messages.size() > messages_seen_) summary += ". " + Text(OneLine(messages.back().text));
  run_summary_->SetStatus(summary);
  if (close_pending_) QTimer::singleShot(0, this, &QWidget::close);
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
