#include "upload/frm_wg_upload.h"

#include "wizard/mod_wizard.h"
#include "wizard/reply_verdict.h"

namespace vantrel {

frmWGUpload::frmWGUpload(std::unique_ptr<platform::WebBrowser> browser, platform::EventPump& pump)
    : browser_(std::move(browser)), pump_(pump) {
  browser_->set_on_document_complete(
      [this](const std::optional<std::string>& text) { WebBrowser1_DocumentComplete(text); });
  Timer1.set_on_tick([this] { Timer1_Timer(); });
  cmdClose.set_on_click([this] { cmdClose_Click(); });
  pump_.Add(browser_.get());
  pump_.Add(&Timer1);
}

frmWGUpload::~frmWGUpload() {
  pump_.Remove(browser_.get());
  pump_.Remove(&Timer1);
}

void frmWGUpload::Form_Load() {
  mReplyText.clear();
  mSuccess = false;
  mWaiting = false;
  mLoaded_ = true;
  lblTransfer1.set_caption("");
  lblTransfer2.set_caption("");
}

void frmWGUpload::Form_Unload() {
  browser_->Stop();
  Timer1.set_enabled(false);
  mWaiting = false;
  mSuccess = false;
  mLoaded_ = false;
}

void frmWGUpload::cmdClose_Click() {
  browser_->Stop();
  mCancelled = true;
  mWaiting = false;
  form.set_visible(false);
}

void frmWGUpload::Timer1_Timer() {
  lblTransfer2.set_visible(!lblTransfer2.visible());
  lblTransfer2.Refresh();
}

void frmWGUpload::WebBrowser1_DocumentComplete(const std::optional<std::string>& body_text) {
  if (!body_text) {
    mReplyText = "Error";
    mSuccess = false;
    mWaiting = false;
    return;
  }
  mReplyText = *body_text;
  const ReplyVerdict verdict = JudgeReply(body_text);
  if (verdict.accepted) {
    WizardState& state = modWizard();
    if (verdict.added_tasks) state.blnServerAddedTasks = true;
    if (verdict.added_projects) state.blnServerAddedProjects = true;
    mSuccess = true;
  }
  mWaiting = false;
}

frmWGUpload& UploadFormSlot::Take() {
  if (!form_) form_ = std::make_unique<frmWGUpload>(env_.CreateWebBrowser(), pump_);
  if (!form_->loaded()) form_->Form_Load();
  return *form_;
}

void UploadFormSlot::Unload() {
  if (form_ && form_->loaded()) form_->Form_Unload();
}

}  // namespace vantrel
