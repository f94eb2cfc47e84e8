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

TEST(TextUtilTest, TrimCharsDropsOnlyTheGivenCharactersAtBothEnds) {
  EXPECT_EQ(TrimChars(" \t a \t b\r\n", " \t"), "a \t b\r\n");
  EXPECT_EQ(TrimChars("\r\n x \n", " \t\r\n"), "x");
  EXPECT_EQ(TrimChars("\v x \f", " \t\r\n"), "\v x \f");
  EXPECT_EQ(TrimWhitespace("\v\f x \f\v"), "x");
  const std::string_view blanks = "   ";
  EXPECT_EQ(TrimSpaces(blanks).data(), blanks.data() + 3);  // empty, at the end
  EXPECT_EQ(TrimChars("abc", ""), "abc");
}

TEST(TextUtilTest, PrefixesAndOrderIgnoreTheCaseOfAsciiLetters) {
  EXPECT_TRUE(StartsWithNoCase("<!DOCTYPE html>", "<!doctype"));
  EXPECT_TRUE(StartsWithNoCase("abc", ""));
  EXPECT_FALSE(StartsWithNoCase("ab", "abc"));
  EXPECT_FALSE(StartsWithNoCase("\xC3\x89", "\xC3\xA9"));
  EXPECT_TRUE(LessNoCase("SiteCode", "sitekey"));
  EXPECT_FALSE(LessNoCase("SITECODE", "sitecode"));
  EXPECT_FALSE(LessNoCase("sitecode", "SITECODE"));
  EXPECT_TRUE(LessNoCase("Site", "siteCode"));  // a text before the longer texts it begins
  EXPECT_FALSE(LessNoCase("Z", "_"));           // as lower case: 'z' sorts after '_'
  EXPECT_TRUE(LessNoCase("_", "a"));
}

}  // namespace
}  // namespace vantrel::platform
