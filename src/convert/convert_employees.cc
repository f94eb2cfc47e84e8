// Employees: the "EmployeeRet" records created or changed since the
// employees' last sync into EmployeeInfo. Most columns get fixed values on
// insert and are left alone by updates.
#include <iterator>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

// The text the server's date columns take for "no date".
constexpr std::string_view kMidnight = "'12:00:00 AM'";

constexpr Column kEmployeeColumns[] = {
    RowNumberColumn("[EmployeeID]"),
    TextColumn("[Salutation]", "Salutation", 15, kYes),
    TextColumn("[FirstName]", "FirstName", 25, kYes),
    TextColumn("[MI]", "MiddleName", 5, kYes),
    TextColumn("[LastName]", "LastName", 25, kYes),
    TextColumn("[EmployeeName]", "Name", 41, kYes),
    BlankColumn("[Title]"),
    BlankColumn("[Supervisor]"),
    ConstantColumn("[EmployeeType]", "3"),
    FlagColumn("[Status]", "IsActive", "'Active'", "'In Active'", "'Active'"),
    BlankColumn("[OfficePhone]"),
    BlankColumn("[OfficePhoneExtn]"),
    BlankColumn("[CellPhone]"),
    BlankColumn("[HomePhone]"),
    BlankColumn("[AlternateHomePhone]"),
    BlankColumn("[FaxNumber]"),
    TextColumn("[EmailAddress]", "Email", 99, kYes),
    BlankColumn("[HomeLine1]"),
    BlankColumn("[HomeLine2]"),
    BlankColumn("[HomeLine3]"),
    BlankColumn("[HomeLine4]"),
    BlankColumn("[HomeCity]"),
    BlankColumn("[HomeState]"),
    BlankColumn("[HomeZipCode]"),
    BlankColumn("[HomeCountry]"),
    BlankColumn("[OfficeLine1]"),
    BlankColumn("[OfficeLine2]"),
    BlankColumn("[OfficeLine3]"),
    BlankColumn("[OfficeLine4]"),
    BlankColumn("[OfficeCity]"),
    BlankColumn("[OfficeState]"),
    BlankColumn("[OfficeZipCode]"),
    BlankColumn("[OfficeCountry]"),
    BlankColumn("[Birthday]"),
    DateColumn("[TerminationDate]", "ReleasedDate", kMidnight, kYes),
    BlankColumn("[Refferedby]"),
    BlankColumn("[ContactName]"),
    BlankColumn("[ContactRelationship]"),
    BlankColumn("[ContactHomeNumber]"),
    BlankColumn("[ContactEmailAddress]"),
    ConstantColumn("[CustomDate1]", kMidnight),
    ConstantColumn("[CustomDate2]", kMidnight),
    BlankColumn("[CustomText1]"),
    BlankColumn("[CustomText2]"),
    DateColumn("[HireDate]", "HiredDate", kMidnight, kYes),
    ConstantColumn("[AnnualBeginDate]", kMidnight),
    ConstantColumn("[HourlyBeginDate]", kMidnight),
    ConstantColumn("[BenchPayBeginDate]", kMidnight),
    ConstantColumn("[BenchPlusBeginDate]", kMidnight),
    ConstantColumn("[SalaryPerYear]", "0"),
    ConstantColumn("[SalaryPerHour]", "0"),
    ConstantColumn("[BenchPay]", "0"),
    ConstantColumn("[BenchPlus]", "0"),
    ConstantColumn("[HolidaysCarriedForward]", "0"),
    ConstantColumn("[HolidaysPerYear]", "0"),
    ConstantColumn("[YTDHolidays]", "0"),
    ConstantColumn("[HolidaysRemaining]", "0"),
    ConstantColumn("[VacationsCarriedForward]", "0"),
    ConstantColumn("[VacationsPerYear]", "0"),
    ConstantColumn("[YTDVacations]", "0"),
    ConstantColumn("[VacationsRemaining]", "0"),
    ConstantColumn("[SickLeavesCarriedForward]", "0"),
    ConstantColumn("[SickLeavesPerYear]", "0"),
    ConstantColumn("[YTDSickLeaves]", "0"),
    ConstantColumn("[SickLeavesRemaining]", "0"),
    ConstantColumn("[GetPaidForHolidays]", "0"),
    ConstantColumn("[VendorID]", "0"),
    ModifiedDateColumn("[QBModifiedDate]", kYes),
    ListIdColumn(),
    TextColumn("[QBEditSequence]", "EditSequence", 50, kYes),
    TextColumn("[PrintAs]", "PrintAs", 41, kYes),
    TextColumn("[AccountNumber]", "AccountNumber", 99, kYes),
    UserColumn("[CreateBy]", 50, kNo),
    CreatedAuditColumn("[CreateDate]", kYes),
    UserColumn("[UpdateBy]", 50, kYes),
    ModifiedAuditColumn("[UpdateDate]", kYes),
    TextColumn("[Gender]", "Gender", 20, kYes, "'Male'"),
    BlankColumn("[WebUserID]"),
    BlankColumn("[WebPassword]"),
    ConstantColumn("[AllowWebAccess]", "0"),
    ConstantColumn("[IsSalaried]", "0"),
    ConstantColumn("[OtherFlag1]", "0"),
    ConstantColumn("[OtherFlag2]", "0"),
    BlankColumn("[EmployeeCode]"),
    BlankColumn("[ClassFullRefID]"),
    ConstantColumn("[RatesheetHeaderID]", "0"),
};
static_assert(std::size(kEmployeeColumns) == 86);

const ListEntity kEmployees{
    .pass = {.record_element = Entity(EntityKind::kEmployees).records[0],
             .start_text = {"Getting ", &Wording::EmpLexicon, "s from QB"},
             .running_text = {"Getting ", &Wording::EmpLexicon, "s from QB ("},
             .failure_reset = FailureReset::kAfterParseTest},
    .table = Entity(EntityKind::kEmployees).site_table,
    .key_column = Entity(EntityKind::kEmployees).key_column,
    .columns = kEmployeeColumns,
};

}  // namespace

void ConvertEmployees(PassContext& pass) {
  ConvertListEntity(pass, kEmployees, pass.stores.employees);
}

}  // namespace vantrel
