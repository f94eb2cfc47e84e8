#include "control/entity_table.h"

#include "control/vantrel_ctl.h"

namespace vantrel {

namespace {

using S = WizardScreen;
using F = SelectionFlags;
using C = Converters;
using V = VantrelCtl;
using N = EntityCounts;
using D = LastSyncDates;

constexpr EntityInfo kEntities[] = {
    {EntityKind::kEmployees,
     "employees",
     true,
     "E",
     &S::chkQBEmployee,
     &F::blnDoEmployees,
     &C::employees,
     &V::lngFailedEmpCnt,
     &N::employees,
     &D::EmployeeLastSyncDate,
     &V::EmpLexicon,
     {},
     0,
     true,
     true},
    {EntityKind::kCustomers,
     "customers",
     true,
     "P",
     &S::chkQBCustomers,
     &F::blnDoCustomers,
     &C::customers,
     &V::lngFailedCustCnt,
     &N::customers,
     &D::CustomerLastSyncDate,
     &V::CustLexicon,
     {},
     1,
     true,
     true},
    {EntityKind::kProjects,
     "projects",
     false,
     "P",
     &S::chkQBCustomers,
     &F::blnDoCustomers,
     &C::projects,
     &V::lngFailedProjCnt,
     &N::projects,
     &D::CustomerLastSyncDate,
     &V::ProjLexicon,
     {},
     2,
     true,
     true},
    {EntityKind::kClasses, "classes", true, "C", &S::chkQBClasses, &F::blnDoClasses, &C::classes,
     &V::lngFailedClassCnt, &N::classes, &D::ClassLastSyncDate, nullptr, "Classes", 3, true, true},
    {EntityKind::kAccounts, "accounts", true, "G", &S::chkQBCOA, &F::blnDoGLAccounts, &C::accounts,
     &V::lngFailedGLCnt, &N::accounts, &D::GLAccountsLastSyncDate, nullptr, "Chart of Accounts", 4,
     true, true},
    {EntityKind::kItems,
     "items",
     true,
     "T",
     &S::chkQBTasks,
     &F::blnDoTasks,
     &C::items,
     &V::lngFailedItemCnt,
     &N::items,
     &D::TasksLastSyncDate,
     &V::SILexicon,
     {},
     5,
     true,
     true},
    {EntityKind::kVendors, "vendors", true, "V", &S::chkQBVendors, &F::blnDoVendors, &C::vendors,
     &V::lngFailedVendCnt, &N::vendors, &D::VendorsLastSyncDate, nullptr, "Vendors", 8, true, true},
    {EntityKind::kTime, "time", true, "H", &S::chkQBTimesheet, &F::blnDoTime, &C::time,
     &V::lngFailedTimeCnt, &N::time, &D::TimeLastSyncDate, nullptr, "Time", 6, false, false},
    {EntityKind::kExpenses, "expense", true, "X", &S::chkQBExpense, &F::blnDoExpense, &C::expenses,
     &V::lngFailedExpCnt, &N::expense, &D::ExpenseLastSyncDate, nullptr, "Expenses", 7, false,
     false},
};

}  // namespace

std::span<const EntityInfo> Entities() { return kEntities; }

const EntityInfo& Entity(EntityKind kind) { return kEntities[static_cast<int>(kind)]; }

std::string SummaryName(const VantrelCtl& ctl, const EntityInfo& entity) {
  if (entity.word == nullptr) return std::string(entity.label);
  return ctl.*entity.word + "s";
}

}  // namespace vantrel
