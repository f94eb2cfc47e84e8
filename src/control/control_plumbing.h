// What the control hands the layers below it, made of its own screen and
// properties: the surface of the server requests (with the upload form),
// the access they are made with, the progress strip and the batcher the
// passes post through. Private to the control's files.
#ifndef VANTREL_CONTROL_CONTROL_PLUMBING_H_
#define VANTREL_CONTROL_CONTROL_PLUMBING_H_

#include "control/vantrel_ctl.h"
#include "convert/progress_strip.h"
#include "upload/frm_wg_upload.h"
#include "upload/site_batcher.h"
#include "upload/site_requests.h"

namespace vantrel {

struct ControlPlumbing {
  ControlPlumbing(VantrelCtl& ctl, platform::Env& env, platform::EventPump& pump,
                  platform::FormsHost& host, WizardScreen& s)
      : form(env, pump),
        surface{env, pump, s.Timer1, s.lblTransfer2, host, form},
        access{&ctl.WGSecureServerURL, &ctl.SiteCode,     &ctl.SiteKey,
               &ctl.TessalyUser,       &ctl.ResetTessaly, &ctl.DebugMode},
        progress(s.ProgressBar1, s.fraProgress, s.lblProcess),
        batcher(SiteRequests(surface, access), {ctl.nOptions, s.screen, ctl.DebugMode, s.optStop}) {
  }
  UploadFormSlot form;
  RequestSurface surface;
  SiteAccess access;
  ProgressStrip progress;
  SiteBatcher batcher;
};

}  // namespace vantrel

#endif  // VANTREL_CONTROL_CONTROL_PLUMBING_H_
