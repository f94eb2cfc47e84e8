#include "desktop_options.h"

namespace vantrel::desktop {

const char kDesktopHelp[] =
    "usage: vantrel-wizard [--page FILE] [--param NAME=VALUE]... [--quickbooks COMPANY]\n"
    "                      [--embedded-site [--site-db FILE]] [--settings FILE]\n"
    "                      [--now \"MM/DD/YYYY HH:MM:SS\"]\n"
    "\n"
    "The QB Sync Wizard in a window: tick what to send, click \"Start &Sync\", and\n"
    "watch the stages; Cancel stops a request that waits for the site.\n"
    "\n"
    "  --page FILE, --param NAME=VALUE   the control's parameters, as for\n"
    "                       'vantrel screen'; the saved settings (File > Settings)\n"
    "                       fill in what they leave out\n"
    "  --quickbooks FILE    QuickBooks runs with this company file open (File >\n"
    "                       Open company... opens another; without either,\n"
    "                       QuickBooks is not running)\n"
    "  --embedded-site      serve the site's pages in process on a free loopback\n"
    "                       port, in place of the base address (File > Embedded site)\n"
    "  --site-db FILE       the embedded site's SQLite database (default: a new file\n"
    "                       in a temporary folder)\n"
    "  --version            print the version and the build's commit\n"
    "  --settings FILE      keep the settings in this INI file instead of the\n"
    "                       user's own (the site key goes to the desktop's secret\n"
    "                       store, one entry per settings file)\n"
    "  --now \"MM/DD/YYYY HH:MM:SS\"\n"
    "                       the clock stands at this time (24-hour) for every run\n"
    "\n"
    "Qt's own options (-platform NAME, ...) are taken as well.\n"
    "\n"
    "examples:\n"
    "  vantrel-wizard --page samples/page.html --quickbooks samples/Acme.QBW --embedded-site\n"
    "  vantrel-wizard --param SiteCode=ACME01 --settings my-site.ini -platform offscreen\n";

DesktopOptions ParseDesktopArgs(const std::vector<std::string>& args) {
  DesktopOptions options;
  options.args =
      host::ParseArgs(args, {{"help", "version", "embedded-site"},
                             {"page", "param", "quickbooks", "site-db", "settings", "now"}});
  const host::ParsedArgs& parsed = options.args;
  if (!parsed.positional.empty()) {
    throw host::UsageError("unexpected '" + parsed.positional[0] + "'");
  }
  if (parsed.Has("site-db") && !parsed.Has("embedded-site")) {
    throw host::UsageError("--site-db needs --embedded-site");
  }
  options.help = parsed.Has("help");
  options.version = parsed.Has("version");
  options.quickbooks = parsed.Last("quickbooks");
  options.embedded_site = parsed.Has("embedded-site");
  options.site_db = parsed.Last("site-db");
  options.settings_file = parsed.Last("settings");
  if (parsed.Has("now")) options.now = host::ParseFixedTime(parsed.Last("now"));
  return options;
}

}  // namespace vantrel::desktop
