#include "quickbooks/xml_validator.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/com_error.h"
#include "platform/xml_schema.h"
#include "quickbooks/qbxml_request.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// A schema for a small qbXML-like document: QBXML holding one message set of
// class queries with an optional ActiveStatus.
constexpr const char* kSchema = R"(<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema">
  <xs:element name="QBXML">
    <xs:complexType>
      <xs:sequence>
        <xs:element name="QBXMLMsgsRq">
          <xs:complexType>
            <xs:sequence>
              <xs:element name="ClassQueryRq" minOccurs="0" maxOccurs="unbounded">
                <xs:complexType>
                  <xs:sequence>
                    <xs:element name="ActiveStatus" minOccurs="0">
                      <xs:simpleType>
                        <xs:restriction base="xs:string">
                          <xs:enumeration value="All"/>
                          <xs:enumeration value="ActiveOnly"/>
                        </xs:restriction>
                      </xs:simpleType>
                    </xs:element>
                  </xs:sequence>
                  <xs:attribute name="requestID" type="xs:string"/>
                </xs:complexType>
              </xs:element>
            </xs:sequence>
            <xs:attribute name="onError" type="xs:string" use="required"/>
          </xs:complexType>
        </xs:element>
      </xs:sequence>
    </xs:complexType>
  </xs:element>
</xs:schema>
)";

const std::string kDoctype10 = "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN'>";
const std::string kExpected = "DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' ['uri']";

std::string Document(const std::string& doctype_line, const std::string& status = "All") {
  return "<?xml version=\"1.0\"?>\r\n" + doctype_line +
         "<QBXML>\r\n"
         "<QBXMLMsgsRq onError=\"continueOnError\">\r\n"
         "  <ClassQueryRq requestID=\"1\"><ActiveStatus>" +
         status +
         "</ActiveStatus></ClassQueryRq>\r\n"
         "</QBXMLMsgsRq>\r\n"
         "</QBXML>";
}

class XmlValidatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vantrel_validator_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    schema_ = Write("classes.xsd", kSchema);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& content) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::filesystem::path dir_;
  std::string schema_;
  XMLValidator validator_;
};

TEST_F(XmlValidatorTest, ValidWithTheExpectedDoctype) {
  EXPECT_TRUE(validator_.ValidateXML(Document(kDoctype10 + "\r\n"), schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
}

TEST_F(XmlValidatorTest, ValidWithoutDoctypeReportsItMissing) {
  EXPECT_TRUE(validator_.ValidateXML(Document(""), schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.\r\rMissing DOCTYPE declaration");
}

TEST_F(XmlValidatorTest, OtherVersionWordFailsTheCheckButStillValid) {
  const std::string doctype20 = "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>\r\n";
  EXPECT_TRUE(validator_.ValidateXML(Document(doctype20), schema_));
  EXPECT_EQ(validator_.ValidateMsg(),
            "XML instance is Valid.\r\rIncorrect DOCTYPE declaration. Please use:\r" + kExpected);
}

TEST_F(XmlValidatorTest, DoctypeDifferingInCaseOnlyPasses) {
  EXPECT_TRUE(validator_.ValidateXML(
      Document("<!DOCTYPE qbxml public '-//intuit//dtd QBXML qbd 1.0//en'>\r\n"), schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
}

TEST_F(XmlValidatorTest, AddressAndFurtherWordsAreNotCompared) {
  EXPECT_TRUE(
      validator_.ValidateXML(Document("<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' "
                                      "'http://example.com/qbxml.dtd' extra words here>\r\n"),
                             schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
}

TEST_F(XmlValidatorTest, RunsOfTabsAndLineBreaksSeparateWords) {
  EXPECT_TRUE(validator_.ValidateXML(
      Document("<!DOCTYPE\tQBXML \r\n PUBLIC  '-//INTUIT//DTD QBXML\t\tQBD 1.0//EN'>\r\n"),
      schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
}

TEST_F(XmlValidatorTest, ShortDoctypeFailsTheCheck) {
  EXPECT_TRUE(validator_.ValidateXML(Document("<!DOCTYPE QBXML>\r\n"), schema_));
  EXPECT_EQ(validator_.ValidateMsg(),
            "XML instance is Valid.\r\rIncorrect DOCTYPE declaration. Please use:\r" + kExpected);
}

TEST_F(XmlValidatorTest, MissingSchemaFileIsAStageTwoError) {
  EXPECT_FALSE(validator_.ValidateXML(Document(""), (dir_ / "missing.xsd").string()));
  EXPECT_THAT(validator_.ValidateMsg(), StartsWith("Error loading schema: 800C0006, "));
  EXPECT_THAT(validator_.ValidateMsg(), HasSubstr("missing.xsd"));
}

TEST_F(XmlValidatorTest, FileThatIsNotASchemaIsAStageTwoError) {
  const std::string not_schema = Write("plain.xml", "<root/>");
  EXPECT_FALSE(validator_.ValidateXML(Document(""), not_schema));
  EXPECT_THAT(validator_.ValidateMsg(), StartsWith("Error loading schema: 80004005, "));
}

TEST_F(XmlValidatorTest, NotWellFormedInstanceGivesLinePositionSourceAndReason) {
  const std::string text = "<?xml version=\"1.0\"?>\r\n" + kDoctype10 +
                           "\r\n"
                           "<QBXML>\r\n"
                           "<QBXMLMsgsRq onError=\"continueOnError\">\r\n"
                           "   <ClassQueryRq requestID=\"1\">   \r\n"
                           "</QBXMLMsgsRq>\r\n"
                           "</QBXML>";
  EXPECT_FALSE(validator_.ValidateXML(text, schema_));
  // The commented declaration keeps the line numbers of the text.
  EXPECT_EQ(validator_.ValidateMsg(),
            "Line: 6\rLinePos: 15\rSrc Text: </QBXMLMsgsRq>\rReason: Opening and ending tag "
            "mismatch: ClassQueryRq line 5 and QBXMLMsgsRq");
}

TEST_F(XmlValidatorTest, SourceTextIsTrimmedOfBlanks) {
  const std::string text =
      "<QBXML>\n"
      "<QBXMLMsgsRq onError=\"continueOnError\">\n"
      "    <ClassQueryRq requestID=\"1\"><ActiveStatus>Sometimes</ActiveStatus></ClassQueryRq>  \n"
      "</QBXMLMsgsRq>\n"
      "</QBXML>";
  EXPECT_FALSE(validator_.ValidateXML(text, schema_));
  EXPECT_THAT(validator_.ValidateMsg(),
              StartsWith("Line: 3\rLinePos: 33\rSrc Text: <ClassQueryRq requestID=\"1\">"
                         "<ActiveStatus>Sometimes</ActiveStatus></ClassQueryRq>\rReason: "
                         "Element 'ActiveStatus': "));
  EXPECT_THAT(validator_.ValidateMsg(), HasSubstr("'Sometimes'"));
}

TEST_F(XmlValidatorTest, SchemaViolationIsReportedAndReturnsFalse) {
  EXPECT_FALSE(validator_.ValidateXML(Document(kDoctype10 + "\r\n", "InactiveOnly"), schema_));
  EXPECT_THAT(validator_.ValidateMsg(), StartsWith("Line: 5\rLinePos: "));
  EXPECT_THAT(validator_.ValidateMsg(),
              HasSubstr("\rSrc Text: <ClassQueryRq requestID=\"1\"><ActiveStatus>InactiveOnly"
                        "</ActiveStatus></ClassQueryRq>\rReason: Element 'ActiveStatus'"));
}

TEST_F(XmlValidatorTest, UndeclaredRootIsASchemaViolation) {
  EXPECT_FALSE(validator_.ValidateXML("<Invoice/>", schema_));
  EXPECT_THAT(validator_.ValidateMsg(), StartsWith("Line: 1\rLinePos: 1\rSrc Text: <Invoice/>\r"
                                                   "Reason: Element 'Invoice': "));
}

TEST_F(XmlValidatorTest, DoctypeWithoutClosingBracketIsAStageThreeError) {
  EXPECT_FALSE(validator_.ValidateXML("<?xml version=\"1.0\"?><!DOCTYPE QBXML", schema_));
  EXPECT_EQ(validator_.ValidateMsg(),
            "Error loading XML Instance: 5, Invalid procedure call or argument");
}

TEST_F(XmlValidatorTest, StageErrorsCarryTheirPrefixAndHexNumber) {
  const std::vector<std::string> prefixes = {
      "Error loading MSXML4.0 parser: ", "Error loading schema: ", "Error loading XML Instance: ",
      "Error during validation: "};
  for (int stage = 1; stage <= 4; ++stage) {
    XMLValidator validator([stage](int current) {
      if (current == stage) {
        throw platform::ComError(static_cast<long>(static_cast<int>(0x80070005u)),
                                 "Access is denied.");
      }
    });
    EXPECT_FALSE(validator.ValidateXML(Document(kDoctype10 + "\r\n"), schema_));
    EXPECT_EQ(validator.ValidateMsg(), prefixes[stage - 1] + "80070005, Access is denied.");
  }
}

TEST_F(XmlValidatorTest, SmallErrorNumbersAreWrittenInHexadecimal) {
  XMLValidator validator([](int stage) {
    if (stage == 4) throw platform::ComError(91, "Object variable not set");
  });
  EXPECT_FALSE(validator.ValidateXML(Document(""), schema_));
  EXPECT_EQ(validator.ValidateMsg(), "Error during validation: 5B, Object variable not set");
}

TEST_F(XmlValidatorTest, ValidatorStaysUsableAfterErrors) {
  EXPECT_FALSE(validator_.ValidateXML(Document(""), (dir_ / "missing.xsd").string()));
  EXPECT_FALSE(validator_.ValidateXML("<QBXML>", schema_));
  EXPECT_TRUE(validator_.ValidateXML(Document(kDoctype10), schema_));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
}

TEST_F(XmlValidatorTest, DocumentTextIsNotChanged) {
  const std::string text = Document(kDoctype10 + "\r\n");
  const std::string copy = text;
  validator_.ValidateXML(text, schema_);
  EXPECT_EQ(text, copy);
}

// The sample schema accepts the requests the control composes.
TEST_F(XmlValidatorTest, ComposedRequestsValidateAgainstTheSampleSchema) {
  const std::string sample = std::string(VANTREL_SOURCE_DIR) + "/samples/qbxml-mini.xsd";
  SelectionFlags flags{true, true, true, true, true, true, true, true, true, true};
  EXPECT_TRUE(validator_.ValidateXML(ComposeQBXMLRequest(flags, kQbXml10), sample));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.");
  EXPECT_TRUE(validator_.ValidateXML(ComposeQBXMLRequest(flags, kQbXml20), sample));
  EXPECT_EQ(validator_.ValidateMsg(),
            "XML instance is Valid.\r\rIncorrect DOCTYPE declaration. Please use:\r" + kExpected);
  EXPECT_TRUE(validator_.ValidateXML(ComposeQBXMLRequest(flags, kQbXmlCA20), sample));
  EXPECT_EQ(validator_.ValidateMsg(), "XML instance is Valid.\r\rMissing DOCTYPE declaration");
}

TEST(DoctypeWordsTest, SplitsAtRunsOfSeparatorsIntoAtMostNineWords) {
  EXPECT_THAT(SplitDoctypeWords("a  b\t\tc\r\nd\ve\ff"), ElementsAre("a", "b", "c", "d", "e", "f"));
  EXPECT_THAT(SplitDoctypeWords(" a b"), ElementsAre("", "a", "b"));
  EXPECT_THAT(SplitDoctypeWords("1 2 3 4 5 6 7 8 9 10 11"),
              ElementsAre("1", "2", "3", "4", "5", "6", "7", "8", "9"));
  EXPECT_THAT(SplitDoctypeWords("a b  "), ElementsAre("a", "b"));
  EXPECT_TRUE(SplitDoctypeWords("").empty());
}

TEST(DoctypeWordsTest, CheckComparesTheFirstSevenWords) {
  std::string message;
  EXPECT_TRUE(CheckDoctype("DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN'", &message));
  EXPECT_EQ(message, "");
  EXPECT_FALSE(CheckDoctype("DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.1//EN'", &message));
  EXPECT_EQ(message, "Incorrect DOCTYPE declaration. Please use:\r" + kExpected);
  EXPECT_FALSE(CheckDoctype("DOCTYPE QBXML SYSTEM 'qbxml.dtd'", &message));
}

TEST(XmlSchemaTest, LoadFailsWithComErrorForAMissingFile) {
  try {
    platform::XmlSchema::Load("/nonexistent/vantrel/none.xsd");
    FAIL() << "no error";
  } catch (const platform::ComError& e) {
    EXPECT_THAT(e.description(), HasSubstr("/nonexistent/vantrel/none.xsd"));
    EXPECT_NE(e.number(), 0);
  }
}

TEST(XmlSchemaTest, ValidDocumentHasErrorCodeZero) {
  auto schema =
      platform::XmlSchema::Load(std::string(VANTREL_SOURCE_DIR) + "/samples/qbxml-mini.xsd");
  platform::XmlParseError error = schema->Validate(
      "<QBXML><QBXMLMsgsRq onError=\"stopOnError\"><CheckQueryRq requestID=\"1\">"
      "<IncludeLineItems>true</IncludeLineItems></CheckQueryRq></QBXMLMsgsRq></QBXML>");
  EXPECT_EQ(error.error_code, 0);
  EXPECT_EQ(error.reason, "");
}

TEST(XmlSchemaTest, EmptyDocumentIsAnError) {
  auto schema =
      platform::XmlSchema::Load(std::string(VANTREL_SOURCE_DIR) + "/samples/qbxml-mini.xsd");
  platform::XmlParseError error = schema->Validate("");
  EXPECT_NE(error.error_code, 0);
  EXPECT_FALSE(error.reason.empty());
}

}  // namespace
}  // namespace vantrel
