#include "convert/customer_list.h"

#include <cmath>

#include "platform/values.h"
#include "platform/xml_scan.h"

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

std::optional<long> CustomerListHooks::QuickSublevel(std::string_view record_text) {
  const platform::ChildPeek peek = platform::PeekChild(record_text, "Sublevel");
  if (peek.result != platform::ChildPeek::kFound) return std::nullopt;
  std::string_view digits = peek.text;
  const bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  long value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

}  // namespace vantrel
