#include "gen/qbxml_gen.h"

#include <cstdio>
#include <string_view>

#include "platform/date_time.h"
#include "platform/text_util.h"

namespace vantrel::gen {

namespace {

// Kind numbers, used in ListIDs and TxnIDs so that they differ between kinds.
enum Kind {
  kClassKind = 1,
  kAccountKind,
  kEmployeeKind,
  kVendorKind,
  kCustomerKind,
  kJobKind,
  kItemKind,
  kTimeKind,
  kCheckKind,
  kBillKind,
  kSubJobKind,
  kNonInventoryKind,
  kOtherChargeKind,
  kPayrollWageKind,
  kSalesTaxCodeKind,
};

// The sales tax codes that every customer and item refers to; the first two
// generated sales tax codes carry these ListIDs so that the references resolve.
constexpr const char* kTaxableCodeId = "80000002-1193155500";
constexpr const char* kNonTaxableCodeId = "80000003-1193155500";

// A small deterministic generator (splitmix64).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  long Below(long bound) { return static_cast<long>(Next() % static_cast<std::uint64_t>(bound)); }

 private:
  std::uint64_t state_;
};

// Writes one response: elements with escaped text, in order.
class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  void Open(const char* name) {
    out_ += '<';
    out_ += name;
    out_ += '>';
  }
  void Close(const char* name) {
    out_ += "</";
    out_ += name;
    out_ += '>';
  }
  void Element(const char* name, std::string_view text) {
    Open(name);
    for (const char c : text) {
      switch (c) {
        case '&':
          out_ += "&amp;";
          break;
        case '<':
          out_ += "&lt;";
          break;
        case '>':
          out_ += "&gt;";
          break;
        default:
          out_ += c;
      }
    }
    Close(name);
  }
  void Number(const char* name, long value) { Element(name, std::to_string(value)); }
  void Amount(const char* name, long cents) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%ld.%02ld", cents < 0 ? "-" : "",
                  (cents < 0 ? -cents : cents) / 100, (cents < 0 ? -cents : cents) % 100);
    Element(name, buf);
  }
  void Ref(const char* name, const std::string& list_id, std::string_view full_name) {
    Open(name);
    Element("ListID", list_id);
    Element("FullName", full_name);
    Close(name);
  }
  void QueryOpen(const char* name, int request_id) {
    out_ += '<';
    out_ += name;
    out_ += " requestID=\"";
    out_ += std::to_string(request_id);
    out_ += "\" statusCode=\"0\" statusSeverity=\"Info\" statusMessage=\"Status OK\">";
  }

 private:
  std::string& out_;
};

class ResponseBuilder {
 public:
  // With `bare`, the records stand alone, without the query responses
  // around them (as a company file holds them).
  ResponseBuilder(const GenOptions& options, std::string& out, bool bare = false)
      : o_(options), w_(out), random_(options.seed), bare_(bare) {}

  void OpenQuery(const char* name, int request_id) {
    if (!bare_) w_.QueryOpen(name, request_id);
  }
  void CloseQuery(const char* name) {
    if (!bare_) w_.Close(name);
  }

  void Common(int kind, long index) {
    w_.Element("ListID", GeneratedListId(kind, index));
    Times(index);
    w_.Element("EditSequence", std::to_string(1193155558L + index));
  }
  void Times(long index) {
    w_.Element("TimeCreated", QBDateTimeText(o_.first_created, index));
    w_.Element("TimeModified", QBDateTimeText(o_.first_created, index + o_.modified_after_minutes));
  }
  void Active(long index) {
    const long n = index + 1;
    if (o_.missing_active_every > 0 && n % o_.missing_active_every == 0) return;
    const bool inactive = o_.inactive_every > 0 && n % o_.inactive_every == 0;
    w_.Element("IsActive", inactive ? "false" : "true");
  }
  std::string Name(const char* kind, long index) { return GeneratedName(o_, kind, index); }
  std::string Description(long index) {
    std::string text = "Description of record " + std::to_string(index);
    if (o_.long_names) {
      while (text.size() < 400) text += " with more words to go past every limit";
    }
    return text;
  }

  void Classes() {
    OpenQuery("ClassQueryRs", 1);
    for (long i = 0; i < o_.classes; ++i) {
      const std::string name = Name("Class", i);
      w_.Open("ClassRet");
      Common(kClassKind, i);
      w_.Element("Name", name);
      w_.Element("FullName", name);
      Active(i);
      w_.Number("Sublevel", 0);
      w_.Close("ClassRet");
    }
    CloseQuery("ClassQueryRs");
  }

  void Accounts() {
    static const char* const kTypes[] = {"Expense", "OtherExpense",    "Income",
                                         "Bank",    "CostOfGoodsSold", "AccountsPayable"};
    OpenQuery("AccountQueryRs", 2);
    for (long i = 0; i < o_.accounts; ++i) {
      const std::string name = Name("Account", i);
      w_.Open("AccountRet");
      Common(kAccountKind, i);
      w_.Element("Name", name);
      w_.Element("FullName", name);
      Active(i);
      w_.Number("Sublevel", 0);
      w_.Element("AccountType", kTypes[random_.Below(6)]);
      w_.Number("AccountNumber", 6000 + i);
      w_.Element("Desc", Description(i));
      w_.Amount("Balance", random_.Below(1000000) - 200000);
      w_.Amount("TotalBalance", random_.Below(1000000) - 200000);
      w_.Close("AccountRet");
    }
    CloseQuery("AccountQueryRs");
  }

  void Employees() {
    OpenQuery("EmployeeQueryRs", 3);
    for (long i = 0; i < o_.employees; ++i) {
      const std::string name = Name("Employee", i);
      w_.Open("EmployeeRet");
      Common(kEmployeeKind, i);
      w_.Element("Name", name);
      Active(i);
      w_.Element("Salutation", "Mr.");
      w_.Element("FirstName", name);
      w_.Element("MiddleName", "Q");
      w_.Element("LastName", "Employee " + std::to_string(i));
      w_.Open("EmployeeAddress");
      w_.Element("Addr1", "1 Main Street");
      w_.Element("City", "Springfield");
      w_.Close("EmployeeAddress");
      w_.Element("PrintAs", name);
      w_.Element("Phone", "555-0100");
      w_.Element("Email", "employee" + std::to_string(i) + "@example.com");
      w_.Element("EmployeeType", "Regular");
      w_.Element("Gender", i % 2 == 0 ? "Female" : "Male");
      w_.Element("HiredDate", "2007-06-01");
      if (i % 10 == 9) w_.Element("ReleasedDate", "2008-01-31");
      w_.Element("AccountNumber", "E-" + std::to_string(i));
      w_.Close("EmployeeRet");
    }
    CloseQuery("EmployeeQueryRs");
  }

  void Vendors() {
    OpenQuery("VendorQueryRs", 4);
    for (long i = 0; i < o_.vendors; ++i) {
      const std::string name = Name("Vendor", i);
      w_.Open("VendorRet");
      Common(kVendorKind, i);
      w_.Element("Name", name);
      Active(i);
      w_.Element("CompanyName", name + " Inc");
      w_.Element("Salutation", "Ms.");
      w_.Element("FirstName", "Vera");
      w_.Element("MiddleName", "V");
      w_.Element("LastName", "Vendor " + std::to_string(i));
      w_.Open("VendorAddress");
      w_.Element("Addr1", "2 Supply Road");
      w_.Element("City", "Shelbyville");
      w_.Close("VendorAddress");
      w_.Element("Phone", "555-0199");
      w_.Element("Email", "vendor" + std::to_string(i) + "@example.com");
      w_.Element("Contact", name);
      w_.Element("AltContact", "Alt " + name);
      w_.Element("NameOnCheck", name);
      w_.Element("AccountNumber", "V-" + std::to_string(i));
      w_.Amount("Balance", random_.Below(100000));
      w_.Close("VendorRet");
    }
    CloseQuery("VendorQueryRs");
  }

  void Customers() {
    OpenQuery("CustomerQueryRs", 5);
    long position = 0;  // among every customer record
    long project = 0;   // among jobs and sub-jobs
    for (long i = 0; i < o_.customers; ++i) {
      const std::string name = Name("Customer", i);
      const std::string list_id = GeneratedListId(kCustomerKind, i);
      Customer({list_id, name, name, 0, nullptr, nullptr}, position++, 0);
      for (long j = 0; j < o_.jobs_per_customer; ++j) {
        const std::string job = "Job " + std::to_string(j);
        const long job_index = i * o_.jobs_per_customer + j;
        const std::string job_id = GeneratedListId(kJobKind, job_index);
        const std::string job_full_name = name + ":" + job;
        Customer({job_id, job, job_full_name, 1, &list_id, &name}, position++, ++project);
        for (long k = 0; k < o_.subjobs_per_job; ++k) {
          const std::string subjob = "Phase " + std::to_string(k);
          Customer({GeneratedListId(kSubJobKind, job_index * o_.subjobs_per_job + k), subjob,
                    job_full_name + ":" + subjob, 2, &job_id, &job_full_name},
                   position++, ++project);
        }
      }
    }
    CloseQuery("CustomerQueryRs");
  }

  // One customer record's identity: a customer (sublevel 0, no parent), a
  // job (1) or a sub-job (2) with its parent's ListID and FullName.
  struct CustomerId {
    const std::string& list_id;
    const std::string& name;
    const std::string& full_name;
    int sublevel;
    const std::string* parent_id;
    const std::string* parent_full_name;
  };

  // `position` counts every customer record from 0; `project` counts jobs and
  // sub-jobs from 1 and is 0 for a customer.
  void Customer(const CustomerId& id, long position, long project) {
    w_.Open("CustomerRet");
    w_.Element("ListID", id.list_id);
    Times(position);
    w_.Element("EditSequence", std::to_string(1193155600L + position));
    w_.Element("Name", id.name);
    w_.Element("FullName", id.full_name);
    Active(position);
    if (id.parent_id != nullptr) w_.Ref("ParentRef", *id.parent_id, *id.parent_full_name);
    w_.Number("Sublevel", id.sublevel);
    w_.Element("CompanyName", id.name + " Inc");
    w_.Element("FirstName", "Ann");
    w_.Element("LastName", "Smith");
    w_.Open("BillAddress");
    w_.Element("Addr1", "3 Market Square");
    w_.Element("City", "Capital City");
    w_.Close("BillAddress");
    w_.Element("Phone", "555-0142");
    w_.Element("Email", "customer" + std::to_string(position) + "@example.com");
    w_.Element("Contact", "Ann Smith");
    if (EveryNth(position + 1, o_.sales_rep_every))
      w_.Ref("SalesRepRef", "80000001-1193155500", "AS");
    w_.Ref("SalesTaxCodeRef", kTaxableCodeId, "Tax");
    w_.Element("AccountNumber", "C-" + std::to_string(position));
    if (id.sublevel > 0) {
      if (EveryNth(project, o_.job_start_date_every))
        w_.Element("JobStartDate", id.sublevel == 1 ? "2008-03-15" : "2008-04-01");
      w_.Element("JobDesc", Description(position));
    }
    w_.Close("CustomerRet");
  }

  // Whether the n-th thing (from 1) is one of every `every`-th; 0: none.
  static bool EveryNth(long n, long every) { return every > 0 && n % every == 0; }

  void ServiceItems() {
    OpenQuery("ItemServiceQueryRs", 6);
    for (long i = 0; i < o_.service_items; ++i) {
      const std::string name = Name("Service", i);
      w_.Open("ItemServiceRet");
      Common(kItemKind, i);
      w_.Element("Name", name);
      w_.Element("FullName", name);
      Active(i);
      w_.Number("Sublevel", 0);
      w_.Ref("SalesTaxCodeRef", kNonTaxableCodeId, "Non");
      w_.Open("SalesOrPurchase");
      w_.Element("Desc", Description(i));
      w_.Amount("Price", 1000 + random_.Below(20000));
      w_.Ref("AccountRef", "80000004-1193155500", "Consulting Income");
      w_.Close("SalesOrPurchase");
      w_.Close("ItemServiceRet");
    }
    CloseQuery("ItemServiceQueryRs");
  }

  void TimeRecords() {
    OpenQuery("TimeTrackingQueryRs", 7);
    for (long i = 0; i < o_.time_records; ++i) {
      w_.Open("TimeTrackingRet");
      w_.Element("TxnID", GeneratedListId(kTimeKind, i));
      Times(i);
      w_.Element("EditSequence", std::to_string(1193155700L + i));
      w_.Number("TxnNumber", i + 1);
      w_.Element("TxnDate", "2007-10-23");
      w_.Ref("EntityRef", GeneratedListId(kEmployeeKind, i % 50), Name("Employee", i % 50));
      w_.Ref("CustomerRef", GeneratedListId(kCustomerKind, i % 40), Name("Customer", i % 40));
      w_.Ref("ItemServiceRef", GeneratedListId(kItemKind, i % 30), Name("Service", i % 30));
      w_.Element("Duration", "PT" + std::to_string(1 + random_.Below(8)) + "H" +
                                 std::to_string(random_.Below(4) * 15) + "M");
      if (i % 3 != 0)
        w_.Ref("ClassRef", GeneratedListId(kClassKind, i % 20), Name("Class", i % 20));
      w_.Element("Notes", "Worked on task " + std::to_string(i));
      w_.Element("IsBillable", i % 2 == 0 ? "true" : "false");
      w_.Close("TimeTrackingRet");
    }
    CloseQuery("TimeTrackingQueryRs");
  }

  void Expenses(const char* query, const char* record, int kind, long count, int request_id) {
    OpenQuery(query, request_id);
    for (long i = 0; i < count; ++i) {
      w_.Open(record);
      w_.Element("TxnID", GeneratedListId(kind, i));
      Times(i);
      w_.Element("EditSequence", std::to_string(1193155800L + i));
      w_.Element("TxnDate", "2007-10-23");
      long line = 1;
      for (; line <= o_.expense_lines; ++line) {
        w_.Open("ExpenseLineRet");
        w_.Element("TxnLineID", GeneratedListId(kind, i) + "-" + std::to_string(line));
        w_.Ref("AccountRef", GeneratedListId(kAccountKind, i % 25), Name("Account", i % 25));
        w_.Amount("Amount", 100 + random_.Below(50000));
        w_.Element("Memo", "Expense line " + std::to_string(i));
        w_.Ref("CustomerRef", GeneratedListId(kCustomerKind, i % 40), Name("Customer", i % 40));
        w_.Element("BillableStatus", "Billable");
        w_.Close("ExpenseLineRet");
      }
      w_.Open("ItemLineRet");
      w_.Element("TxnLineID", GeneratedListId(kind, i) + "-" + std::to_string(line));
      w_.Ref("ItemRef", GeneratedListId(kItemKind, i % 30), Name("Service", i % 30));
      w_.Element("Desc", "Item line " + std::to_string(i));
      w_.Number("Quantity", 1 + random_.Below(5));
      w_.Amount("Cost", 1050);
      w_.Amount("Amount", 2100);
      w_.Element("BillableStatus", "NotBillable");
      w_.Close("ItemLineRet");
      w_.Close(record);
    }
    CloseQuery(query);
  }

  // Sales tax codes "Tax" and "Non" first, with the ListIDs every reference
  // carries, then "T02", "T03", ...: three characters as in QuickBooks.
  void SalesTaxCodes() {
    OpenQuery("SalesTaxCodeQueryRs", 13);
    for (long i = 0; i < o_.sales_tax_codes; ++i) {
      const bool taxable = i % 2 == 0;
      w_.Open("SalesTaxCodeRet");
      w_.Element("ListID", i == 0   ? std::string(kTaxableCodeId)
                           : i == 1 ? std::string(kNonTaxableCodeId)
                                    : GeneratedListId(kSalesTaxCodeKind, i));
      Times(i);
      w_.Element("EditSequence", std::to_string(1193155558L + i));
      w_.Element("Name", SalesTaxCodeName(i));
      Active(i);
      w_.Element("IsTaxable", taxable ? "true" : "false");
      w_.Element("Desc", taxable ? "Taxable Sales" : "Non-Taxable Sales");
      w_.Close("SalesTaxCodeRet");
    }
    CloseQuery("SalesTaxCodeQueryRs");
  }

  static std::string SalesTaxCodeName(long index) {
    if (index == 0) return "Tax";
    if (index == 1) return "Non";
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string digits;
    for (long n = index; n > 0 || digits.size() < 2; n /= 36)
      digits.insert(digits.begin(), kDigits[n % 36]);
    return "T" + digits;
  }

  // How an item sells: a SalesOrPurchase with a Price or a PricePercent and
  // one account, or a SalesAndPurchase with both sides.
  enum class Sale { kPrice, kPercent, kSalesAndPurchase };
  struct ItemAccounts {
    const char* income_id;
    const char* income_name;
    const char* expense_id;
    const char* expense_name;
  };

  void Item(const char* record, int kind, long index, const std::string& name, bool taxable,
            Sale sale, const ItemAccounts& accounts, Random& random) {
    w_.Open(record);
    Common(kind, index);
    w_.Element("Name", name);
    w_.Element("FullName", name);
    Active(index);
    w_.Number("Sublevel", 0);
    if (taxable) {
      w_.Ref("SalesTaxCodeRef", kTaxableCodeId, "Tax");
    } else {
      w_.Ref("SalesTaxCodeRef", kNonTaxableCodeId, "Non");
    }
    if (sale == Sale::kSalesAndPurchase) {
      w_.Open("SalesAndPurchase");
      w_.Element("SalesDesc", Description(index));
      w_.Amount("SalesPrice", 500 + random.Below(50000));
      w_.Ref("IncomeAccountRef", accounts.income_id, accounts.income_name);
      w_.Element("PurchaseDesc", "Purchase " + Description(index));
      w_.Amount("PurchaseCost", 250 + random.Below(25000));
      w_.Ref("ExpenseAccountRef", accounts.expense_id, accounts.expense_name);
      w_.Close("SalesAndPurchase");
    } else {
      w_.Open("SalesOrPurchase");
      w_.Element("Desc", Description(index));
      if (sale == Sale::kPercent) {
        w_.Amount("PricePercent", 100 + random.Below(1900));  // 1.00 to 19.99
      } else {
        w_.Amount("Price", 500 + random.Below(50000));
      }
      w_.Ref("AccountRef", accounts.income_id, accounts.income_name);
      w_.Close("SalesOrPurchase");
    }
    w_.Close(record);
  }

  // Taxable parts, every other one sold and bought (SalesAndPurchase).
  void NonInventoryItems() {
    static constexpr ItemAccounts kAccounts{"80000005-1193155500", "Materials Income",
                                            "80000006-1193155500", "Materials Cost"};
    Random random = KindRandom(kNonInventoryKind);
    OpenQuery("ItemNonInventoryQueryRs", 10);
    for (long i = 0; i < o_.non_inventory_items; ++i) {
      Item("ItemNonInventoryRet", kNonInventoryKind, i, Name("Part", i), true,
           i % 2 == 0 ? Sale::kPrice : Sale::kSalesAndPurchase, kAccounts, random);
    }
    CloseQuery("ItemNonInventoryQueryRs");
  }

  // Charges priced in turn by amount, by percentage and on both sides;
  // every other one taxable.
  void OtherChargeItems() {
    static constexpr ItemAccounts kAccounts{"80000007-1193155500", "Reimbursed Expenses",
                                            "80000008-1193155500", "Reimbursable Costs"};
    static constexpr Sale kSales[] = {Sale::kPrice, Sale::kPercent, Sale::kSalesAndPurchase};
    Random random = KindRandom(kOtherChargeKind);
    OpenQuery("ItemOtherChargeQueryRs", 11);
    for (long i = 0; i < o_.other_charge_items; ++i) {
      Item("ItemOtherChargeRet", kOtherChargeKind, i, Name("Charge", i), i % 2 == 1, kSales[i % 3],
           kAccounts, random);
    }
    CloseQuery("ItemOtherChargeQueryRs");
  }

  void PayrollWageItems() {
    static const char* const kWageTypes[] = {"HourlyRegular", "SalaryRegular", "Bonus",
                                             "Commission", "HourlyOvertime"};
    OpenQuery("PayrollItemWageQueryRs", 12);
    for (long i = 0; i < o_.payroll_wage_items; ++i) {
      w_.Open("PayrollItemWageRet");
      Common(kPayrollWageKind, i);
      w_.Element("Name", Name("Wage", i));
      Active(i);
      w_.Element("WageType", kWageTypes[i % 5]);
      w_.Ref("ExpenseAccountRef", "80000009-1193155500", "Payroll Expenses");
      w_.Close("PayrollItemWageRet");
    }
    CloseQuery("PayrollItemWageQueryRs");
  }

  // The kinds added after the first nine draw from a sequence of their own,
  // so that their values do not depend on how many records other kinds have.
  Random KindRandom(int kind) const {
    return Random(o_.seed ^ (0xD1B54A32D192ED03ULL * static_cast<std::uint64_t>(kind)));
  }

 private:
  const GenOptions& o_;
  Writer w_;
  Random random_;
  bool bare_;
};

}  // namespace

namespace {

// The records of every kind with records, in the response's order, appended
// to `out`.
void AppendRecords(const GenOptions& options, std::string& out, bool bare) {
  const long records =
      options.classes + options.accounts + options.employees + options.vendors +
      options.customers * (1 + options.jobs_per_customer * (1 + options.subjobs_per_job)) +
      options.service_items + options.time_records + options.checks + options.bills +
      options.sales_tax_codes + options.non_inventory_items + options.other_charge_items +
      options.payroll_wage_items;
  out.reserve(out.size() + 256 +
              static_cast<std::size_t>(records) * (options.long_names ? 2000 : 900));
  ResponseBuilder builder(options, out, bare);
  if (options.classes > 0) builder.Classes();
  if (options.accounts > 0) builder.Accounts();
  if (options.employees > 0) builder.Employees();
  if (options.vendors > 0) builder.Vendors();
  if (options.customers > 0) builder.Customers();
  if (options.service_items > 0) builder.ServiceItems();
  if (options.time_records > 0) builder.TimeRecords();
  if (options.checks > 0)
    builder.Expenses("CheckQueryRs", "CheckRet", kCheckKind, options.checks, 8);
  if (options.bills > 0) builder.Expenses("BillQueryRs", "BillRet", kBillKind, options.bills, 9);
  if (options.non_inventory_items > 0) builder.NonInventoryItems();
  if (options.other_charge_items > 0) builder.OtherChargeItems();
  if (options.payroll_wage_items > 0) builder.PayrollWageItems();
  if (options.sales_tax_codes > 0) builder.SalesTaxCodes();
}

}  // namespace

std::string GenerateResponse(const GenOptions& options) {
  std::string out = "<?xml version=\"1.0\" ?>\n<QBXML>\n<QBXMLMsgsRs>\n";
  AppendRecords(options, out, false);
  out += "\n</QBXMLMsgsRs>\n</QBXML>\n";
  return out;
}

std::string GenerateCompany(const GenOptions& options, const std::string& file_name) {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<QuickBooksCompany";
  if (!file_name.empty()) out += " file=\"" + platform::EscapeHtml(file_name) + '"';
  out += ">\n";
  AppendRecords(options, out, true);
  out += "\n</QuickBooksCompany>\n";
  return out;
}

}  // namespace vantrel::gen
