#include "platform/text_util.h"

#include <gtest/gtest.h>

namespace vantrel::platform {
namespace {

TEST(TextUtilTest, TrimsAndCompares) {
  EXPECT_EQ(TrimSpaces("  a b \t "), "a b \t");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(TrimWhitespace("\r\n\t a b \n"), "a b");
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank("   "));
  EXPECT_FALSE(IsBlank(" \t "));
  EXPECT_FALSE(IsBlank(" x "));
  EXPECT_TRUE(EqualsNoCase("Us-Ascii", "us-ASCII"));
  EXPECT_FALSE(EqualsNoCase("us-ascii", "us-ascii "));
  EXPECT_EQ(ToUpperAscii("success t"), "SUCCESS T");
  EXPECT_EQ(ToLowerAscii("Text/HTML"), "text/html");
  EXPECT_EQ(ToUpperAscii("\xC3\xA9"), "\xC3\xA9");  // only ASCII letters change
}

}  // namespace
}  // namespace vantrel::platform
