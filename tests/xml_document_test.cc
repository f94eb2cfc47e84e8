#include "platform/xml_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen/qbxml_gen.h"

namespace vantrel::platform {
namespace {

std::vector<std::string> Texts(const std::vector<XmlNode>& nodes) {
  std::vector<std::string> texts;
  for (const XmlNode& node : nodes) texts.push_back(node.Text());
  return texts;
}

TEST(XmlDocumentTest, LoadsAndFindsElementsOrDescribesTheError) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<?xml version=\"1.0\" ?><QBXML><A><Name>one</Name><X><Name>two</Name>"
                  "<X><Name>three</Name></X></X></A><X><Name>four</Name></X></QBXML>"));
  EXPECT_TRUE(doc.parsed());
  EXPECT_EQ(Texts(doc.GetElementsByTagName("Name")),
            (std::vector<std::string>{"one", "two", "three", "four"}));
  // Nested elements of the same name are all found.
  EXPECT_EQ(Texts(doc.GetElementsByTagName("X")),
            (std::vector<std::string>{"two three", "three", "four"}));
  EXPECT_TRUE(doc.GetElementsByTagName("Nothing").empty());
  EXPECT_TRUE(doc.GetElementsByTagName("name").empty());  // names are case-sensitive
  EXPECT_EQ(doc.DocumentElement().Name(), "QBXML");

  // Child elements are the elements among the children, named with or
  // without their prefix.
  ASSERT_TRUE(
      doc.LoadXml("<q:Rec xmlns:q=\"urn:x\"><q:Name>n</q:Name><!-- note --><Sub/>text</q:Rec>"));
  const XmlNode rec = doc.DocumentElement();
  EXPECT_EQ(rec.BaseName(), "Rec");
  EXPECT_EQ(rec.Name(), "q:Rec");
  const std::vector<XmlNode> children = rec.ChildElements();
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0].BaseName(), "Name");
  EXPECT_EQ(children[1].BaseName(), "Sub");
  EXPECT_EQ(rec.FirstChildElement().Name(), "q:Name");
  EXPECT_EQ(rec.FirstChildElement().NextSiblingElement().Name(), "Sub");
  EXPECT_TRUE(rec.FirstChildElement().NextSiblingElement().NextSiblingElement().IsNull());
  EXPECT_EQ(XmlNode().BaseName(), "");

  // A failed load describes the error and leaves nothing loaded.
  ASSERT_TRUE(doc.LoadXml("<A><B>x</B></A>"));
  EXPECT_FALSE(doc.LoadXml("<A><B>x</A>"));
  EXPECT_FALSE(doc.parsed());
  EXPECT_NE(doc.parse_error().find(" at offset "), std::string::npos);
  EXPECT_TRUE(doc.DocumentElement().IsNull());
  EXPECT_TRUE(doc.GetElementsByTagName("B").empty());
  // An empty text is no document either.
  EXPECT_FALSE(doc.LoadXml(""));
  EXPECT_FALSE(doc.parse_error().empty());
  // A good load afterwards clears the error; the text is read as Unicode
  // whatever the declaration says.
  EXPECT_TRUE(doc.LoadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><A>Caf\xC3\xA9</A>"));
  EXPECT_EQ(doc.parse_error(), "");
  EXPECT_EQ(doc.DocumentElement().Text(), "Caf\xC3\xA9");
}

// SelectSingleNode takes the first child of its name; the text of an element
// with children joins their texts with blanks; TextView gives the same text.
TEST(XmlDocumentTest, ChildrenByNameAndTheirTexts) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<Rec><Ref><Name>grandchild</Name></Ref><Name>first</Name><Name>second</Name>"
                  "<ParentRef>\n  <ListID>80000001-1193155558</ListID>\n"
                  "  <FullName>Parent Job</FullName>\n</ParentRef>"
                  "<Plain>  keeps its blanks  </Plain><Empty/><Mixed>a<b>b</b>c</Mixed>"
                  "<Escaped>O&apos;Neil &amp; Sons</Escaped><Cdata><![CDATA[x<y]]></Cdata>"
                  "<Parts>a<![CDATA[b]]></Parts></Rec>"));
  const XmlNode rec = doc.DocumentElement();
  const std::pair<const char*, const char*> cases[] = {
      {"Name", "first"},
      {"ParentRef", "80000001-1193155558 Parent Job"},
      {"Plain", "  keeps its blanks  "},
      {"Empty", ""},
      {"Mixed", "a b c"},
      {"Escaped", "O'Neil & Sons"},
      {"Cdata", "x<y"},
      {"Parts", "ab"}};
  std::string scratch;
  for (const auto& [name, text] : cases) {
    const XmlNode child = rec.SelectSingleNode(name);
    ASSERT_FALSE(child.IsNull()) << name;
    EXPECT_EQ(child.Text(), text) << name;
    EXPECT_EQ(child.TextView(scratch), text) << name;
  }
  EXPECT_TRUE(rec.SelectSingleNode("Missing").IsNull());
  EXPECT_TRUE(rec.SelectSingleNode("Missing").SelectSingleNode("Name").IsNull());
  EXPECT_EQ(rec.SelectSingleNode("Missing").Text(), "");
  EXPECT_EQ(XmlNode().TextView(scratch), "");
}

TEST(XmlDocumentTest, AGeneratedResponseHoldsEveryRecordItWasAskedFor) {
  gen::GenOptions options;
  options.classes = 6;
  options.inactive_every = 2;
  options.missing_active_every = 3;
  options.accounts = 4;
  options.employees = 5;
  options.vendors = 7;
  options.customers = 2;
  options.jobs_per_customer = 2;
  options.service_items = 3;
  options.time_records = 2;
  options.checks = 1;
  options.bills = 1;
  options.apostrophes = options.non_ascii = options.long_names = true;
  const std::string text = gen::GenerateResponse(options);
  EXPECT_EQ(text, gen::GenerateResponse(options));  // deterministic
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(text)) << doc.parse_error();
  const std::pair<const char*, size_t> counts[] = {
      {"ClassRet", 6},        {"AccountRet", 4},  {"EmployeeRet", 5},
      {"VendorRet", 7},       {"CustomerRet", 6}, {"ItemServiceRet", 3},
      {"TimeTrackingRet", 2}, {"CheckRet", 1},    {"BillRet", 1}};
  for (const auto& [element, count] : counts) {
    EXPECT_EQ(doc.GetElementsByTagName(element).size(), count) << element;
  }
  std::vector<std::string> active;
  for (const XmlNode& node : doc.GetElementsByTagName("ClassRet")) {
    const XmlNode flag = node.SelectSingleNode("IsActive");
    active.push_back(flag ? flag.Text() : "-");
  }
  EXPECT_EQ(active, (std::vector<std::string>{"true", "false", "-", "false", "true", "-"}));
  const XmlNode first_class = doc.GetElementsByTagName("ClassRet")[0];
  const std::string name = first_class.SelectSingleNode("Name").Text();
  EXPECT_EQ(name, gen::GeneratedName(options, "Class", 0));
  EXPECT_TRUE(name.starts_with("O'Neil Caf\xC3\xA9"));
  EXPECT_GE(name.size(), 300u);
  EXPECT_EQ(first_class.SelectSingleNode("TimeCreated").Text(), "2007-10-23T15:05:58-08:00");
  EXPECT_EQ(gen::QBDateTimeText({2007, 12, 31, 23, 59, 0}, 2), "2008-01-01T00:01:00-08:00");
  const std::vector<XmlNode> customers = doc.GetElementsByTagName("CustomerRet");
  EXPECT_EQ(customers[1].SelectSingleNode("Sublevel").Text(), "1");
  EXPECT_TRUE(customers[1]
                  .SelectSingleNode("ParentRef")
                  .Text()
                  .starts_with(customers[0].SelectSingleNode("ListID").Text() + " "));
}

}  // namespace
}  // namespace vantrel::platform
