// Reading of the "|"-separated transaction lines that the upload page accepts
// with the options letters H (time) and X or B (expense checks and bills).
#ifndef VANTREL_SITE_TXN_LINES_H_
#define VANTREL_SITE_TXN_LINES_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::site {

enum class TxnLineKind { kTime, kExpense };

// One transaction line. `fields` has the line's layout: 15 fields for time;
// for expenses 15 (check expense line), 14 (bill expense line), 17 (check
// item line) or 16 (bill item line).
//
// Fields are neither quoted nor escaped, so a line is taken only when it
// reads one way: it is one line of the script (a line break inside a text
// ends it early), it has exactly the fields of its layout (a "|" inside a
// text adds one), and every field that is not a text holds what its layout
// says: a date (the general date text: "m/d/yyyy h:mm:ss AM", "m/d/yyyy", or
// a time alone on the zero date), a number (site/sql_script.h's
// IsNumberText), True or False, or nothing where the layout is always empty.
// An expense line's key (field 1) is the TxnID, ", " and the line number; it
// ends before the line's first known kind ("Check|Expense", ...), so a "|"
// inside the TxnID is kept in it.
struct TxnLine {
  std::string raw;  // the line as received, without its final CR LF
  std::vector<std::string> fields;
};

struct TxnLineError {
  size_t line_number = 0;  // 1-based, counting transaction lines
  std::string line_text;   // the whole line as received
  std::string message;     // names the fields or the field refused
};

struct TxnLines {
  std::vector<TxnLine> lines;
  std::optional<TxnLineError> error;  // lines before the error are kept
};

// Reads the lines of `script` (each ended by CR LF; the last one may lack it;
// empty lines are passed over) up to the first one that cannot be read. Takes
// time linear in the script's length.
TxnLines ParseTxnLines(std::string_view script, TxnLineKind kind);

// Number of fields of an expense line of kind `txn` ("Check" or "Bill") and
// `line` ("Expense" or "Item"); 0 for other kinds.
size_t ExpenseFieldCount(std::string_view txn, std::string_view line);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_TXN_LINES_H_
