// The wizard's commands. Each takes its arguments after the command name and
// returns the process's exit status.
#ifndef VANTREL_HOSTS_CLI_COMMANDS_H_
#define VANTREL_HOSTS_CLI_COMMANDS_H_

#include <string>
#include <vector>

namespace vantrel::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;
// The run completed and every failure counter is 0, but the server marked
// some of what it took: lines it could not file, items or projects it added.
inline constexpr int kExitWarnings = 3;
inline constexpr int kExitInterrupted = 130;  // Ctrl-C, as a shell reports SIGINT

int RunScreen(const std::vector<std::string>& args);
int RunRequest(const std::vector<std::string>& args);
int RunSync(const std::vector<std::string>& args);
int RunValidate(const std::vector<std::string>& args);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_COMMANDS_H_
