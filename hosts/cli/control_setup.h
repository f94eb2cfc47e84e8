// Creating the control from a page and parameters, and working its screen.
#ifndef VANTREL_HOSTS_CLI_CONTROL_SETUP_H_
#define VANTREL_HOSTS_CLI_CONTROL_SETUP_H_

#include <string>
#include <vector>

#include "cli_args.h"
#include "control/vantrel_ctl.h"
#include "platform/values.h"

namespace vantrel::cli {

// The bag of `--page FILE` (its first <object>'s parameters), overridden by
// each `--param NAME=VALUE` in order. Throws UsageError on a bad page or param.
platform::PropertyBag BuildBag(const ParsedArgs& args);

// Loads `bag` into `ctl`; a value that cannot be converted throws UsageError
// naming the parameter.
void LoadBag(VantrelCtl& ctl, const platform::PropertyBag& bag);

// Clicks the control named `name`: "cmdSelectAll", "chkDebugMode", a check box
// or option button by name, or "cmdNav(0)" to "cmdNav(3)". Throws UsageError
// for any other name.
void ClickControl(VantrelCtl& ctl, const std::string& name, bool allow_start);

// The entity check box of a selection word ("employees", "customers",
// "classes", "accounts", "items", "vendors", "time", "expense"); throws
// UsageError for any other word.
platform::CheckBox& EntityBox(WizardScreen& screen, const std::string& word);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_CONTROL_SETUP_H_
