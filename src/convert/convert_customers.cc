// Customers: the top-level "CustomerRet" records (Sublevel 0 or below)
// created or changed since the customers' last sync into Customers. Jobs are
// left to the projects pass; this pass makes no status update of its own.
#include <iterator>

#include "convert/converter_stores.h"
#include "convert/customer_list.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

class CustomerHooks final : public CustomerListHooks {
 public:
  // Jobs are known as such before they are parsed, mostly.
  bool PassOver(std::string_view record_text) override {
    const std::optional<long> sublevel = QuickSublevel(record_text);
    return sublevel && *sublevel > 0;
  }
  // A job or sub-job (Sublevel above 0) is not a customer.
  bool TakeRecord(RecordContext& record) override {
    const std::optional<long> sublevel = Sublevel(record);
    return !sublevel || *sublevel <= 0;
  }
  // The projects pass reports for both.
  bool StatusEarned(const PassContext& /*pass*/) override { return false; }
};

constexpr Column kCustomerColumns[] = {
    RowNumberColumn("[CustomerID]"),
    BlankColumn("[CustID]"),
    TextColumn("[Customer]", "Name", 41, kYes),
    TextColumn("[CompanyName]", "CompanyName", 41, kYes),
    TextColumn("[Salutation]", "Salutation", 15, kYes),
    TextColumn("[FirstName]", "FirstName", 25, kYes),
    TextColumn("[MI]", "MiddleName", 5, kYes),
    TextColumn("[LastName]", "LastName", 25, kYes),
    FlagColumn("[Active]", "IsActive"),
    ConstantColumn("[SubLevel]", "0"),
    ModifiedDateColumn("[QBModifiedDate]", kYes),
    ListIdColumn(),
    TextColumn("[QBEditSequence]", "EditSequence", 50, kYes),
    BlankColumn("[CustomerGroup]"),
    TextColumn("[ContactName]", "Contact", 41, kYes),
    BlankColumn("[PhoneNumber]"),
    BlankColumn("[PExtno]"),
    BlankColumn("[AltPhoneNumber]"),
    BlankColumn("[AltExtno]"),
    BlankColumn("[FaxNumber]"),
    BlankColumn("[Email]"),
    BlankColumn("[WebSite]"),
    BlankColumn("[Reference]"),
    BlankColumn("[BSAManager]"),
    BlankColumn("[SiteAddress1]"),
    BlankColumn("[SiteAddress2]"),
    BlankColumn("[SiteAddress3]"),
    BlankColumn("[SiteAddress4]"),
    BlankColumn("[SiteCity]"),
    BlankColumn("[SiteState]"),
    BlankColumn("[SiteZipCode]"),
    BlankColumn("[SiteCountry]"),
    BlankColumn("[BillAddress1]"),
    BlankColumn("[BillAddress2]"),
    BlankColumn("[BillAddress3]"),
    BlankColumn("[BillAddress4]"),
    BlankColumn("[BillCity]"),
    BlankColumn("[BillState]"),
    BlankColumn("[BillZipCode]"),
    BlankColumn("[BillCountry]"),
    BlankColumn("[BankName]"),
    TextColumn("[AccountNumber]", "AccountNumber", 99, kYes),
    BlankColumn("[PaymentMode]"),
    BlankColumn("[PaymentTerms]"),
    ConstantColumn("[CreditLimit]", "0"),
    ConstantColumn("[CreditUsed]", "0"),
    ConstantColumn("[AvgDaysToPay]", "0"),
    TextOfChildColumn("[TaxID]", "SalesTaxCodeRef", "FullName", 31, kYes),
    TextOfChildColumn("[TaxGroup]", "ItemSalesTaxRef", "FullName", 31, kYes),
    BlankColumn("[FederalID]"),
    BlankColumn("[DBNumber]"),
    BlankColumn("[CreditRating]"),
    ConstantColumn("[OverdueInvoices]", "0"),
    ConstantColumn("[FinanceChargeYN]", "0"),
    ConstantColumn("[MonthlyInterestRate]", "0"),
    ConstantColumn("[DiscountPercentage]", "0"),
    BlankColumn("[GLAccount]"),
    ConstantColumn("[TimesheetFrequency]", "0"),
    ConstantColumn("[LastDayOfWeek]", "0"),
    ConstantColumn("[CombinedOrSeperate]", "0"),
    ConstantColumn("[InvoicingTerms]", "0"),
    ConstantColumn("[GroupingType]", "0"),
    BlankColumn("[Notes]"),
    CreatedAuditColumn("[CreatedDate]", kNo),
    RawUserColumn("[CreatedBy]", kNo),
    ModifiedAuditColumn("[UpdatedDate]", kYes),
    RawUserColumn("[UpdatedBy]", kYes),
    ConstantColumn("[InvoiceDetailLevel]", "0"),
    ConstantColumn("[InvoiceTemplate]", "0"),
    ConstantColumn("[CombineProjects]", "0"),
    BlankColumn("[BwTsStDate]"),
    ConstantColumn("[ExpenseGrouping]", "0"),
    ConstantColumn("[InvoiceTemplateID]", "0"),
    ConstantColumn("[RatesheetHeaderID]", "0"),
    RawTextOfChildColumn("[SalesRepID]", "SalesRepRef", "ListID", 24, kYes),
};
static_assert(std::size(kCustomerColumns) == 75);

const ListEntity kCustomers{
    .pass = {.record_element = Entity(EntityKind::kCustomers).records[0],
             .start_text = {"Getting ", &Wording::CustLexicon, "s from QB"},
             .running_text = {"Getting ", &Wording::CustLexicon, "s from QB ("}},
    .table = Entity(EntityKind::kCustomers).site_table,
    .key_column = Entity(EntityKind::kCustomers).key_column,
    .columns = kCustomerColumns,
};

}  // namespace

void ConvertCustomers(PassContext& pass) {
  CustomerHooks hooks;
  ConvertListEntity(pass, kCustomers, pass.stores.customers, hooks);
}

}  // namespace vantrel
