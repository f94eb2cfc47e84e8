#include "site/reply_headers.h"

#include "platform/text_util.h"

namespace vantrel::site {

namespace {

std::string Field(std::string_view text) {
  return platform::PercentEncode(text.substr(0, kMostTextBytes), "%;=");
}

}  // namespace

HeaderFields ReplyHeaders(std::string_view letter, const RowTally& rows,
                          const std::vector<LineWarning>& warnings) {
  std::string counts;
  for (const auto& [table, tally] : rows) {
    if (!counts.empty()) counts += ';';
    counts +=
        Field(table) + "=" + std::to_string(tally.inserted) + "/" + std::to_string(tally.updated);
  }
  HeaderFields fields = {{kRowsHeader, counts.empty() ? "none" : counts}};
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const LineWarning& w = warnings[i];
    std::string value = Field(letter) + ";" + std::to_string(w.line_no) + ";" + Field(w.line_key) +
                        ";" + Field(w.ref_kind) + ";" + Field(w.list_id);
    bytes += value.size();
    if (bytes > kMostWarningBytes) {
      fields.emplace_back(kUntoldHeader, std::to_string(warnings.size() - i));
      break;
    }
    fields.emplace_back(kLineWarningHeader, std::move(value));
  }
  return fields;
}

}  // namespace vantrel::site
