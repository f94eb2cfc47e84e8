// The settings the desktop wizard keeps between runs with QSettings: the
// parameters its settings dialog edits. The site key goes to a secret store
// instead, and to the settings file only when the user asks for it.
#ifndef VANTREL_HOSTS_DESKTOP_DESKTOP_SETTINGS_H_
#define VANTREL_HOSTS_DESKTOP_DESKTOP_SETTINGS_H_

#include <QDialog>
#include <QSettings>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/values.h"
#include "secret_store.h"

class QCheckBox;
class QLineEdit;

namespace vantrel::desktop {

struct SettingField {
  const char* parameter;  // the control's parameter name, and the setting's key
  const char* label;      // the dialog's label
};

// The parameters kept as settings, in the dialog's order: the base address,
// site code, site key, user, company file path and the five lexicons.
std::span<const SettingField> SettingFields();

using SettingValues = std::vector<std::pair<std::string, std::string>>;

// The name the site key of `settings` has in a secret store: one per
// settings file.
std::string SiteKeyName(const QSettings& settings);

// Puts every saved setting that `bag` holds no value for into `bag`: the
// site key from `secrets` when it was saved there, or from the settings file
// when the user chose to keep it there. A key found in the settings file
// without that choice (saved by an older wizard) moves to `secrets` when it
// can. Returns "" or, when the key could not be read, a sentence that says
// so and why.
std::string FillFromSettings(QSettings& settings, SecretStore& secrets, platform::PropertyBag& bag);

// Saves `values` (parameter, value) and writes them out. The site key goes
// to `secrets`, or with `key_in_file` to the settings file in plain text.
// Returns "" or, when `secrets` could not keep the key, the message for the
// user (nothing is then written in plain text).
std::string SaveSettings(QSettings& settings, SecretStore& secrets, const SettingValues& values,
                         bool key_in_file);

// Whether the user chose to keep the site key in the settings file.
bool KeyInSettingsFile(const QSettings& settings);

// The settings dialog: one line per field, OK and Cancel. Each line edit's
// object name is its parameter.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // Starts from the values `bag` holds; the box "Keep the site key in the
  // settings file (plain text)" (object name "keyInSettingsFile") starts
  // as `key_in_file`.
  SettingsDialog(const platform::PropertyBag& bag, bool key_in_file, QWidget* parent = nullptr);
  // Every field with the text it holds now.
  SettingValues values() const;
  bool key_in_settings_file() const;

 private:
  std::vector<QLineEdit*> edits_;
  QCheckBox* key_in_file_ = nullptr;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_DESKTOP_SETTINGS_H_
