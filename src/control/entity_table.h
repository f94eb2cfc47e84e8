// What the control binds to each entity of the registry (wizard/entities.h):
// the members its interface and its screen name — the check box, the failure
// counter, the site's word and the flag an upload reply's mark sets.
#ifndef VANTREL_CONTROL_ENTITY_TABLE_H_
#define VANTREL_CONTROL_ENTITY_TABLE_H_

#include <string>

#include "control/wizard_screen.h"
#include "wizard/entities.h"

namespace vantrel {

class VantrelCtl;

struct EntityBinding {
  platform::CheckBox WizardScreen::*box;
  long VantrelCtl::*failures;
  std::string VantrelCtl::*word;           // null: the summary uses the row's label
  bool VantrelCtl::*reply_mark = nullptr;  // time and expenses
};

// The control's binding of `kind`.
const EntityBinding& Binding(EntityKind kind);

// "Employees" (the site's word plus "s"), or the row's fixed label.
std::string SummaryName(const VantrelCtl& ctl, const EntityRow& entity);

}  // namespace vantrel

#endif  // VANTREL_CONTROL_ENTITY_TABLE_H_
