// Time: every "TimeTrackingRet" created or changed since the time's last
// sync as one "|" line of fifteen fields, posted with the letter "H".
#include "convert/converter_stores.h"
#include "convert/line_writer.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "convert/transaction_lines.h"
#include "platform/values.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

// The duration in hours, in the general number form; 0 when the text does
// not follow the duration's form.
void Duration(RecordContext& record, const platform::XmlNode& /*line*/, std::string& out) {
  std::string_view text;
  const std::optional<double> hours =
      record.ChildText("Duration", &text) ? DurationHours(text) : std::nullopt;
  out += platform::NumberToText(hours.value_or(0.0));
}

constexpr Field kTimeFields[] = {
    TextField("TxnID"),
    CreatedField(),
    ModifiedField(),
    TextField("EditSequence"),
    DateField("TxnDate"),
    TextField("EntityRef", "ListID"),
    TextField("CustomerRef", "ListID"),
    TextField("ItemServiceRef", "ListID"),
    CustomField(Duration, "Duration"),
    TextField("ClassRef", "ListID"),
    TextField("PayrollItemWageRef", "ListID"),
    TextField("Notes"),
    BooleanField("IsBillable"),
    BooleanField("IsBilled"),
    TextField("EntityRef", "FullName"),
};
static_assert(std::size(kTimeFields) == 15);

constexpr LineKind kTimeLines[] = {{.fields = kTimeFields}};

const PassSpec kTime{.record_element = Entity(EntityKind::kTime).records[0],
                     .start_text = {"Getting Time Information from QB"},
                     .running_text = {"Getting Time Info from QB ("},
                     .failure_reset = FailureReset::kNever};

}  // namespace

void ConvertTime(PassContext& pass) {
  if (pass.reply_mark != nullptr) *pass.reply_mark = false;
  TransactionHooks hooks;
  LineWriter writer(kTimeLines);
  RunPass(pass, kTime, pass.stores.time, hooks, writer);
}

}  // namespace vantrel
