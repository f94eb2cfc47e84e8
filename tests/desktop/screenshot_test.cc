// The window drawn for real, grabbed to PNG files under the build folder: the
// idle screen, the screen in the middle of a slow reply, the results after a
// run, and a failure's message with its hint over the window.
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTableWidget>
#include <QtTest>

#include "desktop_test_support.h"

namespace vantrel::desktop::testing {

class ScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setApplicationName("vantrel-wizard"); }
  void idleRunningResultsAndAFailure();
};

namespace {

// A picture with something drawn on it (several colours, and no colour
// covering nearly all of it), kept as `name` in the screenshot folder.
void ExpectDrawn(const QImage& image, const char* name) {
  QHash<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
  }
  int most = 0;
  for (int n : counts) most = std::max(most, n);
  QVERIFY2(counts.size() >= 16, qPrintable(QString("%1 colours").arg(counts.size())));
  QVERIFY(most < image.width() * image.height() * 95 / 100);
  QVERIFY(QDir().mkpath(VANTREL_SCREENSHOT_DIR));
  QVERIFY(image.save(QString(VANTREL_SCREENSHOT_DIR) + "/" + name));
}

int DifferingPixels(const QImage& a, const QImage& b, const QRect& rect) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return n;
}

QRect InWindow(QWidget* widget, QWidget* window) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

}  // namespace

// The idle window, and the same in the middle of a slow reply: they differ
// where the panel is, and only there. After a run its results show below the
// screen; a failure's message box comes up over the window with its hint.
void ScreenshotTest::idleRunningResultsAndAFailure() {
  QTemporaryDir dir;
  auto window = SampleWindow(dir, {"--param", "SafeLines=True"});
  window->resize(window->sizeHint());
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  const QImage idle = window->grab().toImage();
  ExpectDrawn(idle, "wizard-idle.png");
  // Where the panel and the title are (the results after the run widen the
  // window).
  const QRect panel = InWindow(window->view().WidgetFor("frameComm"), window.get());
  const QRect title = InWindow(window->view().WidgetFor("Label1"), window.get());

  // A reply that takes long enough to grab the window while it waits.
  window->embedded_site()->set_delay(std::chrono::milliseconds(4000));
  MessageCatcher catcher;
  QImage running;
  QElapsedTimer waited;
  Poller poller([&] {
    if (!RequestWaiting(*window) || !running.isNull()) return;
    if (!waited.isValid()) waited.start();
    if (waited.elapsed() < 200) return;
    running = window->grab().toImage();
    Click(*window, "cmdNav(1)");
  });
  StartSync(*window, {"chkQBClasses"});
  poller.Stop();
  QCOMPARE(catcher.messages.size(), std::size_t{1});
  ExpectDrawn(running, "wizard-running.png");
  QCOMPARE(running.size(), idle.size());
  // The panel takes the same place in both; only the running window shows it.
  QVERIFY(panel.isValid() && idle.rect().contains(panel));
  const int differing = DifferingPixels(idle, running, panel);
  QVERIFY2(differing > panel.width() * panel.height() / 50,
           qPrintable(QString("%1 pixels differ").arg(differing)));
  QCOMPARE(DifferingPixels(idle, running, title), 0);

  window->embedded_site()->set_delay(std::chrono::milliseconds(0));
  StartSync(*window, {"cmdSelectAll", "chkQBTimesheet"});
  QCOMPARE(catcher.messages.size(), std::size_t{2});
  auto* results = window->findChild<QDockWidget*>("resultsDock");
  QTRY_VERIFY(results->isVisible() && results->height() > 100);
  QCOMPARE(window->findChild<QTableWidget*>("resultsTable")->rowCount(), 8);
  ExpectDrawn(window->grab().toImage(), "wizard-results.png");

  // The site goes away: the message names the connection, the hint the
  // address and the reason. The box is drawn over the window's middle.
  QVERIFY(window->UseEmbeddedSite(false));
  window->ApplySettings({{"WGSecureServerURL", "http://127.0.0.1:9/"}});
  QImage failed;
  catcher.on_message = [&](QMessageBox& box) {
    failed = window->grab().toImage();
    const QImage drawn = box.grab().toImage();
    QPainter painter(&failed);
    painter.drawImage((failed.width() - drawn.width()) / 2, (failed.height() - drawn.height()) / 2,
                      drawn);
    QVERIFY(box.informativeText().startsWith("nothing answers at http://127.0.0.1:9/"));
  };
  StartSync(*window, {"chkQBClasses"});
  QCOMPARE(catcher.messages.size(), std::size_t{3});
  QVERIFY(!failed.isNull());
  ExpectDrawn(failed, "wizard-error.png");
}

}  // namespace vantrel::desktop::testing

QTEST_MAIN(vantrel::desktop::testing::ScreenshotTest)
#include "screenshot_test.moc"
