// The nine entities of a run, declared once in the order the conversion
// stage runs them: what the driver, the screen, the summary and the hosts
// read of each.
#ifndef VANTREL_CONTROL_ENTITY_TABLE_H_
#define VANTREL_CONTROL_ENTITY_TABLE_H_

#include <span>
#include <string>
#include <string_view>

#include "control/wizard_screen.h"
#include "convert/converters.h"
#include "platform/date_time.h"
#include "wizard/mod_wizard.h"
#include "wizard/run_state.h"

namespace vantrel {

class VantrelCtl;

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

struct EntityInfo {
  EntityKind kind;
  std::string_view name;    // the hosts' name: "employees"
  bool selectable;          // has a box of its own (projects come with customers)
  std::string_view letter;  // the entity letter of its posts and its status update
  platform::CheckBox WizardScreen::*box;
  bool SelectionFlags::*selected;
  ConvertPass Converters::*pass;
  long VantrelCtl::*failures;
  long EntityCounts::*count;
  platform::DateTime LastSyncDates::*last_sync;
  // The summary's name for it: the site's word plus "s", or `label`.
  std::string VantrelCtl::*word;
  std::string_view label;
  int summary_rank;          // its place in the summary's list of failures
  bool in_select_all;        // "Select All" ticks its box
  bool cleared_with_screen;  // the screen reset clears its count and failure counter
  // Its status update also speaks for the entity before it (projects for
  // customers, which make none of their own).
  bool reports_for_previous = false;
  // The flag an upload reply's error mark sets (time and expenses).
  bool VantrelCtl::*reply_mark = nullptr;
};

// Every entity, in pass order.
std::span<const EntityInfo> Entities();
const EntityInfo& Entity(EntityKind kind);

// "Employees" (the site's word plus "s"), or the fixed label.
std::string SummaryName(const VantrelCtl& ctl, const EntityInfo& entity);

}  // namespace vantrel

#endif  // VANTREL_CONTROL_ENTITY_TABLE_H_
