#include "quickbooks/qbxml_request.h"

#include <string>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

std::string Head(const std::string& version) {
  return "<?xml version = \"1.0\"?>\r\n<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD " +
         version + "//EN'>\r\n";
}
const std::string kHead20 = Head("2.0");
const std::string kHead10 = Head("1.0");
const std::string kBodyOpen =
    "<QBXML>\r\n"
    "<QBXMLMsgsRq onError = \"continueOnError\">\r\n";
const std::string kBodyClose =
    "</QBXMLMsgsRq>\r\n"
    "</QBXML>";
const std::string kTimeQuery =
    "<TimeTrackingQueryRq requestID = \"1\">\r\n</TimeTrackingQueryRq>\r\n";

// A query as the request writes it: a list query asks for active and
// inactive records, a check or bill query for the lines. (All flags together
// give the queries in this order, numbered on: see the stand-in's answers to
// the composed requests.)
std::string ListQuery(const std::string& name, int id) {
  return "<" + name + " requestID = \"" + std::to_string(id) +
         "\">\r\n<ActiveStatus>All</ActiveStatus>\r\n</" + name + ">\r\n";
}
std::string LinesQuery(const std::string& name, int id) {
  return "<" + name + " requestID = \"" + std::to_string(id) +
         "\">\r\n<IncludeLineItems>true</IncludeLineItems>\r\n</" + name + ">\r\n";
}

TEST(QbxmlRequestTest, EachFlagAloneGivesItsQueriesNumberedFromOne) {
  const std::pair<bool SelectionFlags::*, std::string> cases[] = {
      {&SelectionFlags::blnDoCustomers, ListQuery("CustomerQueryRq", 1)},
      {&SelectionFlags::blnDoEmployees, ListQuery("EmployeeQueryRq", 1)},
      {&SelectionFlags::blnDoVendors, ListQuery("VendorQueryRq", 1)},
      {&SelectionFlags::blnDoPayTerms, ListQuery("StandardTermsQueryRq", 1)},
      {&SelectionFlags::blnDoGLAccounts, ListQuery("AccountQueryRq", 1)},
      {&SelectionFlags::blnDoTasks,
       ListQuery("ItemServiceQueryRq", 1) + ListQuery("ItemNonInventoryQueryRq", 2) +
           ListQuery("ItemOtherChargeQueryRq", 3) + ListQuery("PayrollItemWageQueryRq", 4)},
      {&SelectionFlags::blnDoClasses, ListQuery("ClassQueryRq", 1)},
      {&SelectionFlags::blnDoSalesReps, ListQuery("SalesRepQueryRq", 1)},
      {&SelectionFlags::blnDoTime, kTimeQuery},
      {&SelectionFlags::blnDoExpense, LinesQuery("CheckQueryRq", 1) + LinesQuery("BillQueryRq", 2)},
      {&SelectionFlags::blnDoSalesTaxCodes, ListQuery("SalesTaxCodeQueryRq", 1)},
  };
  for (const auto& [flag, queries] : cases) {
    SCOPED_TRACE(queries);
    SelectionFlags flags;
    flags.*flag = true;
    EXPECT_EQ(ComposeQBXMLRequest(flags, kQbXml20), kHead20 + kBodyOpen + queries + kBodyClose);
  }
  EXPECT_EQ(ComposeQBXMLRequest(SelectionFlags{}, kQbXml20), kHead20 + kBodyOpen + kBodyClose);
}

// The version code chooses the prefix; below 2 the 1.0 document type, and
// codes outside the table (3, 5, 12) the 2.0 one.
TEST(QbxmlRequestTest, VersionCodeChoosesThePrefix) {
  const std::string pi = "<?xml version=\"1.0\" ?><?qbxml version=\"";
  const std::pair<long, std::string> cases[] = {
      {0, kHead10},           {1, kHead10},          {2, kHead20},          {6, pi + "CA1.0\"?>"},
      {7, pi + "CA1.1\"?>"},  {8, pi + "CA2.0\"?>"}, {9, pi + "UK1.0\"?>"}, {10, pi + "UK1.1\"?>"},
      {11, pi + "UK2.0\"?>"}, {-1, kHead10},         {3, kHead20},          {5, kHead20},
      {12, kHead20}};
  SelectionFlags flags;
  flags.blnDoTime = true;
  for (const auto& [code, prefix] : cases) {
    EXPECT_EQ(ComposeQBXMLRequest(flags, code), prefix + kBodyOpen + kTimeQuery + kBodyClose)
        << code;
  }
}

}  // namespace
}  // namespace vantrel
