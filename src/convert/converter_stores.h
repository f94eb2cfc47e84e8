// The record stores of the list converters: module-level, one set per thread,
// kept from one pass to the next and re-created by every pass with records.
#ifndef VANTREL_CONVERT_CONVERTER_STORES_H_
#define VANTREL_CONVERT_CONVERTER_STORES_H_

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "convert/list_store.h"
#include "convert/transaction_lines.h"
#include "platform/date_time.h"

namespace vantrel {

// A row of the chart of accounts: the account type as received, which decides
// the [AllowExpense] column.
struct AccountRow : ListRow {
  std::string AccountType;
};

// A row of the projects: the job's start date, the zero date-time when it
// has none.
struct ProjectRow : ListRow {
  platform::DateTime JobStartDate;
};

// A row of one kind of items: the values derived from the record that its
// statement reads.
struct ItemRow : ListRow {
  std::string FullName;     // FullName (the Name of a payroll wage item)
  std::string Taxable;      // "True" or "False" once the sales tax code was looked up
  std::string SalesDesc;    // the sales description, or the FullName
  double Price = 0.0;       // the sales price (or price percentage)
  std::string AccountName;  // the income account's full name
};

// One sales tax code of the response: its Name and IsTaxable texts, each
// missing when the record lacks the element.
struct SalesTaxCode {
  std::optional<std::string> Name;
  std::optional<std::string> IsTaxable;
};

struct ConverterStores {
  ListStoreOf<ListRow> classes;
  ListStoreOf<AccountRow> accounts;
  ListStoreOf<ListRow> employees;
  ListStoreOf<ListRow> vendors;
  ListStoreOf<ListRow> customers;
  ListStoreOf<ProjectRow> projects;
  // One per kind: service, non-inventory, other charge, payroll wage.
  std::array<ListStoreOf<ItemRow>, 4> items;
  ListStoreOf<TxnRow> time;
  ListStoreOf<TxnRow> expenses;  // the checks' or the bills', whichever pass ran last
  // The sales tax codes of the last response that parsed; nullopt before.
  std::optional<std::vector<SalesTaxCode>> sales_tax_codes;
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_CONVERTER_STORES_H_
