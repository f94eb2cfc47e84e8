#include <cstdio>

#include "commands.h"
#include "common/host_args.h"
#include "quickbooks/xml_validator.h"

namespace vantrel::cli {

namespace {

constexpr char kHelp[] =
    "usage: vantrel validate --schema XSD FILE\n"
    "\n"
    "Checks the qbXML document FILE against the XML schema XSD and its DOCTYPE\n"
    "declaration, and prints the validator's message. Exit status 0 when valid.\n"
    "\n"
    "examples:\n"
    "  vantrel request --select classes > request.xml\n"
    "  vantrel validate --schema samples/qbxml-mini.xsd request.xml\n";

// Prints the validator's message on the document; its status says whether it is valid.
int Validate(const host::ParsedArgs& parsed) {
  if (!parsed.Has("schema")) throw host::UsageError("--schema is required");
  if (parsed.positional.size() != 1) throw host::UsageError("give exactly one document FILE");
  const std::string text = host::ReadFileOrThrow(parsed.positional[0], "document");
  XMLValidator validator;
  const bool valid = validator.ValidateXML(text, parsed.Last("schema"));
  std::string message = validator.ValidateMsg();
  for (char& c : message) {
    if (c == '\r') c = '\n';
  }
  std::printf("%s\n", message.c_str());
  return valid ? kExitOk : kExitRunFailed;
}

}  // namespace

int RunValidate(const std::vector<std::string>& args) {
  return RunCommand("validate", kHelp, args, {{}, {"schema"}}, true, Validate);
}

}  // namespace vantrel::cli
