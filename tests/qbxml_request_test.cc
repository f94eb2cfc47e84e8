#include "quickbooks/qbxml_request.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vantrel {
namespace {

const std::string kHead20 =
    "<?xml version = \"1.0\"?>\r\n"
    "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>\r\n";
const std::string kHead10 =
    "<?xml version = \"1.0\"?>\r\n"
    "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN'>\r\n";
const std::string kBodyOpen =
    "<QBXML>\r\n"
    "<QBXMLMsgsRq onError = \"continueOnError\">\r\n";
const std::string kBodyClose =
    "</QBXMLMsgsRq>\r\n"
    "</QBXML>";

TEST(QbxmlRequestTest, WorkedCaseClassesAndTimeVersion20) {
  SelectionFlags flags;
  flags.blnDoClasses = true;
  flags.blnDoTime = true;
  const std::string expected =
      "<?xml version = \"1.0\"?>\r\n"
      "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>\r\n"
      "<QBXML>\r\n"
      "<QBXMLMsgsRq onError = \"continueOnError\">\r\n"
      "<ClassQueryRq requestID = \"1\">\r\n"
      "<ActiveStatus>All</ActiveStatus>\r\n"
      "</ClassQueryRq>\r\n"
      "<TimeTrackingQueryRq requestID = \"2\">\r\n"
      "</TimeTrackingQueryRq>\r\n"
      "</QBXMLMsgsRq>\r\n"
      "</QBXML>";
  EXPECT_EQ(ComposeQBXMLRequest(flags, kQbXml20), expected);
}

TEST(QbxmlRequestTest, WorkedCaseHasElevenLinesAndNoFinalBreak) {
  SelectionFlags flags;
  flags.blnDoClasses = true;
  flags.blnDoTime = true;
  const std::string request = ComposeQBXMLRequest(flags, kQbXml20);
  size_t breaks = 0;
  for (size_t pos = request.find("\r\n"); pos != std::string::npos;
       pos = request.find("\r\n", pos + 2)) {
    ++breaks;
  }
  EXPECT_EQ(breaks, 10u);  // eleven lines
  // Every line feed is preceded by a carriage return and vice versa.
  for (size_t i = 0; i < request.size(); ++i) {
    if (request[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(request[i - 1], '\r');
    }
    if (request[i] == '\r') {
      ASSERT_LT(i + 1, request.size());
      EXPECT_EQ(request[i + 1], '\n');
    }
  }
  ASSERT_GE(request.size(), 8u);
  EXPECT_EQ(request.substr(request.size() - 8), "</QBXML>");
}

struct SingleFlagCase {
  const char* name;
  bool SelectionFlags::*flag;
  std::string queries;  // the query lines the flag alone yields
};

class QbxmlRequestSingleFlagTest : public ::testing::TestWithParam<SingleFlagCase> {};

TEST_P(QbxmlRequestSingleFlagTest, FlagAloneGivesItsQueries) {
  SelectionFlags flags;
  flags.*(GetParam().flag) = true;
  EXPECT_EQ(ComposeQBXMLRequest(flags, kQbXml20),
            kHead20 + kBodyOpen + GetParam().queries + kBodyClose);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRow, QbxmlRequestSingleFlagTest,
    ::testing::Values(SingleFlagCase{"Customers", &SelectionFlags::blnDoCustomers,
                                     "<CustomerQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</CustomerQueryRq>\r\n"},
                      SingleFlagCase{"Employees", &SelectionFlags::blnDoEmployees,
                                     "<EmployeeQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</EmployeeQueryRq>\r\n"},
                      SingleFlagCase{"Vendors", &SelectionFlags::blnDoVendors,
                                     "<VendorQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</VendorQueryRq>\r\n"},
                      SingleFlagCase{"PayTerms", &SelectionFlags::blnDoPayTerms,
                                     "<StandardTermsQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</StandardTermsQueryRq>\r\n"},
                      SingleFlagCase{"GLAccounts", &SelectionFlags::blnDoGLAccounts,
                                     "<AccountQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</AccountQueryRq>\r\n"},
                      SingleFlagCase{"Tasks", &SelectionFlags::blnDoTasks,
                                     "<ItemServiceQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</ItemServiceQueryRq>\r\n"
                                     "<ItemNonInventoryQueryRq requestID = \"2\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</ItemNonInventoryQueryRq>\r\n"
                                     "<ItemOtherChargeQueryRq requestID = \"3\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</ItemOtherChargeQueryRq>\r\n"
                                     "<PayrollItemWageQueryRq requestID = \"4\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</PayrollItemWageQueryRq>\r\n"},
                      SingleFlagCase{"Classes", &SelectionFlags::blnDoClasses,
                                     "<ClassQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</ClassQueryRq>\r\n"},
                      SingleFlagCase{"SalesReps", &SelectionFlags::blnDoSalesReps,
                                     "<SalesRepQueryRq requestID = \"1\">\r\n"
                                     "<ActiveStatus>All</ActiveStatus>\r\n"
                                     "</SalesRepQueryRq>\r\n"},
                      SingleFlagCase{"Time", &SelectionFlags::blnDoTime,
                                     "<TimeTrackingQueryRq requestID = \"1\">\r\n"
                                     "</TimeTrackingQueryRq>\r\n"},
                      SingleFlagCase{"Expense", &SelectionFlags::blnDoExpense,
                                     "<CheckQueryRq requestID = \"1\">\r\n"
                                     "<IncludeLineItems>true</IncludeLineItems>\r\n"
                                     "</CheckQueryRq>\r\n"
                                     "<BillQueryRq requestID = \"2\">\r\n"
                                     "<IncludeLineItems>true</IncludeLineItems>\r\n"
                                     "</BillQueryRq>\r\n"}),
    [](const ::testing::TestParamInfo<SingleFlagCase>& info) { return info.param.name; });

TEST(QbxmlRequestTest, CustomersSalesRepsAndExpenseNumberedWithoutGaps) {
  SelectionFlags flags;
  flags.blnDoCustomers = true;
  flags.blnDoSalesReps = true;
  flags.blnDoExpense = true;
  const std::string expected = kHead20 + kBodyOpen +
                               "<CustomerQueryRq requestID = \"1\">\r\n"
                               "<ActiveStatus>All</ActiveStatus>\r\n"
                               "</CustomerQueryRq>\r\n"
                               "<SalesRepQueryRq requestID = \"2\">\r\n"
                               "<ActiveStatus>All</ActiveStatus>\r\n"
                               "</SalesRepQueryRq>\r\n"
                               "<CheckQueryRq requestID = \"3\">\r\n"
                               "<IncludeLineItems>true</IncludeLineItems>\r\n"
                               "</CheckQueryRq>\r\n"
                               "<BillQueryRq requestID = \"4\">\r\n"
                               "<IncludeLineItems>true</IncludeLineItems>\r\n"
                               "</BillQueryRq>\r\n" +
                               kBodyClose;
  EXPECT_EQ(ComposeQBXMLRequest(flags, kQbXml20), expected);
}

TEST(QbxmlRequestTest, AllFlagsGiveFourteenQueriesInTableOrder) {
  SelectionFlags flags{true, true, true, true, true, true, true, true, true, true};
  const std::string request = ComposeQBXMLRequest(flags, kQbXml10);
  const std::vector<std::string> order = {"CustomerQueryRq",
                                          "EmployeeQueryRq",
                                          "VendorQueryRq",
                                          "StandardTermsQueryRq",
                                          "AccountQueryRq",
                                          "ItemServiceQueryRq",
                                          "ItemNonInventoryQueryRq",
                                          "ItemOtherChargeQueryRq",
                                          "PayrollItemWageQueryRq",
                                          "ClassQueryRq",
                                          "SalesRepQueryRq",
                                          "TimeTrackingQueryRq",
                                          "CheckQueryRq",
                                          "BillQueryRq"};
  size_t from = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    const std::string opening =
        "\r\n<" + order[i] + " requestID = \"" + std::to_string(i + 1) + "\">\r\n";
    const size_t at = request.find(opening, from);
    ASSERT_NE(at, std::string::npos) << opening;
    from = at + opening.size();
  }
  EXPECT_EQ(request.find("requestID = \"15\""), std::string::npos);
}

TEST(QbxmlRequestTest, NoFlagGivesAnEmptyMessageSet) {
  EXPECT_EQ(ComposeQBXMLRequest(SelectionFlags{}, kQbXml11), kHead10 + kBodyOpen + kBodyClose);
}

struct PrefixCase {
  long code;
  std::string prefix;
};

class QbxmlRequestPrefixTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(QbxmlRequestPrefixTest, VersionCodeChoosesPrefix) {
  SelectionFlags flags;
  flags.blnDoTime = true;
  EXPECT_EQ(ComposeQBXMLRequest(flags, GetParam().code),
            GetParam().prefix + kBodyOpen +
                "<TimeTrackingQueryRq requestID = \"1\">\r\n"
                "</TimeTrackingQueryRq>\r\n" +
                kBodyClose);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, QbxmlRequestPrefixTest,
    ::testing::Values(PrefixCase{0, kHead10}, PrefixCase{1, kHead10}, PrefixCase{2, kHead20},
                      PrefixCase{6, "<?xml version=\"1.0\" ?><?qbxml version=\"CA1.0\"?>"},
                      PrefixCase{7, "<?xml version=\"1.0\" ?><?qbxml version=\"CA1.1\"?>"},
                      PrefixCase{8, "<?xml version=\"1.0\" ?><?qbxml version=\"CA2.0\"?>"},
                      PrefixCase{9, "<?xml version=\"1.0\" ?><?qbxml version=\"UK1.0\"?>"},
                      PrefixCase{10, "<?xml version=\"1.0\" ?><?qbxml version=\"UK1.1\"?>"},
                      PrefixCase{11, "<?xml version=\"1.0\" ?><?qbxml version=\"UK2.0\"?>"},
                      // Codes outside the table: below 2 the 1.0 document type, else 2.0.
                      PrefixCase{-1, kHead10}, PrefixCase{3, kHead20}, PrefixCase{5, kHead20},
                      PrefixCase{12, kHead20}));

TEST(QbxmlRequestTest, CanadianCodeStartsWithDeclarationThenInstructionThenQbxml) {
  SelectionFlags flags;
  flags.blnDoCustomers = true;
  const std::string request = ComposeQBXMLRequest(flags, kQbXmlCA11);
  EXPECT_EQ(request.rfind("<?xml version=\"1.0\" ?><?qbxml version=\"CA1.1\"?><QBXML>\r\n", 0), 0u);
  EXPECT_EQ(request.find("DOCTYPE"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
