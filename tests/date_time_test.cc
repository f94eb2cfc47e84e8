#include "platform/date_time.h"

#include <gtest/gtest.h>

#include "convert/date_helpers.h"

namespace vantrel::platform {
namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return *DateTime::FromParts(y, mo, d, h, mi, s);
}

TEST(DateTimeTest, ZeroIsThirtiethOfDecember1899) {
  const DateTime zero;
  EXPECT_TRUE(zero.IsZero());
  EXPECT_EQ(zero.Year(), 1899);
  EXPECT_EQ(zero.Month(), 12);
  EXPECT_EQ(zero.Day(), 30);
  EXPECT_EQ(zero.AuditText(), "12/30/1899 00:00:00");
  EXPECT_EQ(zero.GeneralText(), "12:00:00 AM");
  EXPECT_EQ(At(1899, 12, 30), zero);
  EXPECT_EQ(At(1899, 12, 31).seconds(), 86400);
  EXPECT_EQ(At(1899, 12, 29).seconds(), -86400);
}

TEST(DateTimeTest, FromPartsRejectsInvalidDates) {
  EXPECT_FALSE(DateTime::FromParts(2007, 2, 29));
  EXPECT_TRUE(DateTime::FromParts(2008, 2, 29));
  EXPECT_FALSE(DateTime::FromParts(2007, 13, 1));
  EXPECT_FALSE(DateTime::FromParts(2007, 4, 31));
  EXPECT_FALSE(DateTime::FromParts(2007, 1, 1, 24));
  EXPECT_FALSE(DateTime::FromParts(2007, 1, 1, 0, 60));
  EXPECT_FALSE(DateTime::FromParts(2007, 1, 1, 0, 0, 60));
}

struct TextCase {
  DateTime value;
  const char* audit;
  const char* general;
};

TEST(DateTimeTest, AuditAndGeneralTexts) {
  const TextCase cases[] = {
      {At(2007, 10, 23, 15, 5, 58), "10/23/2007 15:05:58", "10/23/2007 3:05:58 PM"},
      {At(2007, 10, 23), "10/23/2007 00:00:00", "10/23/2007"},
      {At(2008, 1, 5, 0, 30, 0), "01/05/2008 00:30:00", "1/5/2008 12:30:00 AM"},
      {At(2008, 1, 5, 12, 0, 0), "01/05/2008 12:00:00", "1/5/2008 12:00:00 PM"},
      {At(2026, 12, 4, 4, 54, 56), "12/04/2026 04:54:56", "12/4/2026 4:54:56 AM"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(c.value.AuditText(), c.audit);
    EXPECT_EQ(c.value.GeneralText(), c.general);
  }
}

struct ParseCase {
  const char* text;
  DateTime expected;
};

TEST(DateTimeTest, ParsesTheTextsTheControlReads) {
  const ParseCase cases[] = {
      {"01/01/2000 01:01:01 AM", At(2000, 1, 1, 1, 1, 1)},
      {"10/23/2007 3:05:58 PM", At(2007, 10, 23, 15, 5, 58)},
      {"10/23/2007 15:05:58", At(2007, 10, 23, 15, 5, 58)},
      {"10/23/2007 15:05:58 PM", At(2007, 10, 23, 15, 5, 58)},
      {"10/23/2007 12:00:00 AM", At(2007, 10, 23)},
      {"10/23/2007 12:30:00 PM", At(2007, 10, 23, 12, 30)},
      {"  1/5/2008  ", At(2008, 1, 5)},
      {"01/01/2000", At(2000, 1, 1)},
      {"2007-06-01", At(2007, 6, 1)},
      {"12/4/26 4:54 pm", At(2026, 12, 4, 16, 54)},
      {"12:00:00AM", DateTime()},
      {"3:05 PM", DateTime::FromSeconds(15 * 3600 + 5 * 60)},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(ParseDateText(c.text), c.expected) << c.text;
  }
  for (const char* text : {"", "   ", "tomorrow", "13/01/2007", "02/30/2007", "10/23/2007 25:00:00",
                           "10/23/2007 junk", "2007-10-23T15:05:58-08:00"}) {
    EXPECT_FALSE(ParseDateText(text)) << text;
  }
}

// The offset of a QuickBooks time is ignored; a text of another form is none.
TEST(DateHelpersTest, QbDateTimesAndWholeSeconds) {
  const DateTime t = At(2007, 10, 23, 15, 5, 58);
  for (const char* text : {"2007-10-23T15:05:58-08:00", "2007-10-23T15:05:58+01:00",
                           "2007-10-23T15:05:58Z", "2007-10-23T15:05:58"}) {
    EXPECT_EQ(ParseQBDateTime(text), t) << text;
  }
  for (const char* text : {"", "2007-10-23", "2007-10-23Txx:05:58", "2007/10/23T15:05:58",
                           "2007-13-23T15:05:58Z", "garbage text here!!"}) {
    EXPECT_FALSE(ParseQBDateTime(text)) << text;
  }
  EXPECT_EQ(ToWholeSeconds(t), t);
  EXPECT_EQ(ParseQBDate("2007-06-01"), At(2007, 6, 1));
}

}  // namespace
}  // namespace vantrel::platform
