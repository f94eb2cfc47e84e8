#include "convert/customer_list.h"

#include <cmath>

#include "platform/values.h"

namespace vantrel {

void CustomerListHooks::EndSizing(ListStore& store, PassEnd end, long walked) {
  if (end == PassEnd::kStopped) return;
  store.Size(static_cast<std::int32_t>(walked), walked > 0 ? "Preserve" : "Empty");
}

std::optional<long> CustomerListHooks::Sublevel(RecordContext& record) {
  std::string_view text;
  if (!record.ChildText("Sublevel", &text)) return std::nullopt;
  const std::optional<double> number = platform::TextToNumber(text);
  // A whole number as the conversion to one reads it: halves go to the even
  // neighbour (2.5 gives 2).
  if (!number || std::abs(*number) > 2147483647.0) return std::nullopt;
  return static_cast<long>(std::nearbyint(*number));
}

}  // namespace vantrel
