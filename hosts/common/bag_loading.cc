#include "common/bag_loading.h"

#include "platform/com_error.h"
#include "platform/html_params.h"

namespace vantrel::host {

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

}  // namespace vantrel::host
