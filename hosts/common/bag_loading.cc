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

// The edits that turn `a` into `b` (letter case aside).
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = platform::EqualsNoCase(a.substr(i - 1, 1), b.substr(j - 1, 1));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Refuses a --param name the control does not read, naming the closest one.
void CheckParameterName(const std::string& name) {
  std::string_view closest;
  std::size_t best = SIZE_MAX;
  for (const std::string_view known : VantrelCtl::PropertyNames()) {
    if (platform::EqualsNoCase(known, name)) return;
    const std::size_t d = Distance(name, known);
    if (d < best) {
      best = d;
      closest = known;
    }
  }
  throw UsageError("unknown parameter '" + name + "' (did you mean " + std::string(closest) + "?)");
}

}  // namespace

bool IsPageAddress(const std::string& page) {
  return page.starts_with("http://") || page.starts_with("https://");
}

std::string ReadPage(const std::string& page) {
  if (!IsPageAddress(page)) return ReadFileOrThrow(page, "page");
  const platform::FetchedPage fetched = platform::HttpGet(page);
  if (!fetched.ok) throw UsageError("cannot read the page at " + page + ": " + fetched.error);
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
    throw UsageError("parameter " + e.source() + " cannot be converted: " + e.description());
  }
}

}  // namespace vantrel::host
