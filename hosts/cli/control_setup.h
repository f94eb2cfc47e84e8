// Working the control's screen from the command line.
#ifndef VANTREL_HOSTS_CLI_CONTROL_SETUP_H_
#define VANTREL_HOSTS_CLI_CONTROL_SETUP_H_

#include <string>
#include <vector>

#include "control/vantrel_ctl.h"

namespace vantrel::cli {

// Clicks the control named `name`: "cmdSelectAll", "chkDebugMode", a check box
// or option button by name, or "cmdNav(0)" to "cmdNav(3)". Throws host::UsageError
// for any other name.
void ClickControl(VantrelCtl& ctl, const std::string& name, bool allow_start);

// The entity of a selection word ("employees", "customers", "classes",
// "accounts", "items", "vendors", "time", "expense"; any letter case);
// throws host::UsageError naming the words for any other word.
const EntityRow& EntityNamed(const std::string& word);

// The entity check box of a selection word, as EntityNamed reads it.
platform::CheckBox& EntityBox(WizardScreen& screen, const std::string& word);

// The entities of every --select value, in the order given (repeated options
// add up). Throws host::UsageError for an unknown word.
// "all" stands for every box (time and expenses included), "projects" for
// the customers' box, which sends the projects too.
std::vector<const EntityRow*> SelectedEntities(const std::vector<std::string>& values);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_CONTROL_SETUP_H_
