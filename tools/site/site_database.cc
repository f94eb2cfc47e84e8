#include "site/site_database.h"

#include "site/site_page.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>
#include <unordered_map>

#include "platform/text_util.h"
#include "site/sql_script.h"
#include "site/sqlite_db.h"
#include "site/txn_lines.h"

namespace vantrel::site {

namespace {

using platform::EqualsNoCase;
using sqlite::DbError;
using sqlite::Exec;
using sqlite::Quote;
using sqlite::Schema;
using sqlite::Statement;
using sqlite::StatementCache;

constexpr size_t kQuotedStatementChars = 200;

struct SqlOutcome {
  bool inserted_tasks = false;
  bool inserted_projects = false;
};

}  // namespace

// What the database keeps between scripts: the schema it has seen and the
// prepared statements. Both are dropped on a rollback.
struct SiteDatabase::State {
  explicit State(sqlite3* db) : db(db), schema(db), statements(db) {}
  void Forget() {
    schema.Clear();
    statements.Clear();
  }
  sqlite3* db;
  Schema schema;
  StatementCache statements;
  RowTally rows;                      // what the script under way did to each table
  std::vector<LineWarning> warnings;  // the references its lines named that are missing
};

namespace {

using State = SiteDatabase::State;

// Runs one statement of the script.
void RunStatement(State& state, const SqlStatement& st, SqlOutcome* outcome) {
  const std::string table(st.table->name);
  bool insert = false;
  if (st.full) {
    const std::string key(st.table->key_column);
    long long count = 0;
    if (state.schema.HasTable(table)) {
      state.schema.Ensure(table, {key});
      Statement& s = state.statements.Get("SELECT Count(" + Quote(key) + ") FROM " + Quote(table) +
                                          " WHERE \"QBListID\" = ?");
      s.BindText(1, st.list_id);
      if (s.Step()) count = s.Int(0);
      s.Reset();
    }
    insert = count <= 0;
  }
  if (insert) {
    if (st.columns.size() != st.values.size()) {
      throw DbError(std::to_string(st.columns.size()) + " columns but " +
                    std::to_string(st.values.size()) + " values");
    }
    state.schema.Ensure(table, st.columns);
    std::string sql = "INSERT INTO " + Quote(table) + " (";
    std::string marks;
    for (size_t i = 0; i < st.columns.size(); ++i) {
      if (i > 0) {
        sql += ", ";
        marks += ", ";
      }
      sql += Quote(st.columns[i]);
      marks += "?";
    }
    sql += ") VALUES (" + marks + ")";
    Statement& s = state.statements.Get(sql);
    for (size_t i = 0; i < st.values.size(); ++i) s.Bind(static_cast<int>(i + 1), st.values[i]);
    s.Step();
    ++state.rows[table].inserted;
    if (table == "TaskInfo") outcome->inserted_tasks = true;
    if (table == "CustProjInfo") outcome->inserted_projects = true;
    return;
  }
  std::vector<std::string> columns;
  for (const SqlAssignment& a : st.set) columns.push_back(a.column);
  state.schema.Ensure(table, columns);
  std::string sql = "UPDATE " + Quote(table) + " SET ";
  for (size_t i = 0; i < st.set.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += Quote(st.set[i].column) + " = ?";
  }
  sql += " WHERE \"QBListID\" = ?";
  Statement& s = state.statements.Get(sql);
  int n = 1;
  for (const SqlAssignment& a : st.set) s.Bind(n++, a.value);
  s.BindText(n, st.list_id);
  s.Step();
  const int changed = sqlite3_changes(state.db);
  if (changed > 0) state.rows[table].updated += changed;
}

std::string Quoted(std::string_view text) {
  return std::string(text.substr(0, kQuotedStatementChars));
}

// The reply for a script that was refused at statement or line `number`.
std::string ErrorReply(const char* what, size_t number, std::string_view text,
                       const std::string& message) {
  return std::string("Error in ") + what + " " + std::to_string(number) + ": " + Quoted(text) +
         ": " + message;
}

// Thrown to refuse a script; carries its reply.
struct Refusal {
  std::string reply;
};

std::string RunSql(State& state, std::string_view script) {
  SqlScript parsed = ParseSqlScript(script);
  if (parsed.error) {
    throw Refusal{ErrorReply("statement", parsed.error->statement_number,
                             parsed.error->statement_text, parsed.error->message)};
  }
  SqlOutcome outcome;
  for (size_t i = 0; i < parsed.statements.size(); ++i) {
    const SqlStatement& st = parsed.statements[i];
    try {
      RunStatement(state, st, &outcome);
    } catch (const DbError& e) {
      throw Refusal{
          ErrorReply("statement", i + 1, script.substr(st.begin, st.end - st.begin), e.what())};
    }
  }
  std::string reply = kReplySuccess;
  if (outcome.inserted_tasks) {
    reply += "T";
  } else if (outcome.inserted_projects) {
    reply += "P";
  }
  return reply;
}

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

void CreateTables(sqlite3* db) {
  std::string time = std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kTimeTable) + " (";
  for (const char* c : kTimeColumns)
    time += Quote(c) + (c == kTimeColumns[0] ? " PRIMARY KEY, " : ", ");
  time += "\"Line\", \"ReceivedAt\")";
  Exec(db, time);
  std::string expense = std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kExpenseTable) + " (";
  for (const char* c : kExpenseColumns) {
    expense += Quote(c) + (c == kExpenseColumns[0] ? " PRIMARY KEY, " : ", ");
  }
  expense += "\"Options\", \"Line\", \"ReceivedAt\")";
  Exec(db, expense);
  Exec(db, std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kStatusTable) +
               " (\"Options\", \"UpStartTime\", \"UserName\", \"ReceivedAt\", \"LastUploadID\")");
  Exec(db, std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kUploadTable) +
               " (\"Options\", \"UpStartTime\", \"UserName\", \"DebugMode\", \"Reply\", "
               "\"ReceivedAt\")");
  Exec(db, std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kUploadRowsTable) +
               " (\"UploadID\", \"TableName\", \"Inserted\", \"Updated\")");
  Exec(db, std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kLineWarningsTable) +
               " (\"UploadID\", \"LineNo\", \"LineKey\", \"RefKind\", \"ListID\")");
  Schema schema(db);
  // A database made before the status updates were ordered among the uploads.
  if (!schema.HasColumn(kStatusTable, "LastUploadID")) {
    Exec(db, std::string("ALTER TABLE ") + Quote(kStatusTable) + " ADD COLUMN \"LastUploadID\"");
  }
  // List tables of a database made before they had their index get it now.
  for (const ListTable& table : ListTables()) {
    const std::string name(table.name);
    if (schema.HasColumn(name, Schema::kListIdColumn)) Schema::IndexListId(db, name);
  }
}

const char kNow[] = "strftime('%m/%d/%Y %H:%M:%S', 'now', 'localtime')";

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

}  // namespace

SiteDatabase::SiteDatabase(const std::string& path) {
  std::string file = path.empty() ? ":memory:" : path;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("cannot open database " + file + ": " + message);
  }
  sqlite3_busy_timeout(db_, 5000);
  try {
    if (file != ":memory:") {
      // A write-ahead log: one script's transaction costs one sync at its
      // checkpoint instead of two per commit, and readers do not block it.
      Exec(db_, "PRAGMA journal_mode=WAL");
      Exec(db_, "PRAGMA synchronous=NORMAL");
    }
    CreateTables(db_);
    state_ = std::make_unique<State>(db_);
  } catch (const DbError& e) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("cannot set up database " + file + ": " + e.what());
  }
}

SiteDatabase::~SiteDatabase() {
  state_.reset();  // its statements go before the connection
  sqlite3_close(db_);
}

std::string SiteDatabase::ApplyUpload(std::string_view script, std::string_view options,
                                      RowTally* rows, std::vector<LineWarning>* warnings) {
  // The blanks of the script reader (site/sql_script.h): no vertical tab.
  if (platform::TrimChars(script, " \t\r\n\f").empty()) return kReplyNoData;
  std::lock_guard<std::mutex> lock(mu_);
  std::string letter = platform::ToLowerAscii(options);
  try {
    Exec(db_, "BEGIN IMMEDIATE");
  } catch (const DbError& e) {
    return std::string("Error: ") + e.what();
  }
  state_->rows.clear();
  state_->warnings.clear();
  auto roll_back = [this] {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    state_->Forget();
    state_->rows.clear();
    state_->warnings.clear();
  };
  try {
    std::string reply;
    if (letter == "h") {
      reply = RunLines(*state_, script, TxnLineKind::kTime, options);
    } else if (letter == "x" || letter == "b") {
      reply = RunLines(*state_, script, TxnLineKind::kExpense, options);
    } else {
      reply = RunSql(*state_, script);
    }
    Exec(db_, "COMMIT");
    if (rows != nullptr) rows->swap(state_->rows);
    if (warnings != nullptr) warnings->swap(state_->warnings);
    state_->rows.clear();
    state_->warnings.clear();
    return reply;
  } catch (const Refusal& r) {
    roll_back();
    return r.reply;
  } catch (const DbError& e) {
    roll_back();
    return std::string("Error: ") + e.what();
  }
}

void SiteDatabase::RecordStatus(std::string_view options, std::string_view upstarttime,
                                std::string_view user) {
  std::lock_guard<std::mutex> lock(mu_);
  Statement& s = state_->statements.Get(
      std::string("INSERT INTO ") + Quote(kStatusTable) +
      " (\"Options\", \"UpStartTime\", \"UserName\", \"ReceivedAt\", \"LastUploadID\") VALUES "
      "(?, ?, ?, " +
      kNow + ", (SELECT coalesce(max(rowid), 0) FROM " + Quote(kUploadTable) + "))");
  s.BindText(1, options);
  s.BindText(2, upstarttime);
  s.BindText(3, user);
  s.Step();
}

void SiteDatabase::RecordUpload(std::string_view options, std::string_view upstarttime,
                                std::string_view user, std::string_view debug_mode,
                                std::string_view reply, const RowTally& rows,
                                const std::vector<LineWarning>& warnings) {
  std::lock_guard<std::mutex> lock(mu_);
  Statement& s = state_->statements.Get(
      std::string("INSERT INTO ") + Quote(kUploadTable) +
      " (\"Options\", \"UpStartTime\", \"UserName\", \"DebugMode\", \"Reply\", "
      "\"ReceivedAt\") VALUES (?, ?, ?, ?, ?, " +
      kNow + ")");
  s.BindText(1, options);
  s.BindText(2, upstarttime);
  s.BindText(3, user);
  s.BindText(4, debug_mode);
  s.BindText(5, reply);
  s.Step();
  const long long upload_id = sqlite3_last_insert_rowid(db_);
  for (const auto& [table, counts] : rows) {
    Statement& r = state_->statements.Get(
        std::string("INSERT INTO ") + Quote(kUploadRowsTable) +
        " (\"UploadID\", \"TableName\", \"Inserted\", \"Updated\") VALUES (?, ?, ?, ?)");
    r.Bind(1, SqlValue{SqlValue::Kind::kNumber, std::to_string(upload_id)});
    r.BindText(2, table);
    r.Bind(3, SqlValue{SqlValue::Kind::kNumber, std::to_string(counts.inserted)});
    r.Bind(4, SqlValue{SqlValue::Kind::kNumber, std::to_string(counts.updated)});
    r.Step();
  }
  for (const LineWarning& w : warnings) {
    Statement& r = state_->statements.Get(
        std::string("INSERT INTO ") + Quote(kLineWarningsTable) +
        " (\"UploadID\", \"LineNo\", \"LineKey\", \"RefKind\", \"ListID\") VALUES (?, ?, ?, ?, ?)");
    r.Bind(1, SqlValue{SqlValue::Kind::kNumber, std::to_string(upload_id)});
    r.Bind(2, SqlValue{SqlValue::Kind::kNumber, std::to_string(w.line_no)});
    r.BindText(3, w.line_key);
    r.BindText(4, w.ref_kind);
    r.BindText(5, w.list_id);
    r.Step();
  }
}

std::map<std::string, std::vector<std::string>> SiteDatabase::LastRunStartTimes() {
  std::lock_guard<std::mutex> lock(mu_);
  // Per letter, the rowid and LastUploadID of its previous and latest status
  // update; before the first, 0 for both (the start of the database).
  struct Bound {
    long long status = 0;
    long long upload = 0;
  };
  std::map<std::string, std::pair<Bound, Bound>> spans;
  {
    Statement s(db_, std::string("SELECT upper(\"Options\"), rowid, \"LastUploadID\" IS NULL, "
                                 "\"LastUploadID\" FROM ") +
                         Quote(kStatusTable) + " ORDER BY rowid");
    while (s.Step()) {
      auto& [previous, latest] = spans[s.Text(0)];
      previous = latest;
      // An update recorded without its place among the uploads widens the
      // spans it bounds: as an end it takes every upload, as a start none.
      latest = Bound{s.Int(1), s.Int(2) ? INT64_MAX : s.Int(3)};
    }
  }
  std::map<std::string, std::vector<std::string>> times;
  for (const auto& [letter, span] : spans) {
    const auto& [previous, latest] = span;
    std::vector<std::string>& out = times[letter];
    const long long upload_from = previous.upload == INT64_MAX ? 0 : previous.upload;
    for (const auto& [table, from, to] : {std::tuple{kStatusTable, previous.status, latest.status},
                                          std::tuple{kUploadTable, upload_from, latest.upload}}) {
      Statement s(db_, std::string("SELECT \"UpStartTime\", \"ReceivedAt\" FROM ") + Quote(table) +
                           " WHERE rowid > ? AND rowid <= ?");
      s.Bind(1, SqlValue{SqlValue::Kind::kNumber, std::to_string(from)});
      s.Bind(2, SqlValue{SqlValue::Kind::kNumber, std::to_string(to)});
      while (s.Step()) out.push_back(RequestTime(s.Text(0), s.Text(1)));
    }
  }
  return times;
}

std::vector<std::vector<std::string>> SiteDatabase::Query(const std::string& sql,
                                                          const std::vector<std::string>& params) {
  std::lock_guard<std::mutex> lock(mu_);
  Statement s(db_, sql);
  for (size_t i = 0; i < params.size(); ++i) s.BindText(static_cast<int>(i + 1), params[i]);
  std::vector<std::vector<std::string>> rows;
  while (s.Step()) {
    std::vector<std::string> row;
    for (int c = 0; c < s.columns(); ++c) row.push_back(s.Text(c));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace vantrel::site
