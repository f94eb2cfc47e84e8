// The wizard's commands. Each takes its arguments after the command name and
// returns the process's exit status.
#ifndef VANTREL_HOSTS_CLI_COMMANDS_H_
#define VANTREL_HOSTS_CLI_COMMANDS_H_

#include <functional>
#include <string>
#include <vector>

#include "common/host_args.h"

namespace vantrel::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;
// The run completed and every failure counter is 0, but the server marked
// some of what it took: lines it could not file, items or projects it added.
inline constexpr int kExitWarnings = 3;
inline constexpr int kExitInterrupted = 130;  // Ctrl-C, as a shell reports SIGINT

// Runs the command `name`: parses `args` by `spec` with --help (-h) added,
// which prints `help`; refuses positional arguments unless `positional`;
// then returns `body`'s status. A host::UsageError from any of it is printed
// as "vantrel NAME: WHY" and "(see 'vantrel NAME --help')" on standard error,
// and the command returns kExitUsage.
int RunCommand(const char* name, const char* help, const std::vector<std::string>& args,
               host::OptionSpec spec, bool positional,
               const std::function<int(const host::ParsedArgs&)>& body);

int RunScreen(const std::vector<std::string>& args);
int RunRequest(const std::vector<std::string>& args);
int RunSync(const std::vector<std::string>& args);
int RunValidate(const std::vector<std::string>& args);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_COMMANDS_H_
