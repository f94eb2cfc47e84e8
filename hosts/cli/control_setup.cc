#include "control_setup.h"

#include "platform/com_error.h"
#include "platform/html_params.h"

namespace vantrel::cli {

platform::PropertyBag BuildBag(const ParsedArgs& args) {
  platform::PropertyBag bag;
  if (args.Has("page")) {
    const std::string path = args.Last("page");
    const auto params = platform::ReadObjectParams(ReadFileOrThrow(path, "page"));
    if (!params) throw UsageError("page '" + path + "' has no <object> element");
    bag = *params;
  }
  for (const std::string& param : args.All("param")) {
    const std::size_t eq = param.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw UsageError("--param takes NAME=VALUE, not '" + param + "'");
    }
    bag.Set(param.substr(0, eq), param.substr(eq + 1));
  }
  return bag;
}

void LoadBag(VantrelCtl& ctl, const platform::PropertyBag& bag) {
  try {
    ctl.ReadProperties(bag);
  } catch (const platform::ComError& e) {
    throw UsageError("parameter " + e.source() + " cannot be converted: " + e.description());
  }
}

void ClickControl(VantrelCtl& ctl, const std::string& name, bool allow_start) {
  WizardScreen& s = ctl.screen();
  if (name == "cmdNav(3)" && !allow_start) {
    throw UsageError("cmdNav(3) starts a run: use 'vantrel sync'");
  }
  platform::Control* control = s.Find(name);
  if (auto* box = dynamic_cast<platform::CheckBox*>(control)) {
    box->Click();
  } else if (auto* button = dynamic_cast<platform::CommandButton*>(control)) {
    button->Click();
  } else if (auto* option = dynamic_cast<platform::OptionButton*>(control)) {
    option->set_value(true);
  } else {
    throw UsageError("no control named '" + name + "' can be clicked");
  }
}

platform::CheckBox& EntityBox(WizardScreen& screen, const std::string& word) {
  std::string names;
  for (const EntityInfo& entity : Entities()) {
    if (!entity.selectable) continue;
    // "expenses" is taken for the box's own name "expense" too.
    if (word == entity.name || (entity.kind == EntityKind::kExpenses && word == "expenses")) {
      return screen.*entity.box;
    }
    names += names.empty() ? "" : ", ";
    names += entity.name;
  }
  throw UsageError("unknown entity '" + word + "' (choose from " + names + ")");
}

}  // namespace vantrel::cli
