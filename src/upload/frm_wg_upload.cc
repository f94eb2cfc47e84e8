#include "upload/frm_wg_upload.h"

#include "platform/text_util.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

namespace {
thread_local std::unique_ptr<frmWGUpload> t_upload_form;
}  // namespace

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
  const std::string_view trimmed = platform::TrimSpaces(mReplyText);
  if (platform::ToUpperAscii(trimmed.substr(0, 7)) == "SUCCESS") {
    WizardState& state = modWizard();
    if (trimmed.back() == 'T') {
      state.blnServerAddedTasks = true;
    } else if (trimmed.back() == 'P') {
      state.blnServerAddedProjects = true;
    }
    mSuccess = true;
  }
  mWaiting = false;
}

frmWGUpload& UploadForm(platform::Env& env, platform::EventPump& pump) {
  if (!t_upload_form) t_upload_form = std::make_unique<frmWGUpload>(env.CreateWebBrowser(), pump);
  if (!t_upload_form->loaded()) t_upload_form->Form_Load();
  return *t_upload_form;
}

frmWGUpload* ModuleUploadForm() { return t_upload_form.get(); }

void DiscardUploadForm(const platform::EventPump& pump) {
  if (t_upload_form && &t_upload_form->pump() == &pump) t_upload_form.reset();
}

void UnloadUploadForm() {
  if (t_upload_form && t_upload_form->loaded()) t_upload_form->Form_Unload();
}

}  // namespace vantrel
