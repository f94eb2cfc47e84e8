#include "site/site_database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

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

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
      throw DbError(sqlite3_errmsg(db));
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

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
    if (v.text.find_first_of(".eE") == std::string::npos) {
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

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    throw DbError(message);
  }
}

// Tables and columns as the database holds them, created on demand. Lives for
// one script (a rollback undoes what it created).
class Schema {
 public:
  explicit Schema(sqlite3* db) : db_(db) {}

  bool HasTable(const std::string& table) { return Columns(table) != nullptr; }

  bool HasColumn(const std::string& table, const std::string& column) {
    const std::set<std::string>* columns = Columns(table);
    return columns != nullptr && columns->count(Lower(column)) > 0;
  }

  // Creates `table` with `columns`, or adds those it lacks.
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
      sql += ")";
      Exec(db_, sql);
      cache_[Lower(table)] = made;
      return;
    }
    for (const std::string& c : columns) {
      if (have->count(Lower(c))) continue;
      Exec(db_, "ALTER TABLE " + Quote(table) + " ADD COLUMN " + Quote(c));
      have->insert(Lower(c));
    }
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

bool Compare(double a, const std::string& op, double b) {
  if (op == "<=") return a <= b;
  if (op == "<") return a < b;
  if (op == "=") return a == b;
  if (op == ">") return a > b;
  if (op == ">=") return a >= b;
  return a != b;
}

struct SqlOutcome {
  bool inserted_tasks = false;
  bool inserted_projects = false;
};

// Runs one statement of the script.
void RunStatement(sqlite3* db, Schema* schema, const SqlStatement& st, SqlOutcome* outcome) {
  bool insert = false;
  if (st.exists) {
    const SqlStatement::Exists& e = *st.exists;
    double count = 0;
    if (schema->HasTable(e.table)) {
      std::vector<std::string> needed = {e.where_column};
      if (e.count_column != "*") needed.push_back(e.count_column);
      schema->Ensure(e.table, needed);
      std::string what = e.count_column == "*" ? "*" : Quote(e.count_column);
      Statement s(db, "SELECT Count(" + what + ") FROM " + Quote(e.table) + " WHERE " +
                          Quote(e.where_column) + " = ?");
      s.Bind(1, e.key);
      if (s.Step()) count = static_cast<double>(s.Int(0));
    }
    insert = Compare(count, e.op, e.number);
  }
  if (insert) {
    const SqlStatement::Insert& ins = *st.insert;
    if (ins.columns.size() != ins.values.size()) {
      throw DbError(std::to_string(ins.columns.size()) + " columns but " +
                    std::to_string(ins.values.size()) + " values");
    }
    schema->Ensure(ins.table, ins.columns);
    std::string sql = "INSERT INTO " + Quote(ins.table) + " (";
    std::string marks;
    for (size_t i = 0; i < ins.columns.size(); ++i) {
      if (i > 0) {
        sql += ", ";
        marks += ", ";
      }
      sql += Quote(ins.columns[i]);
      marks += "?";
    }
    sql += ") VALUES (" + marks + ")";
    Statement s(db, sql);
    for (size_t i = 0; i < ins.values.size(); ++i) s.Bind(static_cast<int>(i + 1), ins.values[i]);
    s.Step();
    if (EqualsNoCase(ins.table, "TaskInfo")) outcome->inserted_tasks = true;
    if (EqualsNoCase(ins.table, "CustProjInfo")) outcome->inserted_projects = true;
    return;
  }
  const SqlUpdate& u = st.update;
  std::vector<std::string> columns;
  for (const SqlAssignment& a : u.set) columns.push_back(a.column);
  columns.push_back(u.where_column);
  schema->Ensure(u.table, columns);
  std::string sql = "UPDATE " + Quote(u.table) + " SET ";
  for (size_t i = 0; i < u.set.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += Quote(u.set[i].column) + " = ?";
  }
  sql += " WHERE " + Quote(u.where_column) + " = ?";
  Statement s(db, sql);
  int n = 1;
  for (const SqlAssignment& a : u.set) s.Bind(n++, a.value);
  s.Bind(n, u.where_value);
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

std::string RunSql(sqlite3* db, std::string_view script) {
  SqlScript parsed = ParseSqlScript(script);
  if (parsed.error) {
    throw Refusal{ErrorReply("statement", parsed.error->statement_number,
                             parsed.error->statement_text, parsed.error->message)};
  }
  Schema schema(db);
  SqlOutcome outcome;
  for (size_t i = 0; i < parsed.statements.size(); ++i) {
    const SqlStatement& st = parsed.statements[i];
    try {
      RunStatement(db, &schema, st, &outcome);
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
bool Holds(sqlite3* db, Schema* schema, const std::string& table, const std::string& list_id) {
  if (!schema->HasColumn(table, "QBListID")) return false;
  Statement s(db, "SELECT 1 FROM " + Quote(table) + " WHERE \"QBListID\" = ? LIMIT 1");
  s.BindText(1, list_id);
  return s.Step();
}

bool HoldsAny(sqlite3* db, Schema* schema, std::initializer_list<const char*> tables,
              const std::string& list_id) {
  if (list_id.empty()) return true;
  for (const char* t : tables) {
    if (Holds(db, schema, t, list_id)) return true;
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

void CreateLineTables(sqlite3* db) {
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
}

const char kNow[] = "strftime('%m/%d/%Y %H:%M:%S', 'now', 'localtime')";

void StoreTimeLine(sqlite3* db, const TxnLine& line) {
  std::string sql = std::string("INSERT OR REPLACE INTO ") + Quote(kTimeTable) + " (";
  for (const char* c : kTimeColumns) sql += Quote(c) + ", ";
  sql += "\"Line\", \"ReceivedAt\") VALUES (";
  for (size_t i = 0; i < std::size(kTimeColumns); ++i) sql += "?, ";
  sql += std::string("?, ") + kNow + ")";
  Statement s(db, sql);
  int n = 1;
  for (const std::string& f : line.fields) s.BindText(n++, f);
  s.BindText(n, line.raw);
  s.Step();
}

void StoreExpenseLine(sqlite3* db, const TxnLine& line, std::string_view options) {
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
  std::string sql = std::string("INSERT OR REPLACE INTO ") + Quote(kExpenseTable) + " (";
  for (const char* c : kExpenseColumns) sql += Quote(c) + ", ";
  sql += "\"Options\", \"Line\", \"ReceivedAt\") VALUES (";
  for (size_t i = 0; i < std::size(kExpenseColumns); ++i) sql += "?, ";
  sql += std::string("?, ?, ") + kNow + ")";
  Statement s(db, sql);
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

std::string RunLines(sqlite3* db, std::string_view script, TxnLineKind kind,
                     std::string_view options) {
  TxnLines parsed = ParseTxnLines(script, kind);
  if (parsed.error) {
    throw Refusal{ErrorReply("line", parsed.error->line_number, parsed.error->line_text,
                             parsed.error->message)};
  }
  if (parsed.lines.empty()) return kReplyNoData;
  Schema schema(db);
  int unknown = 0;
  for (size_t i = 0; i < parsed.lines.size(); ++i) {
    const TxnLine& line = parsed.lines[i];
    const std::vector<std::string>& f = line.fields;
    try {
      bool known = true;
      if (kind == TxnLineKind::kTime) {
        StoreTimeLine(db, line);
        known = HoldsAny(db, &schema, {"EmployeeInfo", "Vendors"}, f[5]) &&
                HoldsAny(db, &schema, {"Customers", "CustProjInfo"}, f[6]) &&
                HoldsAny(db, &schema, {"TaskInfo"}, f[7]);
      } else {
        StoreExpenseLine(db, line, options);
        known = HoldsAny(db, &schema, {"Customers", "CustProjInfo"}, f[3]);
        if (EqualsNoCase(f[2], "Item")) known = known && HoldsAny(db, &schema, {"TaskInfo"}, f[9]);
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
    CreateLineTables(db_);
  } catch (const DbError& e) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw std::runtime_error("cannot set up database " + file + ": " + e.what());
  }
}

SiteDatabase::~SiteDatabase() { sqlite3_close(db_); }

std::string SiteDatabase::ApplyUpload(std::string_view script, std::string_view options) {
  if (IsBlank(script)) return kReplyNoData;
  std::lock_guard<std::mutex> lock(mu_);
  std::string letter = Lower(options);
  try {
    Exec(db_, "BEGIN IMMEDIATE");
  } catch (const DbError& e) {
    return std::string("Error: ") + e.what();
  }
  try {
    std::string reply;
    if (letter == "h") {
      reply = RunLines(db_, script, TxnLineKind::kTime, options);
    } else if (letter == "x" || letter == "b") {
      reply = RunLines(db_, script, TxnLineKind::kExpense, options);
    } else {
      reply = RunSql(db_, script);
    }
    Exec(db_, "COMMIT");
    return reply;
  } catch (const Refusal& r) {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return r.reply;
  } catch (const DbError& e) {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return std::string("Error: ") + e.what();
  }
}

void SiteDatabase::RecordStatus(std::string_view options, std::string_view upstarttime,
                                std::string_view user) {
  std::lock_guard<std::mutex> lock(mu_);
  Statement s(db_, std::string("INSERT INTO ") + Quote(kStatusTable) +
                       " (\"Options\", \"UpStartTime\", \"UserName\", \"ReceivedAt\") VALUES (?, "
                       "?, ?, " +
                       kNow + ")");
  s.BindText(1, options);
  s.BindText(2, upstarttime);
  s.BindText(3, user);
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
