#include "secret_store.h"

#ifdef VANTREL_HAVE_QTKEYCHAIN
#include <qt6keychain/keychain.h>

#include <QEventLoop>
#ifdef VANTREL_SECRETS_OVER_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#endif
#endif

namespace vantrel::desktop {

namespace {

#ifdef VANTREL_HAVE_QTKEYCHAIN

constexpr char kService[] = "vantrel-wizard";

// What an error of QtKeychain means for the user.
std::string Meaning(QKeychain::Error error) {
  switch (error) {
    case QKeychain::NoError:
    case QKeychain::EntryNotFound:
      return "";
    case QKeychain::CouldNotDeleteEntry:
      return "it could not delete the old key";
    case QKeychain::AccessDeniedByUser:
      return "access was denied by the user";
    case QKeychain::AccessDenied:
      return "access was denied";
    case QKeychain::NoBackendAvailable:
      return "no secret service is available (no D-Bus session, or no Secret Service or KWallet "
             "on it)";
    case QKeychain::NotImplemented:
      return "it is not implemented on this platform";
    case QKeychain::OtherError:
      break;
  }
  return "it failed";
}

// Runs `job` to its end and returns its error ("" for none).
std::string Run(QKeychain::Job& job, const std::string& name) {
#ifdef VANTREL_SECRETS_OVER_DBUS
  // The secret services are reached over the session bus: without one,
  // QtKeychain can only say "Unknown error".
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    return "no D-Bus session bus is running here, so no secret service (Secret Service or "
           "KWallet) can be reached";
  }
  bool service = false;
  const QStringList activatable = bus.interface()->activatableServiceNames().value();
  for (const char* name : {"org.freedesktop.secrets", "org.kde.kwalletd6", "org.kde.kwalletd5"}) {
    service =
        service || bus.interface()->isServiceRegistered(name).value() || activatable.contains(name);
  }
  if (!service) {
    return "no secret service (Secret Service or KWallet) runs on the D-Bus session bus";
  }
#endif
  job.setAutoDelete(false);
  job.setInsecureFallback(false);
  job.setKey(QString::fromStdString(name));
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
  if (job.error() == QKeychain::NoError) return "";
  const std::string detail = job.errorString().toStdString();
  return Meaning(job.error()) + (detail.empty() ? "" : ": QtKeychain says \"" + detail + "\"");
}

class KeychainStore : public SecretStore {
 public:
  SecretResult Read(const std::string& name) override {
    QKeychain::ReadPasswordJob job(kService);
    std::string error = Run(job, name);
    if (job.error() == QKeychain::EntryNotFound) return {};
    if (!error.empty()) return {std::nullopt, std::move(error)};
    return {job.textData().toStdString(), ""};
  }
  SecretResult Write(const std::string& name, const std::string& secret) override {
    QKeychain::WritePasswordJob job(kService);
    job.setTextData(QString::fromStdString(secret));
    return {std::nullopt, Run(job, name)};
  }
  SecretResult Remove(const std::string& name) override {
    QKeychain::DeletePasswordJob job(kService);
    std::string error = Run(job, name);
    if (job.error() == QKeychain::EntryNotFound) return {};
    return {std::nullopt, std::move(error)};
  }
};

#else

class MissingStore : public SecretStore {
 public:
  SecretResult Read(const std::string&) override { return Failed(); }
  SecretResult Write(const std::string&, const std::string&) override { return Failed(); }
  SecretResult Remove(const std::string&) override { return Failed(); }

 private:
  static SecretResult Failed() {
    return {std::nullopt,
            "this build has no QtKeychain (install qtkeychain-qt6-dev and build again)"};
  }
};

#endif

}  // namespace

std::unique_ptr<SecretStore> MakeDesktopSecretStore() {
#ifdef VANTREL_HAVE_QTKEYCHAIN
  return std::make_unique<KeychainStore>();
#else
  return std::make_unique<MissingStore>();
#endif
}

}  // namespace vantrel::desktop
