#include <cstdio>

#include "cli_host.h"
#include "commands.h"
#include "common/bag_loading.h"
#include "control_setup.h"
#include "platform/env.h"

namespace vantrel::cli {

namespace {

constexpr char kHelp[] =
    "usage: vantrel screen [--page FILE] [--param NAME=VALUE]... [--click NAME]...\n"
    "\n"
    "Creates the control, loads its parameters and prints the wizard screen:\n"
    "every shown control in screen order with its caption and value.\n"
    "\n"
    "  --page FILE          an HTML page whose first <object> holds <param> elements\n"
    "  --param NAME=VALUE   a parameter (after the page's; repeatable)\n"
    "  --click NAME         click a control before printing, in order (repeatable):\n"
    "                       cmdSelectAll, chkDebugMode, a check box or option by\n"
    "                       name, cmdNav(0) to cmdNav(2)\n"
    "Message boxes print as '[information] text' or '[critical] text'.\n"
    "\n"
    "examples:\n"
    "  vantrel screen --page samples/page.html\n"
    "  vantrel screen --param EmpLexicon=Worker --click cmdSelectAll --click chkDebugMode\n";

// Prints the screen after the parameters and clicks of the command line.
int PrintScreen(const host::ParsedArgs& parsed) {
  platform::SystemEnv env;
  CliHost forms_host(stdout, false);
  VantrelCtl ctl(env, forms_host);
  host::LoadBag(ctl, host::BuildBag(parsed));
  for (const std::string& name : parsed.All("click")) {
    ClickControl(ctl, name, false);
  }
  std::fputs(RenderScreen(ctl.screen()).c_str(), stdout);
  return kExitOk;
}

}  // namespace

int RunScreen(const std::vector<std::string>& args) {
  return RunCommand("screen", kHelp, args, {{}, {"page", "param", "click"}}, false, PrintScreen);
}

}  // namespace vantrel::cli
