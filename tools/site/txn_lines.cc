#include "site/txn_lines.h"

#include <utility>

#include "platform/date_time.h"
#include "platform/text_util.h"
#include "site/sql_script.h"

namespace vantrel::site {

namespace {

using platform::EqualsNoCase;

constexpr size_t kTimeFields = 15;
constexpr size_t kQuotedValueChars = 50;

// What a field that is not a free text must hold.
enum class Expect { kDate, kNumber, kBoolean, kEmpty };

struct FieldRule {
  size_t index;  // zero-based; for the last two fields of an item line, see below
  const char* name;
  Expect expect;
};

// clang-format off
constexpr FieldRule kTimeRules[] = {
    {1, "TimeCreated", Expect::kDate},   {2, "TimeModified", Expect::kDate},
    {4, "TxnDate", Expect::kDate},       {8, "Duration", Expect::kNumber},
    {12, "IsBillable", Expect::kBoolean}, {13, "IsBilled", Expect::kBoolean}};
constexpr FieldRule kExpenseRules[] = {
    {6, "Amount", Expect::kNumber},        {10, "TimeCreated", Expect::kDate},
    {11, "TimeModified", Expect::kDate},   {13, "Field14", Expect::kEmpty}};
constexpr FieldRule kCheckRule = {14, "Field15", Expect::kEmpty};
// clang-format on

// Why `value` does not hold what `rule` expects; "" when it does.
std::string Refusal(const FieldRule& rule, size_t index, std::string_view value) {
  bool ok = false;
  const char* what = "";
  switch (rule.expect) {
    case Expect::kDate:
      ok = platform::ParseDateText(value).has_value();
      what = "is not a date";
      break;
    case Expect::kNumber:
      ok = IsNumberText(value);
      what = "is not a number";
      break;
    case Expect::kBoolean:
      ok = value == "True" || value == "False";
      what = "is neither True nor False";
      break;
    case Expect::kEmpty:
      ok = value.empty();
      what = "is not empty";
      break;
  }
  if (ok) return "";
  std::string quoted(value.substr(0, kQuotedValueChars));
  if (value.size() > kQuotedValueChars) quoted += "...";
  return std::string(rule.name) + " (field " + std::to_string(index + 1) + ") \"" + quoted + "\" " +
         what;
}

// The texts between the "|" of `line`.
std::vector<std::string> Split(std::string_view line) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    const size_t bar = line.find('|', pos);
    if (bar == std::string_view::npos) {
      out.emplace_back(line.substr(pos));
      return out;
    }
    out.emplace_back(line.substr(pos, bar - pos));
    pos = bar + 1;
  }
}

std::string CountRefusal(size_t found, size_t expected, const std::string& layout) {
  return std::to_string(found) + " fields where " + layout + " has " + std::to_string(expected) +
         " (a \"|\" or a line break inside a text shifts the fields)";
}

// The fields of a time line, or why it is refused.
std::string TimeFields(const std::vector<std::string>& parts) {
  if (parts.size() != kTimeFields) return CountRefusal(parts.size(), kTimeFields, "a time line");
  for (const FieldRule& rule : kTimeRules) {
    std::string why = Refusal(rule, rule.index, parts[rule.index]);
    if (!why.empty()) return why;
  }
  return "";
}

// True when `key` is a TxnID, ", " and a line number.
bool IsExpenseKey(std::string_view key) {
  size_t digits = 0;
  while (digits < key.size() && key[key.size() - 1 - digits] >= '0' &&
         key[key.size() - 1 - digits] <= '9') {
    ++digits;
  }
  return digits > 0 && key.substr(0, key.size() - digits).ends_with(", ");
}

// The fields of an expense line, or why it is refused. The key is everything
// before the first known kind.
std::string ExpenseFields(std::vector<std::string>& parts) {
  size_t kind = 0;
  for (size_t k = 1; kind == 0 && k + 1 < parts.size(); ++k) {
    if (ExpenseFieldCount(parts[k], parts[k + 1]) > 0) kind = k;
  }
  if (kind == 0) {
    return "unknown line kind \"" + (parts.size() > 1 ? parts[1] : std::string()) + "|" +
           (parts.size() > 2 ? parts[2] : std::string()) + "\"";
  }
  if (kind > 1) {
    std::string key = std::move(parts[0]);
    for (size_t i = 1; i < kind; ++i) key += "|" + parts[i];
    parts.erase(parts.begin() + 1, parts.begin() + static_cast<std::ptrdiff_t>(kind));
    parts[0] = std::move(key);
  }
  const bool check = EqualsNoCase(parts[1], "Check");
  const bool item = EqualsNoCase(parts[2], "Item");
  const size_t expected = ExpenseFieldCount(parts[1], parts[2]);
  if (parts.size() != expected) {
    return CountRefusal(
        parts.size(), expected,
        std::string(check ? "a check " : "a bill ") + (item ? "item line" : "expense line"));
  }
  if (!IsExpenseKey(parts[0])) {
    std::string key = parts[0].substr(0, kQuotedValueChars);
    return "key \"" + key + "\" is not a TxnID, \", \" and a line number";
  }
  for (const FieldRule& rule : kExpenseRules) {
    std::string why = Refusal(rule, rule.index, parts[rule.index]);
    if (!why.empty()) return why;
  }
  if (check) {
    std::string why = Refusal(kCheckRule, kCheckRule.index, parts[kCheckRule.index]);
    if (!why.empty()) return why;
  }
  if (item) {
    const size_t n = parts.size();
    for (const FieldRule rule : {FieldRule{n - 2, "Quantity", Expect::kNumber},
                                 FieldRule{n - 1, "Cost", Expect::kNumber}}) {
      std::string why = Refusal(rule, rule.index, parts[rule.index]);
      if (!why.empty()) return why;
    }
  }
  return "";
}

}  // namespace

size_t ExpenseFieldCount(std::string_view txn, std::string_view line) {
  bool check = EqualsNoCase(txn, "Check");
  bool bill = EqualsNoCase(txn, "Bill");
  if (!check && !bill) return 0;
  if (EqualsNoCase(line, "Expense")) return check ? 15 : 14;
  if (EqualsNoCase(line, "Item")) return check ? 17 : 16;
  return 0;
}

TxnLines ParseTxnLines(std::string_view script, TxnLineKind kind) {
  TxnLines out;
  size_t pos = 0;
  while (pos < script.size()) {
    size_t end = script.find("\r\n", pos);
    if (end == std::string_view::npos) end = script.size();
    const std::string_view raw = script.substr(pos, end - pos);
    pos = end + 2;
    if (raw.empty()) continue;  // blank lines between transaction lines
    std::vector<std::string> fields = Split(raw);
    std::string why = kind == TxnLineKind::kTime ? TimeFields(fields) : ExpenseFields(fields);
    if (!why.empty()) {
      out.error = TxnLineError{out.lines.size() + 1, std::string(raw), std::move(why)};
      return out;
    }
    out.lines.push_back(TxnLine{std::string(raw), std::move(fields)});
  }
  return out;
}

}  // namespace vantrel::site
