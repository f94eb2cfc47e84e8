// What the fuzzers of tests/fuzz found, one table per fuzzer: each row is a
// reproducer as the fuzzer gave it and what the code must make of it.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/html_text.h"
#include "site/txn_lines.h"

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

// convert: a check whose TxnID holds a "|" is written as it stands (real
// TxnIDs hold none), and the site read the part after the "|" as the line's
// kind and refused the upload; the key now ends before the first known kind.
TEST(FuzzFindingsTest, AnExpenseKeyWithABarIsReadWhole) {
  const std::string check =
      "90000000-1193|55558, 0|Check|Expense|50000000-1193155558||Billable|106.33|Expense line "
      "0|O'Neil Cafe Muller Account 0|20000000-1193155558|10/23/2007 3:05:58 PM|10/23/2007 "
      "3:05:58 PM|1193155800||\r\n"
      "90000000-1193|55558, 1|Check|Item|||NotBillable|21|Item line 0|O'Neil Cafe Muller Service "
      "0|70000000-1193155558|10/23/2007 3:05:58 PM|10/23/2007 3:05:58 PM|1193155800|||1|10.5\r\n";
  const site::TxnLines lines = site::ParseTxnLines(check, site::TxnLineKind::kExpense);
  ASSERT_FALSE(lines.error) << lines.error->message;
  ASSERT_EQ(lines.lines.size(), 2u);
  EXPECT_EQ(lines.lines[0].fields.size(), 15u);
  EXPECT_EQ(lines.lines[0].fields[0], "90000000-1193|55558, 0");
  EXPECT_EQ(lines.lines[0].fields[1], "Check");
  EXPECT_EQ(lines.lines[0].fields[7], "Expense line 0");
  EXPECT_EQ(lines.lines[0].fields[14], "");
  EXPECT_EQ(lines.lines[1].fields.size(), 17u);
  EXPECT_EQ(lines.lines[1].fields[0], "90000000-1193|55558, 1");
  EXPECT_EQ(lines.lines[1].fields[16], "10.5");
  // A line with no known kind anywhere is still refused by its second and third parts.
  const site::TxnLines unknown =
      site::ParseTxnLines("K|a|Check|Mystery|b\r\n", site::TxnLineKind::kExpense);
  ASSERT_TRUE(unknown.error);
  EXPECT_EQ(unknown.error->message, "unknown line kind \"a|Check\"");
}

}  // namespace
}  // namespace vantrel
