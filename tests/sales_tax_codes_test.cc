// The opt-in query of the sales tax codes: the page parameter, the request's
// last query, and when the driver asks for it.
#include <gtest/gtest.h>

#include "convert_fixture.h"
#include "platform/com_error.h"
#include "quickbooks/qbxml_request.h"

namespace vantrel {
namespace {

constexpr char kSalesTaxQuery[] =
    "<SalesTaxCodeQueryRq requestID = \"15\">\r\n<ActiveStatus>All</ActiveStatus>\r\n"
    "</SalesTaxCodeQueryRq>\r\n</QBXMLMsgsRq>\r\n</QBXML>";

TEST(SalesTaxCodesTest, TheQueryComesLastAndLeavesTheOthersAsTheyWere) {
  SelectionFlags flags{true, true, true, true, true, true, true, true, true, true};
  const std::string without = ComposeQBXMLRequest(flags, kQbXml20);
  flags.blnDoSalesTaxCodes = true;
  const std::string with = ComposeQBXMLRequest(flags, kQbXml20);
  const std::string tail = "</QBXMLMsgsRq>\r\n</QBXML>";
  ASSERT_TRUE(without.ends_with(tail));
  EXPECT_EQ(with, without.substr(0, without.size() - tail.size()) + kSalesTaxQuery);
}

using SalesTaxOptionTest = testing::ControlTest;

// The two opt-in page parameters, IncludeSalesTaxCodes and SafeLines, are
// read last, as Booleans, each into its own property.
TEST_F(SalesTaxOptionTest, TheOptInParametersAreReadLastAsBooleans) {
  for (auto [key, field] : {std::pair{"IncludeSalesTaxCodes", &VantrelCtl::IncludeSalesTaxCodes},
                            std::pair{"SafeLines", &VantrelCtl::SafeLines}}) {
    SCOPED_TRACE(key);
    platform::PropertyBag bag;
    ctl_.ReadProperties(bag);
    EXPECT_FALSE(ctl_.IncludeSalesTaxCodes || ctl_.SafeLines);
    for (const char* on : {"True", "true", "-1", " 1 "}) {
      bag.Set(key, on);
      ctl_.ReadProperties(bag);
      EXPECT_TRUE(ctl_.*field) << on;
      EXPECT_EQ(ctl_.IncludeSalesTaxCodes && ctl_.SafeLines, false) << "the other one stays off";
    }
    bag.Set(key, "False");
    ctl_.ReadProperties(bag);
    EXPECT_FALSE(ctl_.*field);

    // A value that is no Boolean is refused by name, after every other key.
    bag.Set(key, "maybe");
    bag.Set("CustLexicon", "Client");
    try {
      ctl_.ReadProperties(bag);
      ADD_FAILURE() << "no error";
    } catch (const platform::ComError& e) {
      EXPECT_EQ(e.source(), key);
      EXPECT_EQ(e.description(), "Type mismatch");
    }
    EXPECT_EQ(ctl_.CustLexicon, "Client");
    EXPECT_EQ(ctl_.screen().Label3.caption(), "Clients:s");
  }
}

TEST_F(SalesTaxOptionTest, TheDriverAsksForTheCodesOnlyWithItems) {
  struct Case {
    bool option, items;
    bool asked;
  };
  for (const Case& c :
       {Case{true, true, true}, Case{true, false, false}, Case{false, true, false}}) {
    ctl_.IncludeSalesTaxCodes = c.option;
    ctl_.screen().chkQBTasks.set_value(c.items ? 1 : 0);
    ctl_.screen().chkQBClasses.set_value(1);
    ctl_.QueryQuickBooks();
    EXPECT_EQ(modWizard().strRequestXML.find("<SalesTaxCodeQueryRq") != std::string::npos, c.asked);
  }
}

}  // namespace
}  // namespace vantrel
