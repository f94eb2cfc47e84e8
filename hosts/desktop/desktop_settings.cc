#include "desktop_settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <string_view>

namespace vantrel::desktop {

namespace {

constexpr SettingField kFields[] = {
    {"WGSecureServerURL", "Base address"},
    {"SiteCode", "Site code"},
    {"SiteKey", "Site key"},
    {"TessalyUser", "User"},
    {"QBFilePath", "Company file path"},
    {"CustLexicon", "Customer word"},
    {"EmpLexicon", "Employee word"},
    {"ProjLexicon", "Project word"},
    {"SubProjLexicon", "Sub-project word"},
    {"SILexicon", "Service item word"},
};

constexpr char kSiteKey[] = "SiteKey";
const QString kKeyInFile = QStringLiteral("secrets/SiteKeyInSettingsFile");
const QString kKeyInStore = QStringLiteral("secrets/SiteKeyInSecretStore");
const QString kPlainKey = QStringLiteral("parameters/SiteKey");

QString Key(const SettingField& field) {
  return QStringLiteral("parameters/") + QString::fromLatin1(field.parameter);
}

// Puts `key` into `secrets`; "" or the message for the user.
std::string StoreKey(QSettings& settings, SecretStore& secrets, const std::string& key) {
  const SecretResult result = key.empty() ? secrets.Remove(SiteKeyName(settings))
                                          : secrets.Write(SiteKeyName(settings), key);
  settings.setValue(kKeyInStore, result.ok() && !key.empty());
  if (result.ok()) return "";
  return "The site key was not saved: " + std::string(kSecretStoreName) + " could not keep it (" +
         result.error +
         "). It is used until the wizard is closed. To keep it in the settings file in plain "
         "text instead, tick \"Keep the site key in the settings file (plain text)\" under "
         "File > Settings.";
}

}  // namespace

std::span<const SettingField> SettingFields() { return kFields; }

std::string SiteKeyName(const QSettings& settings) {
  return "SiteKey:" + settings.fileName().toStdString();
}

bool KeyInSettingsFile(const QSettings& settings) { return settings.value(kKeyInFile).toBool(); }

std::string FillFromSettings(QSettings& settings, SecretStore& secrets,
                             platform::PropertyBag& bag) {
  for (const SettingField& field : kFields) {
    if (field.parameter == std::string_view(kSiteKey)) continue;
    if (bag.Read(field.parameter) || !settings.contains(Key(field))) continue;
    bag.Set(field.parameter, settings.value(Key(field)).toString().toStdString());
  }
  if (settings.contains(kPlainKey) && !KeyInSettingsFile(settings)) {
    // A key an older wizard kept in plain text: into the store, out of the file.
    const std::string key = settings.value(kPlainKey).toString().toStdString();
    if (StoreKey(settings, secrets, key).empty()) settings.remove(kPlainKey);
    settings.sync();
    if (!bag.Read(kSiteKey)) bag.Set(kSiteKey, key);
    return "";
  }
  if (bag.Read(kSiteKey)) return "";
  if (KeyInSettingsFile(settings)) {
    if (settings.contains(kPlainKey)) {
      bag.Set(kSiteKey, settings.value(kPlainKey).toString().toStdString());
    }
    return "";
  }
  if (!settings.value(kKeyInStore).toBool()) return "";
  const SecretResult result = secrets.Read(SiteKeyName(settings));
  if (!result.ok()) {
    return "The site key could not be read from " + std::string(kSecretStoreName) + " (" +
           result.error + "): enter it under File > Settings.";
  }
  if (result.secret) bag.Set(kSiteKey, *result.secret);
  return "";
}

std::string SaveSettings(QSettings& settings, SecretStore& secrets, const SettingValues& values,
                         bool key_in_file) {
  std::string message;
  for (const auto& [parameter, value] : values) {
    if (parameter != kSiteKey) {
      settings.setValue(QStringLiteral("parameters/") + QString::fromStdString(parameter),
                        QString::fromStdString(value));
    } else if (key_in_file) {
      // The user asked for it: plain text, and nothing left in the store.
      settings.setValue(kPlainKey, QString::fromStdString(value));
      if (settings.value(kKeyInStore).toBool()) secrets.Remove(SiteKeyName(settings));
      settings.setValue(kKeyInStore, false);
    } else {
      settings.remove(kPlainKey);
      message = StoreKey(settings, secrets, value);
    }
  }
  settings.setValue(kKeyInFile, key_in_file);
  settings.sync();
  return message;
}

SettingsDialog::SettingsDialog(const platform::PropertyBag& bag, bool key_in_file, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Settings"));
  auto* form = new QFormLayout(this);
  for (const SettingField& field : kFields) {
    auto* edit = new QLineEdit(QString::fromStdString(bag.Read(field.parameter).value_or("")));
    edit->setObjectName(QString::fromLatin1(field.parameter));
    edit->setMinimumWidth(320);
    if (std::string_view(field.parameter) == "SiteKey") {
      edit->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    }
    form->addRow(tr(field.label), edit);
    edits_.push_back(edit);
    if (std::string_view(field.parameter) == kSiteKey) {
      key_in_file_ = new QCheckBox(tr("Keep the site key in the settings file (plain text)"));
      key_in_file_->setObjectName("keyInSettingsFile");
      key_in_file_->setChecked(key_in_file);
      key_in_file_->setToolTip(tr("Otherwise the key goes to the desktop's secret store"));
      form->addRow(QString(), key_in_file_);
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

bool SettingsDialog::key_in_settings_file() const { return key_in_file_->isChecked(); }

SettingValues SettingsDialog::values() const {
  SettingValues out;
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    out.emplace_back(kFields[i].parameter, edits_[i]->text().toStdString());
  }
  return out;
}

}  // namespace vantrel::desktop
