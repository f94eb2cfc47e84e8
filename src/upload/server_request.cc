#include "upload/server_request.h"

#include "platform/web_browser.h"
#include "upload/frm_wg_upload.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

std::optional<BMWGUtilityResult> NavigateAndClassify(
    RequestSurface& surface, const std::string& url,
    const std::optional<std::vector<std::uint8_t>>& post_data) {
  // The transfer indicator: "Please wait..." blinks until the screen is reset.
  surface.StartTransferIndicator();

  frmWGUpload& form = surface.form.Take();
  form.mWaiting = true;
  form.WebBrowser1().Navigate2(url, platform::kNavNoHistory | platform::kNavNoReadFromCache,
                               post_data, kRequestHeader);
  while (form.mWaiting) surface.pump.DoEvents();

  BMWGUtilityResult result;
  if (form.mSuccess) {
    result = wgurSuccess;
  } else if (form.mCancelled) {
    result = wgurProcessInterrupted;
  } else if (JudgeReply(form.mReplyText).no_document) {
    surface.host.ShowMessage(kNoDocumentMessage, platform::MessageStyle::kInformation);
    return std::nullopt;
  } else {
    modWizard().strServerReply = form.mReplyText;
    if (JudgeReply(form.mReplyText).no_data) {
      result = wgurNoDataToUpload;
    } else {
      result = form.mCancelled ? wgurProcessInterrupted : wgurAspFailed;
    }
  }
  form.mSuccess = false;
  return result;
}

}  // namespace vantrel
