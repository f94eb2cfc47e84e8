#include "control/vantrel_ctl.h"

#include "platform/com_error.h"
#include "platform/text_util.h"
#include "upload/frm_wg_upload.h"
#include "wizard/date_helpers.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

namespace {

using platform::IsBlank;

// The last-sync date that a key absent from the bag, or blank, stands for.
constexpr char kDefaultLastSyncText[] = "01/01/2000 01:01:01 AM";

// Runs a conversion of the value of `key`; a failure is raised again with the
// key as its source, so the host can say which parameter was refused.
template <typename Convert>
auto ConvertParameter(const char* key, Convert convert) {
  try {
    return convert();
  } catch (const platform::ComError& e) {
    throw platform::ComError(e.number(), e.description(), key);
  }
}

}  // namespace

VantrelCtl::VantrelCtl(platform::Env& env, platform::FormsHost& host)
    : env_(env), host_(host), pump_(&host), screen_(std::make_unique<WizardScreen>()) {
  WizardScreen& s = *screen_;
  s.SetHost(&host_);
  s.chkDebugMode.set_on_click([this] { chkDebugMode_Click(); });
  s.cmdSelectAll.set_on_click([this] { cmdSelectAll_Click(); });
  for (int i = 0; i < static_cast<int>(s.cmdNav.size()); ++i) {
    s.cmdNav[i].set_on_click([this, i] { cmdNav_Click(i); });
  }
  s.Timer1.set_on_tick([this] { Timer1_Timer(); });
  pump_.Add(&s.Timer1);
}

VantrelCtl::~VantrelCtl() {
  // The module's upload form pumps its events through this control: it must
  // not outlive it.
  WizardState& state = modWizard();
  if (state.upload_form && &state.upload_form->pump() == &pump_) state.upload_form.reset();
}

std::string VantrelCtl::ReplaceSingleQuotes(std::string_view strParam) const {
  std::string out;
  out.reserve(strParam.size() + 8);
  for (char c : strParam) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

void VantrelCtl::ShowMessage(const std::string& text, platform::MessageStyle style) {
  host_.ShowMessage(text, style);
}

void VantrelCtl::ReadProperties(const platform::PropertyBag& bag) {
  if (auto value = bag.Read("ResetTessaly")) {
    ResetTessaly =
        ConvertParameter("ResetTessaly", [&] { return platform::TextToBoolean(*value); });
  } else {
    ResetTessaly = false;
  }

  struct TextProperty {
    const char* key;
    std::string VantrelCtl::*field;
  };
  static constexpr TextProperty kTexts[] = {
      {"WGSecureServerURL", &VantrelCtl::WGSecureServerURL},
      {"SiteCode", &VantrelCtl::SiteCode},
      {"SiteKey", &VantrelCtl::SiteKey},
      {"BMClientVersion", &VantrelCtl::BMClientVersion},
      {"CustLexicon", &VantrelCtl::CustLexicon},
      {"EmpLexicon", &VantrelCtl::EmpLexicon},
      {"ProjLexicon", &VantrelCtl::ProjLexicon},
      {"SILexicon", &VantrelCtl::SILexicon},
      {"SubProjLexicon", &VantrelCtl::SubProjLexicon},
      {"TessalyUser", &VantrelCtl::TessalyUser},
      {"QBFilePath", &VantrelCtl::QBFilePath},
  };
  for (const TextProperty& p : kTexts) this->*p.field = bag.Read(p.key).value_or("");

  // The server pages are addressed relative to the base address.
  if (!IsBlank(WGSecureServerURL) && WGSecureServerURL.back() != '/') WGSecureServerURL += "/";

  struct DateProperty {
    const char* key;
    platform::DateTime LastSyncDates::*field;
  };
  static constexpr DateProperty kDates[] = {
      {"CustomerLastSyncDate", &LastSyncDates::CustomerLastSyncDate},
      {"EmployeeLastSyncDate", &LastSyncDates::EmployeeLastSyncDate},
      {"GLAccountsLastSyncDate", &LastSyncDates::GLAccountsLastSyncDate},
      {"TasksLastSyncDate", &LastSyncDates::TasksLastSyncDate},
      {"ClassLastSyncDate", &LastSyncDates::ClassLastSyncDate},
      {"VendorsLastSyncDate", &LastSyncDates::VendorsLastSyncDate},
      {"TimeLastSyncDate", &LastSyncDates::TimeLastSyncDate},
      {"ExpenseLastSyncDate", &LastSyncDates::ExpenseLastSyncDate},
  };
  LastSyncDates& dates = modWizard().last_sync;
  for (const DateProperty& p : kDates) {
    const std::optional<std::string> value = bag.Read(p.key);
    const std::string_view text =
        value && !IsBlank(*value) ? std::string_view(*value) : kDefaultLastSyncText;
    dates.*p.field =
        ConvertParameter(p.key, [&] { return ToWholeSeconds(platform::TextToDate(text)); });
  }

  lngFailedCustCnt = 0;
  lngFailedEmpCnt = 0;
  lngFailedProjCnt = 0;
  lngFailedItemCnt = 0;
  lngFailedGLCnt = 0;
  lngFailedClassCnt = 0;
  lngFailedVendCnt = 0;

  screen_->Label2.set_caption(EmpLexicon + "s");
  screen_->Label3.set_caption(CustLexicon + "s:" + ProjLexicon + "s");
}

}  // namespace vantrel
