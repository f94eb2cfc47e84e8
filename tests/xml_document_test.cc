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

TEST(XmlDocumentTest, LoadsAndFindsElementsAnywhereInDocumentOrder) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<?xml version=\"1.0\" ?><QBXML><A><Name>one</Name><B><Name>two</Name></B></A>"
                  "<Name>three</Name></QBXML>"));
  EXPECT_TRUE(doc.parsed());
  EXPECT_EQ(doc.parse_error(), "");
  EXPECT_EQ(Texts(doc.GetElementsByTagName("Name")),
            (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_TRUE(doc.GetElementsByTagName("Nothing").empty());
  EXPECT_TRUE(doc.GetElementsByTagName("name").empty());  // names are case-sensitive
  EXPECT_EQ(doc.DocumentElement().Name(), "QBXML");
}

TEST(XmlDocumentTest, NestedElementsOfTheSameNameAreAllFound) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<R><X><Id>1</Id><X><Id>2</Id></X></X><X><Id>3</Id></X></R>"));
  const std::vector<XmlNode> xs = doc.GetElementsByTagName("X");
  ASSERT_EQ(xs.size(), 3u);
  EXPECT_EQ(xs[0].SelectSingleNode("Id").Text(), "1");
  EXPECT_EQ(xs[1].SelectSingleNode("Id").Text(), "2");
  EXPECT_EQ(xs[2].SelectSingleNode("Id").Text(), "3");
}

TEST(XmlDocumentTest, SelectSingleNodeTakesTheFirstChildOfThatName) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(
      "<Rec><Ref><Name>grandchild</Name></Ref><Name>first</Name><Name>second</Name></Rec>"));
  const XmlNode rec = doc.DocumentElement();
  EXPECT_EQ(rec.SelectSingleNode("Name").Text(), "first");
  EXPECT_TRUE(rec.SelectSingleNode("Missing").IsNull());
  EXPECT_TRUE(rec.SelectSingleNode("Missing").SelectSingleNode("Name").IsNull());
  EXPECT_EQ(rec.SelectSingleNode("Missing").Text(), "");
}

TEST(XmlDocumentTest, TheTextOfAnElementWithChildrenJoinsItsTextsWithBlanks) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<Rec><ParentRef>\n  <ListID>80000001-1193155558</ListID>\n"
                  "  <FullName>Parent Job</FullName>\n</ParentRef>"
                  "<Plain>  keeps its blanks  </Plain><Empty/><Mixed>a<b>b</b>c</Mixed>"
                  "<Escaped>O&apos;Neil &amp; Sons</Escaped><Cdata><![CDATA[x<y]]></Cdata></Rec>"));
  const XmlNode rec = doc.DocumentElement();
  EXPECT_EQ(rec.SelectSingleNode("ParentRef").Text(), "80000001-1193155558 Parent Job");
  EXPECT_EQ(rec.SelectSingleNode("Plain").Text(), "  keeps its blanks  ");
  EXPECT_EQ(rec.SelectSingleNode("Empty").Text(), "");
  EXPECT_FALSE(rec.SelectSingleNode("Empty").IsNull());
  EXPECT_EQ(rec.SelectSingleNode("Mixed").Text(), "a b c");
  EXPECT_EQ(rec.SelectSingleNode("Escaped").Text(), "O'Neil & Sons");
  EXPECT_EQ(rec.SelectSingleNode("Cdata").Text(), "x<y");
}

TEST(XmlDocumentTest, TextViewGivesTheSameTextAsText) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<Rec><A>plain</A><B><C>one</C><D>two</D></B><E/><F>a<![CDATA[b]]></F></Rec>"));
  std::string scratch;
  for (const XmlNode& child : doc.DocumentElement().ChildElements()) {
    SCOPED_TRACE(std::string(child.Name()));
    EXPECT_EQ(child.TextView(scratch), child.Text());
  }
  EXPECT_EQ(XmlNode().TextView(scratch), "");
}

TEST(XmlDocumentTest, ChildElementsAndBaseNames) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<q:Rec xmlns:q=\"urn:x\"><q:Name>n</q:Name><!-- note --><Sub/>"
                  "text</q:Rec>"));
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
}

TEST(XmlDocumentTest, AFailedLoadDescribesTheErrorAndLeavesNothingLoaded) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<A><B>x</B></A>"));
  EXPECT_FALSE(doc.LoadXml("<A><B>x</A>"));
  EXPECT_FALSE(doc.parsed());
  EXPECT_NE(doc.parse_error().find(" at offset "), std::string::npos);
  EXPECT_TRUE(doc.DocumentElement().IsNull());
  EXPECT_TRUE(doc.GetElementsByTagName("B").empty());
  // An empty text is no document either.
  EXPECT_FALSE(doc.LoadXml(""));
  EXPECT_FALSE(doc.parse_error().empty());
  // A good load afterwards clears the error.
  EXPECT_TRUE(doc.LoadXml("<A/>"));
  EXPECT_EQ(doc.parse_error(), "");
}

TEST(XmlDocumentTest, TheTextIsReadAsUnicodeWhateverTheDeclarationSays) {
  XmlDocument doc;
  ASSERT_TRUE(
      doc.LoadXml("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                  "<A>Caf\xC3\xA9</A>"));
  EXPECT_EQ(doc.DocumentElement().Text(), "Caf\xC3\xA9");
}

TEST(XmlDocumentTest, AGeneratedResponseHoldsEveryRecordItWasAskedFor) {
  gen::GenOptions options;
  options.classes = 3;
  options.accounts = 4;
  options.employees = 5;
  options.vendors = 6;
  options.customers = 2;
  options.jobs_per_customer = 2;
  options.service_items = 3;
  options.time_records = 2;
  options.checks = 1;
  options.bills = 1;
  options.apostrophes = true;
  options.non_ascii = true;
  options.long_names = true;
  const std::string text = gen::GenerateResponse(options);
  EXPECT_EQ(text, gen::GenerateResponse(options));  // deterministic
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(text)) << doc.parse_error();
  EXPECT_EQ(doc.GetElementsByTagName("ClassRet").size(), 3u);
  EXPECT_EQ(doc.GetElementsByTagName("AccountRet").size(), 4u);
  EXPECT_EQ(doc.GetElementsByTagName("EmployeeRet").size(), 5u);
  EXPECT_EQ(doc.GetElementsByTagName("VendorRet").size(), 6u);
  EXPECT_EQ(doc.GetElementsByTagName("CustomerRet").size(), 6u);
  EXPECT_EQ(doc.GetElementsByTagName("ItemServiceRet").size(), 3u);
  EXPECT_EQ(doc.GetElementsByTagName("TimeTrackingRet").size(), 2u);
  EXPECT_EQ(doc.GetElementsByTagName("CheckRet").size(), 1u);
  EXPECT_EQ(doc.GetElementsByTagName("BillRet").size(), 1u);
  const XmlNode first_class = doc.GetElementsByTagName("ClassRet")[0];
  EXPECT_EQ(first_class.SelectSingleNode("Name").Text(), gen::GeneratedName(options, "Class", 0));
  EXPECT_TRUE(first_class.SelectSingleNode("Name").Text().starts_with("O'Neil Caf\xC3\xA9"));
  EXPECT_GE(first_class.SelectSingleNode("Name").Text().size(), 300u);
  EXPECT_EQ(first_class.SelectSingleNode("TimeCreated").Text(), "2007-10-23T15:05:58-08:00");
  const XmlNode job = doc.GetElementsByTagName("CustomerRet")[1];
  EXPECT_EQ(job.SelectSingleNode("Sublevel").Text(), "1");
  EXPECT_TRUE(
      job.SelectSingleNode("ParentRef")
          .Text()
          .starts_with(
              doc.GetElementsByTagName("CustomerRet")[0].SelectSingleNode("ListID").Text() + " "));
}

TEST(XmlDocumentTest, GeneratedActivityFollowsTheOptions) {
  gen::GenOptions options;
  options.classes = 6;
  options.inactive_every = 2;
  options.missing_active_every = 3;
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml(gen::GenerateResponse(options)));
  std::vector<std::string> active;
  for (const XmlNode& node : doc.GetElementsByTagName("ClassRet")) {
    const XmlNode flag = node.SelectSingleNode("IsActive");
    active.push_back(flag ? flag.Text() : "-");
  }
  EXPECT_EQ(active, (std::vector<std::string>{"true", "false", "-", "false", "true", "-"}));
  EXPECT_EQ(gen::QBDateTimeText({2007, 12, 31, 23, 59, 0}, 2), "2008-01-01T00:01:00-08:00");
}

}  // namespace
}  // namespace vantrel::platform
