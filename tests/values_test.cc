#include "platform/values.h"

#include <optional>
#include <utility>

#include <gtest/gtest.h>

#include "platform/com_error.h"
#include "platform/guid.h"
#include "platform/html_params.h"

namespace vantrel::platform {
namespace {

// A page's <param> elements fill a property bag, whose names ignore letter
// case: a later name in other letters sets the same value.
TEST(HtmlParamsTest, ReadsTheFirstObjectsParams) {
  const auto bag = ReadObjectParams(R"(<html><body>
    <object id="a"><param name="SiteCode" value="first"><param name="SITECODE" value="A&amp;B">
      <PARAM NAME="SiteKey" VALUE="x &lt;y&gt; &quot;z&quot;">
      <param name="Empty">
      <param value="no name">
    </object>
    <object id="b"><param name="SiteCode" value="second"></object>
  </body></html>)");
  ASSERT_TRUE(bag);
  EXPECT_EQ(bag->Read("sitecode"), "A&B");
  EXPECT_EQ(bag->Read("SiteKey"), "x <y> \"z\"");
  EXPECT_EQ(bag->Read("Empty"), "");
  EXPECT_FALSE(bag->Read("no name"));
}

TEST(HtmlParamsTest, NoObjectNoBagAndAnObjectWithoutParamsAnEmptyOne) {
  EXPECT_FALSE(ReadObjectParams("<html><body><p>nothing</p></body></html>"));
  EXPECT_FALSE(ReadObjectParams(""));
  const auto bag = ReadObjectParams("<object></object>");
  ASSERT_TRUE(bag);
  EXPECT_TRUE(bag->empty());
}

TEST(ValuesTest, TextToBooleanAndDateReadTheirTextsAndRefuseOthers) {
  for (const char* text : {"True", "true", " TRUE ", "-1", "1", "2.5"}) {
    EXPECT_TRUE(TextToBoolean(text)) << text;
  }
  for (const char* text : {"False", "0", "0.0"}) EXPECT_FALSE(TextToBoolean(text)) << text;
  for (const char* text : {"", "yes", "on", "Truee", "1x"}) {
    try {
      TextToBoolean(text);
      ADD_FAILURE() << text;
    } catch (const ComError& e) {
      EXPECT_EQ(e.number(), kErrTypeMismatch);
      EXPECT_EQ(e.description(), "Type mismatch");
    }
  }
  EXPECT_EQ(TextToDate("10/23/2007 3:05:58 PM"), *DateTime::FromParts(2007, 10, 23, 15, 5, 58));
  EXPECT_THROW(TextToDate("someday"), ComError);
}

// Numbers as the general conversion writes them, and the texts read as
// numbers (plain decimals only).
TEST(ValuesTest, NumbersToTextAndBack) {
  const std::pair<double, const char*> written[] = {
      {1.5, "1.5"}, {8, "8"},        {0.333, "0.333"},   {125.50, "125.5"}, {-20.5, "-20.5"},
      {0, "0"},     {1e16, "1E+16"}, {0.00001, "1E-05"}, {1e20, "1E+20"}};
  for (const auto& [number, text] : written) EXPECT_EQ(NumberToText(number), text);
  const std::pair<const char*, std::optional<double>> read[] = {
      {"1500.00", 1500.0},   {" -20.5 ", -20.5},    {"+3", 3.0},         {"", std::nullopt},
      {"1,5", std::nullopt}, {"1e5", std::nullopt}, {".", std::nullopt}, {"nan", std::nullopt}};
  for (const auto& [text, number] : read) EXPECT_EQ(TextToNumber(text), number) << text;
}

// A GUID's text and the result codes the control answers with.
TEST(GuidTest, TextRoundTripAndResultCodes) {
  const auto g = Guid::Parse("{37d84f60-42cb-11ce-8135-00aa004bb851}");
  ASSERT_TRUE(g);
  EXPECT_EQ(g->ToString(), "{37D84F60-42CB-11CE-8135-00AA004BB851}");
  EXPECT_EQ(g->data1, 0x37D84F60u);
  EXPECT_EQ(g->data4[7], 0x51);
  EXPECT_FALSE(Guid::Parse("37D84F60-42CB-11CE-8135-00AA004BB851"));
  EXPECT_FALSE(Guid::Parse("{37D84F60-42CB-11CE-8135-00AA004BB85G}"));
  EXPECT_FALSE(Guid::Parse("{37D84F6042CB-11CE-8135-00AA004BB8510}"));
  EXPECT_EQ(static_cast<std::uint32_t>(E_NOINTERFACE), 0x80004002u);
  EXPECT_EQ(static_cast<std::uint32_t>(E_FAIL), 0x80004005u);
  EXPECT_EQ(S_OK, 0);
}

}  // namespace
}  // namespace vantrel::platform
