// Chart of accounts: the "AccountRet" records created or changed since the
// accounts' last sync into GLChartOfAccounts. New rows get fixed defaults for
// the server's billing columns; an account of type Expense may take expenses.
#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

// The account type as received, kept in the row for [AllowExpense].
class AccountHooks final : public ListHooks {
 public:
  void FillRow(RecordContext& record) override {
    std::string_view type;
    if (record.ChildText("AccountType", &type)) {
      static_cast<AccountRow&>(record.row).AccountType.assign(type);
    }
  }
};

// -1 for an account whose type is exactly "Expense", 0 for any other.
bool AllowExpense(RecordContext& record, const Column& /*column*/, std::string& out) {
  out += static_cast<const AccountRow&>(record.row).AccountType == "Expense" ? "-1" : "0";
  return false;
}

constexpr Column kAccountColumns[] = {
    RowNumberColumn("[AccRowID]"),
    TextColumn("[AccountNumber]", "AccountNumber", 50, kYes),
    TextColumn("[AccountName]", "FullName", 159, kYes),
    TextColumn("[AssetType]", "AccountType", 30, kYes),
    BlankColumn("[BalanceType]"),
    BlankColumn("[Notes]"),
    ConstantColumn("[ReportLevel]", "0"),
    NumberColumn("[ReportingLevel]", "Sublevel", "1", kYes),
    NumberColumn("[AccountBalance]", "TotalBalance", "0", kYes),
    FlagColumn("[InActiveYN]", "IsActive"),
    NumberColumn("[BeginningBalance]", "Balance", "0", kYes),
    ModifiedDateColumn("[QBModifiedDate]", kYes),
    TextColumn("[QBEditSequence]", "EditSequence", 50, kYes),
    ListIdColumn(),
    TextColumn("[Description]", "Desc", 50, kYes),
    UserColumn("[CreatedBy]", 50, kNo),
    CreatedAuditColumn("[CreatedDate]", kNo),
    UserColumn("[UpdatedBy]", 50, kYes),
    ModifiedAuditColumn("[UpdatedDate]", kYes),
    BlankColumn("[ClassFullRefID]"),
    CustomColumn("[AllowExpense]", AllowExpense, kNo),
    BlankColumn("[InvoiceItemCode]"),
    ConstantColumn("[ShowQty]", "0"),
    ConstantColumn("[DefaultRate]", "0"),
    ConstantColumn("[LockDefaultRate]", "0"),
    ConstantColumn("[DefaultBillRate]", "0"),
    ConstantColumn("[LockDefaultBillRate]", "0"),
    ConstantColumn("[MinQty]", "0"),
    ConstantColumn("[MaxQty]", "0"),
};

const ListEntity kAccounts{
    .pass = {.record_element = Entity(EntityKind::kAccounts).records[0],
             .start_text = {"Getting Chart of Accounts from QB"},
             .running_text = {"Getting GLs from QB ("},
             .failure_reset = FailureReset::kAfterProgress},
    .table = Entity(EntityKind::kAccounts).site_table,
    .key_column = Entity(EntityKind::kAccounts).key_column,
    .columns = kAccountColumns,
};

}  // namespace

void ConvertAccounts(PassContext& pass) {
  AccountHooks hooks;
  ConvertListEntity(pass, kAccounts, pass.stores.accounts, hooks);
}

}  // namespace vantrel
