#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "commands.h"
#include "common/host_args.h"
#include "control_setup.h"
#include "quickbooks/qbxml_request.h"

namespace vantrel::cli {

namespace {

constexpr char kHelp[] =
    "usage: vantrel request --select LIST [--version-code N]\n"
    "\n"
    "Prints the exact qbXML request (CR LF line breaks kept) for the ticked\n"
    "entities and the session's qbXML version code; on a terminal a line break\n"
    "follows its last line, which into a file or pipe it does not have.\n"
    "\n"
    "  --select LIST       comma-separated: employees, customers, classes, accounts,\n"
    "                      items, vendors, time, expense\n"
    "  --version-code N    0 (1.0), 1 (1.1), 2 (2.0, default), 6-8 (CA1.0-CA2.0),\n"
    "                      9-11 (UK1.0-UK2.0)\n"
    "\n"
    "examples:\n"
    "  vantrel request --select classes,time\n"
    "  vantrel request --select vendors --version-code 7 > request.xml\n";

// Prints the qbXML request of --select and --version-code.
int PrintRequest(const host::ParsedArgs& parsed) {
  if (!parsed.Has("select")) throw host::UsageError("--select is required");
  SelectionFlags flags;
  for (const EntityRow* entity : SelectedEntities(parsed.All("select"))) {
    flags.*entity->selected = true;
  }
  // The sales reps come with the customers, as the wizard's run asks for them.
  flags.blnDoSalesReps = flags.blnDoCustomers;
  long code = kQbXml20;
  if (parsed.Has("version-code")) {
    const std::string text = parsed.Last("version-code");
    char* end = nullptr;
    code = std::strtol(text.c_str(), &end, 10);
    constexpr long kCodes[] = {kQbXml10,   kQbXml11,   kQbXml20,   kQbXmlCA10, kQbXmlCA11,
                               kQbXmlCA20, kQbXmlUK10, kQbXmlUK11, kQbXmlUK20};
    if (text.empty() || *end != '\0' ||
        std::find(std::begin(kCodes), std::end(kCodes), code) == std::end(kCodes)) {
      throw host::UsageError("--version-code takes 0, 1, 2, 6, 7, 8, 9, 10 or 11, not '" + text +
                             "'");
    }
  }
  const std::string request = ComposeQBXMLRequest(flags, code);
  std::fwrite(request.data(), 1, request.size(), stdout);
  // The request ends without a line break; on a terminal one follows, so
  // that the prompt starts a line of its own. A file or pipe gets the bytes
  // alone.
  if (isatty(fileno(stdout)) == 1) std::fputc('\n', stdout);
  return kExitOk;
}

}  // namespace

int RunRequest(const std::vector<std::string>& args) {
  return RunCommand("request", kHelp, args, {{}, {"select", "version-code"}}, false, PrintRequest);
}

}  // namespace vantrel::cli
