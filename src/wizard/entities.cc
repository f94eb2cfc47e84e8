#include "wizard/entities.h"

#include <algorithm>

namespace vantrel {

std::span<const EntityRow> Entities() { return kEntities; }

const EntityRow* EntityOfLetter(std::string_view letter) {
  for (const EntityRow& row : kEntities) {
    if (row.reports_for_previous) continue;
    if (row.letter == letter || (!row.second_letter.empty() && row.second_letter == letter)) {
      return &row;
    }
  }
  return nullptr;
}

std::span<const EntityRow* const> LastSyncOwners() {
  static const auto owners = [] {
    std::array<const EntityRow*, 8> out{};
    std::size_t n = 0;
    for (const EntityRow& row : kEntities) {
      if (row.owns_last_sync_key) out[n++] = &row;
    }
    std::sort(out.begin(), out.end(),
              [](const EntityRow* a, const EntityRow* b) { return a->load_rank < b->load_rank; });
    return out;
  }();
  return owners;
}

}  // namespace vantrel
