// The upload form: hosts the browser through which every server request is
// made, reads the reply page when it completes, and reports through four
// public fields.
#ifndef VANTREL_UPLOAD_FRM_WG_UPLOAD_H_
#define VANTREL_UPLOAD_FRM_WG_UPLOAD_H_

#include <memory>
#include <optional>
#include <string>

#include "platform/env.h"
#include "platform/forms.h"
#include "platform/web_browser.h"

namespace vantrel {

class frmWGUpload {
 public:
  // The form hosts `browser`; `pump` delivers its transfers and timer ticks.
  frmWGUpload(std::unique_ptr<platform::WebBrowser> browser, platform::EventPump& pump);
  ~frmWGUpload();
  frmWGUpload(const frmWGUpload&) = delete;
  frmWGUpload& operator=(const frmWGUpload&) = delete;

  // The last reply page began with SUCCESS.
  bool mSuccess = false;
  // The visible text of the last reply page, or "Error" when none could be read.
  std::string mReplyText;
  // A navigation is under way; the requester waits while it is true.
  bool mWaiting = false;
  // The transfer was cancelled.
  bool mCancelled = false;

  platform::WebBrowser& WebBrowser1() { return *browser_; }
  bool loaded() const { return mLoaded_; }
  platform::EventPump& pump() { return pump_; }

  // Load: clears the reply, mSuccess and mWaiting and empties the two transfer
  // labels (mCancelled is left as it is).
  void Form_Load();
  // Unload: stops the browser; mWaiting, mSuccess and the loaded flag go false.
  void Form_Unload();
  // The form's Cancel button: stops the browser, sets mCancelled, ends the
  // wait and hides the form.
  void cmdClose_Click();
  void Timer1_Timer();
  // Reply reading for every completed document; `body_text` is nullopt when
  // the reply has no readable document.
  void WebBrowser1_DocumentComplete(const std::optional<std::string>& body_text);

  platform::Frame form{"frmWGUpload", "Upload To Wellgate", false};
  platform::Timer Timer1{"Timer1"};
  platform::CommandButton cmdClose{"cmdClose", "&Cancel"};
  platform::Frame Frame1{"Frame1", "Upload Status"};
  platform::Label lblTransfer2{"lblTransfer2", "Please wait..."};
  platform::Label lblTransfer1{"lblTransfer1", "Transfering Data to Wellgate server."};
  platform::Label lblGather{"lblGather", "Collecting information"};

 private:
  std::unique_ptr<platform::WebBrowser> browser_;
  platform::EventPump& pump_;
  bool mLoaded_ = false;
};

// The upload form of one control: made on first use, with a browser of
// `env` and its events delivered by `pump` (both must outlive the slot), and
// loaded whenever it is taken. One form serves every request of the control.
class UploadFormSlot {
 public:
  UploadFormSlot(platform::Env& env, platform::EventPump& pump) : env_(env), pump_(pump) {}

  // The form, made on first use and loaded when it is not.
  frmWGUpload& Take();
  // The form; null before the first use.
  frmWGUpload* form() const { return form_.get(); }
  // Unloads the form when there is one.
  void Unload();

 private:
  platform::Env& env_;
  platform::EventPump& pump_;
  std::unique_ptr<frmWGUpload> form_;
};

}  // namespace vantrel

#endif  // VANTREL_UPLOAD_FRM_WG_UPLOAD_H_
