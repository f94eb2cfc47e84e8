// What the time and expense passes share: their record rows, the server's
// error mark in an upload reply, and the rule that reads a duration.
#ifndef VANTREL_CONVERT_TRANSACTION_LINES_H_
#define VANTREL_CONVERT_TRANSACTION_LINES_H_

#include <optional>
#include <string>
#include <string_view>

#include "convert/record_walk.h"

namespace vantrel {

// The row of a transaction record: its TxnID and EditSequence beside the
// common fields.
struct TxnRow : ListRow {
  std::string TxnID;
  std::string EditSequence;
};

// Hooks of a transaction pass: keeps TxnID and EditSequence in the row and
// reads every continuing upload's reply for the error mark.
class TransactionHooks : public ListHooks {
 public:
  void FillRow(RecordContext& record) override;
  void AfterUpload(PassContext& pass) override;
};

// Hours of a qbXML duration "PT<hours>H<minutes><letter>": 1.5 for PT1H30M,
// 0.333 for PT0H20M (minutes over 60 rounded to 3 decimals, halves to the
// even neighbour). nullopt for a text of another form (PT30M, PT1H30M0S).
std::optional<double> DurationHours(std::string_view text);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_TRANSACTION_LINES_H_
