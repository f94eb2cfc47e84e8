#include "control/vantrel_ctl.h"

#include "control/control_plumbing.h"

#include "convert/date_helpers.h"
#include "platform/com_error.h"
#include "platform/text_util.h"
#include "quickbooks/qb_session.h"
#include "upload/frm_wg_upload.h"
#include "upload/site_batcher.h"
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
    : env_(env),
      host_(host),
      pump_(&host),
      screen_(std::make_unique<WizardScreen>()),
      stores_(std::make_unique<ConverterStores>()) {
  plumbing_ = std::make_unique<ControlPlumbing>(*this, env_, pump_, host_, *screen_);
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

VantrelCtl::~VantrelCtl() = default;

frmWGUpload* VantrelCtl::upload_form() const { return plumbing_->form.form(); }

bool VantrelCtl::RunAskedFor(EntityKind kind) const {
  return modWizard().selection.*Entity(kind).selected;
}

const std::string& VantrelCtl::ServerReply() const { return modWizard().strServerReply; }

std::size_t VantrelCtl::ResponseSize() const { return modWizard().strResponseXML.size(); }

platform::DateTime VantrelCtl::LastSyncDate(const EntityRow& entity) const {
  return modWizard().last_sync.*entity.last_sync;
}

BMWGUtilityResult VantrelCtl::UploadNow(platform::TextStream& myStream) {
  return SiteRequests(plumbing_->surface, plumbing_->access).UploadNow(myStream, nOptions);
}

BMWGUtilityResult VantrelCtl::SendStatusUpdate(const std::string& strOptions) {
  return SiteRequests(plumbing_->surface, plumbing_->access).SendStatusUpdate(strOptions);
}

void VantrelCtl::Report(const QBStatus& status) {
  // The one writer of the error pair for the QuickBooks steps: each step
  // clears it, and one that failed sets it to its message.
  WizardState& state = modWizard();
  state.blnSyncError = status.IsError();
  state.strSyncError = status.IsError() ? status.message : std::string();
  if (status.kind != QBStatus::Kind::kOk) last_qb_status_ = status;
}

long VantrelCtl::ContactQuickBooks() {
  const QBStatus status = QBSession(env_).ContactQuickBooks(QBFilePath);
  Report(status);
  return status.kind == QBStatus::Kind::kOk ? 1 : 0;
}
void VantrelCtl::CheckQBFile() { Report(QBSession(env_).CheckQBFile(QBFilePath)); }
void VantrelCtl::BuildQBXMLRequest() { QBSession(env_).BuildQBXMLRequest(); }
void VantrelCtl::SendQBXMLRequest() { Report(QBSession(env_).SendQBXMLRequest()); }
void VantrelCtl::EndQBSession() { Report(QBSession(env_).EndQBSession()); }
void VantrelCtl::CloseQBConnection() { Report(QBSession(env_).CloseQBConnection()); }

PassContext VantrelCtl::ContextFor(const EntityRow& entity) {
  const EntityBinding& binding = Binding(entity.kind);
  SharedReport shared;
  if (entity.reports_for_previous) {
    const EntityKind previous = static_cast<EntityKind>(static_cast<int>(entity.kind) - 1);
    shared = {&run_.counts[previous], &(this->*Binding(previous).failures)};
  }
  const PassScope scope{
      .progress = plumbing_->progress,
      .batcher = plumbing_->batcher,
      .stores = *stores_,
      .run = run_,
      .failures = this->*binding.failures,
      .letter = entity.letter,
      .last_sync = modWizard().last_sync.*entity.last_sync,
      .words = *this,
      .now = env_.Now(),
      .shared = shared,
      .reply_mark = binding.reply_mark != nullptr ? &(this->*binding.reply_mark) : nullptr,
      .figures = &run_.figures[entity.kind],
  };
  return PassContext{scope, run_.counts[entity.kind]};
}

void VantrelCtl::RunConverter(const EntityRow& entity) {
  const ConvertPass pass = (*converters_)[entity.kind];
  if (pass == nullptr) return;
  PassContext context = ContextFor(entity);
  pass(context);
  // A pass that could not read the response says why; the error pair is
  // written here, as for every other step of the run.
  if (run_.response_error) {
    WizardState& state = modWizard();
    state.blnSyncError = true;
    state.strSyncError = *std::exchange(run_.response_error, std::nullopt);
  }
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

namespace {

// The text and date properties a page's parameters set.
struct TextProperty {
  const char* key;
  std::string VantrelCtl::*field;
};
constexpr TextProperty kTexts[] = {
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
}  // namespace

const std::vector<std::string_view>& VantrelCtl::PropertyNames() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> out = {"ResetTessaly"};
    for (const TextProperty& p : kTexts) out.push_back(p.key);
    for (const EntityRow* owner : LastSyncOwners()) out.push_back(owner->last_sync_key);
    out.push_back("IncludeSalesTaxCodes");
    out.push_back("SafeLines");
    return out;
  }();
  return names;
}

void VantrelCtl::ReadProperties(const platform::PropertyBag& bag) {
  if (auto value = bag.Read("ResetTessaly")) {
    ResetTessaly =
        ConvertParameter("ResetTessaly", [&] { return platform::TextToBoolean(*value); });
  } else {
    ResetTessaly = false;
  }

  for (const TextProperty& p : kTexts) this->*p.field = bag.Read(p.key).value_or("");

  // The server pages are addressed relative to the base address.
  if (!IsBlank(WGSecureServerURL) && WGSecureServerURL.back() != '/') WGSecureServerURL += "/";

  LastSyncDates& dates = modWizard().last_sync;
  for (const EntityRow* owner : LastSyncOwners()) {
    const std::string key(owner->last_sync_key);
    const std::optional<std::string> value = bag.Read(key);
    const std::string_view text =
        value && !IsBlank(*value) ? std::string_view(*value) : kDefaultLastSyncText;
    dates.*owner->last_sync =
        ConvertParameter(key.c_str(), [&] { return ToWholeSeconds(platform::TextToDate(text)); });
  }

  for (const EntityRow& entity : Entities()) {
    if (entity.cleared_with_screen) this->*Binding(entity.kind).failures = 0;
  }

  screen_->Label2.set_caption(EmpLexicon + "s");
  screen_->Label3.set_caption(CustLexicon + "s:" + ProjLexicon + "s");

  // Read after every other key, so that a page without them loads as before.
  for (auto [key, field] : {std::pair{"IncludeSalesTaxCodes", &VantrelCtl::IncludeSalesTaxCodes},
                            std::pair{"SafeLines", &VantrelCtl::SafeLines}}) {
    const std::optional<std::string> value = bag.Read(key);
    this->*field = value && ConvertParameter(key, [&] { return platform::TextToBoolean(*value); });
  }
}

}  // namespace vantrel
