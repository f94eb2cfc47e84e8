#include "convert/transaction_lines.h"

#include <cmath>

#include "convert/converter_stores.h"
#include "platform/text_util.h"
#include "platform/values.h"
#include "wizard/reply_verdict.h"

namespace vantrel {

void TransactionHooks::FillRow(RecordContext& record) {
  TxnRow& row = static_cast<TxnRow&>(record.row);
  std::string_view text;
  if (record.ChildText("TxnID", &text)) row.TxnID.assign(text);
  if (record.ChildText("EditSequence", &text)) row.EditSequence.assign(text);
}

void TransactionHooks::AfterUpload(PassContext& pass) {
  if (pass.reply_mark != nullptr && JudgeReply(pass.batcher.ReplyText()).lines_mark >= 0) {
    *pass.reply_mark = true;
  }
}

std::optional<double> DurationHours(std::string_view text) {
  // The hours run from the third character to the first "H"; the minutes
  // from after it to the last character but one.
  const std::size_t h = text.find('H');
  if (h == std::string_view::npos || h < 2 || text.size() < h + 2) return std::nullopt;
  const std::optional<double> hours = platform::TextToNumber(text.substr(2, h - 2));
  const std::optional<double> minutes =
      platform::TextToNumber(text.substr(h + 1, text.size() - h - 2));
  if (!hours || !minutes) return std::nullopt;
  if (*minutes <= 0) return *hours;
  return std::nearbyint((*hours + *minutes / 60.0) * 1000.0) / 1000.0;
}

}  // namespace vantrel
