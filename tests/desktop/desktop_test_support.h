// What the desktop wizard's tests share: the window on the sample company with
// the embedded site, a catcher that reads and dismisses message boxes, a
// poller that looks at the window while the core waits for the site, and the
// window's pictures kept under the build folder.
#ifndef VANTREL_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H_
#define VANTREL_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H_

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop_options.h"
#include "secret_store.h"
#include "upload/frm_wg_upload.h"
#include "wizard/mod_wizard.h"
#include "wizard_window.h"

namespace vantrel::desktop::testing {

struct CaughtMessage {
  QString text;
  QMessageBox::Icon icon;
  QString title;
  QString informative;  // the hint under the message
};

// Runs `look` every millisecond of the event loop, the core's waits included.
class Poller : public QObject {
 public:
  explicit Poller(std::function<void()> look) : look_(std::move(look)) {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { look_(); });
    timer_.start();
  }
  void Stop() { timer_.stop(); }

 private:
  std::function<void()> look_;
  QTimer timer_;
};

// Reads every message box that comes up, modal loops included, and clicks
// its OK button after `on_message` has looked at the screen behind it.
class MessageCatcher {
 public:
  std::vector<CaughtMessage> messages;
  std::function<void(QMessageBox&)> on_message;

 private:
  void Look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    messages.push_back({box->text(), box->icon(), box->windowTitle(), box->informativeText()});
    if (on_message) on_message(*box);
    box->button(QMessageBox::Ok)->click();
  }
  Poller poller_{[this] { Look(); }};
};

// A secret store in memory; with `failure` set, every operation fails with it.
class MemoryStore : public SecretStore {
 public:
  std::map<std::string, std::string> secrets;
  std::string failure;

  SecretResult Read(const std::string& name) override {
    if (!failure.empty()) return {std::nullopt, failure};
    const auto found = secrets.find(name);
    return {found == secrets.end() ? std::nullopt : std::optional(found->second), ""};
  }
  SecretResult Write(const std::string& name, const std::string& secret) override {
    if (failure.empty()) secrets[name] = secret;
    return {std::nullopt, failure};
  }
  SecretResult Remove(const std::string& name) override {
    if (failure.empty()) secrets.erase(name);
    return {std::nullopt, failure};
  }
};

// The inputs a run must hold back (Cancel it must not).
constexpr const char* kInputs[] = {
    "chkQBEmployee", "chkQBCustomers", "chkQBClasses", "chkQBCOA",     "chkQBTasks",
    "chkQBVendors",  "chkQBTimesheet", "chkQBExpense", "chkDebugMode", "cmdSelectAll",
    "cmdNav(0)",     "cmdNav(2)",      "cmdNav(3)"};

// True while a request of the run waits for the site's reply.
inline bool RequestWaiting(WizardWindow& window) {
  frmWGUpload* form = window.control().upload_form();
  return form != nullptr && form->mWaiting;
}

// The window configured with `args` on a fresh module state, shown, its
// secrets in `store` (one in memory of its own when null).
inline std::unique_ptr<WizardWindow> OpenWindow(const std::vector<std::string>& args,
                                                std::unique_ptr<SecretStore> store = nullptr) {
  ResetModWizard();
  auto window =
      std::make_unique<WizardWindow>(store ? std::move(store) : std::make_unique<MemoryStore>());
  window->Configure(ParseDesktopArgs(args));
  window->show();
  return window;
}

// The sample page's arguments (run from the source folder) with the settings
// in `dir`, then `more`.
inline std::vector<std::string> PageArgs(const QTemporaryDir& dir,
                                         std::vector<std::string> more = {}) {
  more.insert(more.begin(), {"--page", "samples/page.html", "--settings",
                             dir.filePath("settings.ini").toStdString()});
  return more;
}

// The window as `vantrel-wizard --page samples/page.html --quickbooks
// samples/Acme.QBW --embedded-site` opens it, with its site database and
// settings in `dir`.
inline std::unique_ptr<WizardWindow> SampleWindow(const QTemporaryDir& dir,
                                                  std::vector<std::string> more = {}) {
  more.insert(more.begin(), {"--quickbooks", "samples/Acme.QBW", "--embedded-site", "--site-db",
                             dir.filePath("site.sqlite").toStdString()});
  return OpenWindow(PageArgs(dir, std::move(more)));
}

// The widget of the control named `name`, of the kind `W`.
template <typename W>
W* Widget(WizardWindow& window, const char* name) {
  return qobject_cast<W*>(window.view().WidgetFor(name));
}

// Where the widget of the control named `name` is in the window.
inline QRect At(WizardWindow& window, const char* name) {
  QWidget* widget = window.view().WidgetFor(name);
  return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

// A picture with something drawn on it (several colours, and no colour
// covering nearly all of it), kept as `name` in the screenshot folder.
inline void ExpectDrawn(const QImage& image, const QString& name) {
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

// Clicks the widget of the control named `name`, near its left edge (where a
// box's indicator is).
inline void Click(WizardWindow& w, const char* name) {
  QWidget* widget = w.view().WidgetFor(name);
  QVERIFY2(widget != nullptr, name);
  QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
}

// Ticks `boxes` and clicks "Start Sync"; the run ends before this returns.
inline void StartSync(WizardWindow& w, std::initializer_list<const char*> boxes) {
  for (const char* box : boxes) Click(w, box);
  Click(w, "cmdNav(3)");
}

}  // namespace vantrel::desktop::testing

#endif  // VANTREL_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H_
