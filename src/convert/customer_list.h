// What the customers and the projects passes share: both walk every
// "CustomerRet" of the response, split by the record's Sublevel, and size
// their store once more at the end of the pass.
#ifndef VANTREL_CONVERT_CUSTOMER_LIST_H_
#define VANTREL_CONVERT_CUSTOMER_LIST_H_

#include <optional>

#include "convert/record_walk.h"

namespace vantrel {

class CustomerListHooks : public ListHooks {
 public:
  // After the pass, however it ended but stopped: "Preserve" to the records
  // walked, or "Empty" when there were none.
  void EndSizing(ListStore& store, PassEnd end, long walked) override;

 protected:
  // The record's Sublevel read as a whole number; nullopt when it is missing
  // or no number, and the test that reads it then fails (the record is kept).
  static std::optional<long> Sublevel(RecordContext& record);
  // The Sublevel of a record read from its whole text before it is parsed,
  // when a quick look is sure of it and it is a plain whole number; nullopt
  // otherwise (the record is then parsed and Sublevel() decides).
  static std::optional<long> QuickSublevel(std::string_view record_text);
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_CUSTOMER_LIST_H_
