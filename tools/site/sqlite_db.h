// The SQLite pieces the site's database is built from: prepared statements,
// a cache of them, and what the database knows of its tables' columns.
#ifndef VANTREL_SITE_SQLITE_DB_H_
#define VANTREL_SITE_SQLITE_DB_H_

#include <sqlite3.h>

#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text_util.h"
#include "site/sql_script.h"

namespace vantrel::site::sqlite {

struct DbError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A name quoted for SQLite.
inline std::string Quote(std::string_view name) {
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

  void BindNumber(int i, long long n) { Check(sqlite3_bind_int64(stmt_, i, n)); }

  // A number binds as an integer when it is one that fits, else as a real.
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
    // The number's form (site/sql_script.h): from_chars reads an integer but
    // for a leading "+"; a real is read as strtod reads it (a magnitude past
    // the largest double is infinite, not 0).
    std::string_view digits = v.text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    if (digits.find('.') == std::string_view::npos) {
      long long n = 0;
      const char* const end = digits.data() + digits.size();
      const auto [at, error] = std::from_chars(digits.data(), end, n);
      if (error == std::errc() && at == end) {
        Check(sqlite3_bind_int64(stmt_, i, n));
        return;
      }
    }
    Check(sqlite3_bind_double(stmt_, i, std::strtod(std::string(v.text).c_str(), nullptr)));
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

inline void Exec(sqlite3* db, const std::string& sql) {
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
    return columns != nullptr && columns->count(platform::ToLowerAscii(column)) > 0;
  }

  // Creates `table` with `columns` (and QBListID), or adds those it lacks.
  void Ensure(const std::string& table, const std::vector<std::string>& columns) {
    std::set<std::string>* have = Columns(table);
    if (have == nullptr) {
      std::string sql = "CREATE TABLE " + Quote(table) + " (";
      std::set<std::string> made;
      for (const std::string& c : columns) {
        if (!made.insert(platform::ToLowerAscii(c)).second) continue;
        if (made.size() > 1) sql += ", ";
        sql += Quote(c);
      }
      if (made.insert(platform::ToLowerAscii(kListIdColumn)).second) {
        if (made.size() > 1) sql += ", ";
        sql += Quote(kListIdColumn);
      }
      sql += ")";
      Exec(db_, sql);
      IndexListId(db_, table);
      cache_[platform::ToLowerAscii(table)] = made;
      return;
    }
    for (const std::string& c : columns) {
      if (have->count(platform::ToLowerAscii(c))) continue;
      Exec(db_, "ALTER TABLE " + Quote(table) + " ADD COLUMN " + Quote(c));
      have->insert(platform::ToLowerAscii(c));
      if (platform::EqualsNoCase(c, kListIdColumn)) IndexListId(db_, table);
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
    std::string key = platform::ToLowerAscii(table);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second ? &*it->second : nullptr;
    std::optional<std::set<std::string>> columns;
    {
      Statement s(db_, "SELECT name FROM pragma_table_info(?)");
      s.BindText(1, table);
      while (s.Step()) {
        if (!columns) columns.emplace();
        columns->insert(platform::ToLowerAscii(s.Text(0)));
      }
    }
    auto& slot = cache_[key] = std::move(columns);
    return slot ? &*slot : nullptr;
  }

  sqlite3* db_;
  std::map<std::string, std::optional<std::set<std::string>>> cache_;
};

}  // namespace vantrel::site::sqlite

#endif  // VANTREL_SITE_SQLITE_DB_H_
