#include "control/vantrel_ctl.h"
#include "wizard/mod_wizard.h"
#include "wizard/reply_verdict.h"

namespace vantrel {

std::string GetDirectionWord(long direction) {
  switch (direction) {
    case kDirectionNone:
      return "None";
    case kDirectionUpload:
      return "Upload";
    case kDirectionDownload:
      return "Download";
    default:
      return "";
  }
}

std::string VantrelCtl::GetResultMessage(long code) const {
  const WizardState& state = modWizard();
  const std::string& reply = state.strServerReply;
  switch (code) {
    case wgurSuccess:
      return GetDirectionWord(state.lngSyncDirection) + " Completed.";
    case wgurAspFailed:
      if (reply == kInvalidSiteReply) {
        return "Could not connect to the Wellgate. Your account has not been setup or has "
               "expired. Go to Maintain | Wellgate | Setup; to setup or renew your account.";
      }
      if (reply == "Action cancelled") {
        return "Could not connect to the Wellgate. Please check if you have an internet "
               "connection and it is properly setup.";
      }
      return "The following error occured while executing ASP.\r\n\r\n" + reply;
    case wgurNoDataToUpload:
      return "There are no employees in this database with web access.";
    case wgurProcessInterrupted:
      return "Sync process cancelled on user request.";
    case wgurSystemError:
      if (reply.starts_with("Number : 0")) {
        return "Could not connect to the Wellgate. Please check if you are connected to "
               "internet.";
      }
      return "The following system error occured while processing.\r\n\r\n" + reply;
    case wgurUnknownError:
      return "An unknown error has occured. Kindly contact the system administrator.";
    default:
      return "";
  }
}

}  // namespace vantrel
