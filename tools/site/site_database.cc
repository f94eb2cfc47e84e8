#include "site/site_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <unordered_map>

#include "site/sql_script.h"
#include "site/txn_lines.h"

namespace vantrel::site {

namespace {

constexpr size_t kQuotedStatementChars = 200;

struct DbError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

// A name quoted for SQLite.
std::string Quote(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

// A prepared statement, bound and stepped through; Reset() readies it for
// the next use with other values.
class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                           &stmt_, nullptr) != SQLITE_OK) {
      throw DbError(sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

  void BindText(int i, std::string_view text) {
    Check(
        sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
  }

  void Bind(int i, const SqlValue& v) {
    switch (v.kind) {
      case SqlValue::Kind::kString:
        BindText(i, v.text);
        return;
      case SqlValue::Kind::kNull:
        Check(sqlite3_bind_null(stmt_, i));
        return;
      case SqlValue::Kind::kNumber:
        break;
    }
    if (v.text.find('.') == std::string::npos) {
      errno = 0;
      char* end = nullptr;
      long long n = std::strtoll(v.text.c_str(), &end, 10);
      if (errno == 0 && end != nullptr && *end == '\0') {
        Check(sqlite3_bind_int64(stmt_, i, n));
        return;
      }
    }
    Check(sqlite3_bind_double(stmt_, i, std::strtod(v.text.c_str(), nullptr)));
  }

  // Runs one step; true while a row is there.
  bool Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw DbError(sqlite3_errmsg(db_));
  }

  int columns() const { return sqlite3_column_count(stmt_); }
  std::string Text(int i) const {
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<size_t>(sqlite3_column_bytes(stmt_, i)))
             : std::string();
  }
  long long Int(int i) const { return sqlite3_column_int64(stmt_, i); }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) throw DbError(sqlite3_errmsg(db_));
  }

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// Prepared statements by their SQL text, made once and reused: a table and
// statement shape costs one preparation, not one per statement. The cache is
// bounded (the shapes of the protocol are few; a client that sends many more
// only empties it now and then).
class StatementCache {
 public:
  explicit StatementCache(sqlite3* db) : db_(db) {}

  // The statement for `sql`, reset and without bindings.
  Statement& Get(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end()) {
      if (cache_.size() >= kMaxStatements) cache_.clear();
      it = cache_.emplace(sql, std::make_unique<Statement>(db_, sql)).first;
    } else {
      it->second->Reset();
    }
    return *it->second;
  }

  void Clear() { cache_.clear(); }

 private:
  static constexpr size_t kMaxStatements = 256;
  sqlite3* db_;
  std::unordered_map<std::string, std::unique_ptr<Statement>> cache_;
};

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    throw DbError(message);
  }
}

// Tables and columns as the database holds them, created on demand. A list
// table is made with its QBListID column and an index on it, so that the
// existence tests and updates find their row without reading the table.
class Schema {
 public:
  explicit Schema(sqlite3* db) : db_(db) {}

  bool HasTable(const std::string& table) { return Columns(table) != nullptr; }

  bool HasColumn(const std::string& table, std::string_view column) {
    const std::set<std::string>* columns = Columns(table);
    return columns != nullptr && columns->count(Lower(column)) > 0;
  }

  // Creates `table` with `columns` (and QBListID), or adds those it lacks.
  void Ensure(const std::string& table, const std::vector<std::string>& columns) {
    std::set<std::string>* have = Columns(table);
    if (have == nullptr) {
      std::string sql = "CREATE TABLE " + Quote(table) + " (";
      std::set<std::string> made;
      for (const std::string& c : columns) {
        if (!made.insert(Lower(c)).second) continue;
        if (made.size() > 1) sql += ", ";
        sql += Quote(c);
      }
      if (made.insert(Lower(kListIdColumn)).second) {
        if (made.size() > 1) sql += ", ";
        sql += Quote(kListIdColumn);
      }
      sql += ")";
      Exec(db_, sql);
      IndexListId(db_, table);
      cache_[Lower(table)] = made;
      return;
    }
    for (const std::string& c : columns) {
      if (have->count(Lower(c))) continue;
      Exec(db_, "ALTER TABLE " + Quote(table) + " ADD COLUMN " + Quote(c));
      have->insert(Lower(c));
      if (EqualsNoCase(c, kListIdColumn)) IndexListId(db_, table);
    }
  }

  // Forgets what it knew: after a rollback the tables may differ.
  void Clear() { cache_.clear(); }

  static constexpr char kListIdColumn[] = "QBListID";

  // Creates the index of `table` on QBListID when it is missing.
  static void IndexListId(sqlite3* db, const std::string& table) {
    Exec(db, "CREATE INDEX IF NOT EXISTS " + Quote(table + "_QBListID") + " ON " + Quote(table) +
                 " (" + Quote(kListIdColumn) + ")");
  }

 private:
  std::set<std::string>* Columns(const std::string& table) {
    std::string key = Lower(table);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second ? &*it->second : nullptr;
    std::optional<std::set<std::string>> columns;
    {
      Statement s(db_, "SELECT name FROM pragma_table_info(?)");
      s.BindText(1, table);
      while (s.Step()) {
        if (!columns) columns.emplace();
        columns->insert(Lower(s.Text(0)));
      }
    }
    auto& slot = cache_[key] = std::move(columns);
    return slot ? &*slot : nullptr;
  }

  sqlite3* db_;
  std::map<std::string, std::optional<std::set<std::string>>> cache_;
};

struct SqlOutcome {
  bool inserted_tasks = false;
  bool inserted_projects = false;
};

}  // namespace

// What the database keeps between scripts: the schema it has seen and the
// prepared statements. Both are dropped on a rollback.
struct SiteDatabase::State {
  explicit State(sqlite3* db) : schema(db), statements(db) {}
  void Forget() {
    schema.Clear();
    statements.Clear();
  }
  Schema schema;
  StatementCache statements;
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
               " (\"Options\", \"UpStartTime\", \"UserName\", \"ReceivedAt\")");
  Exec(db, std::string("CREATE TABLE IF NOT EXISTS ") + Quote(kUploadTable) +
               " (\"Options\", \"UpStartTime\", \"UserName\", \"DebugMode\", \"Reply\", "
               "\"ReceivedAt\")");
  // List tables of a database made before they had their index get it now.
  Schema schema(db);
  for (const ListTable& table : kListTables) {
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

void StoreTimeLine(State& state, const TxnLine& line) {
  static const std::string sql = LineInsert(kTimeTable, kTimeColumns, std::size(kTimeColumns), "");
  Statement& s = state.statements.Get(sql);
  int n = 1;
  for (const std::string& f : line.fields) s.BindText(n++, f);
  s.BindText(n, line.raw);
  s.Step();
}

void StoreExpenseLine(State& state, const TxnLine& line, std::string_view options) {
  const std::vector<std::string>& f = line.fields;
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
    const std::vector<std::string>& f = line.fields;
    try {
      bool known = true;
      if (kind == TxnLineKind::kTime) {
        StoreTimeLine(state, line);
        known = HoldsAny(state, {"EmployeeInfo", "Vendors"}, f[5]) &&
                HoldsAny(state, {"Customers", "CustProjInfo"}, f[6]) &&
                HoldsAny(state, {"TaskInfo"}, f[7]);
      } else {
        StoreExpenseLine(state, line, options);
        known = HoldsAny(state, {"Customers", "CustProjInfo"}, f[3]);
        if (EqualsNoCase(f[2], "Item")) known = known && HoldsAny(state, {"TaskInfo"}, f[9]);
      }
      if (!known) ++unknown;
    } catch (const DbError& e) {
      throw Refusal{ErrorReply("line", i + 1, line.raw, e.what())};
    }
  }
  std::string reply = kReplySuccess;
  if (unknown > 0) reply += static_cast<char>('0' + std::min(unknown, 9));
  return reply;
}

bool IsBlank(std::string_view s) {
  return s.find_first_not_of(" \t\r\n\f") == std::string_view::npos;
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

std::string SiteDatabase::ApplyUpload(std::string_view script, std::string_view options) {
  if (IsBlank(script)) return kReplyNoData;
  std::lock_guard<std::mutex> lock(mu_);
  std::string letter = Lower(options);
  try {
    Exec(db_, "BEGIN IMMEDIATE");
  } catch (const DbError& e) {
    return std::string("Error: ") + e.what();
  }
  auto roll_back = [this] {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    state_->Forget();
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
      " (\"Options\", \"UpStartTime\", \"UserName\", \"ReceivedAt\") VALUES (?, ?, ?, " + kNow +
      ")");
  s.BindText(1, options);
  s.BindText(2, upstarttime);
  s.BindText(3, user);
  s.Step();
}

void SiteDatabase::RecordUpload(std::string_view options, std::string_view upstarttime,
                                std::string_view user, std::string_view debug_mode,
                                std::string_view reply) {
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
