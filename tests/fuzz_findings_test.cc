// What the fuzzers of tests/fuzz found, one table per fuzzer: each row is a
// reproducer as the fuzzer gave it and what the code must make of it.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/html_text.h"

namespace vantrel {
namespace {

// reply_text: on a page without a declared charset, a byte that is not UTF-8
// right after a bare "&" left a broken letter in the visible text, so the text
// of an HTML reply was not UTF-8; such a byte now reads as U+FFFD.
TEST(FuzzFindingsTest, ReplyTextIsUtf8) {
  struct Case {
    const char* name;
    std::string content_type;
    std::string content;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"a Latin-1 byte after a bare ampersand", "text/html", "&\xBE", "&\xEF\xBF\xBD"},
      {"under an unknown charset; the page is Latin-1 after that byte", "text/html; charset=utf-4",
       "<body>SUCCE&&\xD6\xD9</body>", "SUCCE&&\xEF\xBF\xBD\xC3\x99"},
      {"a UTF-8 letter after a bare ampersand stays", "text/html; charset=utf-8", "&\xE2\x82\xAC",
       "&\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::VisibleText(c.content, c.content_type), c.text) << c.name;
  }
}

}  // namespace
}  // namespace vantrel
