#include "commands.h"

#include <cstdio>

namespace vantrel::cli {

int RunCommand(const char* name, const char* help, const std::vector<std::string>& args,
               host::OptionSpec spec, bool positional,
               const std::function<int(const host::ParsedArgs&)>& body) {
  try {
    spec.flags.push_back("help");
    const host::ParsedArgs parsed = host::ParseArgs(args, spec);
    if (parsed.Has("help")) {
      std::fputs(help, stdout);
      return kExitOk;
    }
    if (!positional && !parsed.positional.empty()) {
      throw host::UsageError("unexpected '" + parsed.positional[0] + "'");
    }
    return body(parsed);
  } catch (const host::RunFailure& e) {
    std::fprintf(stderr, "vantrel %s: %s\n", name, e.what());
    return kExitRunFailed;
  } catch (const host::UsageError& e) {
    std::fprintf(stderr, "vantrel %s: %s\n(see 'vantrel %s --help')\n", name, e.what(), name);
    return kExitUsage;
  }
}

}  // namespace vantrel::cli
