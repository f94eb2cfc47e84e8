// Vendors: the "VendorRet" records created or changed since the vendors' last
// sync into Vendors. This table names its edit-sequence column [EditSequence]
// and keeps QuickBooks' own time stamp text in [QBModifiedDate].
#include <iterator>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

constexpr Column kVendorColumns[] = {
    RowNumberColumn("[VendorID]"),
    BlankColumn("[VendorCode]"),
    TextColumn("[VendorName]", "Name", 41, kYes),
    TextColumn("[VendorCompanyName]", "CompanyName", 41, kYes),
    TextColumn("[Salutation]", "Salutation", 15, kYes),
    TextColumn("[FirstName]", "FirstName", 25, kYes),
    TextColumn("[MI]", "MiddleName", 5, kYes),
    TextColumn("[LastName]", "LastName", 25, kYes),
    ConstantColumn("[SubLevel]", "0"),
    TextColumn("[EditSequence]", "EditSequence", 50, kYes),
    TextColumn("[QBModifiedDate]", "TimeModified", 50, kYes),
    ListIdColumn(),
    // -1 also without an IsActive element, while the row's IsActive stays
    // false: such a vendor is only updated, and its update leaves [Active].
    FlagColumn("[Active]", "IsActive", "-1", "0", "-1"),
    ConstantColumn("[VendorGroup]", "0"),
    TextColumn("[ContactName]", "Contact", 41, kYes),
    BlankColumn("[PhoneNo]"),
    ConstantColumn("[PExt]", "0"),
    BlankColumn("[AltPhoneNo]"),
    ConstantColumn("[AltExt]", "0"),
    BlankColumn("[FaxNo]"),
    BlankColumn("[Email]"),
    BlankColumn("[Website]"),
    TextColumn("[Reference]", "AltContact", 41, kYes),
    BlankColumn("[BSA_Manager]"),
    BlankColumn("[VendorAddress1]"),
    BlankColumn("[VendorAddress2]"),
    BlankColumn("[VendorAddress3]"),
    BlankColumn("[VendorAddress4]"),
    BlankColumn("[VendorCity]"),
    BlankColumn("[VendorState]"),
    BlankColumn("[VendorZipCode]"),
    BlankColumn("[VendorCountry]"),
    BlankColumn("[RemitAddress1]"),
    BlankColumn("[RemitAddress2]"),
    BlankColumn("[RemitAddress3]"),
    BlankColumn("[RemitAddress4]"),
    BlankColumn("[RemitCity]"),
    BlankColumn("[RemitState]"),
    BlankColumn("[RemitZipCode]"),
    BlankColumn("[RemitCountry]"),
    BlankColumn("[BankName]"),
    TextColumn("[AccountNumber]", "AccountNumber", 99, kYes),
    TextColumn("[NameOnCheck]", "NameOnCheck", 41, kYes),
    BlankColumn("[PaymentMode]"),
    BlankColumn("[PaymentTerms]"),
    ConstantColumn("[CreditLimit]", "0"),
    ConstantColumn("[CreditUsed]", "0"),
    BlankColumn("[TaxID]"),
    ConstantColumn("[Vendor1099]", "0"),
    BlankColumn("[FederalID]"),
    BlankColumn("[DBNumber]"),
    BlankColumn("[CreditRating]"),
    ConstantColumn("[OverdueInvoices]", "0"),
    ConstantColumn("[ChargeFinance]", "0"),
    ConstantColumn("[MonthlyInterestRate]", "0"),
    ConstantColumn("[DiscountPercentage]", "0"),
    BlankColumn("[GLAccount]"),
    ConstantColumn("[InvoicingTerms]", "0"),
    BlankColumn("[Notes]"),
    CreatedAuditColumn("[CreatedDate]", kYes),
    UserColumn("[CreatedBy]", 50, kYes),
    ModifiedAuditColumn("[UpdatedDate]", kYes),
    UserColumn("[UpdatedBy]", 50, kYes),
    ConstantColumn("[EmployeeID]", "0"),
};
static_assert(std::size(kVendorColumns) == 64);

const ListEntity kVendors{
    .pass = {.record_element = Entity(EntityKind::kVendors).records[0],
             .start_text = {"Getting Vendors from QB"},
             .running_text = {"Getting Vendors from QB ("},
             .failure_reset = FailureReset::kAfterParseTest},
    .table = Entity(EntityKind::kVendors).site_table,
    .key_column = Entity(EntityKind::kVendors).key_column,
    .columns = kVendorColumns,
};

}  // namespace

void ConvertVendors(PassContext& pass) { ConvertListEntity(pass, kVendors, pass.stores.vendors); }

}  // namespace vantrel
