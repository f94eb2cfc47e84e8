#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "common/host_args.h"
#include "control_setup.h"
#include "sync_run.h"

namespace vantrel::cli {

namespace {

constexpr char kHelp[] =
    "usage: vantrel sync [--page FILE|URL] [--param NAME=VALUE]... (--select LIST | --select-all)\n"
    "                    [--debug [--continue-on-error]] [--quickbooks COMPANY]\n"
    "                    [--embedded-site [--site-db FILE | --keep-site]]\n"
    "                    [--dry-run [--script-dir DIR]] [--retries N] [-q | -v]\n"
    "                    [--request-timeout SECONDS] [--messages FILE] [--report FILE]\n"
    "                    [--sales-tax-codes] [--safe-lines] [--now \"MM/DD/YYYY HH:MM:SS\"]\n"
    "\n"
    "Runs the wizard: ticks the boxes, clicks \"Start &Sync\", prints the stages and\n"
    "every message box, and ends with a table of what each entity read, sent and\n"
    "changed. The first Ctrl-C cancels the request under way and every later one,\n"
    "so that the run ends at its next upload at the latest; a second one ends the\n"
    "program at once.\n"
    "\n"
    "  --page FILE|URL      the control's parameters: the first <object> of a page\n"
    "                       file, or of a page read over HTTP (vantrel-site serves\n"
    "                       one at .../page.html with the site's last-sync dates)\n"
    "  --param NAME=VALUE   a parameter, over the page's\n"
    "  --select LIST        tick these (comma-separated): employees, customers,\n"
    "                       classes, accounts, items, vendors, time, expense; all\n"
    "                       for every one of them; projects come with customers\n"
    "  --select-all         click \"Select All\" (time and expense stay as --select says)\n"
    "  --debug              tick debug mode: one statement per upload\n"
    "  --continue-on-error  in debug mode, select \"Continue on error\"\n"
    "  --quickbooks FILE    QuickBooks runs with this company file open (without it,\n"
    "                       QuickBooks is not running)\n"
    "  --embedded-site      when the parameters give no WGSecureServerURL, serve the\n"
    "                       site's pages in process on a free loopback port; its page\n"
    "                       gives the last-sync dates, so that a second run over the\n"
    "                       same --site-db sends only what changed\n"
    "  --site-db FILE       the embedded site's SQLite database, kept (default: a new\n"
    "                       one in a temporary folder, removed after the run)\n"
    "  --keep-site          keep the temporary folder of the embedded site's database\n"
    "  --dry-run            send nothing: every request is taken as accepted, and the\n"
    "                       run says what it would have sent per entity\n"
    "  --script-dir DIR     with --dry-run, write each request to DIR (made when\n"
    "                       missing; must be empty): 0001-E-upload.txt holds an upload\n"
    "                       script, 0002-E-status.txt a status request's address, byte\n"
    "                       for byte as they would go\n"
    "  --retries N          send a request again up to N times after a failed or\n"
    "                       dropped connection, waiting 1 s, then 2 s, ... (default 2;\n"
    "                       uploads are upserts, so a batch sent twice lands once)\n"
    "  --request-timeout SECONDS\n"
    "                       give up a request that has not had its whole reply in\n"
    "                       this time (default 300; 0 for no limit)\n"
    "  -q, --quiet          print only message boxes, hints and errors\n"
    "  -v, --verbose        also print each request and its reply, one line each\n"
    "  --messages FILE      also write each message box as a JSON line (its style\n"
    "                       as a number and a name, and its text)\n"
    "  --report FILE        write the run as JSON: its times, the site (key masked),\n"
    "                       the last-sync dates used, the figures of the summary per\n"
    "                       entity and the replies of failed requests\n"
    "  --sales-tax-codes    also ask QuickBooks for its sales tax codes, so that items\n"
    "                       with a taxable code are sent as taxable (as the page\n"
    "                       parameter IncludeSalesTaxCodes=True does)\n"
    "  --safe-lines         in time and expense lines, replace \"|\" and line breaks\n"
    "                       inside free texts (notes, memos, names) by blanks, which\n"
    "                       the line format cannot carry (as the page parameter\n"
    "                       SafeLines=True does); without it such a line goes out as\n"
    "                       it stands and a hint names the record\n"
    "  --now \"MM/DD/YYYY HH:MM:SS\"\n"
    "                       the clock stands at this time (24-hour) for the whole\n"
    "                       run: upload and status times, default start dates\n"
    "\n"
    "The summary's columns: read (records of the kind QuickBooks gave), sent\n"
    "(statements posted, or \"N lines\" for time and expense, whose new, updated,\n"
    "warnings and failed count lines too; \"to send\" in a dry run), new and\n"
    "updated (rows the site stand-in inserted and rows its updates reached;\n"
    "\"unknown\" for another server), inactive (sent as updates only), unchanged\n"
    "(skipped: not changed since the last-sync date), left out (by a rule of the\n"
    "kind: payroll wage items neither salary nor hourly), warnings (the server's\n"
    "marks on what it took: lines it could not file, items or projects it added),\n"
    "failed (entries of uploads that did not land, or the entity's failure\n"
    "counter when it counts more).\n"
    "\n"
    "Progress: each pass's count tells what the pass did in the same words (the\n"
    "expenses' checks and bills apart), with the records read a second and its\n"
    "time; once the passes have lasted 3 s, an overall line tells the records\n"
    "read of the run's total and the time left. On a terminal they update in\n"
    "place; into a file or pipe they come every 5 s, and each pass's last figures\n"
    "when it ends.\n"
    "\n"
    "Exit status: 0 when the run reached its final message with every failure\n"
    "counter 0 and every request accepted; 3 when it did so but the server marked\n"
    "warnings; 1 for any other end of a run (a refused or unanswered request, a\n"
    "status update that did not land); 2 for a usage error; 130 after Ctrl-C.\n"
    "\n"
    "examples:\n"
    "  vantrel sync --page samples/page.html --quickbooks samples/Acme.QBW \\\n"
    "      --select classes,vendors --embedded-site\n"
    "  vantrel sync --page samples/page.html --quickbooks samples/Acme.QBW \\\n"
    "      --select-all --select time,expense --embedded-site --site-db site.sqlite\n"
    "  vantrel sync --page samples/page.html --quickbooks samples/Acme.QBW \\\n"
    "      --select employees --dry-run --script-dir out/\n"
    "  vantrel sync --page http://127.0.0.1:8080/page.html --param TessalyUser=jsmith \\\n"
    "      --param QBFilePath=samples/Acme.QBW --quickbooks samples/Acme.QBW --select-all\n";

int ParseRetries(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') return text[0] - '0';
  throw host::UsageError("--retries takes a whole number from 0 to 9, not '" + text + "'");
}

std::chrono::seconds ParseRequestTimeout(const std::string& text) {
  if (!text.empty() && text.size() <= 6 &&
      text.find_first_not_of("0123456789") == std::string::npos) {
    return std::chrono::seconds(std::stol(text));
  }
  throw host::UsageError("--request-timeout takes whole seconds from 0 to 999999, not '" + text +
                         "'");
}

// The options of the command line `parsed`, checked. Throws
// host::UsageError.
SyncOptions CheckSyncOptions(const host::ParsedArgs& parsed) {
  SyncOptions options;
  options.parsed = parsed;
  const std::pair<const char*, const char*> needs[] = {
      {"continue-on-error", "debug"},
      {"site-db", "embedded-site"},
      {"keep-site", "embedded-site"},
      {"script-dir", "dry-run"},
  };
  for (const auto& [option, needed] : needs) {
    if (parsed.Has(option) && !parsed.Has(needed)) {
      throw host::UsageError(std::string("--") + option + " needs --" + needed);
    }
  }
  if (parsed.Has("keep-site") && parsed.Has("site-db")) {
    throw host::UsageError("--keep-site is for the temporary database; --site-db keeps its own");
  }
  if (parsed.Has("quiet") && parsed.Has("verbose")) {
    throw host::UsageError("--quiet and --verbose cannot go together");
  }
  // Everything the run needs is checked before anything starts.
  options.selected = SelectedEntities(parsed.All("select"));
  if (options.selected.empty() && !parsed.Has("select-all")) {
    throw host::UsageError(
        "nothing to send: give --select LIST (employees, customers, classes, accounts, items, "
        "vendors, time, expense) or --select-all");
  }
  if (parsed.Has("now")) options.now = host::ParseFixedTime(parsed.Last("now"));
  options.requests = {.retries = parsed.Has("retries") ? ParseRetries(parsed.Last("retries")) : 2,
                      .dry_run = parsed.Has("dry-run"),
                      .script_dir = parsed.Last("script-dir")};
  if (parsed.Has("request-timeout")) {
    options.browser.transfer_timeout = ParseRequestTimeout(parsed.Last("request-timeout"));
  }
  return options;
}

}  // namespace

int RunSync(const std::vector<std::string>& args) {
  const host::OptionSpec spec = {
      {"select-all", "debug", "continue-on-error", "embedded-site", "sales-tax-codes", "dry-run",
       "keep-site", "quiet", "verbose", "safe-lines"},
      {"page", "param", "select", "quickbooks", "site-db", "messages", "report", "now",
       "script-dir", "retries", "request-timeout"}};
  return RunCommand("sync", kHelp, args, spec, false, [](const host::ParsedArgs& parsed) {
    SyncRun run(CheckSyncOptions(parsed));
    if (!run.Run()) return kExitInterrupted;
    return run.Finish();
  });
}

}  // namespace vantrel::cli
