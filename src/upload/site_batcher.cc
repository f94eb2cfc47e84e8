#include "upload/site_batcher.h"

#include "platform/com_error.h"
#include "upload/frm_wg_upload.h"
#include "wizard/reply_verdict.h"

namespace vantrel {

namespace {

bool Accepted(BMWGUtilityResult result) {
  return result == wgurSuccess || result == wgurNoDataToUpload;
}

// Counts `entries` of a post the server did not take.
void CountLost(BatchPass& pass, long entries) {
  if (pass.figures != nullptr) pass.figures->lost += entries;
}

}  // namespace

BMWGUtilityResult SiteBatcher::Post(RunState& run, std::string_view letter) {
  controls_.screen.set_mouse_pointer(platform::MousePointer::kDefault);
  controls_.n_options.assign(letter);
  // Without a script there is nothing the request could read: the call fails
  // as a run-time error would.
  const BMWGUtilityResult result = run.mScript != nullptr
                                       ? requests_.UploadNow(*run.mScript, controls_.n_options)
                                       : wgurSystemError;
  run.mLastResult = result;
  return result;
}

bool SiteBatcher::Put(BatchPass& pass, std::string_view entry) {
  if (platform::TextStream* script = pass.run.mScript.get()) {
    try {
      script->WriteText(entry);
    } catch (const platform::ComError&) {
      // A closed or binary stream takes no text; the entry is lost and the
      // pass goes on, as every failing step of a pass does.
    }
  }
  ++pass.run.lngBatchCount;
  if (controls_.debug_mode) return PostSingle(pass);
  if (pass.run.lngBatchCount < kBatchSize) return true;
  return PostBatch(pass);
}

bool SiteBatcher::Finish(BatchPass& pass) {
  if (controls_.debug_mode || pass.run.lngBatchCount < 1) return true;
  return PostBatch(pass);
}

BMWGUtilityResult SiteBatcher::SendStatus(std::string_view letter) {
  return requests_.SendStatusUpdate(letter);
}

std::string SiteBatcher::ReplyText() const {
  const frmWGUpload* form = requests_.surface().form.form();
  return form != nullptr ? form->mReplyText : std::string();
}

bool SiteBatcher::PostBatch(BatchPass& pass) {
  const BMWGUtilityResult result = Post(pass.run, pass.letter);
  if (!Accepted(result)) {
    CountLost(pass, pass.run.lngBatchCount);
    pass.run.mStopRun = true;
    return false;
  }
  // "No data to upload. " lets the pass go on, but the entries of the
  // batch did not land: they count as lost.
  if (result == wgurNoDataToUpload) CountLost(pass, pass.run.lngBatchCount);
  if (pass.figures != nullptr) pass.figures->warnings += JudgeReply(ReplyText()).warnings();
  if (pass.after_upload != nullptr) pass.after_upload->AfterUpload();
  pass.run.lngBatchCount = 0;
  pass.run.OpenFreshScript();
  return true;
}

bool SiteBatcher::PostSingle(BatchPass& pass) {
  const BMWGUtilityResult result = Post(pass.run, pass.letter);
  if (result == wgurProcessInterrupted) {
    CountLost(pass, 1);
    pass.run.mStopRun = true;
    return false;
  }
  if (result != wgurSuccess) {
    CountLost(pass, 1);
    ++pass.failures;
    if (controls_.stop_on_error.value()) {
      pass.run.mStopRun = true;
      return false;
    }
  } else if (pass.figures != nullptr) {
    pass.figures->warnings += JudgeReply(ReplyText()).warnings();
  }
  if (pass.after_upload != nullptr) pass.after_upload->AfterUpload();
  pass.run.OpenFreshScript();
  return true;
}

}  // namespace vantrel
