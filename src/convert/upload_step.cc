#include "convert/upload_step.h"

#include "platform/com_error.h"

namespace vantrel {

namespace {

bool Accepted(BMWGUtilityResult result) {
  return result == wgurSuccess || result == wgurNoDataToUpload;
}

// The normal-mode upload of the script, at kBatchSize entries or at the end
// of a pass. Any result but success or "no data" stops the pass.
bool PostBatch(VantrelCtl& ctl, const UploadPolicy& policy) {
  RunState& run = ctl.run();
  if (!Accepted(PostScript(ctl, policy.letter))) {
    run.mStopRun = true;
    return false;
  }
  if (policy.after_upload != nullptr) policy.after_upload(ctl);
  run.lngBatchCount = 0;
  ctl.OpenFreshUploadScript();
  return true;
}

// The debug-mode upload of the one statement just written. A cancel always
// stops the pass; any other failure is counted and stops it only when the
// user chose "Stop on error".
bool PostSingle(VantrelCtl& ctl, const UploadPolicy& policy) {
  RunState& run = ctl.run();
  const BMWGUtilityResult result = PostScript(ctl, policy.letter);
  if (result == wgurProcessInterrupted) {
    run.mStopRun = true;
    return false;
  }
  if (result != wgurSuccess) {
    ++(ctl.*policy.failure_counter);
    if (ctl.screen().optStop.value()) {
      run.mStopRun = true;
      return false;
    }
  }
  if (policy.after_upload != nullptr) policy.after_upload(ctl);
  ctl.OpenFreshUploadScript();
  return true;
}

}  // namespace

void WriteToScript(VantrelCtl& ctl, std::string_view text) {
  platform::TextStream* script = ctl.run().mScript.get();
  if (script == nullptr) return;
  try {
    script->WriteText(text);
  } catch (const platform::ComError&) {
    // A closed or binary stream takes no text; the entry is lost and the
    // pass goes on, as every failing step of a pass does.
  }
}

BMWGUtilityResult PostScript(VantrelCtl& ctl, std::string_view letter) {
  ctl.RestoreMousePointer();
  ctl.nOptions.assign(letter);
  platform::TextStream* script = ctl.run().mScript.get();
  // Without a script there is nothing the request could read: the call fails
  // as a run-time error would.
  const BMWGUtilityResult result = script != nullptr ? ctl.UploadNow(*script) : wgurSystemError;
  ctl.run().mLastResult = result;
  return result;
}

bool AfterEntryWritten(VantrelCtl& ctl, const UploadPolicy& policy) {
  RunState& run = ctl.run();
  ++run.lngBatchCount;
  if (ctl.DebugMode) return PostSingle(ctl, policy);
  if (run.lngBatchCount < kBatchSize) return true;
  return PostBatch(ctl, policy);
}

bool UploadRest(VantrelCtl& ctl, const UploadPolicy& policy) {
  if (ctl.DebugMode || ctl.run().lngBatchCount < 1) return true;
  return PostBatch(ctl, policy);
}

}  // namespace vantrel
