#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_util.h"
#include "site/site_state.h"

namespace vantrel::site {

namespace {

using platform::EqualsNoCase;
using sqlite::DbError;
using sqlite::Quote;
using sqlite::Schema;
using sqlite::Statement;
using State = SiteDatabase::State;

// True when `table` holds a row whose QBListID is `list_id`.
bool Holds(State& state, const std::string& table, const std::string& list_id) {
  if (!state.schema.HasColumn(table, Schema::kListIdColumn)) return false;
  Statement& s =
      state.statements.Get("SELECT 1 FROM " + Quote(table) + " WHERE \"QBListID\" = ? LIMIT 1");
  s.BindText(1, list_id);
  const bool found = s.Step();
  s.Reset();
  return found;
}

bool HoldsAny(State& state, std::initializer_list<const char*> tables, const std::string& list_id) {
  if (list_id.empty()) return true;
  for (const char* t : tables) {
    if (Holds(state, t, list_id)) return true;
  }
  return false;
}

// Notes each reference of line `line_no` (fields `f`) that the database does
// not hold; true when there was one.
bool NoteMissingReferences(State& state, TxnLineKind kind, long line_no,
                           const std::vector<std::string>& f) {
  bool missing = false;
  auto check = [&](const std::string& list_id, const char* ref_kind,
                   std::initializer_list<const char*> tables) {
    if (HoldsAny(state, tables, list_id)) return;
    state.warnings.push_back(LineWarning{line_no, f[0], ref_kind, list_id});
    missing = true;
  };
  if (kind == TxnLineKind::kTime) {
    check(f[5], kRefEmployeeOrVendor, {"EmployeeInfo", "Vendors"});
    check(f[6], kRefCustomerOrProject, {"Customers", "CustProjInfo"});
    check(f[7], kRefItem, {"TaskInfo"});
  } else {
    check(f[3], kRefCustomerOrProject, {"Customers", "CustProjInfo"});
    if (EqualsNoCase(f[2], "Item")) check(f[9], kRefItem, {"TaskInfo"});
  }
  return missing;
}

std::string LineInsert(const char* table, const char* const* columns, size_t count,
                       const char* extra) {
  std::string sql = std::string("INSERT OR REPLACE INTO ") + Quote(table) + " (";
  for (size_t i = 0; i < count; ++i) sql += Quote(columns[i]) + ", ";
  if (*extra != '\0') sql += std::string(extra) + ", ";
  sql += "\"Line\", \"ReceivedAt\") VALUES (";
  for (size_t i = 0; i < count; ++i) sql += "?, ";
  if (*extra != '\0') sql += "?, ";
  sql += std::string("?, ") + kNow + ")";
  return sql;
}

// Counts a line about to be stored under `key` as new or as one stored over.
void TallyLine(State& state, const char* table, const char* key_column, const std::string& key) {
  Statement& s = state.statements.Get("SELECT 1 FROM " + Quote(table) + " WHERE " +
                                      Quote(key_column) + " = ? LIMIT 1");
  s.BindText(1, key);
  const bool stored = s.Step();
  s.Reset();
  TableRows& rows = state.rows[table];
  ++(stored ? rows.updated : rows.inserted);
}

void StoreTimeLine(State& state, const TxnLine& line) {
  TallyLine(state, kTimeTable, kTimeColumns[0], line.fields[0]);
  static const std::string sql = LineInsert(kTimeTable, kTimeColumns, std::size(kTimeColumns), "");
  Statement& s = state.statements.Get(sql);
  int n = 1;
  for (const std::string& f : line.fields) s.BindText(n++, f);
  s.BindText(n, line.raw);
  s.Step();
}

void StoreExpenseLine(State& state, const TxnLine& line, std::string_view options) {
  const std::vector<std::string>& f = line.fields;
  TallyLine(state, kExpenseTable, kExpenseColumns[0], f[0]);
  // Positions 1 to 14 are common; a check line has a 15th; an item line ends
  // with its quantity and cost.
  std::vector<std::optional<std::string>> values(std::size(kExpenseColumns));
  for (size_t i = 0; i < 14 && i < f.size(); ++i) values[i] = f[i];
  bool item = EqualsNoCase(f[2], "Item");
  size_t rest = item ? f.size() - 2 : f.size();
  if (rest > 14) values[14] = f[14];
  if (item) {
    values[15] = f[f.size() - 2];
    values[16] = f[f.size() - 1];
  }
  static const std::string sql =
      LineInsert(kExpenseTable, kExpenseColumns, std::size(kExpenseColumns), "\"Options\"");
  Statement& s = state.statements.Get(sql);
  int n = 1;
  for (const auto& v : values) {
    if (v) {
      s.BindText(n++, *v);
    } else {
      s.Bind(n++, SqlValue{});
    }
  }
  s.BindText(n++, options);
  s.BindText(n, line.raw);
  s.Step();
}

}  // namespace

std::string RunLines(State& state, std::string_view script, TxnLineKind kind,
                     std::string_view options) {
  TxnLines parsed = ParseTxnLines(script, kind);
  if (parsed.error) {
    throw Refusal{ErrorReply("line", parsed.error->line_number, parsed.error->line_text,
                             parsed.error->message)};
  }
  if (parsed.lines.empty()) return kReplyNoData;
  int unknown = 0;
  for (size_t i = 0; i < parsed.lines.size(); ++i) {
    const TxnLine& line = parsed.lines[i];
    try {
      if (kind == TxnLineKind::kTime) {
        StoreTimeLine(state, line);
      } else {
        StoreExpenseLine(state, line, options);
      }
      if (NoteMissingReferences(state, kind, static_cast<long>(i + 1), line.fields)) ++unknown;
    } catch (const DbError& e) {
      throw Refusal{ErrorReply("line", i + 1, line.raw, e.what())};
    }
  }
  std::string reply = kReplySuccess;
  if (unknown > 0) reply += static_cast<char>('0' + std::min(unknown, 9));
  return reply;
}

}  // namespace vantrel::site
