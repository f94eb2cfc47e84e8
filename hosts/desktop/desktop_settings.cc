#include "desktop_settings.h"

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

QString Key(const SettingField& field) {
  return QStringLiteral("parameters/") + QString::fromLatin1(field.parameter);
}

}  // namespace

std::span<const SettingField> SettingFields() { return kFields; }

void FillFromSettings(const QSettings& settings, platform::PropertyBag& bag) {
  for (const SettingField& field : kFields) {
    if (bag.Read(field.parameter) || !settings.contains(Key(field))) continue;
    bag.Set(field.parameter, settings.value(Key(field)).toString().toStdString());
  }
}

void SaveSettings(QSettings& settings, const SettingValues& values) {
  for (const auto& [parameter, value] : values) {
    settings.setValue(QStringLiteral("parameters/") + QString::fromStdString(parameter),
                      QString::fromStdString(value));
  }
  settings.sync();
}

SettingsDialog::SettingsDialog(const platform::PropertyBag& bag, QWidget* parent)
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
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

SettingValues SettingsDialog::values() const {
  SettingValues out;
  for (std::size_t i = 0; i < edits_.size(); ++i) {
    out.emplace_back(kFields[i].parameter, edits_[i]->text().toStdString());
  }
  return out;
}

}  // namespace vantrel::desktop
