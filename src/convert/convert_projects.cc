// Projects: the jobs and sub-jobs among the "CustomerRet" records (Sublevel
// not 0) into CustProjInfo. A job unchanged since the customers' last sync is
// still sent when its parent job was sent earlier in the same pass. The pass
// makes the one status update for customers and projects together.
#include <iterator>
#include <string>
#include <unordered_set>

#include "convert/converter_stores.h"
#include "convert/customer_list.h"
#include "convert/date_helpers.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "convert/sql_values.h"
#include "platform/text_util.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

// The start-date text that stands for "no start date".
constexpr std::string_view kNoStartDate = "12:00:00AM";

class ProjectHooks final : public CustomerListHooks {
 public:
  // Customers are known as such before they are parsed, mostly.
  bool PassOver(std::string_view record_text) override {
    const std::optional<long> sublevel = QuickSublevel(record_text);
    return sublevel && *sublevel == 0;
  }
  // A customer (Sublevel 0) is not a project.
  bool TakeRecord(RecordContext& record) override {
    const std::optional<long> sublevel = Sublevel(record);
    return !sublevel || *sublevel != 0;
  }

  // Unchanged, but under a parent job sent earlier in this pass.
  bool ConvertAnyway(RecordContext& record) override {
    return IsParentProjectListed(ParentListId(record));
  }

  // The ListIDs of the jobs sent so far, for the parent rule: a set, so the
  // lookup does not grow with the number of jobs.
  void Written(RecordContext& record) override {
    if (!record.row.ListID.empty()) listed_.insert(record.row.ListID);
  }

  // Customers or projects went out without failures.
  bool StatusEarned(const PassContext& pass) override {
    const bool customers = pass.shared.count != nullptr && *pass.shared.count > 0 &&
                           pass.shared.failures != nullptr && *pass.shared.failures == 0;
    return customers || (pass.count > 0 && pass.failures == 0);
  }

  bool IsParentProjectListed(const std::string& list_id) const {
    return !list_id.empty() && listed_.contains(list_id);
  }

 private:
  // The first blank-separated word of ParentRef's whole text: its ListID,
  // which comes first in it. Empty without ParentRef.
  static std::string ParentListId(RecordContext& record) {
    const platform::XmlNode parent = record.record.SelectSingleNode("ParentRef");
    if (!parent) return {};
    const std::string_view text = parent.TextView(record.scratch);
    return std::string(text.substr(0, text.find(' ')));
  }

  std::unordered_set<std::string> listed_;
};

// January 1 of the current year, 00:00:00, as audit text in apostrophes.
void AppendDefaultStart(RecordContext& record, std::string& out) {
  out += '\'';
  AppendAuditDate(out, *platform::DateTime::FromParts(record.pass.now.Year(), 1, 1));
  out += '\'';
}

// The job's start date; updated only when JobStartDate gives one.
bool BeginDate(RecordContext& record, const Column& /*column*/, std::string& out) {
  std::string_view text;
  if (!record.ChildText("JobStartDate", &text) || text == kNoStartDate) {
    AppendDefaultStart(record, out);
    return false;
  }
  ProjectRow& row = static_cast<ProjectRow&>(record.row);
  // A text that is no date leaves the stored start date as it was.
  if (const std::optional<platform::DateTime> date = ParseQBDate(text)) row.JobStartDate = *date;
  if (row.JobStartDate.IsZero()) {
    AppendDefaultStart(record, out);
  } else {
    out += '\'';
    AppendAuditDate(out, row.JobStartDate);
    out += '\'';
  }
  return true;
}

// The record-store row, counted from 1.
bool ProjectId(RecordContext& record, const Column& /*column*/, std::string& out) {
  AppendNumber(out, record.position + 1);
  return false;
}

// JobDesc cut to 99, or '' when it is missing or blank.
bool Description(RecordContext& record, const Column& /*column*/, std::string& out) {
  std::string_view text;
  if (!record.ChildText("JobDesc", &text) || platform::TrimSpaces(text).empty()) {
    out += "''";
  } else {
    AppendQuotedText(out, text, 99);
  }
  return true;
}

constexpr Column kProjectColumns[] = {
    RowNumberColumn("[ProjID]"),
    ConstantColumn("[CustomerID]", "0"),
    CustomColumn("[ProjectID]", ProjectId, kNo),
    TextColumn("[ProjectName]", "Name", 41, kYes),
    TextColumn("[ProjectManager]", "Contact", 50, kYes),
    BlankColumn("[Title]"),
    BlankColumn("[PONumber]"),
    CustomColumn("[BeginDate]", BeginDate, kByHook),
    {.name = "[EndDate]", .kind = ValueKind::kConstant, .update = kYes, .fixed = "'12:00:00 AM'"},
    FlagColumn("[Status]", "IsActive"),
    BlankColumn("[Address1]"),
    BlankColumn("[Address2]"),
    BlankColumn("[Address3]"),
    BlankColumn("[Address4]"),
    BlankColumn("[City]"),
    BlankColumn("[State]"),
    BlankColumn("[ZipCode]"),
    BlankColumn("[Country]"),
    BlankColumn("[Email]"),
    BlankColumn("[Phone]"),
    BlankColumn("[AltPhone]"),
    BlankColumn("[FaxNumber]"),
    ModifiedAuditColumn("[UpdateDate]", kYes),
    CreatedAuditColumn("[CreatedDate]", kNo),
    UserColumn("[CreatedBy]", 50, kNo),
    UserColumn("[UpdatedBy]", 50, kYes),
    ModifiedDateColumn("[QBModifiedDate]", kYes),
    ListIdColumn(),
    TextColumn("[QBEditSequence]", "EditSequence", 50, kYes),
    ConstantColumn("[InvoiceDetailLevel]", "0"),
    BlankColumn("[InvoiceTemplate]"),
    NumberColumn("[SubLevel]", "Sublevel", "0", kYes),
    TextColumn("[QBFullName]", "FullName", 250, kYes),
    CustomColumn("[Description]", Description, kYes),
    {.name = "[ActualEndDate]",
     .kind = ValueKind::kConstant,
     .update = kYes,
     .fixed = "'12:00:00AM'"},
    ConstantColumn("[ProjectType]", "0"),
    ConstantColumn("[InvoiceTemplateID]", "0"),
    ConstantColumn("[RatesheetHeaderID]", "0"),
    ConstantColumn("[AllowBillableExpense]", "0"),
    BlankColumn("[MarkupValue]"),
    ConstantColumn("[UseBillAddress]", "-1"),
    BlankColumn("[BillAddress1]"),
    BlankColumn("[BillAddress2]"),
    BlankColumn("[BillAddress3]"),
    BlankColumn("[BillAddress4]"),
    BlankColumn("[BillCity]"),
    BlankColumn("[BillState]"),
    BlankColumn("[BillZipCode]"),
    BlankColumn("[BillCountry]"),
    ConstantColumn("[BudgetID]", "0"),
    BlankColumn("[ProjectCode]"),
    ConstantColumn("[ContractAmount]", "0"),
    ConstantColumn("[StopAtContractAmount]", "0"),
    ConstantColumn("[MinBillAmount]", "0"),
    ConstantColumn("[BilledAmount]", "0"),
    ConstantColumn("[ProjectStage]", "0"),
    BlankColumn("[ClassFullRefID]"),
    BlankColumn("[TimeApprover]"),
    ConstantColumn("[AssignmentOptional]", "1"),
    ConstantColumn("[ParentID]", "0"),
    ConstantColumn("[ProjectPercentage]", "0"),
    ConstantColumn("[LockRateSheet]", "0"),
    BlankColumn("[SalesRepID]"),
    BlankColumn("[SalesTaxCode]"),
    BlankColumn("[Custom1]"),
    BlankColumn("[Custom2]"),
    ConstantColumn("[BillType]", "0"),
    BlankColumn("[SalesTaxItem]"),
    ConstantColumn("[ContractInclExp]", "0"),
    BlankColumn("[CloseReason]"),
    BlankColumn("[Custom3]"),
    BlankColumn("[Custom4]"),
    BlankColumn("[Custom5]"),
};
static_assert(std::size(kProjectColumns) == 73);

const ListEntity kProjects{
    .pass = {.record_element = Entity(EntityKind::kCustomers).records[0],
             .start_text = {"Getting ", &Wording::ProjLexicon, "s from QB "},
             .running_text = {"Getting ", &Wording::ProjLexicon, "s from QB ("}},
    .table = Entity(EntityKind::kProjects).site_table,
    .key_column = Entity(EntityKind::kProjects).key_column,
    .columns = kProjectColumns,
};

}  // namespace

void ConvertProjects(PassContext& pass) {
  ProjectHooks hooks;
  ConvertListEntity(pass, kProjects, pass.stores.projects, hooks);
}

}  // namespace vantrel
