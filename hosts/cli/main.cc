// vantrel: the QB Sync Wizard on the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"

namespace {

constexpr char kUsage[] =
    "usage: vantrel COMMAND [OPTIONS]\n"
    "\n"
    "The QB Sync Wizard without a window: it loads the control's parameters,\n"
    "works its screen, and sends QuickBooks data to the site's server pages.\n"
    "\n"
    "commands:\n"
    "  screen     show the wizard screen after loading parameters and clicks\n"
    "  request    print the qbXML request for a selection\n"
    "  sync       run the wizard: query QuickBooks, convert, upload\n"
    "  validate   check a qbXML document against an XML schema\n"
    "\n"
    "Run 'vantrel COMMAND --help' for a command's options.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace vantrel::cli;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "screen") return RunScreen(args);
  if (command == "request") return RunRequest(args);
  if (command == "sync") return RunSync(args);
  if (command == "validate") return RunValidate(args);
  std::fprintf(stderr, "vantrel: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return kExitUsage;
}
