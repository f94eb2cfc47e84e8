// vantrel: the QB Sync Wizard on the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "build_info.h"
#include "commands.h"
#include "common/host_args.h"

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
    "  help [COMMAND]  this text, or a command's options\n"
    "\n"
    "Run 'vantrel COMMAND --help' for a command's options; 'vantrel --version'\n"
    "prints the version and the build's commit.\n"
    "\n"
    "examples:\n"
    "  vantrel screen --page samples/page.html\n"
    "  vantrel sync --page samples/page.html --quickbooks samples/Acme.QBW \\\n"
    "      --select-all --embedded-site\n"
    "\n"
    "exit status: 0 success, 3 a run that completed with the site's warnings, 1 a\n"
    "run that did not end well, 2 a command line that cannot be used, 130\n"
    "interrupted.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace vantrel::cli;
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? kExitUsage : kExitOk;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts(VANTREL_VERSION_LINE("vantrel"));
    return kExitOk;
  }
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "help") {
    if (args.empty()) {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    // "help CMD" is "CMD --help".
    command = args[0];
    args = {"--help"};
  }
  const struct {
    const char* name;
    int (*run)(const std::vector<std::string>&);
  } commands[] = {
      {"screen", RunScreen}, {"request", RunRequest}, {"sync", RunSync}, {"validate", RunValidate}};
  for (const auto& [name, run] : commands) {
    if (command == name) return run(args);
  }
  std::vector<std::string_view> names;
  for (const auto& entry : commands) names.push_back(entry.name);
  std::fprintf(stderr, "vantrel: unknown command '%s'%s\n\n%s", command.c_str(),
               vantrel::host::DidYouMean(vantrel::host::Closest(command, names)).c_str(), kUsage);
  return kExitUsage;
}
