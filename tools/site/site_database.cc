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
#include "site/site_state.h"
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

namespace {

using State = SiteDatabase::State;

// The key of a statement's shape: its form, its table and its columns.
template <typename Columns, typename NameOf>
std::string ShapeKey(char form, std::string_view table, const Columns& columns, NameOf name_of) {
  std::string key(1, form);
  key += table;
  for (const auto& column : columns) {
    key += '\x1f';
    key += name_of(column);
  }
  return key;
}

// The SQL of a shape, made by `make` (which may change the schema) the
// first time.
template <typename Make>
const std::string& ShapeSql(State& state, std::string key, Make make) {
  auto it = state.shapes.find(key);
  if (it == state.shapes.end()) it = state.shapes.emplace(std::move(key), make()).first;
  return it->second;
}

// The rows of `table` whose QBListID is the statement's.
long long CountRows(State& state, const SqlStatement& st, const std::string& table) {
  if (!state.schema.HasTable(table)) return 0;
  const std::string key(st.table->key_column);
  const std::string& sql = ShapeSql(state, std::string("C") + table, [&] {
    state.schema.Ensure(table, {key});
    return "SELECT Count(" + Quote(key) + ") FROM " + Quote(table) + " WHERE \"QBListID\" = ?";
  });
  Statement& s = state.statements.Get(sql);
  s.BindText(1, st.list_id);
  long long count = 0;
  if (s.Step()) count = s.Int(0);
  s.Reset();
  return count;
}

void InsertRow(State& state, const SqlStatement& st, const std::string& table,
               SqlOutcome* outcome) {
  if (st.columns.size() != st.values.size()) {
    throw DbError(std::to_string(st.columns.size()) + " columns but " +
                  std::to_string(st.values.size()) + " values");
  }
  const auto same = [](std::string_view column) { return column; };
  const std::string& sql = ShapeSql(state, ShapeKey('I', table, st.columns, same), [&] {
    state.schema.Ensure(table, std::vector<std::string>(st.columns.begin(), st.columns.end()));
    std::string text = "INSERT INTO " + Quote(table) + " (";
    std::string marks;
    for (size_t i = 0; i < st.columns.size(); ++i) {
      if (i > 0) {
        text += ", ";
        marks += ", ";
      }
      text += Quote(st.columns[i]);
      marks += "?";
    }
    return text + ") VALUES (" + marks + ")";
  });
  Statement& s = state.statements.Get(sql);
  for (size_t i = 0; i < st.values.size(); ++i) s.Bind(static_cast<int>(i + 1), st.values[i]);
  s.Step();
  ++state.rows[table].inserted;
  if (table == "TaskInfo") outcome->inserted_tasks = true;
  if (table == "CustProjInfo") outcome->inserted_projects = true;
}

void UpdateRows(State& state, const SqlStatement& st, const std::string& table) {
  const auto column_of = [](const SqlAssignment& a) { return a.column; };
  const std::string& sql = ShapeSql(state, ShapeKey('U', table, st.set, column_of), [&] {
    std::vector<std::string> columns;
    for (const SqlAssignment& a : st.set) columns.emplace_back(a.column);
    state.schema.Ensure(table, columns);
    std::string text = "UPDATE " + Quote(table) + " SET ";
    for (size_t i = 0; i < st.set.size(); ++i) {
      if (i > 0) text += ", ";
      text += Quote(st.set[i].column) + " = ?";
    }
    return text + " WHERE \"QBListID\" = ?";
  });
  Statement& s = state.statements.Get(sql);
  int n = 1;
  for (const SqlAssignment& a : st.set) s.Bind(n++, a.value);
  s.BindText(n, st.list_id);
  s.Step();
  const int changed = sqlite3_changes(state.db);
  if (changed > 0) state.rows[table].updated += changed;
}

// Runs one statement of the script.
void RunStatement(State& state, const SqlStatement& st, SqlOutcome* outcome) {
  const std::string table(st.table->name);
  if (st.full && CountRows(state, st, table) <= 0) {
    InsertRow(state, st, table, outcome);
  } else {
    UpdateRows(state, st, table);
  }
}

}  // namespace

std::string ErrorReply(const char* what, size_t number, std::string_view text,
                       const std::string& message) {
  return std::string("Error in ") + what + " " + std::to_string(number) + ": " +
         std::string(text.substr(0, kQuotedStatementChars)) + ": " + message;
}

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

namespace {

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

}  // namespace

SiteDatabase::SiteDatabase(const std::string& path) {
  // Without the library's count of its memory, its allocations take no lock.
  static const int configured = [] {
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return sqlite3_initialize();
  }();
  (void)configured;
  std::string file = path.empty() ? ":memory:" : path;
  // Every use of the connection holds mu_: SQLite's own locking would only
  // add a lock and an unlock to each call.
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
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

namespace {
// Inserts the upload's row and those of its tables and warnings.
void RecordUploadRows(State& state, std::string_view options, std::string_view upstarttime,
                      std::string_view user, std::string_view debug_mode, std::string_view reply,
                      const RowTally& rows, const std::vector<LineWarning>& warnings);
}  // namespace

std::string SiteDatabase::ApplyUpload(std::string_view script, std::string_view options,
                                      RowTally* rows, std::vector<LineWarning>* warnings) {
  std::lock_guard<std::mutex> lock(mu_);
  return ApplyLocked(script, options, rows, warnings, nullptr);
}

std::string SiteDatabase::ApplyAndRecordUpload(std::string_view script, std::string_view options,
                                               const UploadRecord& record, RowTally* rows,
                                               std::vector<LineWarning>* warnings) {
  std::lock_guard<std::mutex> lock(mu_);
  return ApplyLocked(script, options, rows, warnings, &record);
}

std::string SiteDatabase::ApplyLocked(std::string_view script, std::string_view options,
                                      RowTally* rows, std::vector<LineWarning>* warnings,
                                      const UploadRecord* record) {
  // Records an upload that did not commit, on its own; the reply stands
  // whatever becomes of its record.
  auto record_alone = [&](const std::string& reply) {
    if (record == nullptr) return reply;
    try {
      RecordLocked(options, *record, reply, {}, {});
    } catch (const DbError&) {
    }
    return reply;
  };
  // The blanks of the script reader (site/sql_script.h): no vertical tab.
  if (platform::TrimChars(script, " \t\r\n\f").empty()) return record_alone(kReplyNoData);
  std::string letter = platform::ToLowerAscii(options);
  try {
    Exec(db_, "BEGIN IMMEDIATE");
  } catch (const DbError& e) {
    return record_alone(std::string("Error: ") + e.what());
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
    if (record != nullptr) RecordInTransaction(options, *record, reply);
    Exec(db_, "COMMIT");
    if (rows != nullptr) rows->swap(state_->rows);
    if (warnings != nullptr) warnings->swap(state_->warnings);
    state_->rows.clear();
    state_->warnings.clear();
    return reply;
  } catch (const Refusal& r) {
    roll_back();
    return record_alone(r.reply);
  } catch (const DbError& e) {
    roll_back();
    return record_alone(std::string("Error: ") + e.what());
  }
}

void SiteDatabase::RecordInTransaction(std::string_view options, const UploadRecord& record,
                                       const std::string& reply) {
  // Under a savepoint: a record that cannot be written leaves the upload
  // applied.
  Exec(db_, "SAVEPOINT record");
  try {
    RecordUploadRows(*state_, options, record.upstarttime, record.user, record.debug_mode, reply,
                     state_->rows, state_->warnings);
    Exec(db_, "RELEASE record");
  } catch (const DbError&) {
    sqlite3_exec(db_, "ROLLBACK TO record", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "RELEASE record", nullptr, nullptr, nullptr);
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
  RecordLocked(options, UploadRecord{upstarttime, user, debug_mode}, reply, rows, warnings);
}

void SiteDatabase::RecordLocked(std::string_view options, const UploadRecord& record,
                                std::string_view reply, const RowTally& rows,
                                const std::vector<LineWarning>& warnings) {
  // One transaction: one commit for the upload's row and those of its
  // tables and warnings, where each would otherwise commit on its own.
  Exec(db_, "BEGIN IMMEDIATE");
  try {
    RecordUploadRows(*state_, options, record.upstarttime, record.user, record.debug_mode, reply,
                     rows, warnings);
    Exec(db_, "COMMIT");
  } catch (...) {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

namespace {

void RecordUploadRows(State& state, std::string_view options, std::string_view upstarttime,
                      std::string_view user, std::string_view debug_mode, std::string_view reply,
                      const RowTally& rows, const std::vector<LineWarning>& warnings) {
  Statement& s = state.statements.Get(
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
  const long long upload_id = sqlite3_last_insert_rowid(state.db);
  for (const auto& [table, counts] : rows) {
    Statement& r = state.statements.Get(
        std::string("INSERT INTO ") + Quote(kUploadRowsTable) +
        " (\"UploadID\", \"TableName\", \"Inserted\", \"Updated\") VALUES (?, ?, ?, ?)");
    r.BindNumber(1, upload_id);
    r.BindText(2, table);
    r.BindNumber(3, counts.inserted);
    r.BindNumber(4, counts.updated);
    r.Step();
  }
  for (const LineWarning& w : warnings) {
    Statement& r = state.statements.Get(
        std::string("INSERT INTO ") + Quote(kLineWarningsTable) +
        " (\"UploadID\", \"LineNo\", \"LineKey\", \"RefKind\", \"ListID\") VALUES (?, ?, ?, ?, ?)");
    r.BindNumber(1, upload_id);
    r.BindNumber(2, w.line_no);
    r.BindText(3, w.line_key);
    r.BindText(4, w.ref_kind);
    r.BindText(5, w.list_id);
    r.Step();
  }
}

}  // namespace

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
      s.BindNumber(1, from);
      s.BindNumber(2, to);
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
