#include "common/run_results.h"

#include <algorithm>
#include <set>
#include <tuple>
#include <charconv>
#include <ctime>
#include <string_view>

#include "platform/text_util.h"
#include "wizard/reply_verdict.h"

namespace vantrel::host {

namespace {

// The parts of `text` between the `separator`s.
std::vector<std::string_view> Parts(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t begin = 0;;) {
    const std::size_t end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end == std::string_view::npos ? end : end - begin));
    if (end == std::string_view::npos) return parts;
    begin = end + 1;
  }
}

// A whole decimal number; nullopt for anything else.
std::optional<long> Number(std::string_view text) {
  long n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return n;
}

// Adds the rows of an X-Vantrel-Rows value to `rows`, by the entities'
// site tables.
void AddRows(std::string_view value, SiteRowsByEntity& rows) {
  if (value == "none") return;
  for (std::string_view part : Parts(value, ';')) {
    const std::size_t eq = part.find('=');
    const std::size_t slash = part.find('/', eq);
    if (slash == std::string_view::npos) continue;
    const auto inserted = Number(part.substr(eq + 1, slash - eq - 1));
    const auto updated = Number(part.substr(slash + 1));
    const std::string table = platform::PercentDecode(part.substr(0, eq));
    const auto entity = std::find_if(Entities().begin(), Entities().end(),
                                     [&](const EntityRow& e) { return e.site_table == table; });
    if (!inserted || !updated || entity == Entities().end()) continue;
    rows[entity->kind].inserted += *inserted;
    rows[entity->kind].updated += *updated;
  }
}

// An X-Vantrel-Line-Warning value; nullopt when it cannot be read.
std::optional<SiteWarning> WarningOf(std::string_view value) {
  const std::vector<std::string_view> parts = Parts(value, ';');
  if (parts.size() != 5) return std::nullopt;
  const auto line = Number(parts[1]);
  if (!line) return std::nullopt;
  return SiteWarning{platform::PercentDecode(parts[0]), *line, platform::PercentDecode(parts[2]),
                     platform::PercentDecode(parts[3]), platform::PercentDecode(parts[4])};
}

}  // namespace

void TakeSiteReplies(const platform::RequestLog& requests, RunRecord& record) {
  for (const platform::LoggedRequest& request : requests.requests()) {
    for (const auto& [name, value] : request.reply_headers) {
      if (platform::EqualsNoCase(name, "X-Vantrel-Rows")) {
        if (!record.rows) record.rows.emplace();
        AddRows(value, *record.rows);
      } else if (platform::EqualsNoCase(name, "X-Vantrel-Line-Warning")) {
        if (auto warning = WarningOf(value)) record.site_warnings.push_back(std::move(*warning));
      } else if (platform::EqualsNoCase(name, "X-Vantrel-Line-Warnings-Untold")) {
        record.site_warnings_untold += Number(value).value_or(0);
      }
    }
  }
}

bool Failed(const platform::LoggedRequest& request) {
  return !request.completed || request.not_sent || request.failure ||
         !JudgeReply(request.reply).accepted;
}

long EntityWarnings(const VantrelCtl& ctl, const RunRecord& record, const EntityRow& entity) {
  const long figure = ctl.last_run_figures()[entity.kind].warnings;
  if (!entity.lines || !record.rows || record.site_warnings_untold > 0) return figure;
  // A line may lack several records: count the lines.
  std::set<std::tuple<std::string, long, std::string>> lines;
  for (const SiteWarning& warning : record.site_warnings) {
    const EntityRow* of = EntityOfLetter(warning.letter);
    if (of != nullptr && of->kind == entity.kind) {
      lines.emplace(warning.letter, warning.line, warning.key);
    }
  }
  return std::max(static_cast<long>(lines.size()), figure);
}

std::vector<const EntityRow*> EntitiesOfTheRun(const VantrelCtl& ctl) {
  std::vector<const EntityRow*> entities;
  for (const EntityRow& entity : Entities()) {
    if (ctl.RunAskedFor(entity.kind)) entities.push_back(&entity);
  }
  return entities;
}

std::string WallClockText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%m/%d/%Y %H:%M:%S", &local);
  return text;
}

}  // namespace vantrel::host
