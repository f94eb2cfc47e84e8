#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "cli_host.h"
#include "commands.h"
#include "common/bag_loading.h"
#include "common/embedded_site.h"
#include "common/quickbooks_standin.h"
#include "common/run_end.h"
#include "control_setup.h"
#include "platform/env.h"
#include "platform/text_util.h"
#include "request_watch.h"
#include "run_summary.h"
#include "site/site_server.h"
#include "sync_hints.h"

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
    "                       classes, accounts, items, vendors, time, expense\n"
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
    "  --messages FILE      also write each message box as a JSON line\n"
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
    "(statements or lines posted), new and updated (rows the site stand-in\n"
    "inserted and rows its updates reached; \"unknown\" for another server),\n"
    "inactive (sent as updates only), unchanged (skipped: not changed since the\n"
    "last-sync date), warnings (the server's marks on what it took: lines it could\n"
    "not file, items or projects it added), failed (entries of uploads that did\n"
    "not land, or the entity's failure counter when it counts more).\n"
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

// An output file of the run, made before any work so that a path that
// cannot be written is refused at once; removed again when the program ends
// before the run could write it.
class OutputFile {
 public:
  OutputFile(std::string path, const char* what) : path_(std::move(path)), what_(what) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) {
      throw host::UsageError(std::string("cannot write the ") + what_ + " file '" + path_ +
                             "': " + std::strerror(errno));
    }
  }
  ~OutputFile() {
    if (file_ == nullptr) return;
    std::fclose(file_);
    std::error_code error;
    std::filesystem::remove(path_, error);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes `text` and closes the file; false (having said so) when it fails.
  bool Write(const std::string& text) {
    const bool ok = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (ok && closed) return true;
    std::fprintf(stderr, "vantrel sync: cannot write the %s file '%s': %s\n", what_, path_.c_str(),
                 std::strerror(errno));
    return false;
  }

 private:
  std::string path_;
  const char* what_;
  std::FILE* file_ = nullptr;
};

// What the embedded site's database holds after the run, a line a table.
void PrintSiteTables(const site::SiteServer& server) {
  try {
    const auto tables = server.TableCounts();
    std::printf("site database:\n");
    for (const auto& [table, rows] : tables) {
      std::printf("  %-24s %lld rows\n", table.c_str(), rows);
    }
  } catch (const std::exception& e) {
    std::printf("site database: cannot be read (%s)\n", e.what());
  }
}

// Refuses an output file whose folder is not there, before the run.
void CheckOutputFolder(const std::string& path, const char* what) {
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    throw host::UsageError(std::string("cannot write the ") + what + " file '" + path +
                           "': the folder '" + folder.string() + "' does not exist");
  }
  if (std::filesystem::is_directory(path, error)) {
    throw host::UsageError(std::string("cannot write the ") + what + " file '" + path +
                           "': it is a folder; give a file name");
  }
}

// Makes the dry run's folder when it is missing; refuses one that holds
// anything, so that its files are this run's alone.
void PrepareScriptDir(const std::string& dir) {
  std::error_code error;
  if (std::filesystem::exists(dir, error)) {
    if (!std::filesystem::is_directory(dir, error)) {
      throw host::UsageError("--script-dir '" + dir + "' is not a folder");
    }
    if (!std::filesystem::is_empty(dir, error)) {
      throw host::UsageError("--script-dir '" + dir + "' is not empty: give a new or empty folder");
    }
    return;
  }
  if (!std::filesystem::create_directories(dir, error)) {
    throw host::UsageError("cannot make the folder '" + dir +
                           "' of --script-dir: " + error.message());
  }
}

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

bool GivenAsParam(const host::ParsedArgs& parsed, std::string_view name) {
  for (const std::string& param : parsed.All("param")) {
    const std::size_t eq = param.find('=');
    if (eq != std::string::npos && platform::EqualsNoCase(param.substr(0, eq), name)) return true;
  }
  return false;
}

bool Blank(const std::optional<std::string>& value) {
  return !value || value->find_first_not_of(" \t") == std::string::npos;
}

// Where each last-sync date of the bag comes from, before the site's page
// adds its own.
std::map<std::string, std::string> DateSources(const host::ParsedArgs& parsed,
                                               const platform::PropertyBag& bag) {
  std::map<std::string, std::string> sources;
  for (const EntityRow* owner : LastSyncOwners()) {
    const std::string key(owner->last_sync_key);
    sources[key] = GivenAsParam(parsed, key) ? "param" : Blank(bag.Read(key)) ? "default" : "page";
  }
  return sources;
}

std::vector<LastSyncUse> LastSyncUsed(const VantrelCtl& ctl,
                                      const std::map<std::string, std::string>& sources) {
  std::vector<LastSyncUse> used;
  for (const EntityRow* owner : LastSyncOwners()) {
    const std::string key(owner->last_sync_key);
    used.push_back({key, ctl.LastSyncDate(*owner).AuditText(),
                    sources.count(key) ? sources.at(key) : "default"});
  }
  return used;
}

void PrintLastSyncDates(const std::vector<LastSyncUse>& used) {
  std::printf("last-sync dates:\n");
  for (const LastSyncUse& use : used) {
    std::printf("  %-24s %s  (%s)\n", use.key.c_str(), use.date.c_str(), use.source.c_str());
  }
}

// Removes the embedded site's temporary folder when the run is over.
class TemporaryFolder {
 public:
  ~TemporaryFolder() {
    if (path_.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  void Set(std::filesystem::path path) { path_ = std::move(path); }

 private:
  std::filesystem::path path_;
};

}  // namespace

int RunSync(const std::vector<std::string>& args) {
  host::ParsedArgs parsed;
  try {
    parsed = host::ParseArgs(
        args, {{"help", "select-all", "debug", "continue-on-error", "embedded-site",
                "sales-tax-codes", "dry-run", "keep-site", "quiet", "verbose", "safe-lines"},
               {"page", "param", "select", "quickbooks", "site-db", "messages", "report", "now",
                "script-dir", "retries", "request-timeout"}});
    if (parsed.Has("help")) {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (!parsed.positional.empty())
      throw host::UsageError("unexpected '" + parsed.positional[0] + "'");
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
    const std::vector<const EntityRow*> selected = SelectedEntities(parsed.All("select"));
    if (selected.empty() && !parsed.Has("select-all")) {
      throw host::UsageError(
          "nothing to send: give --select LIST (employees, customers, classes, accounts, items, "
          "vendors, time, expense) or --select-all");
    }
    std::optional<platform::DateTime> now;
    if (parsed.Has("now")) now = host::ParseFixedTime(parsed.Last("now"));
    const int retries = parsed.Has("retries") ? ParseRetries(parsed.Last("retries")) : 2;
    platform::CurlBrowserOptions browser_options;
    if (parsed.Has("request-timeout")) {
      browser_options.transfer_timeout = ParseRequestTimeout(parsed.Last("request-timeout"));
    }
    std::optional<OutputFile> report_file, messages_file;
    for (const char* output : {"report", "messages"}) {
      if (!parsed.Has(output)) continue;
      CheckOutputFolder(parsed.Last(output), output);
      (output == std::string("report") ? report_file : messages_file)
          .emplace(parsed.Last(output), output);
    }
    const bool quiet = parsed.Has("quiet");
    const bool dry_run = parsed.Has("dry-run");
    platform::PropertyBag bag = host::BuildBag(parsed);
    std::map<std::string, std::string> date_sources = DateSources(parsed, bag);

    // Ctrl-C from here on: a run is cancelled at its next wait, and the
    // program ends with 130 saying what had landed.
    CliHost::InstallInterruptHandler();
    const std::string started = WallClockText();
    const auto start = std::chrono::steady_clock::now();
    host::QuickBooksStandin quickbooks;
    quickbooks.set_one_run(true);  // one run: the company goes once it has answered
    RequestWatch watch({.verbose = parsed.Has("verbose") ? stdout : nullptr,
                        .retries = retries,
                        .dry_run = dry_run,
                        .script_dir = parsed.Last("script-dir")});
    watch.set_cancelled([] { return CliHost::interrupted(); });
    WatchedEnv env(quickbooks.ProcessorFactory(), watch);
    env.set_browser_options(browser_options);
    if (now) env.FixClock(*now);

    CliHost forms_host(stdout, !quiet);
    VantrelCtl ctl(env, forms_host);
    forms_host.set_control(&ctl);
    host::LoadBag(ctl, bag);
    // Every parameter converts (checked by that load) before anything is
    // opened or made: the company, the dry run's folder, the embedded site
    // and its database.
    if (parsed.Has("quickbooks")) quickbooks.Open(parsed.Last("quickbooks"));
    if (parsed.Has("script-dir")) PrepareScriptDir(parsed.Last("script-dir"));
    // The embedded site stands in for the server pages when the page names
    // none; its own page gives the last-sync dates of the runs before.
    std::unique_ptr<site::SiteServer> site_server;
    std::string site_db;
    TemporaryFolder temporary;
    if (parsed.Has("embedded-site")) {
      if (!Blank(bag.Read("WGSecureServerURL"))) {
        std::printf("note: the parameters give WGSecureServerURL; --embedded-site is not used\n");
      } else {
        site_db = parsed.Has("site-db") ? parsed.Last("site-db") : host::TemporarySiteDb();
        if (!parsed.Has("site-db") && !parsed.Has("keep-site")) {
          temporary.Set(std::filesystem::path(site_db).parent_path());
        }
        site_server = host::StartEmbeddedSite(site_db, bag.Read("SiteCode").value_or(""),
                                              bag.Read("SiteKey").value_or(""));
        // The site's page gives the dates of the runs before, unless a
        // --param gives one.
        const auto taken = host::TakeSiteDates(
            *site_server, bag, [&](std::string_view key) { return GivenAsParam(parsed, key); });
        for (const std::string& key : taken) date_sources[key] = "site";
        host::LoadBag(ctl, bag);
      }
    }

    if (parsed.Has("sales-tax-codes")) ctl.IncludeSalesTaxCodes = true;
    if (parsed.Has("safe-lines")) ctl.SafeLines = true;
    watch.set_site_key(ctl.SiteKey);
    if (site_server) {
      ctl.WGSecureServerURL = site_server->base_url();
      if (!quiet) {
        std::printf("embedded site at %s, database %s%s\n", ctl.WGSecureServerURL.c_str(),
                    site_db.c_str(),
                    parsed.Has("site-db") || parsed.Has("keep-site")
                        ? ""
                        : " (removed after the run; --site-db FILE keeps one)");
      }
    } else if (dry_run && ctl.WGSecureServerURL.find_first_not_of(' ') == std::string::npos) {
      // The control needs an address; nothing is sent to it.
      ctl.WGSecureServerURL = "http://dry-run.invalid/";
    }
    if (!quiet) PrintLastSyncDates(LastSyncUsed(ctl, date_sources));

    WizardScreen& screen = ctl.screen();
    if (parsed.Has("select-all")) screen.cmdSelectAll.Click();
    for (const EntityRow* entity : selected) (screen.*Binding(entity->kind).box).set_value(1);
    if (parsed.Has("debug")) screen.chkDebugMode.set_value(1);
    if (parsed.Has("continue-on-error")) screen.optContinue.set_value(true);

    if (CliHost::interrupted()) {
      std::fprintf(stderr, "interrupted before the run started: nothing was sent\n");
      return kExitInterrupted;
    }
    const HintContext hints{.quickbooks_given = parsed.Has("quickbooks"),
                            .embedded_site_given = parsed.Has("embedded-site"),
                            .watch = &watch};
    forms_host.set_hint([&] { return Hint(ctl, hints); });
    if (!quiet) std::printf("Start Sync%s\n", dry_run ? " (dry run: nothing is sent)" : "");
    std::fflush(stdout);
    screen.cmdNav[3].Click();

    RunRecord record;
    record.started = started;
    record.dry_run = dry_run;
    record.site_db = parsed.Has("site-db") || parsed.Has("keep-site") ? site_db : "";
    record.last_sync = LastSyncUsed(ctl, date_sources);
    TakeSiteReplies(watch, record);
    if (site_server) {
      if (!quiet && !dry_run) PrintSiteTables(*site_server);
      site_server->Stop();
    }
    record.ended = WallClockText();
    record.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!quiet) {
      if (dry_run) std::fputs(DryRunLines(watch).c_str(), stdout);
      std::fputs(SummaryTable(ctl, record).c_str(), stdout);
    }
    std::fflush(stdout);
    for (const std::string& hint : AfterRunHints(ctl, record, watch)) {
      std::fprintf(stderr, "hint: %s\n", hint.c_str());
    }

    bool written = true;
    if (messages_file) {
      std::string lines;
      for (const RecordedMessage& m : forms_host.messages()) {
        lines += "{\"style\":" + std::to_string(static_cast<int>(m.style)) +
                 ",\"text\":" + JsonString(m.text) + "}\n";
      }
      written = messages_file->Write(lines) && written;
    }
    if (report_file) written = report_file->Write(ReportJson(ctl, record, watch)) && written;
    if (CliHost::interrupted()) {
      if (!quiet) std::printf("run ended: interrupted\n");
      std::fprintf(stderr, "%s\n", InterruptedNote(watch).c_str());
      return kExitInterrupted;
    }
    const int status = SyncExitStatus(ctl, watch);
    if (!quiet) {
      std::printf("run ended: %s%s\n", host::RunEndName(ctl.last_run_end()),
                  status == kExitWarnings ? ", with warnings from the site (see the hints)" : "");
    }
    return written ? status : kExitRunFailed;
  } catch (const host::UsageError& e) {
    std::fprintf(stderr, "vantrel sync: %s\n(see 'vantrel sync --help')\n", e.what());
    return kExitUsage;
  }
}

}  // namespace vantrel::cli
