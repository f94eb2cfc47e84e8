// What the desktop wizard's tests share: the window on the sample company with
// the embedded site, a catcher that reads and dismisses message boxes, and a
// poller that looks at the window while the core waits for the site.
#ifndef VANTREL_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H_
#define VANTREL_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H_

#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
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
};

// Reads every message box that comes up, modal loops included, and clicks
// its OK button after `on_message` has looked at the screen behind it.
class MessageCatcher : public QObject {
 public:
  MessageCatcher() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start();
  }
  std::vector<CaughtMessage> messages;
  std::function<void(QMessageBox&)> on_message;

 private:
  void Look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    messages.push_back({box->text(), box->icon(), box->windowTitle()});
    if (on_message) on_message(*box);
    box->button(QMessageBox::Ok)->click();
  }
  QTimer timer_;
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

// True while a request of the run waits for the site's reply.
inline bool RequestWaiting(WizardWindow& window) {
  frmWGUpload* form = window.control().upload_form();
  return form != nullptr && form->mWaiting;
}

// The window as `vantrel-wizard --page samples/page.html --quickbooks
// samples/Acme.QBW --embedded-site` opens it (run from the source folder),
// with its site database and settings in `dir` and its secrets in `store`
// (one in memory of its own when null).
inline std::unique_ptr<WizardWindow> SampleWindow(const QTemporaryDir& dir,
                                                  std::vector<std::string> more_args = {},
                                                  std::unique_ptr<SecretStore> store = nullptr) {
  ResetModWizard();
  std::vector<std::string> args = {"--page",
                                   "samples/page.html",
                                   "--quickbooks",
                                   "samples/Acme.QBW",
                                   "--embedded-site",
                                   "--site-db",
                                   dir.filePath("site.sqlite").toStdString(),
                                   "--settings",
                                   dir.filePath("settings.ini").toStdString()};
  args.insert(args.end(), more_args.begin(), more_args.end());
  auto window =
      std::make_unique<WizardWindow>(store ? std::move(store) : std::make_unique<MemoryStore>());
  window->Configure(ParseDesktopArgs(args));
  window->show();
  return window;
}

// The widget of the control named `name`, of the kind `W`.
template <typename W>
W* Widget(WizardWindow& window, const char* name) {
  return qobject_cast<W*>(window.view().WidgetFor(name));
}

}  // namespace vantrel::desktop::testing

#endif  // VANTREL_TESTS_DESKTOP_DESKTOP_TEST_SUPPORT_H_
