// Fuzzes the site stand-in's reading of an upload: the statement reader, the
// transaction line reader, and ApplyUpload on a fresh in-memory database,
// which runs them. The input's first line (up to LF) is the options letter of
// the post ("H", "X", "B", "C", ...), the rest is the upload script.
//
// Beyond crashes, it checks the readers' contracts: a statement names a list
// table, and one of the update-only form has no INSERT columns or values; a
// line of either kind is one line of the script, has one of its layouts, is
// exactly its fields joined by "|", and holds a date, a number, True or False
// or nothing wherever its layout says so; an error comes after the statements
// or lines read before it; the reply is one the upload page gives, a refused
// script leaves every table and index of the database as it was, and the
// digit of a "SUCCESS" and digit reply counts the lines whose missing
// references ApplyUpload reports.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/date_time.h"
#include "site/site_database.h"
#include "site/sql_script.h"
#include "site/txn_lines.h"

namespace {

using vantrel::site::TxnLineKind;
using Rows = std::vector<std::vector<std::string>>;

bool IsDate(const std::string& text) { return vantrel::platform::ParseDateText(text).has_value(); }

// A number as strtod reads it whole, written with digits, signs, a point and
// an exponent only (no blanks, hexadecimal, infinity or NaN).
bool IsNumber(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

bool IsBoolean(const std::string& text) { return text == "True" || text == "False"; }

void CheckFields(const std::vector<std::string>& f, TxnLineKind kind) {
  if (kind == TxnLineKind::kTime) {
    Require(f.size() == 15);
    Require(IsDate(f[1]) && IsDate(f[2]) && IsDate(f[4]) && IsNumber(f[8]));
    Require(IsBoolean(f[12]) && IsBoolean(f[13]));
    return;
  }
  Require(f.size() >= 3 && f.size() == vantrel::site::ExpenseFieldCount(f[1], f[2]));
  const std::size_t digits = f[0].size() - f[0].find_last_not_of("0123456789") - 1;
  Require(digits > 0 && f[0].substr(0, f[0].size() - digits).ends_with(", "));
  Require(IsNumber(f[6]) && IsDate(f[10]) && IsDate(f[11]) && f[13].empty());
  const bool item = f.size() == 16 || f.size() == 17;
  if (f.size() % 2 == 1) Require(f[14].empty());  // a check line
  if (item) Require(IsNumber(f[f.size() - 2]) && IsNumber(f[f.size() - 1]));
}

void CheckLines(std::string_view script, TxnLineKind kind) {
  const vantrel::site::TxnLines parsed = vantrel::site::ParseTxnLines(script, kind);
  for (const vantrel::site::TxnLine& line : parsed.lines) {
    Require(line.raw.find("\r\n") == std::string::npos);
    CheckFields(line.fields, kind);
    std::string joined;
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
      if (i > 0) joined += '|';
      joined += line.fields[i];
    }
    Require(joined == line.raw);
  }
  if (parsed.error) Require(parsed.error->line_number == parsed.lines.size() + 1);
}

void CheckStatements(std::string_view script) {
  const vantrel::site::SqlScript parsed = vantrel::site::ParseSqlScript(script);
  for (const vantrel::site::SqlStatement& statement : parsed.statements) {
    Require(statement.begin <= statement.end && statement.end <= script.size());
    Require(statement.table != nullptr &&
            vantrel::site::FindListTable(statement.table->name) == statement.table);
    if (!statement.full) Require(statement.columns.empty() && statement.values.empty());
  }
  if (parsed.error) Require(parsed.error->statement_number == parsed.statements.size() + 1);
}

// Every table and index of `database` and the number of rows of each table.
Rows Snapshot(vantrel::site::SiteDatabase& database) {
  Rows snapshot = database.Query("SELECT type, name FROM sqlite_master ORDER BY type, name");
  for (std::vector<std::string>& row : snapshot) {
    if (row[0] != "table") continue;
    std::string quoted = "\"";
    for (char c : row[1]) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted += '"';
    row.push_back(database.Query("SELECT count(*) FROM " + quoted)[0][0]);
  }
  return snapshot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view options = input.substr(0, newline);
  const std::string_view script =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  CheckStatements(script);
  CheckLines(script, TxnLineKind::kTime);
  CheckLines(script, TxnLineKind::kExpense);

  vantrel::site::SiteDatabase database(":memory:");
  const Rows before = Snapshot(database);
  std::vector<vantrel::site::LineWarning> warnings;
  const std::string reply = database.ApplyUpload(script, options, nullptr, &warnings);
  Require(reply.starts_with(vantrel::site::kReplySuccess) || reply == vantrel::site::kReplyNoData ||
          reply.starts_with("Error in statement ") || reply.starts_with("Error in line ") ||
          reply.starts_with("Error: "));
  if (reply.starts_with("Error")) Require(Snapshot(database) == before);
  std::set<long> lines;
  for (const vantrel::site::LineWarning& w : warnings) lines.insert(w.line_no);
  if (reply.size() == 8 && reply.starts_with(vantrel::site::kReplySuccess) && reply[7] >= '0' &&
      reply[7] <= '9') {
    Require(reply[7] == static_cast<char>('0' + std::min<std::size_t>(lines.size(), 9)));
  } else {
    Require(warnings.empty());
  }
  return 0;
}
