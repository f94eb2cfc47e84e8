// The desktop wizard's command line.
#ifndef VANTREL_HOSTS_DESKTOP_DESKTOP_OPTIONS_H_
#define VANTREL_HOSTS_DESKTOP_DESKTOP_OPTIONS_H_

#include <optional>
#include <string>
#include <vector>

#include "common/host_args.h"

namespace vantrel::desktop {

struct DesktopOptions {
  host::ParsedArgs args;                  // --page and --param, as host::BuildBag reads them
  std::string quickbooks;                 // --quickbooks: the company QuickBooks has open
  bool embedded_site = false;             // --embedded-site
  std::string site_db;                    // --site-db: the embedded site's database
  std::string settings_file;              // --settings: an INI file instead of the user's settings
  std::optional<platform::DateTime> now;  // --now: the clock stands at this time
  bool help = false;
  bool version = false;
};

// Reads the arguments after the program's name (Qt's own already taken out).
// Throws host::UsageError for an unknown option, a missing value, a
// positional argument, or --site-db without --embedded-site.
DesktopOptions ParseDesktopArgs(const std::vector<std::string>& args);

// The text of --help.
extern const char kDesktopHelp[];

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_DESKTOP_OPTIONS_H_
