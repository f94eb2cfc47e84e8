#include "quickbooks/qb_session.h"

#include <string>

#include "platform/com_error.h"
#include "platform/text_util.h"
#include "quickbooks/qbxml_request.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

namespace {

// How the control introduces itself to QuickBooks.
constexpr char kApplicationId[] = "{7D3C9A41-5B2E-4F8A-9C61-0E4B2D7A9F13}";
constexpr char kApplicationName[] = "Brindlemark";
// The company file open in QuickBooks, in whichever mode QuickBooks has it.
constexpr int kDoNotCareMode = 2;

constexpr char kNotRunningPrefix[] = "If QuickBooks is not running";
constexpr char kFileNotOpen[] =
    "Your Quickbooks file is not open, please open your Quickbooks file and try again.";

QBStatus Failed(std::string text) { return {QBStatus::Kind::kFailed, std::move(text)}; }

long VersionCode(const std::string& version) {
  if (version == "1.0") return kQbXml10;
  if (version == "1.1") return kQbXml11;
  if (version == "2.0") return kQbXml20;
  if (version == "CA1.0") return kQbXmlCA10;
  if (version == "CA1.1") return kQbXmlCA11;
  if (version == "CA2.0") return kQbXmlCA20;
  if (version == "UK2.0") return kQbXmlUK20;
  return kQbXml10;
}

platform::RequestProcessor& Processor(WizardState& state) {
  if (!state.objRequestProcessor) {
    throw platform::ComError(91, "Object variable or With block variable not set");
  }
  return *state.objRequestProcessor;
}

}  // namespace

QBStatus QBSession::CheckQBFile(const std::string& path) {
  bool found = false;
  try {
    found = env_.FindFile(path);
  } catch (const platform::ComError&) {
    found = false;
  }
  if (found) return {};
  return {QBStatus::Kind::kFileMissing, "Cannot find '" + path + "'"};
}

QBStatus QBSession::ContactQuickBooks(const std::string& path) {
  WizardState& state = modWizard();
  try {
    state.objRequestProcessor.reset();
    state.objRequestProcessor = env_.CreateRequestProcessor();
    state.blnConnectionOpen = false;
    platform::RequestProcessor& rp = *state.objRequestProcessor;

    rp.OpenConnection(kApplicationId, kApplicationName);
    state.blnConnectionOpen = true;

    state.strTicket = rp.BeginSession("", kDoNotCareMode);
    if (state.strTicket.empty()) {
      state.lngQBXMLVersion = kQbXml10;
      return {QBStatus::Kind::kNoTicket, ""};
    }

    const std::string open_file = rp.GetCurrentCompanyFileName(state.strTicket);
    if (platform::ToUpperAscii(platform::TrimSpaces(open_file)) !=
        platform::ToUpperAscii(platform::TrimSpaces(path))) {
      return {QBStatus::Kind::kWrongCompany,
              "Your Current Quickbooks file '" + open_file +
                  "' does not match with the QB file you are using with Tessaly '" + path +
                  "'. \r\nPlease open the correct Quickbooks file and try again."};
    }

    const auto versions = rp.QBXMLVersionsForSession(state.strTicket);
    if (!versions || versions->empty()) {
      state.lngQBXMLVersion = kQbXml10;
    } else {
      state.lngQBXMLVersion = VersionCode(versions->back());
    }
    return {};
  } catch (const platform::ComError& e) {
    state.strTicket.clear();
    if (e.description().starts_with(kNotRunningPrefix)) {
      return {QBStatus::Kind::kNotRunning, kFileNotOpen};
    }
    return Failed(e.description());
  }
}

void QBSession::BuildQBXMLRequest() {
  WizardState& state = modWizard();
  state.strRequestXML.clear();
  state.strRequestXML = ComposeQBXMLRequest(state.selection, state.lngQBXMLVersion);
}

QBStatus QBSession::SendQBXMLRequest() {
  WizardState& state = modWizard();
  state.strResponseXML.clear();
  try {
    state.strResponseXML = Processor(state).ProcessRequest(state.strTicket, state.strRequestXML);
    if (!state.strRequestXML.empty() && state.strResponseXML.empty()) {
      return {QBStatus::Kind::kNoResponse, "qbXML: no response!"};
    }
    return {};
  } catch (const platform::ComError& e) {
    return Failed(e.description());
  }
}

QBStatus QBSession::EndQBSession() {
  WizardState& state = modWizard();
  try {
    if (!state.strTicket.empty() && state.blnConnectionOpen) {
      Processor(state).EndSession(state.strTicket);
    }
    return {};
  } catch (const platform::ComError& e) {
    return Failed(e.description());
  }
}

QBStatus QBSession::CloseQBConnection() {
  WizardState& state = modWizard();
  try {
    if (state.blnConnectionOpen) {
      Processor(state).CloseConnection();
      state.blnConnectionOpen = false;
    }
    return {};
  } catch (const platform::ComError& e) {
    return Failed(e.description());
  }
}

}  // namespace vantrel
