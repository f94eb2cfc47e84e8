#include "convert/sql_values.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

std::string Quoted(std::string_view text, std::size_t limit) {
  std::string out;
  AppendQuotedText(out, text, limit);
  return out;
}

TEST(SqlValuesTest, QuotedTextsAreCutThenDoubled) {
  EXPECT_EQ(Quoted("Consulting", 31), "'Consulting'");
  EXPECT_EQ(Quoted("O'Neil", 31), "'O''Neil'");
  EXPECT_EQ(Quoted("''", 0), "''''''");
  EXPECT_EQ(Quoted("", 10), "''");
  EXPECT_EQ(Quoted("abcdef", 3), "'abc'");
  // The cut falls right after an apostrophe: it is kept and doubled.
  EXPECT_EQ(Quoted("ab'cd", 3), "'ab'''");
  // The cut falls right before one: it is dropped.
  EXPECT_EQ(Quoted("abc'd", 3), "'abc'");
}

TEST(SqlValuesTest, AnUncutTextBeyondTheQuotingLimitIsEmpty) {
  EXPECT_EQ(Quoted(std::string(kMaxQuotedCharacters, 'a'), 0).size(), kMaxQuotedCharacters + 2);
  EXPECT_EQ(Quoted(std::string(kMaxQuotedCharacters + 1, 'a'), 0), "''");
  // Characters, not bytes, count: 20000 two-byte letters fit.
  std::string letters;
  for (int i = 0; i < 20000; ++i) letters += "\xC3\xA9";
  EXPECT_EQ(Quoted(letters, 0).size(), letters.size() + 2);
}

TEST(SqlValuesTest, CharactersAreCountedAsThePlatformCountsThem) {
  EXPECT_EQ(CharacterCount("Caf\xC3\xA9"), 4u);
  EXPECT_EQ(CharacterCount("\xE2\x82\xAC"), 1u);      // euro sign
  EXPECT_EQ(CharacterCount("\xF0\x9F\x98\x80"), 2u);  // beyond the basic plane
  EXPECT_EQ(CutToCharacters("Caf\xC3\xA9s", 4), "Caf\xC3\xA9");
  EXPECT_EQ(CutToCharacters("a\xF0\x9F\x98\x80", 2), "a");  // does not fit whole
  EXPECT_EQ(CutToCharacters("a\xF0\x9F\x98\x80", 3), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(CutToCharacters("short", 50), "short");
}

TEST(SqlValuesTest, DateTextsMatchTheDateTimeTexts) {
  std::vector<platform::DateTime> values = {
      platform::DateTime(),
      *platform::DateTime::FromParts(2007, 10, 23),
      *platform::DateTime::FromParts(999, 2, 28, 23, 59, 59),
      *platform::DateTime::FromParts(9999, 12, 31, 1, 2, 3),
      platform::DateTime::FromSeconds(3661),
  };
  // And a sweep of many days and times.
  for (std::int64_t s = 0; s < 100LL * 365 * 86400; s += 86400 * 37 + 3607) {
    values.push_back(platform::DateTime::FromSeconds(s));
  }
  for (const platform::DateTime& value : values) {
    std::string audit;
    AppendAuditDate(audit, value);
    EXPECT_EQ(audit, value.AuditText());
    std::string general;
    AppendGeneralDate(general, value);
    EXPECT_EQ(general, value.GeneralText());
  }
}

TEST(SqlValuesTest, TheLevelIsTheSublevelPlusOne) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "1"}, {"2", "3"}, {"-1", "0"},  {"1.5", "2.5"},
      {"", "1"},  {"x", "1"}, {" 4 ", "5"}, {"12345678901", "12345678902"}};
  for (const auto& [sublevel, level] : cases) {
    std::string out;
    AppendLevel(out, sublevel);
    EXPECT_EQ(out, level) << sublevel;
  }
}

}  // namespace
}  // namespace vantrel
