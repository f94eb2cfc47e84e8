#include "run_summary.h"

#include <cstdio>
#include <map>

#include "cli_host.h"
#include "commands.h"
#include "common/results_table.h"
#include "common/run_end.h"
#include "control/public_properties.h"
#include "platform/text_util.h"

namespace vantrel::cli {

namespace {

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  return text;
}

// The lines whose free texts held "|" or line breaks, a JSON array.
std::string LineTextsJson(const std::vector<LineTextIssue>& issues) {
  std::string out;
  for (const LineTextIssue& issue : issues) {
    out += out.empty() ? "[\n" : ",\n";
    out += "    {\"letter\": " + JsonString(std::string(1, issue.letter)) +
           ", \"txnID\": " + JsonString(issue.key) + ", \"field\": " + JsonString(issue.field) +
           ", \"replacedByBlanks\": " + (issue.replaced ? "true" : "false") + "}";
  }
  return out.empty() ? "[]" : out + "\n  ]";
}

std::string SiteWarningsJson(const RunRecord& record) {
  std::string out;
  for (const SiteWarning& w : record.site_warnings) {
    out += out.empty() ? "[\n" : ",\n";
    out += "    {\"letter\": " + JsonString(w.letter) + ", \"line\": " + std::to_string(w.line) +
           ", \"key\": " + JsonString(w.key) + ", \"missing\": " + JsonString(w.missing) +
           ", \"listID\": " + JsonString(w.list_id) + "}";
  }
  return out + "\n  ]";
}

// The control's public properties after the run, by their interface names,
// the site key masked.
std::string ControlJson(const VantrelCtl& ctl, const platform::RequestLog& watch) {
  std::string out = "{";
  for (const PublicProperty& p : PublicProperties(ctl)) {
    out += out.size() > 1 ? ",\n    " : "\n    ";
    out += JsonString(std::string(p.name)) + ": ";
    if (const long* n = std::get_if<long>(&p.value)) {
      out += std::to_string(*n);
    } else if (const bool* b = std::get_if<bool>(&p.value)) {
      out += *b ? "true" : "false";
    } else if (const std::string* text = std::get_if<std::string>(&p.value)) {
      out += JsonString(p.name == "SiteKey" ? MaskKey(*text) : watch.Masked(*text));
    } else {
      out += JsonString(std::get<platform::DateTime>(p.value).GeneralText());
    }
  }
  return out + "\n  }";
}

}  // namespace

int SyncExitStatus(const VantrelCtl& ctl, const platform::RequestLog& watch) {
  if (!host::RunReachedItsEnd(ctl.last_run_end()) || ctl.last_run_failures() != 0) {
    return kExitRunFailed;
  }
  long warnings = 0;
  for (const PassFigures& f : ctl.last_run_figures()) {
    if (f.lost != 0) return kExitRunFailed;
    warnings += f.warnings;
  }
  for (const platform::LoggedRequest& request : watch.requests()) {
    if (Failed(request)) return kExitRunFailed;
  }
  return warnings != 0 ? kExitWarnings : kExitOk;
}

std::string SummaryTable(const VantrelCtl& ctl, const RunRecord& record) {
  return host::TableText(host::MakeResultsTable(ctl, record));
}

std::string DryRunLines(const platform::RequestLog& watch) {
  struct Tally {
    long uploads = 0, statuses = 0;
    std::size_t bytes = 0;
  };
  std::vector<std::string> order;
  std::map<std::string, Tally> by_letter;
  for (const platform::LoggedRequest& request : watch.requests()) {
    if (!by_letter.count(request.letter)) order.push_back(request.letter);
    Tally& t = by_letter[request.letter];
    (request.upload ? t.uploads : t.statuses) += 1;
    t.bytes += request.bytes;
  }
  std::string out = "dry run: nothing was sent; it would have sent:\n";
  if (order.empty()) out += "  nothing\n";
  char line[200];
  for (const std::string& letter : order) {
    const Tally& t = by_letter[letter];
    std::snprintf(line, sizeof line, "  %-2s %ld upload%s (%zu bytes), %ld status update%s\n",
                  letter.c_str(), t.uploads, t.uploads == 1 ? "" : "s", t.bytes, t.statuses,
                  t.statuses == 1 ? "" : "s");
    out += line;
  }
  if (!watch.options().script_dir.empty()) {
    out += "  the " + std::to_string(watch.files().size()) + " requests are in " +
           watch.options().script_dir + "\n";
  }
  return out;
}

std::string MaskKey(const std::string& key) {
  if (key.size() <= 5) return std::string(key.size(), '*');
  return key.substr(0, 2) + std::string(key.size() - 2, '*');
}

std::string ReportJson(const VantrelCtl& ctl, const RunRecord& record,
                       const platform::RequestLog& watch) {
  auto s = [](const std::string& v) { return JsonString(v); };
  auto b = [](bool v) { return std::string(v ? "true" : "false"); };
  std::string json = "{\n";
  auto field = [&](const char* name, const std::string& value, bool last = false) {
    json += std::string("  \"") + name + "\": " + value + (last ? "\n" : ",\n");
  };
  field("started", s(record.started));
  field("ended", s(record.ended));
  field("seconds", Seconds(record.seconds));
  field("dryRun", b(record.dry_run));
  field("runEnd", s(host::RunEndName(ctl.last_run_end())));
  field("site",
        "{\"address\": " + s(ctl.WGSecureServerURL) + ", \"siteCode\": " + s(ctl.SiteCode) +
            ", \"siteKey\": " + s(MaskKey(ctl.SiteKey)) + ", \"user\": " + s(ctl.TessalyUser) +
            ", \"companyFile\": " + s(ctl.QBFilePath) +
            ", \"database\": " + (record.site_db.empty() ? "null" : s(record.site_db)) + "}");
  field("debugMode", b(ctl.DebugMode));

  std::string dates;
  for (const LastSyncUse& use : record.last_sync) {
    dates += dates.empty() ? "{\n" : ",\n";
    dates +=
        "    " + s(use.key) + ": {\"date\": " + s(use.date) + ", \"from\": " + s(use.source) + "}";
  }
  field("lastSyncDates", dates.empty() ? "{}" : dates + "\n  }");

  std::string entities;
  for (const EntityRow* entity : EntitiesOfTheRun(ctl)) {
    const host::EntityResults e = host::ResultsOf(ctl, record, *entity);
    auto site = [&](long SiteRows::*part) {
      return e.rows ? std::to_string((*e.rows).*part) : std::string("\"unknown\"");
    };
    entities += entities.empty() ? "{\n" : ",\n";
    entities += "    " + s(std::string(entity->name)) + ": {\"read\": " + std::to_string(e.read) +
                ", \"sent\": " + std::to_string(e.sent) +
                ", \"newRows\": " + site(&SiteRows::inserted) +
                ", \"updatedRows\": " + site(&SiteRows::updated) +
                ", \"inactiveSentAsUpdates\": " + std::to_string(e.inactive) +
                ", \"skippedUnchanged\": " + std::to_string(e.unchanged) +
                ", \"leftOutByRule\": " + std::to_string(e.left_out) +
                ", \"warnings\": " + std::to_string(e.warnings) +
                ", \"failed\": " + std::to_string(e.failed) + "}";
  }
  field("entities", entities.empty() ? "{}" : entities + "\n  }");

  long uploads = 0, statuses = 0;
  std::size_t bytes = 0;
  std::string failed;
  for (const platform::LoggedRequest& request : watch.requests()) {
    // A request asked for after a cancel never went out.
    if (!request.not_sent) {
      (request.upload ? uploads : statuses) += 1;
      bytes += request.bytes;
    }
    if (!Failed(request)) continue;
    failed += failed.empty() ? "[\n" : ",\n";
    failed +=
        "    {\"order\": " + std::to_string(request.order) +
        ", \"kind\": " + s(request.upload ? "upload" : "status update") +
        ", \"letter\": " + s(request.letter) +
        ", \"attempts\": " + std::to_string(request.attempts) + ", \"reply\": " +
        (request.completed ? s(watch.Masked(request.reply)) : std::string("null")) +
        ", \"failure\": " + (request.failure ? s(watch.Masked(request.failure->text)) : "null") +
        "}";
  }
  field("requests", "{\"uploads\": " + std::to_string(uploads) +
                        ", \"statusUpdates\": " + std::to_string(statuses) +
                        ", \"bytesSent\": " + std::to_string(bytes) + "}");
  field("failedRequests", failed.empty() ? "[]" : failed + "\n  ]");
  field("failureCounters", std::to_string(ctl.last_run_failures()));
  field("timeErrorShown", b(ctl.mDisplayTSError));
  field("expenseErrorShown", b(ctl.mDisplayEXPError));
  field("lineTexts", LineTextsJson(ctl.run().line_issues));
  field("siteWarnings", record.site_warnings.empty() ? "[]" : SiteWarningsJson(record));
  if (record.site_warnings_untold != 0) {
    field("siteWarningsUntold", std::to_string(record.site_warnings_untold));
  }
  field("lastServerReply", s(watch.Masked(ctl.ServerReply())));
  field("control", ControlJson(ctl, watch), true);
  return json + "}\n";
}

}  // namespace vantrel::cli
