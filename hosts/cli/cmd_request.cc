#include <cstdio>
#include <cstdlib>

#include "commands.h"
#include "common/host_args.h"
#include "quickbooks/qbxml_request.h"

namespace vantrel::cli {

namespace {

constexpr char kHelp[] =
    "usage: vantrel request --select LIST [--version-code N]\n"
    "\n"
    "Prints the exact qbXML request (CR LF line breaks kept) for the ticked\n"
    "entities and the session's qbXML version code.\n"
    "\n"
    "  --select LIST       comma-separated: employees, customers, classes, accounts,\n"
    "                      items, vendors, time, expense\n"
    "  --version-code N    0 (1.0), 1 (1.1), 2 (2.0, default), 6-8 (CA1.0-CA2.0),\n"
    "                      9-11 (UK1.0-UK2.0)\n";

}  // namespace

int RunRequest(const std::vector<std::string>& args) {
  try {
    const host::ParsedArgs parsed = host::ParseArgs(args, {{"help"}, {"select", "version-code"}});
    if (parsed.Has("help")) {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (!parsed.positional.empty())
      throw host::UsageError("unexpected '" + parsed.positional[0] + "'");
    if (!parsed.Has("select")) throw host::UsageError("--select is required");
    SelectionFlags flags;
    for (const std::string& word : host::SplitList(parsed.Last("select"))) {
      if (word == "employees") {
        flags.blnDoEmployees = true;
      } else if (word == "customers") {
        flags.blnDoCustomers = true;
        flags.blnDoSalesReps = true;
      } else if (word == "classes") {
        flags.blnDoClasses = true;
      } else if (word == "accounts") {
        flags.blnDoGLAccounts = true;
      } else if (word == "items") {
        flags.blnDoTasks = true;
      } else if (word == "vendors") {
        flags.blnDoVendors = true;
      } else if (word == "time") {
        flags.blnDoTime = true;
      } else if (word == "expense" || word == "expenses") {
        flags.blnDoExpense = true;
      } else {
        throw host::UsageError("unknown entity '" + word + "'");
      }
    }
    long code = kQbXml20;
    if (parsed.Has("version-code")) {
      const std::string text = parsed.Last("version-code");
      char* end = nullptr;
      code = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0') throw host::UsageError("--version-code takes a number");
    }
    const std::string request = ComposeQBXMLRequest(flags, code);
    std::fwrite(request.data(), 1, request.size(), stdout);
    return kExitOk;
  } catch (const host::UsageError& e) {
    std::fprintf(stderr, "vantrel request: %s\n(see 'vantrel request --help')\n", e.what());
    return kExitUsage;
  }
}

}  // namespace vantrel::cli
