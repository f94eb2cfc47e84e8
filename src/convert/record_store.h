// The converters' record stores: one row of typed fields per record of a
// response, rows numbered from 1.
#ifndef VANTREL_CONVERT_RECORD_STORE_H_
#define VANTREL_CONVERT_RECORD_STORE_H_

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel {

// `Row` is a converter's row type; a default-constructed row holds the initial
// values (empty text, the zero date-time, false, 0).
template <typename Row>
class RecordStore {
 public:
  // Sizing with `count` rows by `mode`:
  //  - empty after trimming blanks: a fresh store of rows 1..count, every field
  //    at its initial value;
  //  - "Preserve": rows 1..count, keeping the values of the rows that remain;
  //  - "Empty": no rows (count plays no part).
  // Any other mode leaves the store as it is.
  void Size(std::int32_t count, std::string_view mode) {
    while (!mode.empty() && mode.front() == ' ') mode.remove_prefix(1);
    while (!mode.empty() && mode.back() == ' ') mode.remove_suffix(1);
    if (mode.empty()) {
      rows_.clear();
      rows_.shrink_to_fit();
      rows_.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    } else if (mode == "Preserve") {
      rows_.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    } else if (mode == "Empty") {
      rows_.clear();
      rows_.shrink_to_fit();
    }
  }

  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  // Row `row`, counted from 1 (1 <= row <= size()).
  Row& at(std::size_t row) { return rows_.at(row - 1); }
  const Row& at(std::size_t row) const { return rows_.at(row - 1); }

 private:
  std::vector<Row> rows_;
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_RECORD_STORE_H_
