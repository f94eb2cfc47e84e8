#include "wizard/run_state.h"

namespace vantrel {

void RunState::OpenFreshScript() {
  // The stream before is closed and opened again: its memory, as large as a
  // batch, serves the next one, where a new stream would have to grow again.
  if (!mScript) mScript = std::make_unique<platform::TextStream>();
  if (mScript->is_open()) mScript->Close();
  mScript->set_charset("us-ascii");
  mScript->set_type(platform::TextStream::Type::kText);
  mScript->Open();
}

}  // namespace vantrel
