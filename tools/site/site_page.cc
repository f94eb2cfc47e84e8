#include "site/site_page.h"

#include "wizard/entities.h"

#include <optional>
#include <utility>

#include "platform/date_time.h"
#include "platform/text_util.h"

namespace vantrel::site {

namespace {

using LexiconField = std::string SiteLexicons::*;
constexpr std::pair<std::string_view, LexiconField> kLexicons[] = {
    {"CustLexicon", &SiteLexicons::CustLexicon},
    {"EmpLexicon", &SiteLexicons::EmpLexicon},
    {"ProjLexicon", &SiteLexicons::ProjLexicon},
    {"SubProjLexicon", &SiteLexicons::SubProjLexicon},
    {"SILexicon", &SiteLexicons::SILexicon}};

}  // namespace

bool SetLexicon(SiteLexicons& lexicons, std::string_view name, std::string word) {
  for (const auto& [lexicon, field] : kLexicons) {
    if (lexicon != name) continue;
    lexicons.*field = std::move(word);
    return true;
  }
  return false;
}

const char kDefaultPageTemplate[] =
    "<!DOCTYPE html>\n"
    "<html>\n"
    "<head>\n"
    "  <title>Tessaly &ndash; QuickBooks Sync</title>\n"
    "</head>\n"
    "<body>\n"
    "  <h1>Synchronize with QuickBooks</h1>\n"
    "  <object id=\"VantrelCtl\" classid=\"clsid:5B9C1E27-8A3F-4D61-9E0B-2C7F4A1D3E85\"\n"
    "          width=\"560\" height=\"420\">\n"
    "    <param name=\"WGSecureServerURL\" value=\"{{WGSecureServerURL}}\">\n"
    "    <param name=\"SiteCode\" value=\"{{SiteCode}}\">\n"
    "    <param name=\"SiteKey\" value=\"{{SiteKey}}\">\n"
    "    <param name=\"CustLexicon\" value=\"{{CustLexicon}}\">\n"
    "    <param name=\"EmpLexicon\" value=\"{{EmpLexicon}}\">\n"
    "    <param name=\"ProjLexicon\" value=\"{{ProjLexicon}}\">\n"
    "    <param name=\"SubProjLexicon\" value=\"{{SubProjLexicon}}\">\n"
    "    <param name=\"SILexicon\" value=\"{{SILexicon}}\">\n"
    "    <param name=\"CustomerLastSyncDate\" value=\"{{CustomerLastSyncDate}}\">\n"
    "    <param name=\"EmployeeLastSyncDate\" value=\"{{EmployeeLastSyncDate}}\">\n"
    "    <param name=\"GLAccountsLastSyncDate\" value=\"{{GLAccountsLastSyncDate}}\">\n"
    "    <param name=\"TasksLastSyncDate\" value=\"{{TasksLastSyncDate}}\">\n"
    "    <param name=\"ClassLastSyncDate\" value=\"{{ClassLastSyncDate}}\">\n"
    "    <param name=\"VendorsLastSyncDate\" value=\"{{VendorsLastSyncDate}}\">\n"
    "    <param name=\"TimeLastSyncDate\" value=\"{{TimeLastSyncDate}}\">\n"
    "    <param name=\"ExpenseLastSyncDate\" value=\"{{ExpenseLastSyncDate}}\">\n"
    "  </object>\n"
    "</body>\n"
    "</html>\n";

std::string_view LastSyncKeyOfLetter(std::string_view letter) {
  // The status letter of each entity that owns a last-sync parameter.
  for (const EntityRow* owner : LastSyncOwners()) {
    if (platform::EqualsNoCase(owner->letter, letter)) return owner->last_sync_key;
  }
  return "";
}

std::string LastSyncDate(const std::vector<std::string>& upstarttimes) {
  std::optional<platform::DateTime> earliest;
  for (const std::string& text : upstarttimes) {
    const std::optional<platform::DateTime> date = platform::ParseDateText(text);
    if (date && (!earliest || *date < *earliest)) earliest = date;
  }
  if (!earliest) return "";
  const std::string text =
      platform::DateTime::FromSeconds(earliest->seconds() - kLastSyncMarginSeconds).AuditText();
  // A date before the year 100 would read as no date.
  return platform::ParseDateText(text) ? text : "";
}

std::string RequestTime(const std::string& upstarttime, const std::string& received_at) {
  const std::optional<platform::DateTime> sent = platform::ParseDateText(upstarttime);
  const std::optional<platform::DateTime> received = platform::ParseDateText(received_at);
  if (sent && received && sent->seconds() - received->seconds() > kClockAheadToleranceSeconds) {
    return received_at;
  }
  return upstarttime;
}

std::map<std::string, std::string> PageValues(
    const std::string& base_url, const std::string& site_code, const std::string& site_key,
    const std::map<std::string, std::vector<std::string>>& last_runs,
    const SiteLexicons& lexicons) {
  std::map<std::string, std::string> values = {
      {"WGSecureServerURL", base_url}, {"SiteCode", site_code}, {"SiteKey", site_key}};
  for (const auto& [lexicon, field] : kLexicons) values[std::string(lexicon)] = lexicons.*field;
  for (const EntityRow* owner : LastSyncOwners()) {
    const auto found = last_runs.find(std::string(owner->letter));
    values[std::string(owner->last_sync_key)] =
        found == last_runs.end() ? "" : LastSyncDate(found->second);
  }
  return values;
}

std::string FillPageTemplate(std::string_view text,
                             const std::map<std::string, std::string>& values) {
  std::string out;
  out.reserve(text.size() + 256);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find("{{", pos);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find("}}", open + 2);
    if (close == std::string_view::npos) break;
    out.append(text.substr(pos, open - pos));
    const auto found = values.find(std::string(text.substr(open + 2, close - open - 2)));
    if (found == values.end()) {
      out.append(text.substr(open, close + 2 - open));
    } else {
      out += platform::EscapeHtml(found->second);
    }
    pos = close + 2;
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace vantrel::site
