// Fuzzes the site stand-in's reading of an upload: the statement reader, the
// transaction line reader, and ApplyUpload on a fresh in-memory database,
// which runs them. The input's first line (up to LF) is the options letter of
// the post ("H", "X", "B", "C", ...), the rest is the upload script.
//
// Beyond crashes, it checks the readers' contracts: a statement names a list
// table, and one of the update-only form has no INSERT columns or values; a
// line of either kind has one of its layouts and is exactly its fields joined
// by "|"; an error comes after the statements or lines read before it; the
// reply is one the upload page gives, and a refused script leaves every table
// and index of the database as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "site/site_database.h"
#include "site/sql_script.h"
#include "site/txn_lines.h"

namespace {

using vantrel::site::TxnLineKind;
using Rows = std::vector<std::vector<std::string>>;

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckLines(std::string_view script, TxnLineKind kind) {
  const vantrel::site::TxnLines parsed = vantrel::site::ParseTxnLines(script, kind);
  for (const vantrel::site::TxnLine& line : parsed.lines) {
    const std::size_t fields = line.fields.size();
    if (kind == TxnLineKind::kTime) {
      Require(fields == 15);
    } else {
      Require(fields >= 3 &&
              fields == vantrel::site::ExpenseFieldCount(line.fields[1], line.fields[2]));
    }
    std::string joined;
    for (std::size_t i = 0; i < fields; ++i) {
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

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
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
  const std::string reply = database.ApplyUpload(script, options);
  Require(StartsWith(reply, vantrel::site::kReplySuccess) || reply == vantrel::site::kReplyNoData ||
          StartsWith(reply, "Error in statement ") || StartsWith(reply, "Error in line ") ||
          StartsWith(reply, "Error: "));
  if (StartsWith(reply, "Error")) Require(Snapshot(database) == before);
  return 0;
}
