// Items: the service, non-inventory, other-charge and payroll wage items
// created or changed since the items' last sync into TaskInfo, one walk per
// kind over the one response. The three sales kinds share one mapping; the
// payroll wage kind has its own and sends only salary and hourly wages.
// [TaskID] counts on across the kinds, and one status update covers them all.
#include <array>
#include <iterator>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "convert/sql_upsert_writer.h"
#include "convert/sql_values.h"
#include "platform/text_util.h"
#include "platform/values.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

constexpr int kKinds = 4;
constexpr int kPayrollWage = 3;
constexpr std::size_t kItemColumnCount = 28;

ItemRow& Row(RecordContext& record) { return static_cast<ItemRow&>(record.row); }

// The first sales tax code of the response named `name` decides whether it
// is taxable; none of that name: not taxable. nullopt when a code on the way
// lacks the element the lookup reads (the record keeps its taxability).
std::optional<bool> IsTaxableCode(const ConverterStores& stores, std::string_view name) {
  const auto& codes = stores.sales_tax_codes;
  if (!codes) return false;
  for (const SalesTaxCode& code : *codes) {
    if (!code.Name) return std::nullopt;
    if (*code.Name != name) continue;
    if (!code.IsTaxable) return std::nullopt;
    return *code.IsTaxable == "true";
  }
  return false;
}

// Keeps the sales tax codes of `doc` for the lookup.
void LoadSalesTaxCodes(ConverterStores& stores, const platform::XmlResponse& doc) {
  std::vector<SalesTaxCode> codes;
  platform::XmlRecords records = doc.Records("SalesTaxCodeRet");
  for (platform::XmlNode node = records.Next(); node; node = records.Next()) {
    SalesTaxCode& code = codes.emplace_back();
    if (const platform::XmlNode name = node.SelectSingleNode("Name")) code.Name = name.Text();
    if (const platform::XmlNode taxable = node.SelectSingleNode("IsTaxable")) {
      code.IsTaxable = taxable.Text();
    }
  }
  stores.sales_tax_codes = std::move(codes);
}

// The text of `name` under `node`, when both are there.
bool ChildTextOf(const platform::XmlNode& node, std::string_view name, std::string& out) {
  const platform::XmlNode child = node ? node.SelectSingleNode(name) : platform::XmlNode();
  if (!child) return false;
  out = child.Text();
  return true;
}

// A price text read as a plain decimal number; any other text leaves `price`.
void ReadPrice(const platform::XmlNode& node, double& price) {
  if (!node) return;
  if (const std::optional<double> value = platform::TextToNumber(node.Text())) price = *value;
}

// The sales kinds' derived values: the sales description, price and income
// account from SalesOrPurchase, else from SalesAndPurchase.
class SalesItemHooks final : public ListHooks {
 public:
  bool TakeFiltered(RecordContext& record) override {
    ItemRow& row = Row(record);
    ChildTextOf(record.record, "FullName", row.FullName);
    std::string desc;
    if (const platform::XmlNode sales = record.record.SelectSingleNode("SalesOrPurchase")) {
      row.SalesDesc =
          ChildTextOf(sales, "Desc", desc) && !platform::IsBlank(desc) ? desc : row.FullName;
      const platform::XmlNode price = sales.SelectSingleNode("Price");
      ReadPrice(price ? price : sales.SelectSingleNode("PricePercent"), row.Price);
      ChildTextOf(sales.SelectSingleNode("AccountRef"), "FullName", row.AccountName);
    } else if (const platform::XmlNode both = record.record.SelectSingleNode("SalesAndPurchase")) {
      row.SalesDesc =
          ChildTextOf(both, "SalesDesc", desc) && !platform::IsBlank(desc) ? desc : row.FullName;
      ReadPrice(both.SelectSingleNode("SalesPrice"), row.Price);
      ChildTextOf(both.SelectSingleNode("IncomeAccountRef"), "FullName", row.AccountName);
    }
    return true;
  }
};

// Only salary and hourly wages; a payroll item without a wage type is sent.
class PayrollWageHooks final : public ListHooks {
 public:
  void FillRow(RecordContext& record) override {
    ChildTextOf(record.record, "Name", Row(record).FullName);
  }
  bool TakeFiltered(RecordContext& record) override {
    std::string_view type;
    if (!record.ChildText("WageType", &type)) return true;
    const std::string head = platform::ToUpperAscii(type.substr(0, 6));
    return head == "SALARY" || head == "HOURLY";
  }
};

bool SalesDescription(RecordContext& record, const Column& /*column*/, std::string& out) {
  AppendQuotedText(out, Row(record).SalesDesc, 0);
  return false;
}

bool AccountName(RecordContext& record, const Column& /*column*/, std::string& out) {
  AppendQuotedText(out, Row(record).AccountName, 159);
  return false;
}

// Plain decimal text without trailing zeros: 150, 12.5, 0.
bool BillRate(RecordContext& record, const Column& /*column*/, std::string& out) {
  out += platform::NumberToText(Row(record).Price);
  return false;
}

// -1 for an item whose sales tax code is taxable, 0 otherwise.
bool Taxable(RecordContext& record, const Column& /*column*/, std::string& out) {
  ItemRow& row = Row(record);
  const platform::XmlNode code = record.record.SelectSingleNode("SalesTaxCodeRef");
  if (!code) {
    out += '0';
    return false;
  }
  std::string name;
  if (ChildTextOf(code, "FullName", name)) {
    if (const std::optional<bool> taxable = IsTaxableCode(record.pass.stores, name)) {
      row.Taxable = *taxable ? "True" : "False";
    }
  }
  out += row.Taxable == "True" ? "-1" : "0";
  return false;
}

using ItemColumns = std::array<Column, kItemColumnCount>;

// The columns every kind shares, with the kind's own in between.
constexpr ItemColumns MakeItemColumns(const std::array<Column, 8>& own, Column sublevel,
                                      std::string_view full_name_element) {
  return {
      RowNumberColumn("[TaskID]"),
      TextColumn("[Name]", full_name_element, 159, kYes),
      own[0],
      FlagColumn("[IsActive]", "IsActive"),
      own[1],
      own[2],
      own[3],
      own[4],
      own[5],
      ConstantColumn("[TaxRate]", "0"),
      ConstantColumn("[DiscountPercentage]", "0"),
      ConstantColumn("[SortOrder]", "0"),
      ListIdColumn(),
      TextColumn("[QBEditSequence]", "EditSequence", 50, kYes),
      ModifiedDateColumn("[QBModifiedDate]", kYes),
      UserColumn("[CreatedBy]", 50, kNo),
      CreatedAuditColumn("[CreatedDate]", kNo),
      UserColumn("[UpdatedBy]", 50, kYes),
      ModifiedAuditColumn("[UpdatedDate]", kYes),
      BlankColumn("[TaskGroup]"),
      sublevel,
      TextColumn("[QBFullName]", full_name_element, 250, kYes),
      BlankColumn("[ClassFullRefID]"),
      BlankColumn("[BillAccount]"),
      ConstantColumn("[AllowExpense]", "0"),
      BlankColumn("[PurchaseDescription]"),
      ConstantColumn("[IsExpenseAccountAnItem]", "0"),
      ConstantColumn("[BillingArrangement]", "0"),
  };
}

// A sales kind: its [TaskType] and whether [Billable] is updated.
constexpr ItemColumns SalesColumns(std::string_view task_type, UpdateRule billable) {
  return MakeItemColumns(
      {CustomColumn("[Description]", SalesDescription, kYes),
       ConstantColumn("[TaskType]", task_type),
       CustomColumn("[GLAccount]", AccountName, kYes),
       {.name = "[Billable]", .kind = ValueKind::kConstant, .update = billable, .fixed = "-1"},
       CustomColumn("[BillRate]", BillRate, kYes),
       CustomColumn("[Taxable]", Taxable, kYes)},
      NumberColumn("[SubLevel]", "Sublevel", "1", kYes), "FullName");
}

constexpr ItemColumns kServiceColumns = SalesColumns("1", kNo);
constexpr ItemColumns kNonInventoryColumns = SalesColumns("3", kYes);
constexpr ItemColumns kOtherChargeColumns = SalesColumns("4", kYes);
constexpr ItemColumns kPayrollWageColumns = MakeItemColumns(
    {TextColumn("[Description]", "WageType", 0, kYes), ConstantColumn("[TaskType]", "5"),
     BlankColumn("[GLAccount]"), ConstantColumn("[Billable]", "0"),
     ConstantColumn("[BillRate]", "0"), ConstantColumn("[Taxable]", "0")},
    ConstantColumn("[SubLevel]", "1"), "Name");

ListEntity ItemEntity(std::string_view element, ProgressText start, ProgressText running,
                      const ItemColumns& columns) {
  return {.pass = {.record_element = element, .start_text = start, .running_text = running},
          .table = Entity(EntityKind::kItems).site_table,
          .key_column = Entity(EntityKind::kItems).key_column,
          .columns = columns};
}

const std::array<ListEntity, kKinds>& Kinds() {
  static const std::array<ListEntity, kKinds> kinds = {
      ItemEntity(records::kItems[0], {"Getting ", &Wording::SILexicon, "s from QB"},
                 {"Getting ", &Wording::SILexicon, "s from QB ("}, kServiceColumns),
      ItemEntity(records::kItems[1], {"Getting Non-inventory items from QB"},
                 {"Getting Non-inventory items from QB ("}, kNonInventoryColumns),
      ItemEntity(records::kItems[2], {"Getting Other charge items from QB"},
                 {"Getting Other charge items from QB ("}, kOtherChargeColumns),
      ItemEntity(records::kItems[3], {"Getting Payroll Items from QB"},
                 {"Getting Payroll Items from QB ("}, kPayrollWageColumns),
  };
  return kinds;
}

}  // namespace

void ConvertItems(PassContext& pass) {
  std::unique_ptr<platform::XmlResponse> own;
  const platform::XmlResponse* doc = LoadResponse(pass, own);
  if (doc == nullptr) return;
  LoadSalesTaxCodes(pass.stores, *doc);
  pass.failures = 0;

  SalesItemHooks sales;
  PayrollWageHooks payroll;
  // Each kind's [TaskID] starts after the statements of the kinds before it;
  // the last two kinds leave one number out.
  long next_base = kFirstRowNumber;
  pass.count = 0;
  for (int kind = 0; kind < kKinds; ++kind) {
    if (kind == 2) ++next_base;
    long kind_count = 0;
    PassContext kind_pass = pass.CountingInto(kind_count);
    const ListEntity& entity = Kinds()[static_cast<std::size_t>(kind)];
    SqlUpsertWriter writer(entity);
    const WalkOutcome outcome =
        WalkRecords(kind_pass, *doc,
                    {.spec = entity.pass,
                     .store = pass.stores.items[static_cast<std::size_t>(kind)],
                     .hooks = kind == kPayrollWage ? static_cast<ListHooks&>(payroll) : sales,
                     .writer = writer,
                     .row_base = next_base,
                     .numbering = RowNumbers::kByEntries});
    pass.count += kind_count;
    next_base += kind_count;
    if (outcome.end == PassEnd::kStopped) return;
    if (outcome.end == PassEnd::kFinished) pass.progress.Hide();
  }
  FinishPass(pass, pass.letter, pass.count > 0 && pass.failures == 0);
}

}  // namespace vantrel
