#include "quickbooks/xml_validator.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/com_error.h"
#include "quickbooks/qbxml_request.h"

namespace vantrel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kSamples = std::string(VANTREL_SOURCE_DIR) + "/samples/";

const std::string kDoctype10 = "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN'>";
const std::string kExpected = "DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' ['uri']";

std::string Document(const std::string& doctype_line) {
  return "<?xml version=\"1.0\"?>\r\n" + doctype_line +
         "<QBXML>\r\n"
         "<QBXMLMsgsRq onError=\"continueOnError\">\r\n"
         "  <ClassQueryRq requestID=\"1\"><ActiveStatus>All</ActiveStatus></ClassQueryRq>\r\n"
         "</QBXMLMsgsRq>\r\n"
         "</QBXML>";
}

class XmlValidatorTest : public ::testing::Test {
 protected:
  const std::string schema_ = kSamples + "qbxml-mini.xsd";
  XMLValidator validator_;
};

TEST_F(XmlValidatorTest, ValidDocumentsReportTheirDoctype) {
  const std::string valid = "XML instance is Valid.";
  const std::string incorrect =
      valid + "\r\rIncorrect DOCTYPE declaration. Please use:\r" + kExpected;
  const std::pair<std::string, std::string> cases[] = {
      {kDoctype10 + "\r\n", valid},
      {kDoctype10, valid},
      {"", valid + "\r\rMissing DOCTYPE declaration"},
      {"<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>\r\n", incorrect},
      {"<!DOCTYPE QBXML>\r\n", incorrect},
      {"<!DOCTYPE QBXML SYSTEM 'qbxml.dtd'>\r\n", incorrect},
      // Letter case, the address and further words, and runs of blanks, tabs
      // and line breaks between the words do not count.
      {"<!DOCTYPE qbxml public '-//intuit//dtd QBXML qbd 1.0//en'>\r\n", valid},
      {"<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' 'http://example.com/qbxml.dtd' "
       "extra words here>\r\n",
       valid},
      {"<!DOCTYPE\tQBXML \r\n PUBLIC  '-//INTUIT//DTD QBXML\t\tQBD 1.0//EN'>\r\n", valid},
  };
  for (const auto& [doctype, message] : cases) {
    SCOPED_TRACE(doctype);
    EXPECT_TRUE(validator_.ValidateXML(Document(doctype), schema_));
    EXPECT_EQ(validator_.ValidateMsg(), message);
  }
}

TEST_F(XmlValidatorTest, DocumentErrorsGiveLinePositionSourceAndReason) {
  const struct {
    std::string text;
    std::string message;  // the message, or how it starts when `rest` is set
    const char* rest;     // what else it holds
  } cases[] = {
      // The commented declaration keeps the line numbers of the text.
      {"<?xml version=\"1.0\"?>\r\n" + kDoctype10 +
           "\r\n<QBXML>\r\n<QBXMLMsgsRq onError=\"continueOnError\">\r\n"
           "   <ClassQueryRq requestID=\"1\">   \r\n</QBXMLMsgsRq>\r\n</QBXML>",
       "Line: 6\rLinePos: 15\rSrc Text: </QBXMLMsgsRq>\rReason: Opening and ending tag "
       "mismatch: ClassQueryRq line 5 and QBXMLMsgsRq",
       nullptr},
      // The source text is trimmed of blanks.
      {"<QBXML>\n<QBXMLMsgsRq onError=\"continueOnError\">\n    <ClassQueryRq requestID=\"1\">"
       "<ActiveStatus>Sometimes</ActiveStatus></ClassQueryRq>  \n</QBXMLMsgsRq>\n</QBXML>",
       "Line: 3\rLinePos: 33\rSrc Text: <ClassQueryRq requestID=\"1\"><ActiveStatus>Sometimes"
       "</ActiveStatus></ClassQueryRq>\rReason: Element 'ActiveStatus': ",
       "'Sometimes'"},
      {"<Invoice/>", "Line: 1\rLinePos: 1\rSrc Text: <Invoice/>\rReason: Element 'Invoice': ", ""},
      {"", "Line: ", "Reason: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_FALSE(validator_.ValidateXML(c.text, schema_));
    if (c.rest == nullptr) {
      EXPECT_EQ(validator_.ValidateMsg(), c.message);
    } else {
      EXPECT_THAT(validator_.ValidateMsg(), StartsWith(c.message));
      EXPECT_THAT(validator_.ValidateMsg(), HasSubstr(c.rest));
    }
  }
}

TEST_F(XmlValidatorTest, StageErrorsCarryTheirPrefixAndHexNumber) {
  EXPECT_FALSE(validator_.ValidateXML(Document(""), kSamples + "missing.xsd"));
  EXPECT_THAT(validator_.ValidateMsg(), StartsWith("Error loading schema: 800C0006, "));
  EXPECT_THAT(validator_.ValidateMsg(), HasSubstr("missing.xsd"));
  EXPECT_FALSE(validator_.ValidateXML(Document(""), kSamples + "Acme.QBW"));  // not a schema
  EXPECT_THAT(validator_.ValidateMsg(), StartsWith("Error loading schema: 80004005, "));
  EXPECT_FALSE(validator_.ValidateXML("<?xml version=\"1.0\"?><!DOCTYPE QBXML", schema_));
  EXPECT_EQ(validator_.ValidateMsg(),
            "Error loading XML Instance: 5, Invalid procedure call or argument");

  const std::vector<std::string> prefixes = {
      "Error loading MSXML4.0 parser: ", "Error loading schema: ", "Error loading XML Instance: ",
      "Error during validation: "};
  for (int stage = 1; stage <= 4; ++stage) {
    for (long number : {static_cast<long>(static_cast<int>(0x80070005u)), 91L}) {
      XMLValidator validator([stage, number](int current) {
        if (current == stage) throw platform::ComError(number, "Access is denied.");
      });
      EXPECT_FALSE(validator.ValidateXML(Document(kDoctype10 + "\r\n"), schema_));
      EXPECT_EQ(validator.ValidateMsg(),
                prefixes[stage - 1] + (number == 91 ? "5B" : "80070005") + ", Access is denied.");
    }
  }
}

// The sample schema accepts the requests the control composes.
TEST_F(XmlValidatorTest, ComposedRequestsValidateAgainstTheSampleSchema) {
  SelectionFlags flags{true, true, true, true, true, true, true, true, true, true};
  EXPECT_TRUE(validator_.ValidateXML(ComposeQBXMLRequest(flags, kQbXml10), schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
}

}  // namespace
}  // namespace vantrel
