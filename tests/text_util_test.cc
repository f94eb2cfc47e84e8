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

// The text helpers the site and the browser share.
TEST(TextUtilTest, PercentCodesHtmlAndEnds) {
  const struct {
    std::string text, reserved, encoded;
  } codes[] = {
      {"a b\r\n", "", "a%20b%0D%0A"},
      {"50%;k=v/w", "%;=", "50%25%3Bk%3Dv/w"},
      {"50%", "", "50%"},
      {"caf\xC3\xA9\x7F", "", "caf%C3%A9%7F"},
  };
  for (const auto& c : codes) {
    EXPECT_EQ(PercentEncode(c.text, c.reserved), c.encoded) << c.text;
    EXPECT_EQ(PercentDecode(c.encoded), c.text) << c.encoded;
  }
  EXPECT_EQ(PercentDecode("a+b%2Bc%zz%4"), "a+b+c%zz%4");
  EXPECT_EQ(PercentDecode("a+b%2Bc", true), "a b+c");
  EXPECT_EQ(EscapeHtml("<a href=\"x\">&</a>\r\n"),
            "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;\r\n");
  EXPECT_EQ(EscapeHtml("1\r\n2\r3\n", true), "1<br>\r\n2<br>\r\n3<br>\r\n");
  EXPECT_TRUE(EndsWithNoCase("/Tessaly/VANTREL.asp", "/vantrel.ASP"));
  EXPECT_FALSE(EndsWithNoCase("asp", "/vantrel.asp"));
  EXPECT_FALSE(EndsWithNoCase("/vantrel.aspx", "/vantrel.asp"));
  EXPECT_EQ(ToLowerAscii("\xC3\x89T\xC9"), "\xC3\x89t\xC9");  // in any locale
}

}  // namespace
}  // namespace vantrel::platform
