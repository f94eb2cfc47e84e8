#include "common/results_table.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::host {

EntityResults ResultsOf(const VantrelCtl& ctl, const RunRecord& record, const EntityRow& entity) {
  const PassFigures& f = ctl.last_run_figures()[entity.kind];
  EntityResults results;
  results.read = f.read;
  results.sent = ctl.last_run_counts()[entity.kind];
  results.inactive = f.update_only;
  results.unchanged = f.unchanged;
  results.left_out = f.left_out;
  results.warnings = EntityWarnings(ctl, record, entity);
  // In debug mode each failed post holds one entry and raises the failure
  // counter too; in normal mode a refused batch raises none.
  results.failed = std::max(f.failed, f.lost);
  if (record.rows) results.rows = (*record.rows)[entity.kind];
  return results;
}

std::string SentCell(const EntityRow& entity, long sent) {
  return std::to_string(sent) + (entity.lines ? " lines" : "");
}

ResultsTable MakeResultsTable(const VantrelCtl& ctl, const RunRecord& record) {
  ResultsTable table;
  table.columns = {"entity",    "read",     record.dry_run ? "to send" : "sent",
                   "new",       "updated",  "inactive",
                   "unchanged", "left out", "warnings",
                   "failed"};
  for (const EntityRow* entity : EntitiesOfTheRun(ctl)) {
    const EntityResults e = ResultsOf(ctl, record, *entity);
    auto site = [&](long SiteRows::*part) {
      return e.rows ? std::to_string((*e.rows).*part) : std::string("unknown");
    };
    table.rows.push_back({std::string(entity->name), std::to_string(e.read),
                          SentCell(*entity, e.sent), site(&SiteRows::inserted),
                          site(&SiteRows::updated), std::to_string(e.inactive),
                          std::to_string(e.unchanged), std::to_string(e.left_out),
                          std::to_string(e.warnings), std::to_string(e.failed)});
  }
  char line[256];
  std::snprintf(line, sizeof line, "%s from %s to %s (%.1f s)", record.dry_run ? "dry run" : "run",
                record.started.c_str(), record.ended.c_str(), record.seconds);
  table.duration = line;
  return table;
}

std::string TableText(const ResultsTable& table) {
  std::vector<std::size_t> widths(table.columns.size(), 9);
  if (widths.empty()) return table.duration + "\n";
  widths.front() = 10;
  widths.back() = 7;
  auto widen = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], cells[i].size());
    }
  };
  widen(table.columns);
  for (const auto& row : table.rows) widen(row);
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      const std::string pad(widths[i] - cells[i].size(), ' ');
      if (i > 0) text += ' ';
      text += i == 0 ? cells[i] + pad : pad + cells[i];
    }
    return text + "\n";
  };
  std::string out = line(table.columns);
  for (const auto& row : table.rows) out += line(row);
  return out + table.duration + "\n";
}

}  // namespace vantrel::host
