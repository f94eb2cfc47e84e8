#include <string>

#include "platform/com_error.h"
#include "upload/server_request.h"
#include "upload/site_requests.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

void RequestSurface::StartTransferIndicator() {
  indicator_timer.set_interval_ms(500);
  indicator_timer.set_enabled(true);
  indicator_label.set_visible(true);
}

std::string SiteRequests::PageAddress(std::string_view page) const {
  std::string url(*access_.base_url);
  url += page;
  url += "?sitecode=";
  url += *access_.site_code;
  url += "&sitekey=";
  url += *access_.site_key;
  return url;
}

void SiteRequests::AppendRunValues(std::string& url, std::string_view options,
                                   std::string_view time) const {
  url += "&bmclntver=";
  url += kClientVersion;
  url += "&options=";
  url += options;
  url += "&upstarttime=";
  url += time;
  url += "&usrnm=";
  url += *access_.user;
}

BMWGUtilityResult SiteRequests::UploadNow(platform::TextStream& stream, std::string_view options) {
  try {
    // Values go into the address as they stand, without escaping.
    std::string url = PageAddress("vantrel.asp");
    url += "&reset=";
    url += *access_.reset ? "1" : "0";
    AppendRunValues(url, options, surface_.env.Now().GeneralText());
    url += "&debugmode=";
    url += *access_.debug_mode ? "True" : "False";

    stream.set_position(0);
    stream.set_type(platform::TextStream::Type::kBinary);
    if (!body_) body_.emplace();
    stream.Read(-1, *body_);

    return NavigateAndClassify(surface_, url, body_).value_or(kNoDocumentResult);
  } catch (const platform::ComError& e) {
    modWizard().strServerReply = "Number : " + std::to_string(e.number()) + "\r\n" +
                                 "Description : " + e.description() + "\r\n" +
                                 "ASP Source : " + e.source();
    return wgurSystemError;
  }
}

BMWGUtilityResult SiteRequests::SendStatusUpdate(std::string_view options) {
  std::string url = PageAddress("vantrelupdatestatus.asp");
  AppendRunValues(url, options, surface_.env.Now().AuditText());
  return NavigateAndClassify(surface_, url, std::nullopt).value_or(kNoDocumentResult);
}

}  // namespace vantrel
