// Where the desktop wizard keeps the site key: the desktop's secret store
// (the Secret Service, KWallet, the macOS keychain or the Windows credential
// store, through QtKeychain), never the settings file unless the user asks.
#ifndef VANTREL_HOSTS_DESKTOP_SECRET_STORE_H_
#define VANTREL_HOSTS_DESKTOP_SECRET_STORE_H_

#include <memory>
#include <optional>
#include <string>

namespace vantrel::desktop {

// What a store operation gave: `error` is "" when it went well.
struct SecretResult {
  std::optional<std::string> secret;  // a read's secret; nullopt when there is none
  std::string error;                  // why it failed, for the user
  bool ok() const { return error.empty(); }
};

// A store of secrets by name. Operations block the caller (running the
// event loop while they wait) and report failures in the result.
class SecretStore {
 public:
  virtual ~SecretStore() = default;
  // The secret under `name`; no secret and no error when there is none.
  virtual SecretResult Read(const std::string& name) = 0;
  virtual SecretResult Write(const std::string& name, const std::string& secret) = 0;
  // Removes the secret under `name`; a name with none is no error.
  virtual SecretResult Remove(const std::string& name) = 0;
};

// The desktop's own store through QtKeychain, under the service
// "vantrel-wizard". On a machine without one (no D-Bus session, no Secret
// Service) every operation fails with QtKeychain's reason; the build without
// QtKeychain fails them all with a reason that says so. Never falls back to
// a plain-text file.
std::unique_ptr<SecretStore> MakeDesktopSecretStore();

// The store's name for the user's messages: "the desktop's secret store".
inline constexpr char kSecretStoreName[] = "the desktop's secret store";

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_SECRET_STORE_H_
