// The settings the desktop wizard keeps between runs with QSettings: the
// parameters its settings dialog edits.
#ifndef VANTREL_HOSTS_DESKTOP_DESKTOP_SETTINGS_H_
#define VANTREL_HOSTS_DESKTOP_DESKTOP_SETTINGS_H_

#include <QDialog>
#include <QSettings>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/values.h"

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

// Puts every saved setting that `bag` holds no value for into `bag`.
void FillFromSettings(const QSettings& settings, platform::PropertyBag& bag);

// Saves `values` (parameter, value) and writes them out.
void SaveSettings(QSettings& settings, const SettingValues& values);

// The settings dialog: one line per field, OK and Cancel. Each line edit's
// object name is its parameter.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // Starts from the values `bag` holds.
  SettingsDialog(const platform::PropertyBag& bag, QWidget* parent = nullptr);
  // Every field with the text it holds now.
  SettingValues values() const;

 private:
  std::vector<QLineEdit*> edits_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_DESKTOP_SETTINGS_H_
