// What the fuzzers of tests/fuzz found in the conversion: a reproducer as the
// fuzzer gave it and what the code must make of it. (The reply_text findings
// are rows of the visible text table.)
#include <gtest/gtest.h>

#include <string>

#include "site/txn_lines.h"

namespace vantrel {
namespace {

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
  EXPECT_EQ(lines.lines[1].fields.size(), 17u);
  EXPECT_EQ(lines.lines[1].fields[0], "90000000-1193|55558, 1");
  // A line with no known kind anywhere is still refused by its second and third parts.
  const site::TxnLines unknown =
      site::ParseTxnLines("K|a|Check|Mystery|b\r\n", site::TxnLineKind::kExpense);
  ASSERT_TRUE(unknown.error);
  EXPECT_EQ(unknown.error->message, "unknown line kind \"a|Check\"");
}

}  // namespace
}  // namespace vantrel
