// Expenses: the expense and item lines of the checks, then of the bills,
// created or changed since the expenses' last sync, as "|" lines keyed by the
// record's TxnID and the line's number; posted with "X" (checks) and "B"
// (bills), and reported once with "X" after both passes.
#include <array>

#include "convert/converter_stores.h"
#include "convert/line_writer.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "convert/sql_values.h"
#include "convert/transaction_lines.h"
#include "platform/values.h"
#include "wizard/entities.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

namespace {

// The key: the record's TxnID, ", " and the line's number in the record.
void Key(RecordContext& record, const platform::XmlNode& /*line*/, std::string& out) {
  std::string_view id;
  if (record.ChildText("TxnID", &id)) out += id;
  out += ", ";
  AppendNumber(out, LineNumber(record));
}

// The line's BillableStatus; "9" without one or before qbXML 2.0.
void Billable(RecordContext& record, const platform::XmlNode& line, std::string& out) {
  const platform::XmlNode status = line.SelectSingleNode("BillableStatus");
  if (modWizard().lngQBXMLVersion < 2 || !status) {
    out += '9';
  } else {
    out += status.TextView(record.scratch);
  }
}

// False for a line whose `element` is a number below 0.
bool NotNegative(const platform::XmlNode& line, std::string_view element) {
  const platform::XmlNode node = line.SelectSingleNode(element);
  if (!node) return true;
  const std::optional<double> value = platform::TextToNumber(node.Text());
  return !value || *value >= 0;
}
bool AmountNotNegative(RecordContext& /*record*/, const platform::XmlNode& line) {
  return NotNegative(line, "Amount");
}
bool CostNotNegative(RecordContext& /*record*/, const platform::XmlNode& line) {
  return NotNegative(line, "Cost");
}

// The fields of a line of `txn` ("Check" or "Bill") of `kind` ("Expense" or
// "Item"): the first 14 are common, a check's line has a 15th, empty one, and
// an item line ends with its quantity and cost.
template <std::size_t N>
constexpr std::array<Field, N> LineFields(std::string_view txn, bool item) {
  std::array<Field, N> fields = {
      CustomField(Key, "TxnID"),
      ConstantField(txn),
      ConstantField(item ? "Item" : "Expense"),
      TextField("CustomerRef", "ListID"),
      TextField("ClassRef", "ListID"),
      CustomField(Billable, "BillableStatus"),
      NumberField("Amount", "0.00"),
      TextField(item ? "Desc" : "Memo"),
      TextField(item ? "ItemRef" : "AccountRef", "FullName"),
      TextField(item ? "ItemRef" : "AccountRef", "ListID"),
      CreatedField(),
      ModifiedField(),
      RecordTextField("EditSequence"),
      ConstantField(""),
  };
  std::size_t next = 14;
  if (txn == "Check") fields[next++] = ConstantField("");
  if (item) {
    fields[next++] = NumberField("Quantity", "0.00");
    fields[next++] = NumberField("Cost", "0.00");
  }
  return fields;
}

constexpr auto kCheckExpense = LineFields<15>("Check", false);
constexpr auto kCheckItem = LineFields<17>("Check", true);
constexpr auto kBillExpense = LineFields<14>("Bill", false);
constexpr auto kBillItem = LineFields<16>("Bill", true);

constexpr LineKind kCheckLines[] = {{"ExpenseLineRet", kCheckExpense, AmountNotNegative},
                                    {"ItemLineRet", kCheckItem, CostNotNegative}};
constexpr LineKind kBillLines[] = {{"ExpenseLineRet", kBillExpense, AmountNotNegative},
                                   {"ItemLineRet", kBillItem, CostNotNegative}};

constexpr PassSpec kPasses[] = {
    {.record_element = Entity(EntityKind::kExpenses).records[0],
     .letter = Entity(EntityKind::kExpenses).letter,
     .start_text = {"Getting Expenses from QB"},
     .running_text = {"Getting Expenses from QB ("},
     .failure_reset = FailureReset::kNever},
    {.record_element = Entity(EntityKind::kExpenses).records[1],
     .letter = Entity(EntityKind::kExpenses).second_letter,
     .start_text = {"Getting Expenses from QB"},
     .running_text = {"Getting Expenses from QB ("},
     .failure_reset = FailureReset::kNever},
};

// One pass: the lines of the checks or of the bills. False when it stopped.
bool ConvertExpensePass(PassContext& pass, int mode, long& lines) {
  if (pass.reply_mark != nullptr) *pass.reply_mark = false;
  std::unique_ptr<platform::XmlResponse> own;
  ListStoreOf<TxnRow>& store = pass.stores.expenses;
  const platform::XmlResponse* doc = LoadResponse(pass, own);
  if (doc == nullptr) return true;
  TransactionHooks hooks;
  LineWriter writer(mode == 1 ? std::span<const LineKind>(kCheckLines)
                              : std::span<const LineKind>(kBillLines));
  PassContext counted = pass.CountingInto(lines);
  const WalkOutcome outcome = WalkRecords(
      counted, *doc, {.spec = kPasses[mode - 1], .store = store, .hooks = hooks, .writer = writer});
  return outcome.end != PassEnd::kStopped;
}

}  // namespace

void ConvertExpenses(PassContext& pass) {
  pass.count = 0;
  for (int mode = 1; mode <= 2; ++mode) {
    long lines = 0;
    const bool went_on = ConvertExpensePass(pass, mode, lines);
    pass.count += lines;
    if (!went_on) return;
  }
  FinishPass(pass, pass.letter, pass.count > 0 && pass.failures == 0);
}

}  // namespace vantrel
