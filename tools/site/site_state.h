// What the site database's parts share inside the library: the state it
// keeps between scripts, how a script is refused, and the line tables.
#ifndef VANTREL_SITE_SITE_STATE_H_
#define VANTREL_SITE_SITE_STATE_H_

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "site/site_database.h"
#include "site/sqlite_db.h"
#include "site/txn_lines.h"

namespace vantrel::site {

// What the database keeps between scripts: the schema it has seen and the
// prepared statements. Both are dropped on a rollback.
struct SiteDatabase::State {
  explicit State(sqlite3* db) : db(db), schema(db), statements(db) {}
  void Forget() {
    schema.Clear();
    statements.Clear();
    shapes.clear();
  }
  sqlite3* db;
  sqlite::Schema schema;
  sqlite::StatementCache statements;
  // By a statement's shape (its form, table and columns as written), its
  // SQL once the table has those columns: statements of a script mostly
  // share a few shapes, and need neither the schema nor the SQL again.
  std::unordered_map<std::string, std::string> shapes;
  RowTally rows;                      // what the script under way did to each table
  std::vector<LineWarning> warnings;  // the references its lines named that are missing
};

// Thrown to refuse a script; carries its reply.
struct Refusal {
  std::string reply;
};

// The reply for a script that was refused at statement or line `number`:
// "Error in WHAT N: <the first 200 characters of its text>: MESSAGE".
std::string ErrorReply(const char* what, size_t number, std::string_view text,
                       const std::string& message);

// SQLite's local time now, as the site's tables keep it.
inline constexpr char kNow[] = "strftime('%m/%d/%Y %H:%M:%S', 'now', 'localtime')";

// clang-format off
constexpr const char* kTimeColumns[] = {
    "TxnID", "TimeCreated", "TimeModified", "EditSequence", "TxnDate", "EntityListID",
    "CustomerListID", "ItemListID", "Duration", "ClassListID", "PayrollItemListID", "Notes",
    "IsBillable", "IsBilled", "EntityName"};
constexpr const char* kExpenseColumns[] = {
    "LineKey", "TxnType", "LineType", "CustomerListID", "ClassListID", "BillableStatus", "Amount",
    "Memo", "RefName", "RefListID", "TimeCreated", "TimeModified", "EditSequence", "Field14",
    "Field15", "Quantity", "Cost"};
// clang-format on

// Runs the statements of `script` (site/sql_script.h) in the transaction
// under way; returns the reply, or throws Refusal.
std::string RunSql(SiteDatabase::State& state, std::string_view script);

// Stores the time (H) or expense (X, B) lines of `script` in the
// transaction under way; returns the reply, or throws Refusal.
std::string RunLines(SiteDatabase::State& state, std::string_view script, TxnLineKind kind,
                     std::string_view options);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_STATE_H_
