#include "wizard/mod_wizard.h"

namespace vantrel {

WizardState::WizardState() = default;
WizardState::~WizardState() = default;

namespace {
thread_local std::unique_ptr<WizardState> t_state;
}  // namespace

WizardState& modWizard() {
  if (!t_state) t_state = std::make_unique<WizardState>();
  return *t_state;
}

void ResetModWizard() { t_state = std::make_unique<WizardState>(); }

}  // namespace vantrel
