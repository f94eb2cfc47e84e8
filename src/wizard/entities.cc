#include "wizard/entities.h"

#include <algorithm>

namespace vantrel {

namespace {

using F = SelectionFlags;
using D = LastSyncDates;

constexpr EntityRow kEntities[] = {
    {EntityKind::kEmployees, "employees", "E", "", true, &F::blnDoEmployees,
     &D::EmployeeLastSyncDate, "EmployeeLastSyncDate", true, 1, "EmployeeInfo", "EmployeeID", "", 0,
     true, true, false, false},
    {EntityKind::kCustomers, "customers", "P", "", true, &F::blnDoCustomers,
     &D::CustomerLastSyncDate, "CustomerLastSyncDate", true, 0, "Customers", "CustomerID", "", 1,
     true, true, false, false},
    {EntityKind::kProjects, "projects", "P", "", false, &F::blnDoCustomers,
     &D::CustomerLastSyncDate, "CustomerLastSyncDate", false, 0, "CustProjInfo", "ProjID", "", 2,
     true, true, true, false},
    {EntityKind::kClasses, "classes", "C", "", true, &F::blnDoClasses, &D::ClassLastSyncDate,
     "ClassLastSyncDate", true, 4, "ClassInfo", "ClassRowID", "Classes", 3, true, true, false,
     false},
    {EntityKind::kAccounts, "accounts", "G", "", true, &F::blnDoGLAccounts,
     &D::GLAccountsLastSyncDate, "GLAccountsLastSyncDate", true, 2, "GLChartOfAccounts", "AccRowID",
     "Chart of Accounts", 4, true, true, false, false},
    {EntityKind::kItems, "items", "T", "", true, &F::blnDoTasks, &D::TasksLastSyncDate,
     "TasksLastSyncDate", true, 3, "TaskInfo", "TaskID", "", 5, true, true, false, false},
    {EntityKind::kVendors, "vendors", "V", "", true, &F::blnDoVendors, &D::VendorsLastSyncDate,
     "VendorsLastSyncDate", true, 5, "Vendors", "VendorID", "Vendors", 8, true, true, false, false},
    {EntityKind::kTime, "time", "H", "", true, &F::blnDoTime, &D::TimeLastSyncDate,
     "TimeLastSyncDate", true, 6, "TimeTransactions", "", "Time", 6, false, false, false, true},
    {EntityKind::kExpenses, "expense", "X", "B", true, &F::blnDoExpense, &D::ExpenseLastSyncDate,
     "ExpenseLastSyncDate", true, 7, "ExpenseLines", "", "Expenses", 7, false, false, false, true},
};
static_assert(std::size(kEntities) == kEntityCount);

constexpr bool InKindOrder() {
  for (std::size_t i = 0; i < kEntityCount; ++i) {
    if (static_cast<std::size_t>(kEntities[i].kind) != i) return false;
  }
  return true;
}
static_assert(InKindOrder(), "rows stand in the order of their kinds");

}  // namespace

std::span<const EntityRow> Entities() { return kEntities; }

const EntityRow& Entity(EntityKind kind) { return kEntities[static_cast<std::size_t>(kind)]; }

const EntityRow* EntityOfLetter(std::string_view letter) {
  for (const EntityRow& row : kEntities) {
    if (row.reports_for_previous) continue;
    if (row.letter == letter || (!row.second_letter.empty() && row.second_letter == letter)) {
      return &row;
    }
  }
  return nullptr;
}

std::span<const EntityRow* const> LastSyncOwners() {
  static const auto owners = [] {
    std::array<const EntityRow*, 8> out{};
    std::size_t n = 0;
    for (const EntityRow& row : kEntities) {
      if (row.owns_last_sync_key) out[n++] = &row;
    }
    std::sort(out.begin(), out.end(),
              [](const EntityRow* a, const EntityRow* b) { return a->load_rank < b->load_rank; });
    return out;
  }();
  return owners;
}

}  // namespace vantrel
