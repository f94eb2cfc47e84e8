#include "sync_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "commands.h"
#include "common/bag_loading.h"
#include "common/run_end.h"
#include "common/sync_hints.h"
#include "control_setup.h"
#include "platform/text_util.h"
#include "request_lines.h"

namespace vantrel::cli {

using host::AfterRunHints;
using host::Hint;
using host::HintContext;
using host::InterruptedNote;

// An output file of the run, made before any work so that a path that
// cannot be written is refused at once; removed again when the program ends
// before the run could write it.
class OutputFile {
 public:
  OutputFile(std::string path, const char* what) : path_(std::move(path)), what_(what) {
    CheckFolder();
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
  // Refuses a file whose folder is not there, or a folder.
  void CheckFolder() const {
    std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    const std::string cannot = std::string("cannot write the ") + what_ + " file '" + path_ + "': ";
    if (!std::filesystem::is_directory(folder, error)) {
      throw host::UsageError(
          cannot + "'" + folder.string() + "' " +
          (std::filesystem::exists(folder, error) ? "is not a folder" : "does not exist"));
    }
    if (std::filesystem::is_directory(path_, error)) {
      throw host::UsageError(cannot + "it is a folder; give a file name");
    }
  }

  std::string path_;
  const char* what_;
  std::FILE* file_ = nullptr;
};

namespace {

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
    sources[key] = parsed.GivesParam(key) ? "param" : Blank(bag.Read(key)) ? "default" : "page";
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

std::string MessagesJsonLines(const std::vector<RecordedMessage>& messages) {
  std::string lines;
  for (const RecordedMessage& m : messages) {
    lines += "{\"style\":" + std::to_string(static_cast<int>(m.style)) + ",\"styleName\":\"" +
             (m.style == platform::MessageStyle::kCritical ? "critical" : "information") + "\"" +
             ",\"text\":" + JsonString(m.text) + "}\n";
  }
  return lines;
}

}  // namespace

SyncRun::SyncRun(SyncOptions options)
    : options_(std::move(options)),
      setup_(options_.requests),
      forms_host_(stdout, !options_.parsed.Has("quiet")) {
  for (const char* output : {"report", "messages"}) {
    if (!options_.parsed.Has(output)) continue;
    (output == std::string("report") ? report_file_ : messages_file_) =
        std::make_unique<OutputFile>(options_.parsed.Last(output), output);
  }
  bag_ = host::BuildBag(options_.parsed);
  date_sources_ = DateSources(options_.parsed, bag_);
}

SyncRun::~SyncRun() = default;

void SyncRun::SetUp() {
  setup_.quickbooks().set_one_run(true);  // one run: the company goes once it has answered
  platform::RequestLog& requests = setup_.requests();
  requests.set_hooks(forms_host_.ClearingProgress(
      PrintingHooks(options_.parsed.Has("verbose") ? stdout : nullptr, setup_.requests())));
  requests.set_cancelled([] { return CliHost::interrupted(); });
  setup_.system_env().set_browser_options(options_.browser);
  if (options_.now) setup_.system_env().FixClock(*options_.now);
  ctl_.emplace(setup_.env(), forms_host_);
  forms_host_.set_control(&*ctl_);
  forms_host_.set_dry_run(dry_run());
  host::LoadBag(*ctl_, bag_);
  // Every parameter converts (checked by that load) before anything is
  // opened or made: the company, the dry run's folder, the embedded site
  // and its database.
  const host::ParsedArgs& parsed = options_.parsed;
  if (parsed.Has("quickbooks")) setup_.quickbooks().Open(parsed.Last("quickbooks"));
  if (parsed.Has("script-dir")) PrepareScriptDir(parsed.Last("script-dir"));
  if (parsed.Has("embedded-site")) StartEmbeddedSite();
  const auto taken =
      setup_.PrepareRun(*ctl_, bag_, [&](std::string_view key) { return parsed.GivesParam(key); });
  for (const std::string& key : taken) date_sources_[key] = "site";
  // An address that is no web address would only fail at the first upload.
  const std::string& address = ctl_->WGSecureServerURL;
  if (!Blank(address) && !host::IsPageAddress(platform::ToLowerAscii(address))) {
    throw host::UsageError("WGSecureServerURL must be an http:// or https:// address, not '" +
                           address + "'");
  }
  if (parsed.Has("sales-tax-codes")) ctl_->IncludeSalesTaxCodes = true;
  if (parsed.Has("safe-lines")) ctl_->SafeLines = true;
  // Where a kept database is, even on a quiet run: it is the run's result.
  if (setup_.site() != nullptr && (!quiet() || !record_.site_db.empty())) {
    std::printf(
        "embedded site at %s, database %s%s\n", ctl_->WGSecureServerURL.c_str(),
        setup_.site_db().c_str(),
        record_.site_db.empty() ? " (removed after the run; --site-db FILE keeps one)" : "");
  }
}

// The embedded site stands in for the server pages when the page names
// none; its own page gives the last-sync dates of the runs before.
void SyncRun::StartEmbeddedSite() {
  const host::ParsedArgs& parsed = options_.parsed;
  if (!Blank(bag_.Read("WGSecureServerURL"))) {
    std::printf("note: the parameters give WGSecureServerURL; --embedded-site is not used\n");
    return;
  }
  const bool kept = parsed.Has("site-db") || parsed.Has("keep-site");
  setup_.set_keep_temporary(kept);
  setup_.StartSite(parsed.Last("site-db"), bag_.Read("SiteCode").value_or(""),
                   bag_.Read("SiteKey").value_or(""));
  if (kept) record_.site_db = setup_.site_db();
}

void SyncRun::ClickTheBoxes() {
  WizardScreen& screen = ctl_->screen();
  if (options_.parsed.Has("select-all")) screen.cmdSelectAll.Click();
  for (const EntityRow* entity : options_.selected) {
    (screen.*Binding(entity->kind).box).set_value(1);
  }
  if (options_.parsed.Has("debug")) screen.chkDebugMode.set_value(1);
  if (options_.parsed.Has("continue-on-error")) screen.optContinue.set_value(true);
}

bool SyncRun::Run() {
  // Ctrl-C from here on: a run is cancelled at its next wait, and the
  // program ends with 130 saying what had landed.
  CliHost::InstallInterruptHandler();
  record_.started = WallClockText();
  record_.dry_run = dry_run();
  start_ = std::chrono::steady_clock::now();
  SetUp();
  if (!quiet()) PrintLastSyncDates(LastSyncUsed(*ctl_, date_sources_));
  ClickTheBoxes();
  if (CliHost::interrupted()) {
    std::fprintf(stderr, "interrupted before the run started: nothing was sent\n");
    return false;
  }
  const HintContext hints{.quickbooks_given = options_.parsed.Has("quickbooks"),
                          .embedded_site_given = options_.parsed.Has("embedded-site"),
                          .watch = &setup_.requests()};
  forms_host_.set_hint([this, hints] { return Hint(*ctl_, hints); });
  if (!quiet()) std::printf("Start Sync%s\n", dry_run() ? " (dry run: nothing is sent)" : "");
  std::fflush(stdout);
  ctl_->screen().cmdNav[3].Click();
  return true;
}

int SyncRun::Finish() {
  const platform::RequestLog& requests = setup_.requests();
  record_.last_sync = LastSyncUsed(*ctl_, date_sources_);
  host::TakeSiteReplies(requests, record_);
  if (setup_.site() != nullptr) {
    if (!quiet() && !dry_run()) PrintSiteTables(*setup_.site());
    setup_.StopSite();
  }
  record_.ended = WallClockText();
  record_.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (!quiet()) {
    if (dry_run()) std::fputs(DryRunLines(requests).c_str(), stdout);
    std::fputs(SummaryTable(*ctl_, record_).c_str(), stdout);
  }
  std::fflush(stdout);
  for (const std::string& hint : AfterRunHints(*ctl_, record_, requests)) {
    std::fprintf(stderr, "hint: %s\n", hint.c_str());
  }
  bool written = true;
  if (messages_file_) {
    written = messages_file_->Write(MessagesJsonLines(forms_host_.messages())) && written;
  }
  if (report_file_) written = report_file_->Write(ReportJson(*ctl_, record_, requests)) && written;
  return ExitStatus(written);
}

int SyncRun::ExitStatus(bool written) {
  if (CliHost::interrupted()) {
    if (!quiet()) std::printf("run ended: interrupted\n");
    std::fprintf(stderr, "%s\n", InterruptedNote(setup_.requests()).c_str());
    return kExitInterrupted;
  }
  const int status = SyncExitStatus(*ctl_, setup_.requests());
  if (!quiet()) {
    std::printf("run ended: %s%s%s\n", host::RunEndName(ctl_->last_run_end()),
                status == kExitWarnings ? ", with warnings from the site (see the hints)" : "",
                dry_run() ? " (a dry run: nothing was sent; the messages are what the site's "
                            "acceptance of every request would give)"
                          : "");
  }
  return written ? status : kExitRunFailed;
}

}  // namespace vantrel::cli
