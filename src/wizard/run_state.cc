#include "wizard/run_state.h"

namespace vantrel {

void RunState::OpenFreshScript() {
  auto script = std::make_unique<platform::TextStream>();
  script->set_charset("us-ascii");
  script->set_type(platform::TextStream::Type::kText);
  script->Open();
  mScript = std::move(script);
}

}  // namespace vantrel
