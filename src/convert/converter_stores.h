// The record stores of the list converters: module-level, one set per thread,
// kept from one pass to the next and re-created by every pass with records.
#ifndef VANTREL_CONVERT_CONVERTER_STORES_H_
#define VANTREL_CONVERT_CONVERTER_STORES_H_

#include <string>

#include "convert/list_store.h"

namespace vantrel {

// A row of the chart of accounts: the account type as received, which decides
// the [AllowExpense] column.
struct AccountRow : ListRow {
  std::string AccountType;
};

struct ConverterStores {
  ListStoreOf<ListRow> classes;
  ListStoreOf<AccountRow> accounts;
  ListStoreOf<ListRow> employees;
  ListStoreOf<ListRow> vendors;
};

// This thread's stores.
ConverterStores& converterStores();

}  // namespace vantrel

#endif  // VANTREL_CONVERT_CONVERTER_STORES_H_
