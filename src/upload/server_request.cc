#include "upload/server_request.h"

#include "platform/web_browser.h"
#include "upload/frm_wg_upload.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

std::optional<BMWGUtilityResult> NavigateAndClassify(
    RequestHost& host, const std::string& url,
    const std::optional<std::vector<std::uint8_t>>& post_data) {
  // The transfer indicator: "Please wait..." blinks until the screen is reset.
  host.StartTransferIndicator();

  frmWGUpload& form = UploadForm(host.env(), host.event_pump());
  form.mWaiting = true;
  form.WebBrowser1().Navigate2(url, platform::kNavNoHistory | platform::kNavNoReadFromCache,
                               post_data, kRequestHeader);
  while (form.mWaiting) host.event_pump().DoEvents();

  BMWGUtilityResult result;
  if (form.mSuccess) {
    result = wgurSuccess;
  } else if (form.mCancelled) {
    result = wgurProcessInterrupted;
  } else if (form.mReplyText == kNoDocumentReply) {
    host.ShowMessage(kNoDocumentMessage, platform::MessageStyle::kInformation);
    return std::nullopt;
  } else {
    modWizard().strServerReply = form.mReplyText;
    if (form.mReplyText == kNoDataToUpload) {
      result = wgurNoDataToUpload;
    } else {
      result = form.mCancelled ? wgurProcessInterrupted : wgurAspFailed;
    }
  }
  form.mSuccess = false;
  return result;
}

}  // namespace vantrel
