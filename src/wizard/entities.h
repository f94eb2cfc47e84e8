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
};

// Every entity, in pass order.
std::span<const EntityRow> Entities();
const EntityRow& Entity(EntityKind kind);
// The entity whose posts carry `letter` ("B": the expenses); null for none.
// The projects, which share the customers' letter, are never returned.
const EntityRow* EntityOfLetter(std::string_view letter);
// The entities that own a last-sync parameter, in the order the load reads them.
std::span<const EntityRow* const> LastSyncOwners();

}  // namespace vantrel

#endif  // VANTREL_WIZARD_ENTITIES_H_
