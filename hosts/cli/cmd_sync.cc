#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
#include "site/site_server.h"
#include "wizard/mod_wizard.h"

namespace vantrel::cli {

namespace {

constexpr char kHelp[] =
    "usage: vantrel sync [--page FILE] [--param NAME=VALUE]... (--select LIST | --select-all)\n"
    "                    [--debug [--continue-on-error]] [--quickbooks COMPANY]\n"
    "                    [--embedded-site [--site-db FILE]] [--messages FILE] [--report FILE]\n"
    "                    [--sales-tax-codes] [--now \"MM/DD/YYYY HH:MM:SS\"]\n"
    "\n"
    "Runs the wizard: ticks the boxes, clicks \"Start &Sync\", and prints the stages\n"
    "and every message box. Ctrl-C clicks Cancel while a request waits.\n"
    "\n"
    "  --page FILE, --param NAME=VALUE   the control's parameters, as for 'screen'\n"
    "  --select LIST        tick these (comma-separated): employees, customers,\n"
    "                       classes, accounts, items, vendors, time, expense\n"
    "  --select-all         click \"Select All\" (time and expense stay as --select says)\n"
    "  --debug              tick debug mode: one statement per upload\n"
    "  --continue-on-error  in debug mode, select \"Continue on error\"\n"
    "  --quickbooks FILE    QuickBooks runs with this company file open (without it,\n"
    "                       QuickBooks is not running)\n"
    "  --embedded-site      when the parameters give no WGSecureServerURL, serve the\n"
    "                       site's pages in process on a free loopback port\n"
    "  --site-db FILE       the embedded site's SQLite database (default: a new file\n"
    "                       in a temporary folder)\n"
    "  --messages FILE      also write each message box as a JSON line\n"
    "  --report FILE        write the control's public properties and the entity\n"
    "                       counts as JSON after the run\n"
    "  --sales-tax-codes    also ask QuickBooks for its sales tax codes, so that items\n"
    "                       with a taxable code are sent as taxable (as the page\n"
    "                       parameter IncludeSalesTaxCodes=True does)\n"
    "  --now \"MM/DD/YYYY HH:MM:SS\"\n"
    "                       the clock stands at this time (24-hour) for the whole\n"
    "                       run: upload and status times, default start dates\n"
    "\n"
    "Exit status: 0 when the run reached its final message with every failure\n"
    "counter 0; 1 for any other end of a run; 2 for a usage error; 130 after\n"
    "Ctrl-C.\n"
    "\n"
    "examples:\n"
    "  vantrel sync --page samples/page.html --quickbooks samples/Acme.QBW \\\n"
    "      --select classes,vendors --embedded-site\n"
    "  vantrel sync --page samples/page.html --quickbooks samples/Acme.QBW \\\n"
    "      --select-all --select time,expense --embedded-site --report run.json\n";

std::string Report(const VantrelCtl& c, const std::string& site_db) {
  const EntityCounts& n = c.last_run_counts();
  auto b = [](bool v) { return std::string(v ? "true" : "false"); };
  auto s = [](const std::string& v) { return JsonString(v); };
  auto l = [](long v) { return std::to_string(v); };
  std::string json = "{\n";
  auto field = [&](const char* name, const std::string& value, bool last = false) {
    json += std::string("  \"") + name + "\": " + value + (last ? "\n" : ",\n");
  };
  field("wgUtilitySet", l(c.wgUtilitySet));
  field("ResetTessaly", b(c.ResetTessaly));
  field("WGSecureServerURL", s(c.WGSecureServerURL));
  field("SiteCode", s(c.SiteCode));
  field("SiteKey", s(c.SiteKey));
  field("BMClientVersion", s(c.BMClientVersion));
  field("CustLexicon", s(c.CustLexicon));
  field("EmpLexicon", s(c.EmpLexicon));
  field("ProjLexicon", s(c.ProjLexicon));
  field("SILexicon", s(c.SILexicon));
  field("SubProjLexicon", s(c.SubProjLexicon));
  field("TessalyUser", s(c.TessalyUser));
  field("QBFilePath", s(c.QBFilePath));
  field("WGLastUploadDate", s(c.WGLastUploadDate.GeneralText()));
  field("nOptions", s(c.nOptions));
  field("lngFailedCustCnt", l(c.lngFailedCustCnt));
  field("lngFailedEmpCnt", l(c.lngFailedEmpCnt));
  field("lngFailedProjCnt", l(c.lngFailedProjCnt));
  field("lngFailedItemCnt", l(c.lngFailedItemCnt));
  field("lngFailedGLCnt", l(c.lngFailedGLCnt));
  field("lngFailedClassCnt", l(c.lngFailedClassCnt));
  field("lngFailedVendCnt", l(c.lngFailedVendCnt));
  field("DebugMode", b(c.DebugMode));
  field("mDisplayTSError", b(c.mDisplayTSError));
  field("lngFailedTimeCnt", l(c.lngFailedTimeCnt));
  field("lngFailedExpCnt", l(c.lngFailedExpCnt));
  field("mDisplayEXPError", b(c.mDisplayEXPError));
  field("IncludeSalesTaxCodes", b(c.IncludeSalesTaxCodes));
  std::string counts;
  for (const EntityInfo& entity : Entities()) {
    counts += counts.empty() ? "{" : ", ";
    counts += "\"" + std::string(entity.name) + "\": " + l(n.*entity.count);
  }
  field("counts", counts + "}");
  field("runEnd", s(host::RunEndName(c.last_run_end())));
  field("failedUploads", l(c.last_run_failures()));
  field("lastResult", l(c.run().mLastResult));
  field("serverReply", s(modWizard().strServerReply));
  field("siteDatabase", site_db.empty() ? "null" : s(site_db), true);
  return json + "}\n";
}

void WriteFileOrThrow(const std::string& path, const std::string& text, const char* what) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw host::UsageError(std::string("cannot write ") + what + " '" + path + "'");
}

// What the embedded site's database holds after the run, a line a table.
void PrintSiteTables(const site::SiteServer& server) {
  try {
    const auto tables =
        server.Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    std::printf("site database:\n");
    for (const auto& row : tables) {
      const auto count = server.Query("SELECT COUNT(*) FROM \"" + row.at(0) + "\"");
      std::printf("  %-24s %s rows\n", row.at(0).c_str(), count.at(0).at(0).c_str());
    }
  } catch (const std::exception& e) {
    std::printf("site database: cannot be read (%s)\n", e.what());
  }
}

// The command line's own word under a message box: what caused it here and
// how to fix it; "" when there is nothing to add.
std::string Hint(const std::string& text, const VantrelCtl& ctl, const host::ParsedArgs& parsed,
                 bool quickbooks_given) {
  if (text.starts_with("Your Quickbooks file is not open")) {
    return quickbooks_given ? "the company file says QuickBooks is not running (its root has "
                              "running=\"false\" or session=\"none\")"
                            : "QuickBooks is not running for this command: give --quickbooks "
                              "FILE to open a company file in the QuickBooks stand-in";
  }
  if (text.starts_with("You need to provide WGSecureServerURL")) {
    std::string missing;
    const std::pair<const char*, const std::string*> properties[] = {
        {"WGSecureServerURL", &ctl.WGSecureServerURL},
        {"QBFilePath", &ctl.QBFilePath},
        {"SiteCode", &ctl.SiteCode},
        {"SiteKey", &ctl.SiteKey},
        {"TessalyUser", &ctl.TessalyUser}};
    for (const auto& [name, value] : properties) {
      if (value->find_first_not_of(' ') != std::string::npos) continue;
      missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    return "missing: " + missing +
           "; give each as --param NAME=VALUE or in the page (--page FILE)" +
           (parsed.Has("embedded-site") ? "" : "; --embedded-site serves a site in process");
  }
  if (text.starts_with("Cannot find '")) {
    return "QBFilePath names no file here: give --param QBFilePath=FILE";
  }
  if (text.starts_with("Your Current Quickbooks file '")) {
    return "QBFilePath must name the company QuickBooks has open: --quickbooks FILE opens it";
  }
  if (text.starts_with("Could not connect to the Wellgate. Your account")) {
    return "the site at " + ctl.WGSecureServerURL + " refused SiteCode '" + ctl.SiteCode +
           "' with its key; check --param SiteCode and --param SiteKey";
  }
  if (text.starts_with("Could not connect to the Wellgate. Please check")) {
    return "no reply from " + ctl.WGSecureServerURL +
           ": is the site's server running there? (--embedded-site serves one in process)";
  }
  return "";
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
}

}  // namespace

int RunSync(const std::vector<std::string>& args) {
  host::ParsedArgs parsed;
  try {
    parsed = host::ParseArgs(
        args,
        {{"help", "select-all", "debug", "continue-on-error", "embedded-site", "sales-tax-codes"},
         {"page", "param", "select", "quickbooks", "site-db", "messages", "report", "now"}});
    if (parsed.Has("help")) {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (!parsed.positional.empty())
      throw host::UsageError("unexpected '" + parsed.positional[0] + "'");
    if (parsed.Has("continue-on-error") && !parsed.Has("debug")) {
      throw host::UsageError("--continue-on-error needs --debug");
    }
    if (parsed.Has("site-db") && !parsed.Has("embedded-site")) {
      throw host::UsageError("--site-db needs --embedded-site");
    }
    // Everything the run needs is checked before anything starts.
    const std::vector<const EntityInfo*> selected = SelectedEntities(parsed.All("select"));
    if (selected.empty() && !parsed.Has("select-all")) {
      throw host::UsageError(
          "nothing to send: give --select LIST (employees, customers, classes, accounts, items, "
          "vendors, time, expense) or --select-all");
    }
    for (const char* output : {"report", "messages"}) {
      if (parsed.Has(output)) CheckOutputFolder(parsed.Last(output), output);
    }
    std::optional<platform::DateTime> now;
    if (parsed.Has("now")) now = host::ParseFixedTime(parsed.Last("now"));
    const platform::PropertyBag bag = host::BuildBag(parsed);

    // Ctrl-C from here on: a run is cancelled at its next wait, and the
    // program ends with 130 saying what had landed.
    CliHost::InstallInterruptHandler();
    host::QuickBooksStandin quickbooks;
    quickbooks.set_one_run(true);  // one run: the company goes once it has answered
    if (parsed.Has("quickbooks")) quickbooks.Open(parsed.Last("quickbooks"));
    platform::SystemEnv env(quickbooks.ProcessorFactory());
    if (now) env.FixClock(*now);
    CliHost forms_host(stdout, true);
    VantrelCtl ctl(env, forms_host);
    forms_host.set_control(&ctl);
    host::LoadBag(ctl, bag);
    if (parsed.Has("sales-tax-codes")) ctl.IncludeSalesTaxCodes = true;

    // The embedded site stands in for the server pages when the page names none.
    std::unique_ptr<site::SiteServer> site_server;
    std::string site_db;
    if (parsed.Has("embedded-site")) {
      const auto url = bag.Read("WGSecureServerURL");
      if (url && url->find_first_not_of(' ') != std::string::npos) {
        std::printf("note: the parameters give WGSecureServerURL; --embedded-site is not used\n");
      } else {
        site_db = parsed.Has("site-db") ? parsed.Last("site-db") : host::TemporarySiteDb();
        site_server = host::StartEmbeddedSite(site_db, ctl.SiteCode, ctl.SiteKey);
        ctl.WGSecureServerURL = site_server->base_url();
        std::printf("embedded site at %s, database %s\n", ctl.WGSecureServerURL.c_str(),
                    site_db.c_str());
      }
    }

    WizardScreen& screen = ctl.screen();
    if (parsed.Has("select-all")) screen.cmdSelectAll.Click();
    for (const EntityInfo* entity : selected) (screen.*entity->box).set_value(1);
    if (parsed.Has("debug")) screen.chkDebugMode.set_value(1);
    if (parsed.Has("continue-on-error")) screen.optContinue.set_value(true);

    if (CliHost::interrupted()) {
      std::fprintf(stderr, "interrupted before the run started: nothing was sent\n");
      return kExitInterrupted;
    }
    forms_host.set_hint(
        [&](const std::string& text) { return Hint(text, ctl, parsed, parsed.Has("quickbooks")); });
    std::printf("Start Sync\n");
    std::fflush(stdout);
    screen.cmdNav[3].Click();
    if (site_server) {
      PrintSiteTables(*site_server);
      site_server->Stop();
    }

    if (parsed.Has("messages")) {
      std::string lines;
      for (const RecordedMessage& m : forms_host.messages()) {
        lines += "{\"style\":" + std::to_string(static_cast<int>(m.style)) +
                 ",\"text\":" + JsonString(m.text) + "}\n";
      }
      WriteFileOrThrow(parsed.Last("messages"), lines, "messages file");
    }
    if (parsed.Has("report")) {
      WriteFileOrThrow(parsed.Last("report"), Report(ctl, site_db), "report");
    }
    const RunEnd end = ctl.last_run_end();
    const bool ok = host::RunReachedItsEnd(end) && ctl.last_run_failures() == 0;
    std::printf("run ended: %s\n", host::RunEndName(end));
    if (CliHost::interrupted()) {
      std::string landed;
      for (const EntityInfo& entity : Entities()) {
        const long count = ctl.last_run_counts().*entity.count;
        if (count == 0) continue;
        landed +=
            (landed.empty() ? "" : ", ") + std::string(entity.name) + " " + std::to_string(count);
      }
      std::fprintf(stderr,
                   "interrupted: entries written before the cancel: %s (a batch under way when "
                   "it came was not sent; run the same command again to send the rest)\n",
                   landed.empty() ? "none" : landed.c_str());
      return kExitInterrupted;
    }
    return ok ? kExitOk : kExitRunFailed;
  } catch (const host::UsageError& e) {
    std::fprintf(stderr, "vantrel sync: %s\n(see 'vantrel sync --help')\n", e.what());
    return kExitUsage;
  }
}

}  // namespace vantrel::cli
