#include "gen/qbxml_gen.h"

#include <cstdio>
#include <string_view>
#include "platform/date_time.h"

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
};

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
  ResponseBuilder(const GenOptions& options, std::string& out)
      : o_(options), w_(out), random_(options.seed) {}

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
    w_.QueryOpen("ClassQueryRs", 1);
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
    w_.Close("ClassQueryRs");
  }

  void Accounts() {
    static const char* const kTypes[] = {"Expense", "OtherExpense",    "Income",
                                         "Bank",    "CostOfGoodsSold", "AccountsPayable"};
    w_.QueryOpen("AccountQueryRs", 2);
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
    w_.Close("AccountQueryRs");
  }

  void Employees() {
    w_.QueryOpen("EmployeeQueryRs", 3);
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
    w_.Close("EmployeeQueryRs");
  }

  void Vendors() {
    w_.QueryOpen("VendorQueryRs", 4);
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
    w_.Close("VendorQueryRs");
  }

  void Customers() {
    w_.QueryOpen("CustomerQueryRs", 5);
    long position = 0;
    for (long i = 0; i < o_.customers; ++i) {
      const std::string name = Name("Customer", i);
      const std::string list_id = GeneratedListId(kCustomerKind, i);
      Customer(list_id, name, name, 0, nullptr, position++);
      for (long j = 0; j < o_.jobs_per_customer; ++j) {
        const std::string job = "Job " + std::to_string(j);
        const long job_index = i * o_.jobs_per_customer + j;
        Customer(GeneratedListId(kJobKind, job_index), job, name + ":" + job, 1, &list_id,
                 position++);
      }
    }
    w_.Close("CustomerQueryRs");
  }

  void Customer(const std::string& list_id, const std::string& name, const std::string& full_name,
                int sublevel, const std::string* parent, long position) {
    w_.Open("CustomerRet");
    w_.Element("ListID", list_id);
    Times(position);
    w_.Element("EditSequence", std::to_string(1193155600L + position));
    w_.Element("Name", name);
    w_.Element("FullName", full_name);
    Active(position);
    if (parent != nullptr) w_.Ref("ParentRef", *parent, full_name.substr(0, full_name.find(':')));
    w_.Number("Sublevel", sublevel);
    w_.Element("CompanyName", name + " Inc");
    w_.Element("FirstName", "Ann");
    w_.Element("LastName", "Smith");
    w_.Open("BillAddress");
    w_.Element("Addr1", "3 Market Square");
    w_.Element("City", "Capital City");
    w_.Close("BillAddress");
    w_.Element("Phone", "555-0142");
    w_.Element("Email", "customer" + std::to_string(position) + "@example.com");
    w_.Element("Contact", "Ann Smith");
    w_.Ref("SalesRepRef", "80000001-1193155500", "AS");
    w_.Ref("SalesTaxCodeRef", "80000002-1193155500", "Tax");
    w_.Element("AccountNumber", "C-" + std::to_string(position));
    if (sublevel > 0) {
      w_.Element("JobStartDate", "2008-03-15");
      w_.Element("JobDesc", Description(position));
    }
    w_.Close("CustomerRet");
  }

  void ServiceItems() {
    w_.QueryOpen("ItemServiceQueryRs", 6);
    for (long i = 0; i < o_.service_items; ++i) {
      const std::string name = Name("Service", i);
      w_.Open("ItemServiceRet");
      Common(kItemKind, i);
      w_.Element("Name", name);
      w_.Element("FullName", name);
      Active(i);
      w_.Number("Sublevel", 0);
      w_.Ref("SalesTaxCodeRef", "80000003-1193155500", "Non");
      w_.Open("SalesOrPurchase");
      w_.Element("Desc", Description(i));
      w_.Amount("Price", 1000 + random_.Below(20000));
      w_.Ref("AccountRef", "80000004-1193155500", "Consulting Income");
      w_.Close("SalesOrPurchase");
      w_.Close("ItemServiceRet");
    }
    w_.Close("ItemServiceQueryRs");
  }

  void TimeRecords() {
    w_.QueryOpen("TimeTrackingQueryRs", 7);
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
    w_.Close("TimeTrackingQueryRs");
  }

  void Expenses(const char* query, const char* record, int kind, long count, int request_id) {
    w_.QueryOpen(query, request_id);
    for (long i = 0; i < count; ++i) {
      w_.Open(record);
      w_.Element("TxnID", GeneratedListId(kind, i));
      Times(i);
      w_.Element("EditSequence", std::to_string(1193155800L + i));
      w_.Element("TxnDate", "2007-10-23");
      w_.Open("ExpenseLineRet");
      w_.Element("TxnLineID", GeneratedListId(kind, i) + "-1");
      w_.Ref("AccountRef", GeneratedListId(kAccountKind, i % 25), Name("Account", i % 25));
      w_.Amount("Amount", 100 + random_.Below(50000));
      w_.Element("Memo", "Expense line " + std::to_string(i));
      w_.Ref("CustomerRef", GeneratedListId(kCustomerKind, i % 40), Name("Customer", i % 40));
      w_.Element("BillableStatus", "Billable");
      w_.Close("ExpenseLineRet");
      w_.Open("ItemLineRet");
      w_.Element("TxnLineID", GeneratedListId(kind, i) + "-2");
      w_.Ref("ItemRef", GeneratedListId(kItemKind, i % 30), Name("Service", i % 30));
      w_.Element("Desc", "Item line " + std::to_string(i));
      w_.Number("Quantity", 1 + random_.Below(5));
      w_.Amount("Cost", 1050);
      w_.Amount("Amount", 2100);
      w_.Element("BillableStatus", "NotBillable");
      w_.Close("ItemLineRet");
      w_.Close(record);
    }
    w_.Close(query);
  }

 private:
  const GenOptions& o_;
  Writer w_;
  Random random_;
};

}  // namespace

std::string QBDateTimeText(const GenTime& time, long minutes) {
  const auto start = platform::DateTime::FromParts(time.year, time.month, time.day, time.hour,
                                                   time.minute, time.second);
  const platform::DateTime t = platform::DateTime::FromSeconds(
      start.value_or(platform::DateTime()).seconds() + static_cast<std::int64_t>(minutes) * 60);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d-08:00", t.Year(), t.Month(),
                t.Day(), t.Hour(), t.Minute(), t.Second());
  return buf;
}

std::string GeneratedName(const GenOptions& options, const char* kind, long index) {
  std::string name;
  if (options.apostrophes) name += "O'Neil ";
  if (options.non_ascii) name += "Caf\xC3\xA9 M\xC3\xBCller ";
  name += kind;
  name += ' ';
  name += std::to_string(index);
  if (options.long_names) {
    while (name.size() < 300) name += " and Sons Limited";
  }
  return name;
}

std::string GeneratedListId(int kind_number, long index) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%X%07lX-%ld", kind_number, index, 1193155558L + index);
  return buf;
}

std::string GenerateResponse(const GenOptions& options) {
  std::string out;
  const long records = options.classes + options.accounts + options.employees + options.vendors +
                       options.customers * (1 + options.jobs_per_customer) + options.service_items +
                       options.time_records + options.checks + options.bills;
  out.reserve(256 + static_cast<std::size_t>(records) * (options.long_names ? 2000 : 900));
  out += "<?xml version=\"1.0\" ?>\n<QBXML>\n<QBXMLMsgsRs>\n";
  ResponseBuilder builder(options, out);
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
  out += "\n</QBXMLMsgsRs>\n</QBXML>\n";
  return out;
}

}  // namespace vantrel::gen
