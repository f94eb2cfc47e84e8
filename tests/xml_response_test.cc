// The response read in batches must give what the whole document gives: the
// same verdict and error text, and the same elements of every name in the
// same order, whichever way (index or whole parse) a text is served.
#include "platform/xml_response.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen/qbxml_gen.h"
#include "platform/xml_document.h"

namespace vantrel::platform {
namespace {

std::vector<std::string> BatchTexts(const XmlResponse& response, const std::string& name) {
  std::vector<std::string> out;
  XmlRecords records = response.Records(name);
  const size_t size = records.size();
  for (XmlNode node = records.Next(); node; node = records.Next()) {
    out.push_back(node.Text() + "|" + std::string(node.SelectSingleNode("N").Name()));
  }
  EXPECT_EQ(out.size(), size) << name;
  return out;
}

void ExpectSameAsWhole(const std::string& text, const std::vector<std::string>& names) {
  XmlDocument doc;
  XmlResponse response;
  const bool whole_parsed = doc.LoadXml(text);
  ASSERT_EQ(response.Load(text), whole_parsed);
  EXPECT_EQ(response.parse_error(), doc.parse_error());
  for (const std::string& name : names) {
    std::vector<std::string> expected;
    for (const XmlNode& node : doc.GetElementsByTagName(name)) {
      expected.push_back(node.Text() + "|" + std::string(node.SelectSingleNode("N").Name()));
    }
    EXPECT_EQ(BatchTexts(response, name), expected) << name;
  }
}

// How a text is served: by the index, or whole.
bool HeldWhole(const std::string& text, const std::string& name) {
  XmlResponse response;
  response.Load(text);
  response.Records(name);
  return response.held_whole();
}

std::string Wrap(const std::string& records) {
  return "<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n<QBXMLMsgsRs>\r\n<ClassQueryRs requestID=\"1\" "
         "statusCode=\"0\">\r\n" +
         records + "</ClassQueryRs>\r\n</QBXMLMsgsRs>\r\n</QBXML>\r\n";
}

TEST(XmlResponseTest, GivesWhatTheWholeDocumentGives) {
  const std::string two =
      "<R><N>a</N><V>1 &amp; 2</V></R>\r\n<R><N>b</N><V><![CDATA[<x>]]></V></R>";
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"records of one response", Wrap(two)},
      {"records of two responses and other elements between",
       "<QBXML><QBXMLMsgsRs><A><R><N>1</N></R><X/><R><N>2</N></R></A><B a='x'><R><N>3</N></R>"
       "</B></QBXMLMsgsRs></QBXML>"},
      {"a comment, an empty record, attributes and blanks in tags",
       Wrap("<!-- <R><N>no</N></R> --><R/>\n<R  k = \"v\" j='w' ><N >c</N ></R >")},
      {"a name also used deeper is found at every depth",
       Wrap("<R><N>top</N><Deep><R><N>inner</N></R></Deep></R>")},
      {"a record inside a record of its kind",
       "<Q><M><S><R><N>o</N><R><N>i</N></R></R></S></M></Q>"},
      {"a document type the quick check leaves to the parser",
       "<?xml version=\"1.0\"?><!DOCTYPE Q><Q><M><S>" + two + "</S></M></Q>"},
      {"a processing instruction", "<?qbxml version=\"2.0\"?><Q><M><S>" + two + "</S></M></Q>"},
      {"no records", Wrap("")},
      {"an end tag that does not match", Wrap("<R><N>a</N></Rx>")},
      {"cut off inside a record", Wrap(two).substr(0, 120)},
      {"an attribute without quotes", Wrap("<R k=v><N>a</N></R>")},
      {"nothing at all", ""},
      {"text before the document element", "x<Q/>"},
      {"two document elements", "<Q/><Q/>"},
      {"a stray < in text", Wrap("<R><N>a < b</N></R>")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectSameAsWhole(c.text, {"R", "N", "V", "ClassQueryRs", "Missing"});
  }
  EXPECT_TRUE(HeldWhole(Wrap("<R><N>top</N><Deep><R/></Deep></R>"), "R"));
  EXPECT_TRUE(HeldWhole("<?qbxml version=\"2.0\"?><Q/>", "R"));
}

// Batches end at a fixed number of records and between parents; a long run
// of records crosses several.
TEST(XmlResponseTest, ManyRecordsAreWalkedWholeAcrossBatches) {
  gen::GenOptions options;
  options.classes = 5000;
  options.apostrophes = true;
  options.non_ascii = true;
  const std::string one = gen::GenerateResponse(options);
  ExpectSameAsWhole(one, {"ClassRet"});
  XmlResponse response;
  ASSERT_TRUE(response.Load(one));
  XmlRecords records = response.Records("ClassRet");
  EXPECT_EQ(records.size(), 5000u);
  const std::string first = records.Next().Text();
  EXPECT_FALSE(response.held_whole());  // served by the index alone
  // A second walk starts again from the first record.
  EXPECT_EQ(response.Records("ClassRet").Next().Text(), first);
}

}  // namespace
}  // namespace vantrel::platform
