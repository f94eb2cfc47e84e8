// The list converters built on the pass engine. Each reads the run's response
// (strResponseXML), writes one upsert statement per record into the upload
// script, posts it in batches with its entity letter and reports its entity to
// the status page when the pass ends well.
#ifndef VANTREL_CONVERT_LIST_CONVERTERS_H_
#define VANTREL_CONVERT_LIST_CONVERTERS_H_

#include "convert/list_entity.h"

namespace vantrel {

class VantrelCtl;

// Classes ("ClassRet" into ClassInfo, letter "C"); every class, no last-sync filter.
void ConvertClasses(VantrelCtl& ctl);
// Chart of accounts ("AccountRet" into GLChartOfAccounts, letter "G").
void ConvertAccounts(VantrelCtl& ctl);
// Employees ("EmployeeRet" into EmployeeInfo, letter "E").
void ConvertEmployees(VantrelCtl& ctl);
// Vendors ("VendorRet" into Vendors, letter "V").
void ConvertVendors(VantrelCtl& ctl);

// The descriptions the converters run.
const ListEntity& ClassesEntity();
const ListEntity& AccountsEntity();
const ListEntity& EmployeesEntity();
const ListEntity& VendorsEntity();

}  // namespace vantrel

#endif  // VANTREL_CONVERT_LIST_CONVERTERS_H_
