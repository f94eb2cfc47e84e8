// The desktop wizard driven by clicks on its widgets: the screen drawn from the
// control's model, the handlers behind the widgets, a whole run of the sample
// company into the embedded site, Cancel or closing during a slow reply, the
// settings, and QuickBooks and the site chosen from the File menu.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "desktop_settings.h"
#include "desktop_test_support.h"
#include "site/site_page.h"

namespace vantrel::desktop::testing {

class WizardWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setApplicationName("vantrel-wizard"); }
  void theScreenIsDrawnFromTheModel();
  void clicksGoToTheHandlers();
  void aWholeRunOfTheSampleByClicks();
  void cancelOrCloseWhileASlowReplyWaits();
  void aDroppedConnectionIsSentAgain();
  void settingsAreSavedAndLoaded();
  void quickBooksAndTheSiteFromTheFileMenu();
};

namespace {

constexpr char kEntityBoxes[][16] = {"chkQBEmployee",  "chkQBCustomers", "chkQBClasses",
                                     "chkQBCOA",       "chkQBTasks",     "chkQBVendors",
                                     "chkQBTimesheet", "chkQBExpense"};

// What the window shows of a run at one moment.
struct Seen {
  QString contacting, waiting, processing, transfer, process_text, select_all;
  bool contact_checked, wait_checked, processing_checked;
  bool comm_shown, progress_shown, select_all_shown, please_wait_shown;
  int bar_max, bar_value;  // the model's: the widget shows busy while a request waits
  bool bar_busy;
  bool hourglass;
};

Seen Look(WizardWindow& w) {
  auto label = [&](const char* name) { return Widget<QLabel>(w, name)->text(); };
  auto checked = [&](const char* name) { return Widget<QCheckBox>(w, name)->isChecked(); };
  auto shown = [&](const char* name) { return w.view().WidgetFor(name)->isVisible(); };
  auto* bar = Widget<QProgressBar>(w, "ProgressBar1");
  const platform::ProgressBar& model = w.control().screen().ProgressBar1;
  const QCursor* cursor = QGuiApplication::overrideCursor();
  return {label("lblContacting"),
          label("lblWaiting"),
          label("lblProcessing"),
          label("lblTransfer1"),
          label("lblProcess"),
          Widget<QPushButton>(w, "cmdSelectAll")->text(),
          checked("chkContactQB"),
          checked("chkWaitRes"),
          checked("chkProcessing"),
          shown("frameComm"),
          shown("fraProgress"),
          shown("cmdSelectAll"),
          shown("lblTransfer2"),
          model.max(),
          model.value(),
          bar->minimum() == 0 && bar->maximum() == 0,
          cursor != nullptr && cursor->shape() == Qt::WaitCursor};
}

void Click(WizardWindow& w, const char* name) {
  QWidget* widget = w.view().WidgetFor(name);
  QVERIFY2(widget != nullptr, name);
  QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
}

// The screen of an idle window after a run: every box unchecked, debug mode
// off, the panel and the strip hidden, the stage captions back.
void ExpectReset(WizardWindow& w) {
  for (const char* name : kEntityBoxes) QVERIFY2(!Widget<QCheckBox>(w, name)->isChecked(), name);
  const Seen s = Look(w);
  QVERIFY(!s.contact_checked && !s.wait_checked && !s.processing_checked);
  QVERIFY(!s.comm_shown && !s.progress_shown && s.select_all_shown);
  QCOMPARE(s.select_all, QString("Select All"));
  QCOMPARE(s.contacting, QString("Contacting QuickBooks"));
  QCOMPARE(s.waiting, QString("Waiting for response"));
  QCOMPARE(s.transfer, QString("Transfering data"));
  QCOMPARE(Widget<QCheckBox>(w, "chkDebugMode")->text(), QString("Debug mode off"));
  QVERIFY(!Widget<QCheckBox>(w, "chkDebugMode")->isChecked());
  QVERIFY(!w.view().WidgetFor("optStop")->isVisible());
  QVERIFY(!w.view().WidgetFor("optContinue")->isVisible());
  QVERIFY(!s.hourglass);
}

int SampleRecords(const char* element) {
  QFile file("samples/Acme.QBW");
  if (!file.open(QIODevice::ReadOnly)) return -1;
  return static_cast<int>(file.readAll().count(QByteArray("<") + element + ">"));
}

std::map<std::string, std::string> SiteRows(site::SiteServer& site) {
  std::map<std::string, std::string> rows;
  for (const auto& row :
       site.Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
    rows[row.at(0)] = site.Query("SELECT COUNT(*) FROM \"" + row.at(0) + "\"").at(0).at(0);
  }
  return rows;
}

QString Shown(const std::string& control_text) {
  return QString::fromStdString(DisplayText(control_text));
}

}  // namespace

void WizardWindowTest::theScreenIsDrawnFromTheModel() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  WizardScreen& screen = window->control().screen();

  // One widget per control, shown as the model shows it, with its caption.
  for (platform::Control* c : screen.ControlsInOrder()) {
    QWidget* widget = window->view().WidgetFor(c->name());
    QVERIFY2(widget != nullptr, c->name().c_str());
    QCOMPARE(widget->objectName().toStdString(), c->name());
    QVERIFY2(widget->isVisible() == c->IsShown(), c->name().c_str());
    QString caption = QString::fromStdString(c->caption());
    if (c->name() == "Label1") caption = caption.trimmed();
    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), caption);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) QCOMPARE(button->text(), caption);
  }
  for (const char* hidden : {"Label5", "chkQBPayTerms", "optStop", "optContinue", "frameComm",
                             "fraProgress", "lblProcess"}) {
    QVERIFY2(!window->view().WidgetFor(hidden)->isVisible(), hidden);
  }
  // The page's words are in the list; the title bar is white on dark blue.
  QCOMPARE(Widget<QLabel>(*window, "Label2")->text(), QString("Consultants"));
  QCOMPARE(Widget<QLabel>(*window, "Label3")->text(), QString("Clients:Engagements"));
  auto* title = Widget<QLabel>(*window, "Label1");
  // The caption centres the title with blanks; the window centres it by layout.
  QCOMPARE(QString::fromStdString(screen.Label1.caption()), QString(26, ' ') + "QB Sync Wizard");
  QCOMPARE(title->text(), QString("QB Sync Wizard"));
  QCOMPARE(title->alignment(), Qt::AlignCenter);
  QCOMPARE(title->palette().color(QPalette::Window), QColor(0, 0, 128));
  QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::white));

  // Time and expense beside the first two rows; the four buttons in one row,
  // "&" making their keyboard accelerators.
  auto pos = [&](const char* name) {
    QWidget* w = window->view().WidgetFor(name);
    return w->mapTo(window.get(), QPoint(0, w->height() / 2));
  };
  QCOMPARE(pos("chkQBTimesheet").y(), pos("chkQBEmployee").y());
  QCOMPARE(pos("chkQBExpense").y(), pos("chkQBCustomers").y());
  QVERIFY(pos("chkQBTimesheet").x() > pos("Label2").x());
  QVERIFY(pos("chkQBCustomers").y() < pos("chkQBClasses").y());
  for (int i = 1; i < 4; ++i) {
    const std::string left = "cmdNav(" + std::to_string(i - 1) + ")";
    const std::string right = "cmdNav(" + std::to_string(i) + ")";
    QCOMPARE(pos(right.c_str()).y(), pos(left.c_str()).y());
    QVERIFY(pos(right.c_str()).x() > pos(left.c_str()).x());
  }
  QCOMPARE(Widget<QPushButton>(*window, "cmdNav(3)")->shortcut(), QKeySequence("Alt+S"));
  QCOMPARE(Widget<QPushButton>(*window, "cmdNav(2)")->shortcut(), QKeySequence("Alt+B"));

  // A change the core makes shows at the next sync.
  screen.lblProcessing.set_caption("Response Processed");
  screen.frameComm.set_visible(true);
  window->view().Sync();
  QCOMPARE(Widget<QLabel>(*window, "lblProcessing")->text(), QString("Response Processed"));
  QVERIFY(window->view().WidgetFor("lblProcessing")->isVisible());
}

// Each kind of widget takes its click to the control's handler, and the
// widgets show what the handler did.
void WizardWindowTest::clicksGoToTheHandlers() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  MessageCatcher catcher;
  auto checked = [&](const char* name) { return Widget<QCheckBox>(*window, name)->isChecked(); };

  Click(*window, "cmdSelectAll");
  for (const char* name : kEntityBoxes) {
    const bool list = std::string(name) != "chkQBTimesheet" && std::string(name) != "chkQBExpense";
    QVERIFY2(checked(name) == list, name);
  }
  QCOMPARE(Widget<QPushButton>(*window, "cmdSelectAll")->text(), QString("Uncheck All"));
  Click(*window, "chkQBTimesheet");
  QVERIFY(checked("chkQBTimesheet"));
  QCOMPARE(window->control().screen().chkQBTimesheet.value(), 1);

  // Debug mode shows the two options with "Stop on error" selected.
  Click(*window, "chkDebugMode");
  QCOMPARE(Widget<QCheckBox>(*window, "chkDebugMode")->text(), QString("Debug mode on"));
  QVERIFY(window->control().DebugMode);
  QVERIFY(Widget<QRadioButton>(*window, "optStop")->isVisible());
  QVERIFY(Widget<QRadioButton>(*window, "optStop")->isChecked());
  Click(*window, "optContinue");
  QVERIFY(Widget<QRadioButton>(*window, "optContinue")->isChecked());
  QVERIFY(!Widget<QRadioButton>(*window, "optStop")->isChecked());
  QVERIFY(window->control().screen().optContinue.value());
  // (Turning it off is the core's; the widgets show the reset screen after
  // every run.) "Uncheck All" clears the time box too.
  Click(*window, "cmdSelectAll");
  for (const char* name : kEntityBoxes) QVERIFY2(!checked(name), name);

  // Help and Back; Start Sync with nothing ticked says so and runs nothing.
  Click(*window, "cmdNav(0)");
  Click(*window, "cmdNav(2)");
  Click(*window, "cmdNav(3)");
  QCOMPARE(catcher.messages.size(), std::size_t{2});
  const std::string help =
      "This wizard helps you sync your QB data with the Tessaly.\r\nYou can either select all the "
      "entities for sync or select one by one depending upon the requirement and hit the 'Start "
      "Sync' button.";
  QCOMPARE(catcher.messages[0].text, Shown(help));
  QCOMPARE(catcher.messages[0].icon, QMessageBox::Information);
  QCOMPARE(catcher.messages[0].title, QString("QB Sync Wizard"));
  QCOMPARE(window->forms_host().messages().at(0).text, help);
  const std::string nothing = "Please select atleast a single item for syncronization";
  QCOMPARE(catcher.messages[1].text, Shown(nothing));
  QCOMPARE(catcher.messages[1].icon, QMessageBox::Information);
  QVERIFY(!window->view().WidgetFor("frameComm")->isVisible());
  QCOMPARE(window->findChild<QLabel*>("runSummary")->text(),
           "Last run: nothing-selected. " + Shown(nothing));
}

void WizardWindowTest::aWholeRunOfTheSampleByClicks() {
  QTemporaryDir dir;
  // The clock stands still, so the run's times are known.
  auto window = SampleWindow(dir, {"--now", "06/15/2030 12:00:00"});
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  site::SiteServer* site = window->embedded_site();
  QVERIFY(site != nullptr);
  QCOMPARE(window->findChild<QLabel*>("siteInfo")->text(),
           QString("Embedded site at %1, database %2")
               .arg(QString::fromStdString(site->base_url()), dir.filePath("site.sqlite")));
  // Every reply takes a moment, so that each request's wait is seen.
  site->set_delay(std::chrono::milliseconds(15));

  Click(*window, "cmdSelectAll");
  Click(*window, "chkDebugMode");
  QCOMPARE(Widget<QCheckBox>(*window, "chkDebugMode")->text(), QString("Debug mode on"));

  // The first stage's caption is painted while the pointer is the hourglass.
  std::optional<bool> hourglass_at_contact;
  struct PaintWatch : QObject {
    std::function<void()> on_paint;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) on_paint();
      return false;
    }
  } watch;
  watch.on_paint = [&] {
    if (Widget<QLabel>(*window, "lblContacting")->text() == "Contacted QuickBooks" &&
        !hourglass_at_contact) {
      hourglass_at_contact = Look(*window).hourglass;
    }
  };
  window->view().WidgetFor("lblContacting")->installEventFilter(&watch);

  std::vector<Seen> waits;
  Poller poller([&] {
    if (RequestWaiting(*window)) waits.push_back(Look(*window));
  });
  std::optional<Seen> at_message;
  MessageCatcher catcher;
  catcher.on_message = [&](QMessageBox&) { at_message = Look(*window); };
  Click(*window, "cmdNav(3)");
  poller.Stop();

  QVERIFY(hourglass_at_contact.has_value());
  QVERIFY(*hourglass_at_contact);

  // While requests wait: the panel with two stages done, the progress strip,
  // the default pointer.
  QVERIFY(!waits.empty());
  QVERIFY(waits.front().please_wait_shown);
  QCOMPARE(waits.front().process_text, QString("Getting Consultants from QB (1)"));
  QCOMPARE(waits.front().bar_max, SampleRecords("EmployeeRet") - 1);
  QCOMPARE(waits.front().bar_value, 0);
  QVERIFY(waits.back().process_text.startsWith("Getting Vendors from QB ("));
  std::set<int> class_statements;
  for (const Seen& s : waits) {
    QVERIFY(s.comm_shown && !s.select_all_shown && !s.hourglass && s.bar_busy);
    // The items pass reports once its four kinds have each hidden the strip.
    QVERIFY(s.progress_shown || s.process_text.startsWith("Getting Payroll Items from QB ("));
    QVERIFY(s.contact_checked && s.wait_checked && !s.processing_checked);
    QCOMPARE(s.contacting, QString("Contacted QuickBooks"));
    QCOMPARE(s.waiting, QString("Response Received"));
    QCOMPARE(s.processing, QString("Processing  response"));
    QCOMPARE(s.transfer, QString("Transferring Data."));  // the first run's caption
    const QString classes = "Getting Classes from QB (";
    if (s.process_text.startsWith(classes)) {
      // One statement a post in debug mode: the bar stands at its record.
      const int n = s.process_text.mid(classes.size()).chopped(1).toInt();
      QCOMPARE(s.bar_max, SampleRecords("ClassRet") - 1);
      QCOMPARE(s.bar_value, n - 1);
      class_statements.insert(n);
    }
  }
  QCOMPARE(static_cast<int>(class_statements.size()), SampleRecords("ClassRet"));

  // The closing message over the finished stages.
  const std::string summary =
      "Quickbooks data synced with Tessaly successfully..\r\n\r\nThe sync process has added "
      "Task(s) to Tessaly, timesheets for these Task(s) will download to QuickBooks as "
      "non-billable time. To change this to billable: \r\n\r\n1. Go to Customize | Timesheet "
      "Preferences \r\n2. Click on 'Use Rules'. \r\n3. Select the Task(s) you want to make "
      "billable and click the 'Make Billable' button.";
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  QCOMPARE(catcher.messages[0].text, Shown(summary));
  QCOMPARE(catcher.messages[0].icon, QMessageBox::Information);
  QCOMPARE(window->forms_host().messages().at(0).text, summary);
  QVERIFY(at_message.has_value());
  QCOMPARE(at_message->processing, QString("Response Processed"));
  QCOMPARE(at_message->transfer, QString("Transferred data"));
  QVERIFY(at_message->processing_checked && at_message->comm_shown && !at_message->progress_shown);
  // Nothing of a request's wait stays behind the closing message.
  QVERIFY(!at_message->please_wait_shown && !at_message->bar_busy);

  // Afterwards the screen is idle again; the status line keeps the summary.
  ExpectReset(*window);
  QCOMPARE(Look(*window).processing, QString("Response Processed"));
  QVERIFY(window->findChild<QLabel*>("runSummary")
              ->text()
              .startsWith("Last run: completed. Quickbooks data synced with Tessaly successfully.. "
                          "The sync process has added Task(s)"));

  const std::map<std::string, std::string> expected = {
      {"ClassInfo", "9"},
      {"CustProjInfo", "16"},
      {"Customers", "10"},
      {"EmployeeInfo", "9"},
      {"ExpenseLines", "0"},
      {"GLChartOfAccounts", "30"},
      {"LineWarnings", "0"},
      {"StatusUpdates", "6"},
      {"TaskInfo", "31"},
      {"TimeTransactions", "0"},
      // The site's journal has a row a post; debug mode posts each statement alone.
      // The ten inactive records' updates find no row to change.
      {"UploadRows", "114"},
      {"Uploads", "124"},
      {"Vendors", "9"}};
  QCOMPARE(SiteRows(*site), expected);
  std::string letters;
  for (const auto& row : site->Query("SELECT * FROM StatusUpdates")) letters += row.at(0);
  QCOMPARE(letters, std::string("EPCGTV"));
  QCOMPARE(site->Query("SELECT DISTINCT UpStartTime FROM StatusUpdates"),
           (std::vector<std::vector<std::string>>{{"06/15/2030 12:00:00"}}));
  QCOMPARE(site->Query("SELECT DISTINCT UpStartTime FROM Uploads"),
           (std::vector<std::vector<std::string>>{{"6/15/2030 12:00:00 PM"}}));

  // A second run takes the site's last-sync dates (the first run's first
  // request, less the site's margin of ten minutes): nothing has changed
  // since, so only the classes (sent whole every time) go out, in one post
  // now that debug mode is off.
  Click(*window, "cmdSelectAll");
  Click(*window, "cmdNav(3)");
  QCOMPARE(site->Query("SELECT COUNT(*) FROM Uploads").at(0).at(0), std::string("125"));
  QCOMPARE(site->Query("SELECT Options FROM Uploads ORDER BY rowid DESC LIMIT 1").at(0).at(0),
           std::string("C"));
  // The clock stood at 2030, years ahead of the site's: the site dates the
  // run by when it received the first request instead.
  QCOMPARE(modWizard().last_sync.EmployeeLastSyncDate.AuditText(),
           site::LastSyncDate({site->Query("SELECT MIN(ReceivedAt) FROM Uploads").at(0).at(0)}));
}

// A dropped connection is sent again, as on the command line: the batch
// lands once and the run completes.
void WizardWindowTest::aDroppedConnectionIsSentAgain() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  window->embedded_site()->DropConnections(1);
  MessageCatcher catcher;
  Click(*window, "chkQBClasses");
  Click(*window, "cmdNav(3)");
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  QCOMPARE(catcher.messages[0].text, QString("Quickbooks data synced with Tessaly successfully.."));
  const auto& requests = window->run_setup().requests().requests();
  QCOMPARE(requests.size(), std::size_t{2});
  QVERIFY(requests[0].upload && requests[0].completed && !requests[0].failure);
  QCOMPARE(requests[0].attempts, 2);
  QCOMPARE(requests[1].attempts, 1);
  site::SiteServer& site = *window->embedded_site();
  QCOMPARE(site.Query("SELECT COUNT(*) FROM Uploads").at(0).at(0), std::string("1"));
  QCOMPARE(site.Query("SELECT COUNT(*) FROM ClassInfo").at(0).at(0), std::string("9"));
}

// While a slow reply waits, "Please wait..." blinks on the timer and the File
// menu's actions change nothing the run reads; Cancel ends the run, and so
// does closing the window.
void WizardWindowTest::cancelOrCloseWhileASlowReplyWaits() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  window->embedded_site()->set_delay(std::chrono::milliseconds(8000));
  bool dialog_shown = false;
  Poller dialogs([&] {
    if (auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget())) {
      dialog_shown = true;
      dialog->reject();
    }
  });
  bool inputs_disabled = true, cancel_enabled = false, box_kept = false;
  std::vector<bool> blink;  // the label's states, each change once
  int interval = 0;
  bool close = false;
  Poller poller([&] {
    if (!RequestWaiting(*window)) return;
    if (close) {
      window->close();
      return;
    }
    if (blink.empty()) {
      window->findChild<QAction*>("actionSettings")->trigger();
      window->findChild<QAction*>("actionEmbeddedSite")->trigger();
      interval = window->control().screen().Timer1.interval_ms();
      // Only Cancel can be used during a run: the rest is drawn disabled,
      // and a click on a box changes nothing.
      for (const char* name : {"cmdNav(3)", "cmdNav(0)", "cmdSelectAll", "chkQBClasses"}) {
        inputs_disabled = inputs_disabled && !window->view().WidgetFor(name)->isEnabled();
      }
      cancel_enabled = window->view().WidgetFor("cmdNav(1)")->isEnabled();
      qobject_cast<QCheckBox*>(window->view().WidgetFor("chkQBClasses"))->click();
      box_kept = window->control().screen().chkQBClasses.value() == 1;
    }
    const bool shown = window->view().WidgetFor("lblTransfer2")->isVisible();
    if (blink.empty() || blink.back() != shown) blink.push_back(shown);
    if (blink.size() >= 4) Click(*window, "cmdNav(1)");
  });
  MessageCatcher catcher;
  std::optional<Seen> at_message;
  catcher.on_message = [&](QMessageBox&) { at_message = Look(*window); };
  Click(*window, "chkQBClasses");
  Click(*window, "cmdNav(3)");

  QVERIFY(!dialog_shown);
  QVERIFY(inputs_disabled && cancel_enabled && box_kept);
  QVERIFY(window->view().WidgetFor("cmdNav(3)")->isEnabled());  // enabled again after the run
  QVERIFY(window->embedded_site() != nullptr);
  QVERIFY(window->findChild<QAction*>("actionEmbeddedSite")->isChecked());
  QCOMPARE(interval, 500);
  QVERIFY(blink.front());
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  QCOMPARE(catcher.messages[0].text, QString("Sync process cancelled on user request."));
  QCOMPARE(catcher.messages[0].icon, QMessageBox::Critical);
  QVERIFY(at_message.has_value() && at_message->comm_shown);
  QVERIFY(!at_message->please_wait_shown && !at_message->progress_shown && !at_message->bar_busy);
  QCOMPARE(window->control().last_run_end(), RunEnd::kStopped);
  ExpectReset(*window);
  QCOMPARE(window->findChild<QLabel*>("runSummary")->text(),
           QString("Last run: stopped. Sync process cancelled on user request."));

  close = true;
  Click(*window, "chkQBVendors");
  Click(*window, "cmdNav(3)");
  poller.Stop();
  QCOMPARE(catcher.messages.size(), std::size_t{2});
  QCOMPARE(catcher.messages[1].text, QString("Sync process cancelled on user request."));
  QTRY_VERIFY(!window->isVisible());
}

void WizardWindowTest::settingsAreSavedAndLoaded() {
  QTemporaryDir dir;
  const std::string ini = dir.filePath("settings.ini").toStdString();
  {
    auto window = SampleWindow(dir);
    const std::string before = window->embedded_site()->base_url();
    // The dialog starts from the page's values; two of them are changed.
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      QCOMPARE(dialog->findChild<QLineEdit*>("SiteCode")->text(), QString("ACME01"));
      QCOMPARE(dialog->findChild<QLineEdit*>("WGSecureServerURL")->text(), QString());
      dialog->findChild<QLineEdit*>("EmpLexicon")->setText("Worker");
      dialog->findChild<QLineEdit*>("SiteCode")->setText("ACME02");
      dialog->accept();
    });
    window->findChild<QAction*>("actionSettings")->trigger();
    QCOMPARE(Widget<QLabel>(*window, "Label2")->text(), QString("Workers"));
    QCOMPARE(window->control().SiteCode, std::string("ACME02"));
    // The embedded site answers to the new code, and the control posts to it.
    QVERIFY(window->embedded_site()->base_url() != before);
    QCOMPARE(window->control().WGSecureServerURL, window->embedded_site()->base_url());
  }
  QSettings saved(QString::fromStdString(ini), QSettings::IniFormat);
  QCOMPARE(saved.value("parameters/EmpLexicon").toString(), QString("Worker"));
  QCOMPARE(saved.value("parameters/TessalyUser").toString(), QString("jsmith"));

  // Without a page the settings are the parameters; a page's own values win.
  ResetModWizard();
  WizardWindow bare(std::make_unique<MemoryStore>());
  bare.Configure(ParseDesktopArgs({"--settings", ini}));
  QCOMPARE(bare.control().SiteCode, std::string("ACME02"));
  QCOMPARE(bare.control().TessalyUser, std::string("jsmith"));
  QCOMPARE(Widget<QLabel>(bare, "Label2")->text(), QString("Workers"));
  WizardWindow paged(std::make_unique<MemoryStore>());
  paged.Configure(ParseDesktopArgs(
      {"--settings", ini, "--page", "samples/page.html", "--param", "SILexicon=Job"}));
  QCOMPARE(paged.control().SiteCode, std::string("ACME01"));
  QCOMPARE(paged.control().SILexicon, std::string("Job"));
  QCOMPARE(Widget<QLabel>(paged, "Label2")->text(), QString("Consultants"));
}

void WizardWindowTest::quickBooksAndTheSiteFromTheFileMenu() {
  QTemporaryDir dir;
  ResetModWizard();
  WizardWindow window(std::make_unique<MemoryStore>());
  window.Configure(ParseDesktopArgs(
      {"--page", "samples/page.html", "--settings", dir.filePath("settings.ini").toStdString()}));
  window.show();
  auto* quickbooks = window.findChild<QLabel*>("quickbooksInfo");
  auto* site_info = window.findChild<QLabel*>("siteInfo");
  auto* summary = window.findChild<QLabel*>("runSummary");
  QCOMPARE(quickbooks->text(), QString("QuickBooks is not running"));
  QCOMPARE(site_info->text(), QString("No site: set the base address or choose the embedded site"));
  MessageCatcher catcher;

  // The page names no server.
  Click(window, "chkQBClasses");
  Click(window, "cmdNav(3)");
  QCOMPARE(catcher.messages.back().text,
           QString("You need to provide WGSecureServerURL, QBFilePath, SiteCode, SiteKey and "
                   "TessalyUser name to connect for sync.."));
  QVERIFY(summary->text().startsWith("Last run: missing-properties. "));

  // The embedded site from the menu; QuickBooks is still not running.
  window.findChild<QAction*>("actionEmbeddedSite")->trigger();
  QVERIFY(window.embedded_site() != nullptr);
  QVERIFY(site_info->text().startsWith("Embedded site at http://127.0.0.1:"));
  Click(window, "chkQBClasses");
  Click(window, "cmdNav(3)");
  QCOMPARE(catcher.messages.back().text,
           QString("Your Quickbooks file is not open, please open your Quickbooks file and try "
                   "again."));
  QCOMPARE(catcher.messages.back().icon, QMessageBox::Critical);
  QVERIFY(summary->text().startsWith("Last run: quickbooks-error. "));

  // The company opened by its full path is opened under the name the page expects.
  QVERIFY(window.OpenCompany(std::filesystem::absolute("samples/Acme.QBW").string()));
  QCOMPARE(quickbooks->text(), QString("QuickBooks has samples/Acme.QBW open"));
  Click(window, "chkQBClasses");
  Click(window, "cmdNav(3)");
  QCOMPARE(catcher.messages.back().text,
           QString("Quickbooks data synced with Tessaly successfully.."));
  QCOMPARE(window.embedded_site()->Query("SELECT COUNT(*) FROM ClassInfo").at(0).at(0),
           std::string("9"));

  // A file that is not a company is refused, and the open one stays open.
  const std::size_t shown = catcher.messages.size();
  QVERIFY(!window.OpenCompany("samples/page.html"));
  QCOMPARE(catcher.messages.size(), shown + 1);
  QCOMPARE(catcher.messages.back().icon, QMessageBox::Warning);
  QCOMPARE(quickbooks->text(), QString("QuickBooks has samples/Acme.QBW open"));

  window.findChild<QAction*>("actionEmbeddedSite")->trigger();
  QVERIFY(window.embedded_site() == nullptr);
  QCOMPARE(window.control().WGSecureServerURL, std::string());
}

}  // namespace vantrel::desktop::testing

QTEST_MAIN(vantrel::desktop::testing::WizardWindowTest)
#include "wizard_window_test.moc"
