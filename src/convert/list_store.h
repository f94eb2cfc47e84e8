// The record stores of the list converters: one row per record of a response,
// holding at least the four fields every list converter keeps.
#ifndef VANTREL_CONVERT_LIST_STORE_H_
#define VANTREL_CONVERT_LIST_STORE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/record_store.h"
#include "platform/date_time.h"

namespace vantrel {

// The fields of a row that every list converter fills. A converter with
// further fields derives its row type from this one.
struct ListRow {
  std::string ListID;              // as received; empty without a ListID element
  platform::DateTime TimeCreated;  // the zero date-time when missing or not a date-time
  platform::DateTime TimeModified;
  bool IsActive = false;  // true exactly for the texts "1" and "true"
};

// A store seen through its common fields, so that one engine serves every
// converter whatever its row type.
class ListStore {
 public:
  virtual ~ListStore() = default;
  // Sizing by the rule of RecordStore::Size.
  virtual void Size(std::int32_t count, std::string_view mode) = 0;
  virtual std::size_t size() const = 0;
  // Row `row`, counted from 1.
  virtual ListRow& Row(std::size_t row) = 0;
};

// The store of one converter with its own row type `RowType` (a ListRow).
template <typename RowType>
class ListStoreOf final : public ListStore {
 public:
  void Size(std::int32_t count, std::string_view mode) override { rows_.Size(count, mode); }
  std::size_t size() const override { return rows_.size(); }
  ListRow& Row(std::size_t row) override { return rows_.at(row); }
  RowType& at(std::size_t row) { return rows_.at(row); }
  const RowType& at(std::size_t row) const { return rows_.at(row); }

 private:
  RecordStore<RowType> rows_;
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_LIST_STORE_H_
