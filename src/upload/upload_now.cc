#include <string>

#include "control/vantrel_ctl.h"
#include "platform/com_error.h"
#include "upload/server_request.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

BMWGUtilityResult VantrelCtl::UploadNow(platform::TextStream& myStream) {
  const BMWGUtilityResult initial = wgurSuccess;
  try {
    // Values go into the address as they stand, without escaping.
    std::string url = WGSecureServerURL;
    url += "vantrel.asp?sitecode=";
    url += SiteCode;
    url += "&sitekey=";
    url += SiteKey;
    url += "&reset=";
    url += ResetTessaly ? "1" : "0";
    url += "&bmclntver=";
    url += kClientVersion;
    url += "&options=";
    url += nOptions;
    url += "&upstarttime=";
    url += env().Now().GeneralText();
    url += "&usrnm=";
    url += TessalyUser;
    url += "&debugmode=";
    url += DebugMode ? "True" : "False";

    myStream.set_position(0);
    myStream.set_type(platform::TextStream::Type::kBinary);
    std::vector<std::uint8_t> body = myStream.Read(-1);

    return NavigateAndClassify(*this, url, std::move(body)).value_or(initial);
  } catch (const platform::ComError& e) {
    modWizard().strServerReply = "Number : " + std::to_string(e.number()) + "\r\n" +
                                 "Description : " + e.description() + "\r\n" +
                                 "ASP Source : " + e.source();
    return wgurSystemError;
  }
}

}  // namespace vantrel
