#include "platform/html_params.h"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

TEST(HtmlParamsTest, ReadsTheFirstObjectsParams) {
  const auto bag = ReadObjectParams(R"(<html><body>
    <object id="a"><param name="SiteCode" value="A&amp;B">
      <PARAM NAME="SiteKey" VALUE="x &lt;y&gt; &quot;z&quot;">
      <param name="Empty">
      <param value="no name">
    </object>
    <object id="b"><param name="SiteCode" value="second"></object>
  </body></html>)");
  ASSERT_TRUE(bag);
  EXPECT_EQ(bag->Read("SiteCode"), "A&B");
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

}  // namespace
}  // namespace vantrel::platform
