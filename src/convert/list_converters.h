// The converters built on the pass engine. Each reads the run's response
// (strResponseXML), writes one upsert statement per record into the upload
// script, posts it in batches with the pass's entity letter and reports its
// entity to the status page when the pass ends well.
#ifndef VANTREL_CONVERT_LIST_CONVERTERS_H_
#define VANTREL_CONVERT_LIST_CONVERTERS_H_

#include "convert/list_entity.h"
#include "convert/pass_context.h"

namespace vantrel {

// Classes ("ClassRet" into ClassInfo); every class, no last-sync filter.
void ConvertClasses(PassContext& pass);
// Chart of accounts ("AccountRet" into GLChartOfAccounts).
void ConvertAccounts(PassContext& pass);
// Employees ("EmployeeRet" into EmployeeInfo).
void ConvertEmployees(PassContext& pass);
// Vendors ("VendorRet" into Vendors).
void ConvertVendors(PassContext& pass);
// Customers (top-level "CustomerRet" into Customers); no status update.
void ConvertCustomers(PassContext& pass);
// Projects (jobs and sub-jobs among "CustomerRet" into CustProjInfo); the
// status update for customers and projects together.
void ConvertProjects(PassContext& pass);
// Time ("TimeTrackingRet" as "|" lines, letter "H").
void ConvertTime(PassContext& pass);
// Expenses: the lines of the checks ("X"), then of the bills ("B"), and one
// status update for both.
void ConvertExpenses(PassContext& pass);
// Items (service, non-inventory, other charge and payroll wage items into
// TaskInfo), one status update for the four kinds.
void ConvertItems(PassContext& pass);

// The classes' description (tests run its statements with other walks).
const ListEntity& ClassesEntity();

}  // namespace vantrel

#endif  // VANTREL_CONVERT_LIST_CONVERTERS_H_
