// What the desktop window adds around the control's screen: the hints under a
// failure's message, the Help menu's About and log, the layout at any size,
// the status line and the progress lines, and the site key kept in a secret
// store.
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QUuid>
#include <QtTest>

#include "build_info.h"
#include "desktop_test_support.h"
#include "progress_lines.h"
#include "status_line.h"

namespace vantrel::desktop::testing {

class WindowFeaturesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setApplicationName("vantrel-wizard"); }
  void aFailureShowsItsHintUnderTheMessage_data();
  void aFailureShowsItsHintUnderTheMessage();
  void helpMenuAboutAndLog();
  void theLayoutKeepsEveryControlAtAnySize();
  void theStatusLineElides();
  void progressLinesNameEachPassOnce();
  void theSiteKeyGoesToTheSecretStore_data();
  void theSiteKeyGoesToTheSecretStore();
  void theDesktopSecretStoreKeepsTheKeyOrSaysWhyNot();
};

void WindowFeaturesTest::aFailureShowsItsHintUnderTheMessage_data() {
  QTest::addColumn<QStringList>("args");  // with --embedded-site the site refuses the key
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("hint_start");  // {site} is the site's address
  QTest::addColumn<QString>("hint_end");
  QTest::addColumn<QString>("picture");  // the window with the message box over its middle
  QTest::newRow("key refused")
      << QStringList{"--embedded-site", "--quickbooks", "samples/Acme.QBW"}
      << "Could not connect to the Wellgate. Your account has not been setup or has expired. Go "
         "to Maintain | Wellgate | Setup; to setup or renew your account."
      << "the site at {site} refused SiteCode 'ACME01' with its key (it replied \"Invalid site "
         "code or site key. Kindly try again.\"); check the site code and the site key under "
         "File > Settings"
      << ""
      << "wizard-refused.png";
  QTest::newRow("nothing answers")
      << QStringList{"--quickbooks", "samples/Acme.QBW", "--param",
                     "WGSecureServerURL=http://127.0.0.1:9/"}
      << "Could not connect to the Wellgate. Please check if you have an internet connection and "
         "it is properly setup."
      << "nothing answers at http://127.0.0.1:9/ (upload C (request 1): "
      << ", after 3 attempts): is the site's server running there? (without WGSecureServerURL, "
         "File > Embedded site serves one in process); what landed before it stays, so click "
         "Start Sync again to send the rest (records sent twice are updated, not doubled)"
      << "wizard-error.png";
}

void WindowFeaturesTest::aFailureShowsItsHintUnderTheMessage() {
  QFETCH(QStringList, args);
  QFETCH(QString, message);
  QFETCH(QString, hint_start);
  QFETCH(QString, hint_end);
  QFETCH(QString, picture);
  QTemporaryDir dir;
  std::vector<std::string> more;
  for (const QString& arg : args) more.push_back(arg.toStdString());
  auto window = OpenWindow(PageArgs(dir, more));
  if (site::SiteServer* site = window->embedded_site()) {
    hint_start.replace("{site}", QString::fromStdString(site->base_url()));
    site->ForceReply("Invalid site code or site key. Kindly try again.");
  }
  MessageCatcher catcher;
  QImage failed;
  catcher.on_message = [&](QMessageBox& box) {
    failed = window->grab().toImage();
    const QImage drawn = box.grab().toImage();
    QPainter(&failed).drawImage((failed.width() - drawn.width()) / 2,
                                (failed.height() - drawn.height()) / 2, drawn);
  };
  StartSync(*window, {"chkQBClasses"});
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  ExpectDrawn(failed, picture);
  QCOMPARE(catcher.messages[0].text, message);
  const QString& hint = catcher.messages[0].informative;
  QVERIFY2(hint.startsWith(hint_start) && hint.endsWith(hint_end), qPrintable(hint));
  QCOMPARE(hint, QString::fromStdString(window->forms_host().messages().back().hint));
  QVERIFY(window->findChild<QPlainTextEdit*>("logView")->toPlainText().contains("hint: " + hint));
}

void WindowFeaturesTest::helpMenuAboutAndLog() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  MessageCatcher catcher;
  window->findChild<QAction*>("actionAbout")->trigger();
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  QCOMPARE(catcher.messages[0].title, QString("About QB Sync Wizard"));
  QVERIFY(catcher.messages[0].text.contains(VANTREL_VERSION_LINE("vantrel-wizard")));

  QVERIFY(!window->findChild<QDockWidget*>("logDock")->isVisible());
  // A dropped connection is sent again, as on the command line, and the run
  // completes.
  window->embedded_site()->DropConnections(1);
  StartSync(*window, {"chkQBClasses"});
  const QString log = window->findChild<QPlainTextEdit*>("logView")->toPlainText();
  const QString site = QString::fromStdString(window->embedded_site()->base_url());
  // The run's lines in order: its stages, the pass's first and last counts,
  // each request and reply, the closing message.
  const QStringList expected = {"Start Sync at ",
                                "Contacted QuickBooks",
                                "Response Received",
                                "Getting Classes from QB",
                                "Getting Classes from QB (10)",
                                "> POST " + site + "vantrel.asp?sitecode=ACME01&sitekey=***&",
                                "< \"SUCCESS\" (",
                                "> GET " + site + "vantrelupdatestatus.asp?sitecode=ACME01&",
                                "< \"SUCCESS\" (",
                                "[information] Quickbooks data synced with Tessaly successfully..",
                                "run from "};
  qsizetype at = 0;
  for (const QString& line : expected) {
    at = log.indexOf(QRegularExpression("^" + QRegularExpression::escape(line),
                                        QRegularExpression::MultilineOption),
                     at);
    QVERIFY2(at >= 0, qPrintable(line + " in\n" + log));
  }
  QVERIFY(!log.contains("K3Y-5ECRET"));  // the sample page's site key
}

void WindowFeaturesTest::theLayoutKeepsEveryControlAtAnySize() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir);
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  const QSize start = window->size();
  const QRect title = At(*window, "Label1"), buttons = At(*window, "cmdNav(3)"),
              box = At(*window, "chkQBVendors");
  // The minimum is smaller than the start and keeps every entity box whole.
  QVERIFY(window->minimumSize().isValid());
  QVERIFY(window->minimumSize().height() < start.height());
  window->resize(40, 40);
  QTRY_COMPARE(window->size(), window->minimumSize());
  for (const char* name : kInputs) {
    const QWidget* w = window->view().WidgetFor(name);
    if (!w->isVisible()) continue;
    QVERIFY2(
        w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(),
        name);
    QVERIFY2(QRect(QPoint(0, 0), window->size()).contains(At(*window, name)), name);
  }
  // Larger: the title stays centred across the width, the boxes stay where
  // they were, the buttons and the lines under the screen go to the bottom.
  window->resize(start + QSize(300, 200));
  QTRY_COMPARE(window->size(), start + QSize(300, 200));
  QCOMPARE(At(*window, "Label1").width(), title.width() + 300);
  QCOMPARE(At(*window, "chkQBVendors"), box);
  QCOMPARE(At(*window, "cmdNav(3)").top(), buttons.top() + 200);
  const QLabel* site = window->findChild<QLabel*>("siteInfo");
  QVERIFY(site->mapTo(window.get(), QPoint(0, 0)).y() > At(*window, "cmdNav(3)").bottom());
}

// A short status stands whole; a long one is cut with an ellipsis to the
// line's width, whole in its tooltip. The line asks for no width of its own.
void WindowFeaturesTest::theStatusLineElides() {
  for (const QString& text :
       {QString("Last run: completed."),
        "Last run: stopped. " + QString("The following error occured ").repeated(20)}) {
    const bool elided = text.size() > 100;
    StatusLine line;
    line.resize(400, 20);
    line.SetStatus(text);
    QCOMPARE(line.toolTip(), text);
    QCOMPARE(line.shownText() != text, elided);
    QVERIFY(line.fontMetrics().horizontalAdvance(line.shownText()) <= line.contentsRect().width());
    if (elided) QVERIFY(line.shownText().endsWith(QChar(0x2026)));
    QCOMPARE(line.minimumSizeHint().width(), 0);
  }
}

// The progress lines of the log: a pass's first and last count, each stage
// once and other controls never, a count that is no number as it stands. Each
// redraw is "control=caption".
void WindowFeaturesTest::progressLinesNameEachPassOnce() {
  const std::pair<QStringList, QStringList> cases[] = {
      {{"lblProcess=Getting Items from QB", "lblProcess=Getting Items from QB (1)",
        "lblProcess=Getting Items from QB (2)", "lblProcess=Getting Vendors from QB",
        "lblProcess=Getting Vendors from QB (1)"},
       {"Getting Items from QB", "Getting Items from QB (2)", "Getting Vendors from QB",
        "Getting Vendors from QB (1)"}},
      {{"lblContacting=Contacted QuickBooks", "lblContacting=Contacted QuickBooks",
        "lblWaiting=Response Received", "Label2=Consultants",
        "lblProcess=", "lblTransfer1=Transferred data"},
       {"Contacted QuickBooks", "Response Received", "Transferred data"}},
      {{"lblProcess=Getting Items (A) from QB (x)", "lblProcess=Getting Items (3)"},
       {"Getting Items (A) from QB (x)", "Getting Items (3)"}}};
  for (const auto& [redrawn, lines] : cases) {
    ProgressLines progress;
    QStringList got;
    for (const QString& r : redrawn) {
      const qsizetype eq = r.indexOf('=');
      for (const std::string& line :
           progress.Redrawn(r.left(eq).toStdString(), r.mid(eq + 1).toStdString())) {
        got << QString::fromStdString(line);
      }
    }
    for (const std::string& line : progress.Finish()) got << QString::fromStdString(line);
    QCOMPARE(got, lines);
    QVERIFY(progress.Finish().empty());
  }
}

void WindowFeaturesTest::theSiteKeyGoesToTheSecretStore_data() {
  QTest::addColumn<QString>("failure");   // the store's, "" for none
  QTest::addColumn<bool>("key_in_file");  // the user asks for plain text
  QTest::addColumn<bool>("older_file");   // the settings file holds a plain key already
  QTest::newRow("kept in the store") << "" << false << false;
  QTest::newRow("store fails") << "No D-Bus session" << false << false;
  QTest::newRow("asked for plain text") << "" << true << false;
  QTest::newRow("older file moves to the store") << "" << false << true;
}

void WindowFeaturesTest::theSiteKeyGoesToTheSecretStore() {
  QFETCH(QString, failure);
  QFETCH(bool, key_in_file);
  QFETCH(bool, older_file);
  QTemporaryDir dir;
  const QString ini = dir.filePath("settings.ini");
  if (older_file) QSettings(ini, QSettings::IniFormat).setValue("parameters/SiteKey", "N3w-K3y!");
  auto owned = std::make_unique<MemoryStore>();
  MemoryStore& store = *owned;
  store.failure = failure.toStdString();
  auto window = OpenWindow({"--settings", ini.toStdString()}, std::move(owned));
  MessageCatcher catcher;
  if (!older_file)
    window->ApplySettings({{"SiteKey", "N3w-K3y!"}, {"SiteCode", "S1"}}, key_in_file);
  QCOMPARE(window->control().SiteKey, std::string("N3w-K3y!"));
  QFile file(ini);
  QVERIFY(file.open(QIODevice::ReadOnly));
  // The key goes to the file only when asked, to the store unless it fails.
  QCOMPARE(file.readAll().contains("N3w-K3y!"), key_in_file);
  const auto kept = store.secrets.find("SiteKey:" + ini.toStdString());
  QCOMPARE(kept == store.secrets.end() ? std::string() : kept->second,
           std::string(failure.isEmpty() && !key_in_file ? "N3w-K3y!" : ""));
  QCOMPARE(catcher.messages.size(), std::size_t(failure.isEmpty() ? 0 : 1));
  if (!failure.isEmpty()) {
    QCOMPARE(catcher.messages[0].text,
             "The site key was not saved: the desktop's secret store could not keep it (" +
                 failure +
                 "). It is used until the wizard is closed. To keep it in the settings file in "
                 "plain text instead, tick \"Keep the site key in the settings file (plain text)\" "
                 "under File > Settings.");
  }
  // The next start finds the key where it was kept.
  auto next = OpenWindow({"--settings", ini.toStdString()}, std::make_unique<MemoryStore>(store));
  QCOMPARE(next->control().SiteKey, std::string(failure.isEmpty() ? "N3w-K3y!" : ""));
}

// The real store: on a desktop (or under with_keyring.sh) it keeps the key;
// on a machine without one (no D-Bus session, no Secret Service) it says why.
// Either way the key never lands in the settings file.
void WindowFeaturesTest::theDesktopSecretStoreKeepsTheKeyOrSaysWhyNot() {
  const std::unique_ptr<SecretStore> store = MakeDesktopSecretStore();
  const std::string name = "vantrel-test:" + QUuid::createUuid().toString().toStdString();
  const SecretResult written = store->Write(name, "T3st-K3y");
  qInfo("the desktop's secret store: %s", written.ok() ? "kept the key" : written.error.c_str());
  // Under with_keyring.sh a Secret Service runs: the store must work there.
  if (qEnvironmentVariableIsSet("VANTREL_EXPECT_KEYRING")) QVERIFY(written.ok());
  if (written.ok()) {
    QCOMPARE(store->Read(name).secret, std::optional<std::string>("T3st-K3y"));
    QVERIFY(store->Remove(name).ok());
  }
  QVERIFY(written.ok() || !written.error.empty());
  QVERIFY(!store->Read(name).secret);
  QTemporaryDir dir;
  auto window =
      OpenWindow({"--settings", dir.filePath("s.ini").toStdString()}, MakeDesktopSecretStore());
  MessageCatcher catcher;
  window->ApplySettings({{"SiteKey", "T3st-K3y"}});
  QFile file(dir.filePath("s.ini"));
  QVERIFY(file.open(QIODevice::ReadOnly));
  QVERIFY(!file.readAll().contains("T3st-K3y"));
  QCOMPARE(catcher.messages.size(), std::size_t(written.ok() ? 0 : 1));
  if (!written.ok()) {
    QVERIFY(catcher.messages[0].text.startsWith(
        "The site key was not saved: the desktop's secret store could not keep it ("));
  } else {
    MakeDesktopSecretStore()->Remove(
        SiteKeyName(QSettings(dir.filePath("s.ini"), QSettings::IniFormat)));
  }
}

}  // namespace vantrel::desktop::testing

QTEST_MAIN(vantrel::desktop::testing::WindowFeaturesTest)
#include "window_features_test.moc"
