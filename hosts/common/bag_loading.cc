#include "common/bag_loading.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/com_error.h"
#include "platform/html_params.h"
#include "platform/http_get.h"
#include "platform/text_util.h"

namespace vantrel::host {

namespace {

// Refuses a --param name the control does not read, naming the closest one.
void CheckParameterName(const std::string& name) {
  for (const std::string_view known : VantrelCtl::PropertyNames()) {
    if (platform::EqualsNoCase(known, name)) return;
  }
  throw UsageError("unknown parameter '" + name + "'" +
                   DidYouMean(Closest(name, VantrelCtl::PropertyNames())));
}

// What a parameter that did not convert should look like.
std::string ExpectedForm(const std::string& key) {
  if (key.ends_with("LastSyncDate")) {
    return " (give a date such as 12/31/2026 or 12/31/2026 5:30:00 PM, or leave it blank)";
  }
  return " (give True or False)";
}

}  // namespace

bool IsPageAddress(const std::string& page) {
  return page.starts_with("http://") || page.starts_with("https://");
}

std::string ReadPage(const std::string& page) {
  if (!IsPageAddress(page)) return ReadFileOrThrow(page, "page");
  const platform::FetchedPage fetched = platform::HttpGet(page);
  if (!fetched.ok) throw RunFailure("cannot read the page at " + page + ": " + fetched.error);
  return fetched.body;
}

platform::PropertyBag BuildBag(const ParsedArgs& args) {
  platform::PropertyBag bag;
  if (args.Has("page")) {
    const std::string path = args.Last("page");
    const auto params = platform::ReadObjectParams(ReadPage(path));
    if (!params) throw UsageError("page '" + path + "' has no <object> element");
    bag = *params;
  }
  for (const std::string& param : args.All("param")) {
    const std::size_t eq = param.find('=');
    if (eq == std::string::npos || eq == 0) {
      throw UsageError("--param takes NAME=VALUE, not '" + param + "'");
    }
    CheckParameterName(param.substr(0, eq));
    bag.Set(param.substr(0, eq), param.substr(eq + 1));
  }
  return bag;
}

void LoadBag(VantrelCtl& ctl, const platform::PropertyBag& bag) {
  try {
    ctl.ReadProperties(bag);
  } catch (const platform::ComError& e) {
    throw UsageError("parameter " + e.source() + " cannot be converted: " + e.description() +
                     ExpectedForm(e.source()));
  }
}

}  // namespace vantrel::host
