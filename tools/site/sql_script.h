// Reading of the SQL statements that the upload page accepts. The reader is an
// allow-list: it accepts the two statement forms that the control writes and
// nothing else, so that an upload can never run other SQL on the site.
//
// Full upsert form (one statement, on lines of its own):
//   IF (SELECT Count(<key>) FROM [<table>] WHERE [QBListID] = '<id>') <= 0
//     INSERT INTO <table> ([<column>],...) VALUES (<value>,...)
//   Else
//     UPDATE <table> SET [<column>]=<value>,... WHERE [QBListId] = '<id>'
// Update-only form: the UPDATE line alone.
#ifndef VANTREL_SITE_SQL_SCRIPT_H_
#define VANTREL_SITE_SQL_SCRIPT_H_

#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::site {

// A table that the statements may name, with the key column its existence
// test counts.
struct ListTable {
  std::string_view name;
  std::string_view key_column;
};

// The list tables of the protocol: the site tables of the entities that send
// statements, as the entity registry names them.
std::span<const ListTable> ListTables();

// The list table named `name` (any letter case); nullptr for another name.
const ListTable* FindListTable(std::string_view name);

// The length of the number that `text` begins with, 0 when it begins with
// none. A number is what the control's general number conversion writes and
// a database server reads: an optional sign, digits with an optional point
// and fraction (or a point and a fraction), and an optional exponent, "E" or
// "e" with an optional sign and digits: 8, -20.5, .5, 1E-05, -2.5E+20. An
// "E" without digits after it is not part of the number.
size_t NumberLength(std::string_view text);

// True when the whole of `text` is one number (no blanks around it).
bool IsNumberText(std::string_view text);

// A literal of a statement: a string or a number (kNull is never read; the
// server uses it for values it leaves empty). Its text is viewed, not owned.
struct SqlValue {
  enum class Kind { kNumber, kString, kNull };
  Kind kind = Kind::kNull;
  std::string_view text;  // the number as written, or the string with '' undone
};

struct SqlAssignment {
  std::string_view column;
  SqlValue value;
};

// One statement of the script.
struct SqlStatement {
  const ListTable* table = nullptr;
  // Full form: the INSERT runs when no row of the table holds the ListID in
  // its key column's count, the UPDATE otherwise. Update-only form: false,
  // and the columns and values are empty.
  bool full = false;
  std::vector<std::string_view> columns;
  std::vector<SqlValue> values;
  std::vector<SqlAssignment> set;
  std::string_view list_id;  // the ListID of both conditions
  size_t begin = 0;          // offsets of the statement's text in the script
  size_t end = 0;
};

// Where and why a script could not be read.
struct SqlParseError {
  size_t statement_number = 0;  // 1-based
  std::string statement_text;   // the statement's text as far as it can be told
  std::string message;          // names what was refused
};

// The statements' names and texts view the script they were read from, or,
// where the reader undid a doubled apostrophe or bracket, the copies the
// result keeps in `decoded` (which stay where they are when the result is
// moved; a copy would view the original's, so there is none).
struct SqlScript {
  SqlScript() = default;
  SqlScript(SqlScript&&) = default;
  SqlScript& operator=(SqlScript&&) = default;
  SqlScript(const SqlScript&) = delete;
  SqlScript& operator=(const SqlScript&) = delete;

  std::vector<SqlStatement> statements;
  std::optional<SqlParseError> error;  // statements before the error are kept
  std::deque<std::string> decoded;
};

// Reads every statement of `script`. Keywords compare without regard to case
// and may be separated by any whitespace; each statement ends at the end of a
// line (or of the script). Tables are the list tables, bare or [bracketed];
// columns are [bracketed] identifiers (letters, digits, "_"); the existence
// test counts the table's key column, and both conditions test [QBListID]
// against the same ListID. Strings are '...' with '' for an apostrophe and may
// hold line breaks and "|"; numbers are as NumberLength reads them, exponents
// included. Anything else (another statement, a second statement on a line,
// ";", a comment, NULL, another name) is an error. The result views
// `script`, which must outlive it unchanged: reading copies no value.
SqlScript ParseSqlScript(std::string_view script);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SQL_SCRIPT_H_
