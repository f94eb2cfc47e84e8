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
// item line) or 16 (bill item line). Fields are not quoted, so a "|" or a
// line break inside the free text (time: Notes, field 12; expense: Memo or
// Desc, field 8) is taken back into that field: the fields after it are
// counted from the end of the line. An expense line's key (field 1) ends
// before its kind, so a "|" in the key is kept in it too.
struct TxnLine {
  std::string raw;  // the line as received, without its final CR LF
  std::vector<std::string> fields;
};

struct TxnLineError {
  size_t line_number = 0;  // 1-based, counting transaction lines
  std::string line_text;
  std::string message;
};

struct TxnLines {
  std::vector<TxnLine> lines;
  std::optional<TxnLineError> error;  // lines before the error are kept
};

// Splits `script` into its lines (each ended by CR LF; the last one may lack
// it). A physical line that does not yet hold a whole transaction line is
// joined with the next (CR LF between them) until it does.
TxnLines ParseTxnLines(std::string_view script, TxnLineKind kind);

// Number of fields of an expense line of kind `txn` ("Check" or "Bill") and
// `line` ("Expense" or "Item"); 0 for other kinds.
size_t ExpenseFieldCount(std::string_view txn, std::string_view line);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_TXN_LINES_H_
