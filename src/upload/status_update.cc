#include <string>

#include "control/vantrel_ctl.h"
#include "upload/server_request.h"

namespace vantrel {

// No error trap of its own: a run-time error reaches the caller, whose own
// handling decides (the converters go on with their next step).
BMWGUtilityResult VantrelCtl::SendStatusUpdate(const std::string& strOptions) {
  const BMWGUtilityResult initial = wgurSuccess;
  std::string url = WGSecureServerURL;
  url += "vantrelupdatestatus.asp?sitecode=";
  url += SiteCode;
  url += "&sitekey=";
  url += SiteKey;
  url += "&bmclntver=";
  url += kClientVersion;
  url += "&options=";
  url += strOptions;
  url += "&upstarttime=";
  url += env().Now().AuditText();
  url += "&usrnm=";
  url += TessalyUser;
  return NavigateAndClassify(*this, url, std::nullopt).value_or(initial);
}

}  // namespace vantrel
