#include "control_setup.h"

#include "common/host_args.h"
#include "platform/text_util.h"

namespace vantrel::cli {

void ClickControl(VantrelCtl& ctl, const std::string& name, bool allow_start) {
  WizardScreen& s = ctl.screen();
  if (name == "cmdNav(3)" && !allow_start) {
    throw host::UsageError("cmdNav(3) starts a run: use 'vantrel sync'");
  }
  platform::Control* control = s.Find(name);
  if (auto* box = dynamic_cast<platform::CheckBox*>(control)) {
    box->Click();
  } else if (auto* button = dynamic_cast<platform::CommandButton*>(control)) {
    button->Click();
  } else if (auto* option = dynamic_cast<platform::OptionButton*>(control)) {
    option->set_value(true);
  } else {
    throw host::UsageError("no control named '" + name + "' can be clicked");
  }
}

const EntityRow& EntityNamed(const std::string& word) {
  std::string names;
  for (const EntityRow& entity : Entities()) {
    if (!entity.selectable) continue;
    // "expenses" is taken for the box's own name "expense" too.
    if (platform::EqualsNoCase(word, entity.name) ||
        (entity.kind == EntityKind::kExpenses && platform::EqualsNoCase(word, "expenses"))) {
      return entity;
    }
    names += names.empty() ? "" : ", ";
    names += entity.name;
  }
  throw host::UsageError("unknown entity '" + word + "' (choose from " + names + ")");
}

platform::CheckBox& EntityBox(WizardScreen& screen, const std::string& word) {
  return screen.*Binding(EntityNamed(word).kind).box;
}

std::vector<const EntityRow*> SelectedEntities(const std::vector<std::string>& values) {
  std::vector<const EntityRow*> out;
  for (const std::string& value : values) {
    for (const std::string& word : host::SplitList(value)) {
      if (platform::EqualsNoCase(word, "all")) {
        // Every box of the wizard, time and expenses included.
        for (const EntityRow& entity : Entities()) {
          if (entity.selectable) out.push_back(&entity);
        }
      } else if (platform::EqualsNoCase(word, "projects")) {
        // The projects come with the customers: they have no box of their own.
        out.push_back(&Entity(EntityKind::kCustomers));
      } else {
        out.push_back(&EntityNamed(word));
      }
    }
  }
  return out;
}

}  // namespace vantrel::cli
