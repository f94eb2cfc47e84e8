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

// The entity check box of a selection word ("employees", "customers",
// "classes", "accounts", "items", "vendors", "time", "expense"); throws
// host::UsageError for any other word.
platform::CheckBox& EntityBox(WizardScreen& screen, const std::string& word);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_CONTROL_SETUP_H_
