#include "control/control_links.h"

#include "control/vantrel_ctl.h"
#include "platform/com_error.h"
#include "upload/frm_wg_upload.h"

namespace vantrel {

void ControlLinks::Start(long records, const std::string& caption) {
  WizardScreen& screen = ctl_.screen();
  screen.ProgressBar1.set_visible(true);
  screen.ProgressBar1.set_max(records < 2 ? 1 : static_cast<int>(records - 1));
  screen.ProgressBar1.set_value(0);
  screen.fraProgress.set_visible(true);
  screen.fraProgress.Refresh();
  screen.lblProcess.set_visible(true);
  screen.lblProcess.set_caption(caption);
  screen.lblProcess.Refresh();
}

void ControlLinks::Step(long position) {
  ctl_.screen().ProgressBar1.set_value(static_cast<int>(position));
}

void ControlLinks::Caption(const std::string& caption) {
  WizardScreen& screen = ctl_.screen();
  screen.lblProcess.set_caption(caption);
  screen.lblProcess.Refresh();
}

void ControlLinks::Hide() { ctl_.screen().fraProgress.set_visible(false); }

void ControlLinks::Write(std::string_view text) {
  platform::TextStream* script = ctl_.run().mScript.get();
  if (script == nullptr) return;
  try {
    script->WriteText(text);
  } catch (const platform::ComError&) {
    // A closed or binary stream takes no text; the entry is lost and the
    // pass goes on, as every failing step of a pass does.
  }
}

BMWGUtilityResult ControlLinks::Post(std::string_view letter) {
  ctl_.RestoreMousePointer();
  ctl_.nOptions.assign(letter);
  platform::TextStream* script = ctl_.run().mScript.get();
  // Without a script there is nothing the request could read: the call fails
  // as a run-time error would.
  return script != nullptr ? ctl_.UploadNow(*script) : wgurSystemError;
}

void ControlLinks::OpenFresh() { ctl_.OpenFreshUploadScript(); }

BMWGUtilityResult ControlLinks::SendStatus(std::string_view letter) {
  return ctl_.SendStatusUpdate(std::string(letter));
}

bool ControlLinks::DebugMode() const { return ctl_.DebugMode; }

bool ControlLinks::StopOnError() const { return ctl_.screen().optStop.value(); }

std::string ControlLinks::ReplyText() const {
  const frmWGUpload* form = ModuleUploadForm();
  return form != nullptr ? form->mReplyText : std::string();
}

platform::Env& ControlLinks::env() { return ctl_.env(); }

platform::EventPump& ControlLinks::event_pump() { return ctl_.event_pump(); }

void ControlLinks::StartTransferIndicator() {
  WizardScreen& screen = ctl_.screen();
  screen.Timer1.set_interval_ms(500);
  screen.Timer1.set_enabled(true);
  screen.lblTransfer2.set_visible(true);
}

void ControlLinks::ShowMessage(const std::string& text, platform::MessageStyle style) {
  ctl_.ShowMessage(text, style);
}

SiteRequests ControlLinks::Requests() {
  return SiteRequests(*this, {.base_url = ctl_.WGSecureServerURL,
                              .site_code = ctl_.SiteCode,
                              .site_key = ctl_.SiteKey,
                              .user = ctl_.TessalyUser,
                              .reset = ctl_.ResetTessaly,
                              .debug_mode = ctl_.DebugMode});
}

}  // namespace vantrel
