#include "convert/upload_step.h"

namespace vantrel {

namespace {

bool Accepted(BMWGUtilityResult result) {
  return result == wgurSuccess || result == wgurNoDataToUpload;
}

// The normal-mode upload of the script, at kBatchSize entries or at the end
// of a pass. Any result but success or "no data" stops the pass.
bool PostBatch(PassContext& pass, const UploadPolicy& policy) {
  if (!Accepted(PostScript(pass, policy.letter))) {
    pass.run.mStopRun = true;
    return false;
  }
  if (policy.after_upload != nullptr) policy.after_upload->AfterUpload(pass);
  pass.run.lngBatchCount = 0;
  pass.script.OpenFresh();
  return true;
}

// The debug-mode upload of the one entry just written. A cancel always stops
// the pass; any other failure is counted and stops it only when the user
// chose "Stop on error".
bool PostSingle(PassContext& pass, const UploadPolicy& policy) {
  const BMWGUtilityResult result = PostScript(pass, policy.letter);
  if (result == wgurProcessInterrupted) {
    pass.run.mStopRun = true;
    return false;
  }
  if (result != wgurSuccess) {
    ++pass.failures;
    if (pass.script.StopOnError()) {
      pass.run.mStopRun = true;
      return false;
    }
  }
  if (policy.after_upload != nullptr) policy.after_upload->AfterUpload(pass);
  pass.script.OpenFresh();
  return true;
}

}  // namespace

BMWGUtilityResult PostScript(PassContext& pass, std::string_view letter) {
  const BMWGUtilityResult result = pass.script.Post(letter);
  pass.run.mLastResult = result;
  return result;
}

bool AfterEntryWritten(PassContext& pass, const UploadPolicy& policy) {
  ++pass.run.lngBatchCount;
  if (pass.script.DebugMode()) return PostSingle(pass, policy);
  if (pass.run.lngBatchCount < kBatchSize) return true;
  return PostBatch(pass, policy);
}

bool UploadRest(PassContext& pass, const UploadPolicy& policy) {
  if (pass.script.DebugMode() || pass.run.lngBatchCount < 1) return true;
  return PostBatch(pass, policy);
}

}  // namespace vantrel
