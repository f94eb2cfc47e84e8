// The desktop wizard driven by clicks on its widgets: the screen drawn from the
// control's model, the handlers behind the widgets, a whole run of the sample
// company into the embedded site, Cancel or closing during a slow reply, the
// settings, and QuickBooks and the site chosen from the File menu. The window
// is kept as pictures: idle, while a reply waits, and with a run's results.
#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTableWidget>
#include <QtTest>
#include <filesystem>
#include <optional>
#include <span>

#include "desktop_settings.h"
#include "desktop_test_support.h"
#include "site/site_page.h"

namespace vantrel::desktop::testing {

class WizardWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setApplicationName("vantrel-wizard"); }
  void theScreenIsDrawnFromTheModelAndClicksGoToTheHandlers();
  void aWholeRunOfTheSampleByClicks();
  void cancelOrCloseWhileASlowReplyWaits();
  void settingsAreSavedAndLoaded();
  void quickBooksAndTheSiteFromTheFileMenu();
};

namespace {

using Rows = std::vector<std::vector<std::string>>;

QString Status(WizardWindow& w) { return w.findChild<QLabel*>("runSummary")->text(); }

// What the window shows of a run at one moment.
struct Seen {
  // The panel's three stages, each with its box, and the transfer's caption:
  // "[x] Contacted QuickBooks | [ ] ... | Transferring Data."
  QString panel;
  QString process_text;
  bool comm_shown, progress_shown, select_all_shown, please_wait_shown;
  bool bar_busy;  // the bar shows busy while a request waits
  bool hourglass;
  bool inputs_held;  // every input but Cancel disabled
  QString status;    // the status line under the screen
};

Seen Look(WizardWindow& w) {
  auto label = [&](const char* name) { return Widget<QLabel>(w, name)->text(); };
  auto checked = [&](const char* name) { return Widget<QCheckBox>(w, name)->isChecked(); };
  auto shown = [&](const char* name) { return w.view().WidgetFor(name)->isVisible(); };
  auto* bar = Widget<QProgressBar>(w, "ProgressBar1");
  const QCursor* cursor = QGuiApplication::overrideCursor();
  bool held = w.view().WidgetFor("cmdNav(1)")->isEnabled();
  for (const char* name : kInputs) held = held && !w.view().WidgetFor(name)->isEnabled();
  auto stage = [&](const char* box, const char* caption) {
    return (checked(box) ? "[x] " : "[ ] ") + label(caption) + " | ";
  };
  return {stage("chkContactQB", "lblContacting") + stage("chkWaitRes", "lblWaiting") +
              stage("chkProcessing", "lblProcessing") + label("lblTransfer1"),
          label("lblProcess"),
          shown("frameComm"),
          shown("fraProgress"),
          shown("cmdSelectAll"),
          shown("lblTransfer2"),
          bar->minimum() == 0 && bar->maximum() == 0,
          cursor != nullptr && cursor->shape() == Qt::WaitCursor,
          held,
          Status(w)};
}

// Every control's widget shows it as the model does: shown or hidden, its
// caption (the title's without the blanks that centre it), checked or not.
void ExpectTheModelShown(WizardWindow& w) {
  for (platform::Control* c : w.control().screen().ControlsInOrder()) {
    QWidget* widget = w.view().WidgetFor(c->name());
    const char* name = c->name().c_str();
    QVERIFY2(widget != nullptr && widget->objectName().toStdString() == c->name(), name);
    QVERIFY2(widget->isVisible() == c->IsShown(), name);
    QString caption = QString::fromStdString(c->caption());
    if (c->name() == "Label1") caption = caption.trimmed();
    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), caption);
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button != nullptr) QCOMPARE(button->text(), caption);
    if (auto* box = dynamic_cast<platform::CheckBox*>(c)) {
      QVERIFY2(button->isChecked() == (box->value() == 1), name);
    }
    if (auto* option = dynamic_cast<platform::OptionButton*>(c)) {
      QVERIFY2(button->isChecked() == option->value(), name);
    }
  }
}

// An idle window after a run: the widgets show the model's reset screen (what
// the reset does is the core's), the panel hidden and the pointer back.
void ExpectReset(WizardWindow& w) {
  ExpectTheModelShown(w);
  const Seen s = Look(w);
  QVERIFY(!s.comm_shown && !s.progress_shown && s.select_all_shown && !s.hourglass);
}

int DifferingPixels(const QImage& a, const QImage& b, const QRect& rect) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return n;
}

QString Shown(const std::string& control_text) {
  return QString::fromStdString(DisplayText(control_text));
}

// While requests wait: the panel with two stages done, the progress strip,
// the default pointer, the bar busy, every input but Cancel held back and the
// previous run's end gone from the status line.
void ExpectWaits(const std::vector<Seen>& waits) {
  QVERIFY(!waits.empty());
  QVERIFY(waits.front().please_wait_shown);
  QCOMPARE(waits.front().process_text, QString("Getting Consultants from QB (1)"));
  QVERIFY(waits.back().process_text.startsWith("Getting Expenses from QB ("));
  for (const Seen& s : waits) {
    QVERIFY(s.comm_shown && !s.select_all_shown && !s.hourglass && s.bar_busy);
    QVERIFY(s.inputs_held && s.status.isEmpty());
    // The items pass reports once its four kinds have each hidden the strip.
    QVERIFY(s.progress_shown || s.process_text.startsWith("Getting Payroll Items from QB ("));
    // The transfer's caption is the first run's.
    QCOMPARE(s.panel, QString("[x] Contacted QuickBooks | [x] Response Received | [ ] Processing  "
                              "response | Transferring Data."));
  }
}

// The results panel after a run: a row per entity with the run's figures
// (its new rows are the site's tables' rows, its warnings the site's line
// warnings), the run's times and the command line's after-run hints in the
// desktop's words.
void ExpectResults(WizardWindow& window) {
  QVERIFY(window.findChild<QDockWidget*>("resultsDock")->isVisible());
  auto* table = window.findChild<QTableWidget*>("resultsTable");
  QTRY_VERIFY(table->viewport()->height() >= table->verticalHeader()->length());  // every row
  QStringList rows;
  for (int r = -1; r < table->rowCount(); ++r) {
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c) {
      cells << (r < 0 ? table->horizontalHeaderItem(c) : table->item(r, c))->text();
    }
    rows << cells.join(' ');
  }
  QCOMPARE(rows,
           (QStringList{"entity read sent new updated inactive unchanged left out warnings failed",
                        "employees 10 10 9 0 1 0 0 0 0", "customers 11 11 10 0 1 0 0 0 0",
                        "projects 17 17 16 0 1 0 0 16 0", "classes 10 10 9 0 1 0 0 0 0",
                        "accounts 31 31 30 0 1 0 0 0 0", "items 37 35 31 0 4 0 2 31 0",
                        "vendors 10 10 9 0 1 0 0 0 0", "time 28 28 lines 28 0 0 0 0 2 0",
                        "expense 16 26 lines 26 0 0 0 0 0 0"}));
  QVERIFY(QRegularExpression(R"(^run from \d\d/\d\d/\d{4} \d\d:\d\d:\d\d to \d\d/\d\d/\d{4} )"
                             R"(\d\d:\d\d:\d\d \(\d+\.\d s\)$)")
              .match(window.findChild<QLabel*>("resultsDuration")->text())
              .hasMatch());
  const QString hints = window.findChild<QPlainTextEdit*>("resultsHints")->toPlainText();
  QVERIFY(hints.startsWith("hint: the time line of TxnID '"));
  QVERIFY(hints.contains("sent with blanks in their place (the page parameter SafeLines=True)"));
  QVERIFY(!hints.contains("--safe-lines"));
}

// The site's tables after the whole run, its status updates in pass order and
// the run's start time in the two forms; then a second run takes the site's
// last-sync dates (the first run's first request, less the site's margin of
// ten minutes): nothing has changed since, so only the classes (sent whole
// every time) go out, in one post now that debug mode is off.
void ExpectTheSitesTablesAndASecondRun(WizardWindow& window, site::SiteServer& site) {
  // The site's journal has a row a post (Uploads); debug mode posts each
  // statement and each line alone. The ten inactive records' updates find no
  // row to change (UploadRows).
  std::string tables;
  for (const auto& row :
       site.Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
    tables += (tables.empty() ? "" : ", ") + row.at(0) + " " +
              site.Query("SELECT COUNT(*) FROM \"" + row.at(0) + "\"").at(0).at(0);
  }
  QCOMPARE(
      tables,
      std::string("ClassInfo 9, CustProjInfo 16, Customers 10, EmployeeInfo 9, ExpenseLines 26, "
                  "GLChartOfAccounts 30, LineWarnings 3, StatusUpdates 8, TaskInfo 31, "
                  "TimeTransactions 28, UploadRows 168, Uploads 178, Vendors 9"));
  QCOMPARE(site.Query("SELECT group_concat(Options, ''), group_concat(DISTINCT UpStartTime) "
                      "FROM StatusUpdates"),
           (Rows{{"EPCGTVHX", "06/15/2030 12:00:00"}}));
  QCOMPARE(site.Query("SELECT DISTINCT UpStartTime FROM Uploads"),
           (Rows{{"6/15/2030 12:00:00 PM"}}));

  StartSync(window, {"cmdSelectAll"});
  QCOMPARE(site.Query("SELECT Options FROM Uploads WHERE rowid > 178"), (Rows{{"C"}}));
  // The clock stood at 2030, years ahead of the site's: the site dates the
  // run by when it received the first request instead.
  QCOMPARE(modWizard().last_sync.EmployeeLastSyncDate.AuditText(),
           site::LastSyncDate({site.Query("SELECT MIN(ReceivedAt) FROM Uploads").at(0).at(0)}));
}

}  // namespace

// One widget per control, shown as the model shows it, with its caption; each
// kind of widget takes its click to the control's handler, and the widgets
// show what the handler did.
void WizardWindowTest::theScreenIsDrawnFromTheModelAndClicksGoToTheHandlers() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  ExpectTheModelShown(*window);
  // The caption centres the title with blanks, the window by layout; the
  // title bar is white on dark blue.
  auto* title = Widget<QLabel>(*window, "Label1");
  QCOMPARE(title->alignment(), Qt::AlignCenter);
  QCOMPARE(title->palette().color(QPalette::Window), QColor(0, 0, 128));
  QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::white));
  // Time and expense beside the first two rows, right of their labels; the
  // four buttons in one row.
  auto pos = [&](const char* name) {
    QWidget* w = window->view().WidgetFor(name);
    return w->mapTo(window.get(), QPoint(0, w->height() / 2));
  };
  const std::pair<const char*, const char*> beside[] = {{"Label2", "chkQBTimesheet"},
                                                        {"Label3", "chkQBExpense"},
                                                        {"cmdNav(0)", "cmdNav(1)"},
                                                        {"cmdNav(1)", "cmdNav(2)"},
                                                        {"cmdNav(2)", "cmdNav(3)"}};
  for (const auto& [left, right] : beside) {
    QCOMPARE(pos(right).y(), pos(left).y());
    QVERIFY2(pos(right).x() > pos(left).x(), right);
  }
  QVERIFY(pos("chkQBCustomers").y() < pos("chkQBClasses").y());

  MessageCatcher catcher;
  WizardScreen& screen = window->control().screen();
  Click(*window, "cmdSelectAll");
  QCOMPARE(screen.chkQBEmployee.value(), 1);
  // Each box toggles its own value; debug mode, the last, shows the options
  // with "Stop on error" selected.
  for (const char* name : std::span(kInputs, 9)) {
    const bool was = Widget<QCheckBox>(*window, name)->isChecked();
    Click(*window, name);
    QVERIFY2(Widget<QCheckBox>(*window, name)->isChecked() != was, name);
  }
  QVERIFY(window->control().DebugMode && screen.optStop.value());
  Click(*window, "optContinue");
  QVERIFY(screen.optContinue.value() && !screen.optStop.value());
  ExpectTheModelShown(*window);
  Click(*window, "cmdSelectAll");
  QCOMPARE(screen.chkQBTimesheet.value(), 0);

  // Help and Back; Start Sync with nothing ticked says so and runs nothing.
  StartSync(*window, {"cmdNav(0)", "cmdNav(2)"});
  QCOMPARE(catcher.messages.size(), std::size_t{2});
  const auto& shown = window->forms_host().messages();
  QVERIFY(shown.at(0).text.starts_with("This wizard helps you sync your QB data"));
  QCOMPARE(catcher.messages[0].text, Shown(shown.at(0).text));
  QCOMPARE(catcher.messages[0].icon, QMessageBox::Information);
  QCOMPARE(catcher.messages[0].title, QString("QB Sync Wizard"));
  const std::string nothing = "Please select atleast a single item for syncronization";
  QCOMPARE(catcher.messages[1].icon, QMessageBox::Information);
  QCOMPARE(window->findChild<QLabel*>("runSummary")->text(),
           "Last run: nothing-selected. " + Shown(nothing));
}

// The whole sample in debug mode with safe lines, by clicks: what the window
// shows while requests wait and at the closing message, the idle screen and
// the results afterwards, the site's tables; then a second run.
void WizardWindowTest::aWholeRunOfTheSampleByClicks() {
  QTemporaryDir dir;
  // The clock stands still, so the run's times are known.
  auto window = SampleWindow(dir, {"--now", "06/15/2030 12:00:00", "--param", "SafeLines=True"});
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  site::SiteServer* site = window->embedded_site();
  QVERIFY(site != nullptr);
  QCOMPARE(window->findChild<QLabel*>("siteInfo")->text(),
           QString("Embedded site at %1, database %2")
               .arg(QString::fromStdString(site->base_url()), dir.filePath("site.sqlite")));
  // Every reply takes a moment, so that each request's wait is seen.
  site->set_delay(std::chrono::milliseconds(15));
  MessageCatcher catcher;
  StartSync(*window, {});  // nothing ticked: the status line says so until the next run

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
  catcher.on_message = [&](QMessageBox&) { at_message = Look(*window); };
  StartSync(*window, {"cmdSelectAll", "chkQBTimesheet", "chkQBExpense", "chkDebugMode"});
  poller.Stop();

  QVERIFY(hourglass_at_contact.value_or(false));
  ExpectWaits(waits);
  if (QTest::currentTestFailed()) return;

  // The closing message over the finished stages.
  QCOMPARE(catcher.messages.size(), std::size_t{2});
  const std::string& summary = window->forms_host().messages().back().text;
  QVERIFY(
      summary.ends_with("3. Select the Task(s) you want to make billable and click the "
                        "'Make Billable' button."));
  QCOMPARE(catcher.messages[1].text, Shown(summary));
  QCOMPARE(catcher.messages[1].icon, QMessageBox::Information);
  QVERIFY(at_message.has_value());
  QCOMPARE(at_message->panel, QString("[x] Contacted QuickBooks | [x] Response Received | [x] "
                                      "Response Processed | Transferred data"));
  QVERIFY(at_message->comm_shown && !at_message->progress_shown);
  // Nothing of a request's wait stays behind the closing message.
  QVERIFY(!at_message->please_wait_shown && !at_message->bar_busy);

  // Afterwards the screen is idle again; the status line keeps the summary.
  ExpectReset(*window);
  QVERIFY(
      Status(*window).startsWith("Last run: completed. QB's data synced with Tessaly "
                                 "successfully.. Few time transactions"));
  ExpectResults(*window);
  ExpectDrawn(window->grab().toImage(), "wizard-results.png");
  ExpectTheSitesTablesAndASecondRun(*window, *site);
}

// While a slow reply waits, "Please wait..." blinks on the timer and the File
// menu's actions change nothing the run reads; Cancel ends the run, and so
// does closing the window. The window while the reply waits differs from the
// idle one where the panel is, and only there.
void WizardWindowTest::cancelOrCloseWhileASlowReplyWaits() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  const QImage idle = window->grab().toImage();
  ExpectDrawn(idle, "wizard-idle.png");
  // Where they are before the run's results widen the window.
  const QRect panel = At(*window, "frameComm"), title = At(*window, "Label1");
  QImage running;
  window->embedded_site()->set_delay(std::chrono::milliseconds(8000));
  bool dialog_shown = false;
  Poller dialogs([&] {
    if (auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget())) {
      dialog_shown = true;
      dialog->reject();
    }
  });
  std::vector<bool> blink;  // the label's states, each change once
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
    }
    const bool shown = window->view().WidgetFor("lblTransfer2")->isVisible();
    if (blink.empty() || blink.back() != shown) blink.push_back(shown);
    if (blink.size() < 4) return;
    if (running.isNull()) running = window->grab().toImage();
    Click(*window, "cmdNav(1)");
  });
  MessageCatcher catcher;
  std::optional<Seen> at_message;
  catcher.on_message = [&](QMessageBox&) { at_message = Look(*window); };
  StartSync(*window, {"chkQBClasses"});

  QVERIFY(!dialog_shown);
  QVERIFY(window->view().WidgetFor("cmdNav(3)")->isEnabled());  // enabled again after the run
  QVERIFY(window->findChild<QAction*>("actionEmbeddedSite")->isChecked());
  QVERIFY(blink.front());
  ExpectDrawn(running, "wizard-running.png");
  QVERIFY(running.size() == idle.size() && idle.rect().contains(panel));
  const int differing = DifferingPixels(idle, running, panel);
  QVERIFY2(differing > panel.width() * panel.height() / 50, qPrintable(QString::number(differing)));
  QCOMPARE(DifferingPixels(idle, running, title), 0);
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  QCOMPARE(catcher.messages[0].icon, QMessageBox::Critical);
  QVERIFY(at_message.has_value() && at_message->comm_shown);
  QVERIFY(!at_message->please_wait_shown && !at_message->progress_shown && !at_message->bar_busy);
  ExpectReset(*window);
  QCOMPARE(Status(*window), QString("Last run: stopped. Sync process cancelled on user request."));

  close = true;
  StartSync(*window, {"chkQBVendors"});
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
  // The settings were saved: without a page they are the parameters; a
  // page's own values win.
  auto bare = OpenWindow({"--settings", ini});
  QCOMPARE(bare->control().SiteCode, std::string("ACME02"));
  QCOMPARE(bare->control().TessalyUser, std::string("jsmith"));
  QCOMPARE(Widget<QLabel>(*bare, "Label2")->text(), QString("Workers"));
  auto paged = OpenWindow(PageArgs(dir));
  QCOMPARE(paged->control().SiteCode, std::string("ACME01"));
  QCOMPARE(Widget<QLabel>(*paged, "Label2")->text(), QString("Consultants"));
}

void WizardWindowTest::quickBooksAndTheSiteFromTheFileMenu() {
  QTemporaryDir dir;
  auto owned = OpenWindow(PageArgs(dir));
  WizardWindow& window = *owned;
  auto* quickbooks = window.findChild<QLabel*>("quickbooksInfo");
  auto* site_info = window.findChild<QLabel*>("siteInfo");
  auto* summary = window.findChild<QLabel*>("runSummary");
  QCOMPARE(quickbooks->text(), QString("QuickBooks is not running"));
  QCOMPARE(site_info->text(), QString("No site: set the base address or choose the embedded site"));
  MessageCatcher catcher;

  // The page names no server.
  StartSync(window, {"chkQBClasses"});
  QVERIFY(summary->text().startsWith("Last run: missing-properties. "));

  // The embedded site from the menu; QuickBooks is still not running.
  window.findChild<QAction*>("actionEmbeddedSite")->trigger();
  QVERIFY(site_info->text().startsWith("Embedded site at http://127.0.0.1:"));
  StartSync(window, {"chkQBClasses"});
  QCOMPARE(catcher.messages.back().icon, QMessageBox::Critical);
  QCOMPARE(catcher.messages.back().informative,
           QString("QuickBooks is not running: File > Open company... opens a company file in "
                   "the QuickBooks stand-in"));
  QVERIFY(summary->text().startsWith("Last run: quickbooks-error. "));

  // The company opened by its full path is opened under the name the page expects.
  QVERIFY(window.OpenCompany(std::filesystem::absolute("samples/Acme.QBW").string()));
  QCOMPARE(quickbooks->text(), QString("QuickBooks has samples/Acme.QBW open"));
  StartSync(window, {"chkQBClasses"});
  QCOMPARE(catcher.messages.back().text,
           QString("Quickbooks data synced with Tessaly successfully.."));

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
