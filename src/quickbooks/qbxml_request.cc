#include "quickbooks/qbxml_request.h"

#include <string_view>

namespace vantrel {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// One query of the request: its element name, whether the flags include it,
// and the line between its opening and closing lines ("" for none).
struct QueryRow {
  std::string_view element;
  bool SelectionFlags::*flag;
  std::string_view content;
};

constexpr std::string_view kAllActive = "<ActiveStatus>All</ActiveStatus>";
constexpr std::string_view kLineItems = "<IncludeLineItems>true</IncludeLineItems>";

// The queries in the order in which they appear in the request.
constexpr QueryRow kQueries[] = {
    {"CustomerQueryRq", &SelectionFlags::blnDoCustomers, kAllActive},
    {"EmployeeQueryRq", &SelectionFlags::blnDoEmployees, kAllActive},
    {"VendorQueryRq", &SelectionFlags::blnDoVendors, kAllActive},
    {"StandardTermsQueryRq", &SelectionFlags::blnDoPayTerms, kAllActive},
    {"AccountQueryRq", &SelectionFlags::blnDoGLAccounts, kAllActive},
    {"ItemServiceQueryRq", &SelectionFlags::blnDoTasks, kAllActive},
    {"ItemNonInventoryQueryRq", &SelectionFlags::blnDoTasks, kAllActive},
    {"ItemOtherChargeQueryRq", &SelectionFlags::blnDoTasks, kAllActive},
    {"PayrollItemWageQueryRq", &SelectionFlags::blnDoTasks, kAllActive},
    {"ClassQueryRq", &SelectionFlags::blnDoClasses, kAllActive},
    {"SalesRepQueryRq", &SelectionFlags::blnDoSalesReps, kAllActive},
    {"TimeTrackingQueryRq", &SelectionFlags::blnDoTime, ""},
    {"CheckQueryRq", &SelectionFlags::blnDoExpense, kLineItems},
    {"BillQueryRq", &SelectionFlags::blnDoExpense, kLineItems},
    // Last, so that the other queries keep their request numbers.
    {"SalesTaxCodeQueryRq", &SelectionFlags::blnDoSalesTaxCodes, kAllActive},
};

// The qbXML processing instruction's version of a Canadian or United Kingdom
// code; empty for the other codes.
std::string_view RegionalVersion(long qbxml_version) {
  switch (qbxml_version) {
    case kQbXmlCA10:
      return "CA1.0";
    case kQbXmlCA11:
      return "CA1.1";
    case kQbXmlCA20:
      return "CA2.0";
    case kQbXmlUK10:
      return "UK1.0";
    case kQbXmlUK11:
      return "UK1.1";
    case kQbXmlUK20:
      return "UK2.0";
    default:
      return "";
  }
}

std::string Prefix(long qbxml_version) {
  std::string prefix;
  std::string_view regional = RegionalVersion(qbxml_version);
  if (!regional.empty()) {
    // No line breaks and no document type with these versions.
    prefix += "<?xml version=\"1.0\" ?><?qbxml version=\"";
    prefix += regional;
    prefix += "\"?>";
    return prefix;
  }
  prefix += "<?xml version = \"1.0\"?>";
  prefix += kCrLf;
  if (qbxml_version < kQbXml20) {
    prefix += "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN'>";
  } else {
    prefix += "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>";
  }
  prefix += kCrLf;
  return prefix;
}

}  // namespace

std::string ComposeQBXMLRequest(const SelectionFlags& flags, long qbxml_version) {
  std::string request = Prefix(qbxml_version);
  request += "<QBXML>";
  request += kCrLf;
  request += "<QBXMLMsgsRq onError = \"continueOnError\">";
  request += kCrLf;
  long request_id = 1;
  for (const QueryRow& row : kQueries) {
    if (!(flags.*row.flag)) continue;
    request += '<';
    request += row.element;
    request += " requestID = \"";
    request += std::to_string(request_id);
    request += "\">";
    request += kCrLf;
    if (!row.content.empty()) {
      request += row.content;
      request += kCrLf;
    }
    request += "</";
    request += row.element;
    request += '>';
    request += kCrLf;
    ++request_id;
  }
  request += "</QBXMLMsgsRq>";
  request += kCrLf;
  request += "</QBXML>";
  return request;
}

}  // namespace vantrel
