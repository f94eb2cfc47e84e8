// Deterministic qbXML responses for tests and benchmarks: the query responses
// of every kind the wizard converts, with counts and the awkward cases
// (apostrophes, non-ASCII letters, over-long names, inactive records) chosen
// by options. The same options always give the same text.
#ifndef VANTREL_GEN_QBXML_GEN_H_
#define VANTREL_GEN_QBXML_GEN_H_

#include <cstdint>
#include <string>

namespace vantrel::gen {

// A local date and time as qbXML writes it (the offset is fixed, -08:00).
struct GenTime {
  int year = 2007;
  int month = 10;
  int day = 23;
  int hour = 15;
  int minute = 5;
  int second = 58;
};

struct GenOptions {
  // Records per kind; a kind with 0 records has no query response at all.
  long classes = 0;
  long accounts = 0;
  long employees = 0;
  long vendors = 0;
  long customers = 0;          // top-level customers
  long jobs_per_customer = 0;  // jobs "Job j" (Sublevel 1) after each customer
  long subjobs_per_job = 0;    // sub-jobs "Phase k" (Sublevel 2) after each job
  long service_items = 0;
  long time_records = 0;
  long checks = 0;  // each with `expense_lines` expense lines and one item line
  long bills = 0;
  long expense_lines = 1;  // expense lines of each check and bill (one item line follows)
  // Sales tax codes: the first two are "Tax" (taxable) and "Non" (not
  // taxable) with the ListIDs that customers' and items' SalesTaxCodeRef
  // carry; the later ones are "T02", "T03", ... (base 36), taxable when their
  // index is even. Their names ignore the name options: QuickBooks keeps
  // these codes to three characters.
  long sales_tax_codes = 0;
  // Parts "Part i": taxable, a SalesOrPurchase with a Price for even i and a
  // SalesAndPurchase for odd i.
  long non_inventory_items = 0;
  // Charges "Charge i": taxable for odd i, priced in turn by a Price, by a
  // PricePercent and by a SalesAndPurchase.
  long other_charge_items = 0;
  long payroll_wage_items = 0;  // WageType cycles HourlyRegular, SalaryRegular, Bonus, ...

  std::uint64_t seed = 1;  // varies amounts, account types and similar details

  bool apostrophes = false;  // every name holds an apostrophe (O'Neil)
  bool non_ascii = false;    // every name holds non-ASCII letters (Café Müller)
  bool long_names = false;   // names and descriptions longer than every column limit
  // Every n-th record (the n-th, 2n-th, ...) has IsActive false; 0: none.
  long inactive_every = 0;
  // Every n-th record has no IsActive element at all; 0: none.
  long missing_active_every = 0;
  // Every n-th customer record (customers, jobs and sub-jobs counted together
  // in response order) carries a SalesRepRef; 0: none.
  long sales_rep_every = 1;
  // Every n-th job or sub-job (counted together in response order) carries a
  // JobStartDate; 0: none. Every job and sub-job carries a JobDesc.
  long job_start_date_every = 1;

  // TimeCreated of record i of a kind is `first_created` + i minutes; its
  // TimeModified is `modified_after_minutes` later.
  GenTime first_created;
  long modified_after_minutes = 0;
};

// The whole response: <?xml ...?><QBXML><QBXMLMsgsRs>, one query response per
// kind with records, in the order classes, accounts, employees, vendors,
// customers (each followed by its jobs, each job by its sub-jobs), service
// items, time, checks, bills, non-inventory items, other charge items,
// payroll wage items, sales tax codes.
std::string GenerateResponse(const GenOptions& options);

// A company file for the QuickBooks stand-in holding the same records, in the
// same order, under a QuickBooksCompany root whose `file` attribute is
// `file_name` (the name QuickBooks reports as the open company; without one,
// the stand-in reports the path it was opened by).
std::string GenerateCompany(const GenOptions& options, const std::string& file_name);

// `time` plus `minutes` as qbXML date-time text: "2007-10-23T15:05:58-08:00".
std::string QBDateTimeText(const GenTime& time, long minutes = 0);

// The name the generator gives record `index` (from 0) of a kind with the
// word `kind` ("Class", "Vendor"), under the name options of `options`.
std::string GeneratedName(const GenOptions& options, const char* kind, long index);

// The ListID of record `index` of the kind numbered `kind_number`.
std::string GeneratedListId(int kind_number, long index);

}  // namespace vantrel::gen

#endif  // VANTREL_GEN_QBXML_GEN_H_
