#include "convert/upload_step.h"

#include "platform/text_util.h"

namespace vantrel {

namespace {

bool Accepted(BMWGUtilityResult result) {
  return result == wgurSuccess || result == wgurNoDataToUpload;
}

// Counts `entries` of a post the server did not take.
void CountLost(PassContext& pass, long entries) {
  if (pass.figures != nullptr) pass.figures->lost += entries;
}

// Counts the server's marks on the reply of a post it took.
void CountWarnings(PassContext& pass) {
  if (pass.figures != nullptr) pass.figures->warnings += ReplyWarnings(pass.script.ReplyText());
}

// The normal-mode upload of the script, at kBatchSize entries or at the end
// of a pass. Any result but success or "no data" stops the pass.
bool PostBatch(PassContext& pass, const UploadPolicy& policy) {
  if (!Accepted(PostScript(pass, policy.letter))) {
    CountLost(pass, pass.run.lngBatchCount);
    pass.run.mStopRun = true;
    return false;
  }
  CountWarnings(pass);
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
    CountLost(pass, 1);
    pass.run.mStopRun = true;
    return false;
  }
  if (result != wgurSuccess) {
    CountLost(pass, 1);
    ++pass.failures;
    if (pass.script.StopOnError()) {
      pass.run.mStopRun = true;
      return false;
    }
  } else {
    CountWarnings(pass);
  }
  if (policy.after_upload != nullptr) policy.after_upload->AfterUpload(pass);
  pass.script.OpenFresh();
  return true;
}

}  // namespace

long ReplyWarnings(std::string_view reply) {
  const std::string_view trimmed = platform::TrimSpaces(reply);
  if (trimmed.size() < 7 || platform::ToUpperAscii(trimmed.substr(0, 7)) != "SUCCESS") return 0;
  const char last = trimmed.back();
  if (trimmed.size() == 8 && last >= '0' && last <= '9') return last - '0';
  return last == 'T' || last == 'P' ? 1 : 0;
}

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
