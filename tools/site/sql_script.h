// Reading of the SQL statements that the upload page accepts: the full upsert
// form (an existence test, then an INSERT or an UPDATE) and the update-only
// form, as the control writes them.
#ifndef VANTREL_SITE_SQL_SCRIPT_H_
#define VANTREL_SITE_SQL_SCRIPT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::site {

// A literal of a statement.
struct SqlValue {
  enum class Kind { kNumber, kString, kNull };
  Kind kind = Kind::kNull;
  std::string text;  // the number as written, or the string with '' undone
};

struct SqlAssignment {
  std::string column;
  SqlValue value;
};

// UPDATE table SET column=value,... WHERE where_column = where_value
struct SqlUpdate {
  std::string table;
  std::vector<SqlAssignment> set;
  std::string where_column;
  SqlValue where_value;
};

// One statement of the script. In the full form, `exists` holds the test
// IF (SELECT Count(count_column) FROM table WHERE where_column = key) op number
// and the INSERT runs when it holds, the UPDATE otherwise.
struct SqlStatement {
  struct Exists {
    std::string count_column;  // "*" for Count(*)
    std::string table;
    std::string where_column;
    SqlValue key;
    std::string op;  // "<=", "<", "=", ">", ">=", "<>"
    double number = 0;
  };
  struct Insert {
    std::string table;
    std::vector<std::string> columns;
    std::vector<SqlValue> values;
  };
  std::optional<Exists> exists;
  std::optional<Insert> insert;  // set exactly when `exists` is
  SqlUpdate update;
  size_t begin = 0;  // offsets of the statement's text in the script
  size_t end = 0;
};

// Where and why a script could not be read.
struct SqlParseError {
  size_t statement_number = 0;  // 1-based
  std::string statement_text;   // the statement's text as far as it can be told
  std::string message;
};

struct SqlScript {
  std::vector<SqlStatement> statements;
  std::optional<SqlParseError> error;  // statements before the error are kept
};

// Reads every statement of `script`. Keywords compare without regard to case;
// names may be bare words or [bracketed] (]] for a ]), with an optional
// schema prefix (dbo.Table), and are returned without brackets or prefix.
// Strings are '...' with '' for an apostrophe and may hold line breaks and
// "|"; numbers are plain decimals with an optional sign; NULL is accepted.
// Statements follow one another with any whitespace (and optional ";")
// between them.
SqlScript ParseSqlScript(std::string_view script);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SQL_SCRIPT_H_
