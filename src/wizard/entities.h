// The nine entities of a run, declared once, in the order the conversion
// stage runs them: what every layer needs to know of each. A fact of an
// entity (its name, letter, last-sync key, site table, place in the summary)
// lives in its row here; the control adds only the bindings its interface
// names (check box, failure counter, site word, reply flag).
#ifndef VANTREL_WIZARD_ENTITIES_H_
#define VANTREL_WIZARD_ENTITIES_H_

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "platform/date_time.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

enum class EntityKind {
  kEmployees,
  kCustomers,
  kProjects,
  kClasses,
  kAccounts,
  kItems,
  kVendors,
  kTime,
  kExpenses,
};
inline constexpr std::size_t kEntityCount = 9;

// One value per entity, indexed by its kind (or by position, in pass order).
template <typename T>
struct PerEntity {
  std::array<T, kEntityCount> values{};

  T& operator[](EntityKind kind) { return values[static_cast<std::size_t>(kind)]; }
  const T& operator[](EntityKind kind) const { return values[static_cast<std::size_t>(kind)]; }
  auto begin() { return values.begin(); }
  auto end() { return values.end(); }
  auto begin() const { return values.begin(); }
  auto end() const { return values.end(); }
  friend bool operator==(const PerEntity&, const PerEntity&) = default;
};

struct EntityRow {
  EntityKind kind;
  std::string_view name;    // the hosts' name: "employees"
  std::string_view letter;  // the entity letter of its posts and its status update
  // The letter of its second pass's posts (the bills of the expenses); empty
  // for an entity of one pass.
  std::string_view second_letter;
  bool selectable;  // has a box of its own (projects come with customers)
  bool SelectionFlags::*selected;
  // Its last-sync date, and the page parameter that sets it; the projects
  // share the customers' date and key.
  platform::DateTime LastSyncDates::*last_sync;
  std::string_view last_sync_key;
  bool owns_last_sync_key;
  int load_rank;  // the place of its key among the last-sync parameters the load reads
  // The site's table for its rows and that table's key column; the line
  // tables of time and expenses have no key column of the statements.
  std::string_view site_table;
  std::string_view key_column;
  std::string_view label;    // the summary's fixed name; empty: the site's word plus "s"
  int summary_rank;          // its place in the summary's list of failures
  bool in_select_all;        // "Select All" ticks its box
  bool cleared_with_screen;  // the screen reset clears its count and failure counter
  // Its status update also speaks for the entity before it (projects for
  // customers, which make none of their own).
  bool reports_for_previous;
  bool lines;  // it sends "|" lines, not statements
  // The record elements of the response its passes walk, in pass order; the
  // projects have none of their own: they walk the customers' records.
  std::span<const std::string_view> records;
};

// The record elements of the rows below.
namespace records {
inline constexpr std::string_view kEmployees[] = {"EmployeeRet"};
inline constexpr std::string_view kCustomers[] = {"CustomerRet"};
inline constexpr std::string_view kClasses[] = {"ClassRet"};
inline constexpr std::string_view kAccounts[] = {"AccountRet"};
inline constexpr std::span<const std::string_view> kNone;
// Service, non-inventory, other charge and payroll wage items.
inline constexpr std::string_view kItems[] = {"ItemServiceRet", "ItemNonInventoryRet",
                                              "ItemOtherChargeRet", "PayrollItemWageRet"};
inline constexpr std::string_view kVendors[] = {"VendorRet"};
inline constexpr std::string_view kTime[] = {"TimeTrackingRet"};
// The checks', then the bills'.
inline constexpr std::string_view kExpenses[] = {"CheckRet", "BillRet"};
}  // namespace records

// The rows, in pass order (the order of their kinds).

inline constexpr EntityRow kEntities[] = {
    {EntityKind::kEmployees, "employees", "E", "", true, &SelectionFlags::blnDoEmployees,
     &LastSyncDates::EmployeeLastSyncDate, "EmployeeLastSyncDate", true, 1, "EmployeeInfo",
     "EmployeeID", "", 0, true, true, false, false, records::kEmployees},
    {EntityKind::kCustomers, "customers", "P", "", true, &SelectionFlags::blnDoCustomers,
     &LastSyncDates::CustomerLastSyncDate, "CustomerLastSyncDate", true, 0, "Customers",
     "CustomerID", "", 1, true, true, false, false, records::kCustomers},
    {EntityKind::kProjects, "projects", "P", "", false, &SelectionFlags::blnDoCustomers,
     &LastSyncDates::CustomerLastSyncDate, "CustomerLastSyncDate", false, 0, "CustProjInfo",
     "ProjID", "", 2, true, true, true, false, records::kNone},
    {EntityKind::kClasses, "classes", "C", "", true, &SelectionFlags::blnDoClasses,
     &LastSyncDates::ClassLastSyncDate, "ClassLastSyncDate", true, 4, "ClassInfo", "ClassRowID",
     "Classes", 3, true, true, false, false, records::kClasses},
    {EntityKind::kAccounts, "accounts", "G", "", true, &SelectionFlags::blnDoGLAccounts,
     &LastSyncDates::GLAccountsLastSyncDate, "GLAccountsLastSyncDate", true, 2, "GLChartOfAccounts",
     "AccRowID", "Chart of Accounts", 4, true, true, false, false, records::kAccounts},
    {EntityKind::kItems, "items", "T", "", true, &SelectionFlags::blnDoTasks,
     &LastSyncDates::TasksLastSyncDate, "TasksLastSyncDate", true, 3, "TaskInfo", "TaskID", "", 5,
     true, true, false, false, records::kItems},
    {EntityKind::kVendors, "vendors", "V", "", true, &SelectionFlags::blnDoVendors,
     &LastSyncDates::VendorsLastSyncDate, "VendorsLastSyncDate", true, 5, "Vendors", "VendorID",
     "Vendors", 8, true, true, false, false, records::kVendors},
    {EntityKind::kTime, "time", "H", "", true, &SelectionFlags::blnDoTime,
     &LastSyncDates::TimeLastSyncDate, "TimeLastSyncDate", true, 6, "TimeTransactions", "", "Time",
     6, false, false, false, true, records::kTime},
    {EntityKind::kExpenses, "expense", "X", "B", true, &SelectionFlags::blnDoExpense,
     &LastSyncDates::ExpenseLastSyncDate, "ExpenseLastSyncDate", true, 7, "ExpenseLines", "",
     "Expenses", 7, false, false, false, true, records::kExpenses},
};
static_assert(std::size(kEntities) == kEntityCount);

constexpr bool RowsInKindOrder() {
  for (std::size_t i = 0; i < kEntityCount; ++i) {
    if (static_cast<std::size_t>(kEntities[i].kind) != i) return false;
  }
  return true;
}
static_assert(RowsInKindOrder(), "rows stand in the order of their kinds");

// Every entity, in pass order.
std::span<const EntityRow> Entities();
constexpr const EntityRow& Entity(EntityKind kind) {
  return kEntities[static_cast<std::size_t>(kind)];
}
// The entity whose posts carry `letter` ("B": the expenses); null for none.
// The projects, which share the customers' letter, are never returned.
const EntityRow* EntityOfLetter(std::string_view letter);
// The entities that own a last-sync parameter, in the order the load reads them.
std::span<const EntityRow* const> LastSyncOwners();

}  // namespace vantrel

#endif  // VANTREL_WIZARD_ENTITIES_H_
