// Command-line parsing shared by the wizard's hosts, and the usage error they report.
#ifndef VANTREL_HOSTS_COMMON_HOST_ARGS_H_
#define VANTREL_HOSTS_COMMON_HOST_ARGS_H_

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/date_time.h"

namespace vantrel::host {

// A command line or a setting that cannot be used: the command-line wizard
// prints it with a hint and exits with status 2; the desktop wizard says it
// in a message of its own.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Something the command line names that cannot be had when it is used (a
// page's address that does not answer): the command-line wizard prints it
// and exits with status 1; a host that has no such difference takes it as
// any other UsageError.
class RunFailure : public UsageError {
 public:
  using UsageError::UsageError;
};

// The candidate closest to `word` by the edits that turn one into the other
// (letter case aside), if it is close enough to be a slip: at most two
// edits, or a third of the word's letters for a longer word; empty when
// none is.
std::string_view Closest(std::string_view word, const std::vector<std::string_view>& candidates);

// " (did you mean --select-all?)" for `closest` "select-all" and `prefix`
// "--"; "" for an empty `closest`.
std::string DidYouMean(std::string_view closest, std::string_view prefix = "");

// The options a command accepts: flags without a value and options with one
// (repeatable options keep every value in order).
struct OptionSpec {
  std::vector<std::string> flags;
  std::vector<std::string> valued;
};

struct ParsedArgs {
  std::map<std::string, std::vector<std::string>> values;
  std::map<std::string, bool> flags;
  std::vector<std::string> positional;

  bool Has(const std::string& name) const { return flags.count(name) > 0 || values.count(name); }
  // The last value of `name`, or `fallback`.
  std::string Last(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& All(const std::string& name) const;
  // True when a --param NAME=VALUE names `name` (any letter case).
  bool GivesParam(std::string_view name) const;
};

// The time of --now: "MM/DD/YYYY HH:MM:SS" on a 24-hour clock, each field
// its full width. Throws UsageError naming the form otherwise.
platform::DateTime ParseFixedTime(const std::string& text);

// Parses `args` ("--name value" or "--name=value"); throws UsageError on an
// unknown option or a missing value.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const OptionSpec& spec);

// Splits "a,b, c" into its trimmed, non-empty parts.
std::vector<std::string> SplitList(const std::string& list);

// Reads a whole file; throws UsageError naming it and the system's reason
// when it cannot be read.
std::string ReadFileOrThrow(const std::string& path, const std::string& what);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_HOST_ARGS_H_
