#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>
#include <vector>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert/transaction_lines.h"
#include "convert_fixture.h"
#include "wizard/reply_verdict.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::HasSubstr;

std::string TimeRecord(const std::string& id, const std::string& body) {
  return "<TimeTrackingRet><TxnID>" + id +
         "</TxnID><TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
         "<TimeModified>2007-10-24T09:00:00-08:00</TimeModified>"
         "<EditSequence>1193155600</EditSequence>" +
         body + "</TimeTrackingRet>";
}

const char kFullTime[] =
    "<TxnDate>2007-10-22</TxnDate>"
    "<EntityRef><ListID>E-1</ListID><FullName>Dan T. Miller</FullName></EntityRef>"
    "<CustomerRef><ListID>C-1</ListID><FullName>Cook</FullName></CustomerRef>"
    "<ItemServiceRef><ListID>I-1</ListID></ItemServiceRef><Duration>PT1H30M</Duration>"
    "<ClassRef><ListID>K-1</ListID></ClassRef>"
    "<PayrollItemWageRef><ListID>W-1</ListID></PayrollItemWageRef>"
    "<Notes>Framing | walls</Notes><IsBillable>true</IsBillable><IsBilled>false</IsBilled>";

const char kFullTimeLine[] =
    "T-1|10/23/2007 3:05:58 PM|10/24/2007 9:00:00 AM|1193155600|10/22/2007|E-1|C-1|I-1|1.5|K-1|"
    "W-1|Framing | walls|True|False|Dan T. Miller\r\n";

// A check or a bill with its lines.
std::string Txn(const std::string& element, const std::string& id, const std::string& lines,
                const std::string& modified = "2008-01-15T10:00:00-08:00") {
  return "<" + element + "><TxnID>" + id +
         "</TxnID><TimeCreated>2008-01-15T10:00:00-08:00</TimeCreated><TimeModified>" + modified +
         "</TimeModified><EditSequence>77</EditSequence><TxnDate>2008-01-15</TxnDate>" + lines +
         "</" + element + ">";
}
std::string ExpenseLine(const std::string& amount, const std::string& extra = "") {
  return "<ExpenseLineRet><TxnLineID>1</TxnLineID><AccountRef><ListID>A-1</ListID>"
         "<FullName>Fuel</FullName></AccountRef><Amount>" +
         amount + "</Amount><Memo>Diesel</Memo>" + extra + "</ExpenseLineRet>";
}
std::string ItemLine(const std::string& cost, const std::string& amount = "21.00") {
  return "<ItemLineRet><TxnLineID>3</TxnLineID><ItemRef><ListID>I-9</ListID>"
         "<FullName>Lumber</FullName></ItemRef><Desc>2x4</Desc><Quantity>2</Quantity><Cost>" +
         cost + "</Cost><Amount>" + amount +
         "</Amount><CustomerRef><ListID>C-1</ListID></CustomerRef>"
         "<BillableStatus>Billable</BillableStatus></ItemLineRet>";
}

constexpr char kDates[] = "1/15/2008 10:00:00 AM|1/15/2008 10:00:00 AM|77|";

class TransactionsTest : public ConvertTest {
 protected:
  void SetUp() override {
    ConvertTest::SetUp();
    modWizard().lngQBXMLVersion = 2;
  }
  std::string Time(const std::string& records) {
    return Posted(EntityKind::kTime, "TimeTrackingQueryRs", records);
  }
  std::string Expenses(const std::string& checks, const std::string& bills = "") {
    return Posted(EntityKind::kExpenses, {{"CheckQueryRs", checks}, {"BillQueryRs", bills}});
  }
};

TEST_F(TransactionsTest, ATimeRecordIsOneLineOfFifteenFields) {
  EXPECT_EQ(Time(TimeRecord("T-1", kFullTime)), kFullTimeLine);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"H"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"H"});
  EXPECT_EQ(ctl_.run().counts[EntityKind::kTime], 1);
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Time Info from QB (1)");
  // Missing elements leave their defaults: empty, the zero date, 0, False.
  EXPECT_EQ(Time(TimeRecord("T-2", "")),
            "T-2|10/23/2007 3:05:58 PM|10/24/2007 9:00:00 AM|1193155600|12:00:00 AM||||0||||"
            "False|False|\r\n");
  // The time's own last-sync date keeps out the records unchanged since then.
  modWizard().last_sync.TimeLastSyncDate = *platform::DateTime::FromParts(2007, 10, 24, 9, 0, 1);
  EXPECT_EQ(Time(TimeRecord("T-1", kFullTime)), "");
}

TEST_F(TransactionsTest, DurationsAreHoursToThreeDecimals) {
  const std::pair<const char*, const char*> cases[] = {
      {"PT1H30M", "1.5"}, {"PT8H0M", "8"},    {"PT0H20M", "0.333"},  {"PT2H45M", "2.75"},
      {"PT30M", "0"},     {"PT1H30M0S", "0"}, {"PT10H1M", "10.017"}, {"1H", "0"}};
  for (const auto& [text, hours] : cases) {
    SCOPED_TRACE(text);
    EXPECT_THAT(Time(TimeRecord("T", std::string("<Duration>") + text + "</Duration>")),
                HasSubstr(std::string("|||") + hours + "||||False"));
  }
}

// The reply to a post of lines carries the server's mark when it could not
// take some: SUCCESS and one digit.
TEST_F(TransactionsTest, TheReplyMarkSetsTheDisplayFlags) {
  const std::pair<const char*, bool> cases[] = {
      {"SUCCESS1", true}, {"SUCCESS", false}, {"SUCCESS12", false}, {"  SUCCESS3 ", true}};
  for (const auto& [reply, marked] : cases) {
    SCOPED_TRACE(reply);
    ScriptReplies({reply});
    Time(TimeRecord("T", ""));
    EXPECT_EQ(ctl_.mDisplayTSError, marked);
    // Each expense pass starts with the flag cleared: the bills' reply counts.
    ScriptReplies({"SUCCESS", reply});
    Expenses(Txn("CheckRet", "X-1", ExpenseLine("5")), Txn("BillRet", "B-1", ExpenseLine("5")));
    EXPECT_EQ(ctl_.mDisplayEXPError, marked);
  }
}

// One verdict for every reader of a reply: the form's acceptance (blanks and
// case aside), the server-added marks (upper case only, on accepted replies),
// the lines' mark (8 characters ending in a digit, accepted or not), "No data
// to upload. " exactly, no page, and the warnings they count.
TEST(ReplyVerdictTest, EveryReaderTakesOneVerdict) {
  struct Case {
    std::optional<std::string> text;
    bool accepted;
    int mark;
    bool tasks, projects;
    long warnings;
  };
  const Case cases[] = {
      {"SUCCESS", true, -1, false, false, 0},
      {"SUCCESS2", true, 2, false, false, 2},
      {"  success9 ", true, 9, false, false, 9},
      {"SUCCESS12", true, -1, false, false, 0},
      {"SUCCESST", true, -1, true, false, 1},
      {"SUCCESS P", true, -1, false, true, 1},
      {"SUCCESSt", true, -1, false, false, 0},
      {"ABCDEFG9", false, 9, false, false, 0},
      {"FAILED T", false, -1, false, false, 0},
      {"Done: SUCCESS", false, -1, false, false, 0},
      {"SUCCES", false, -1, false, false, 0},
      {"", false, -1, false, false, 0},
      {"No data to upload. ", false, -1, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.value_or("(no page)"));
    const ReplyVerdict v = JudgeReply(c.text);
    EXPECT_EQ(v.accepted, c.accepted);
    EXPECT_EQ(v.lines_mark, c.mark);
    EXPECT_EQ(v.added_tasks, c.tasks);
    EXPECT_EQ(v.added_projects, c.projects);
    EXPECT_EQ(v.warnings(), c.warnings);
    EXPECT_EQ(v.no_data, c.text == "No data to upload. ");
    EXPECT_FALSE(v.no_document);
  }
  EXPECT_FALSE(JudgeReply("No data to upload.").no_data);
  EXPECT_TRUE(JudgeReply(std::nullopt).no_document);
  EXPECT_TRUE(JudgeReply("Error").no_document);
  EXPECT_FALSE(JudgeReply("error").no_document);
}

TEST_F(TransactionsTest, FailedTimeUploadsAreNeverForgotten) {
  SetDebugMode(true, /*stop_on_error=*/false);
  ScriptReplies({"Refused"});
  Time(TimeRecord("A", "") + TimeRecord("B", ""));
  EXPECT_EQ(ctl_.lngFailedTimeCnt, 1);
  Time(TimeRecord("C", ""));
  EXPECT_EQ(ctl_.lngFailedTimeCnt, 1);
  EXPECT_TRUE(StatusLetters().empty());
}

TEST_F(TransactionsTest, ACheckGivesOneKeyedLinePerExpenseAndItemLine) {
  const std::string posted =
      Expenses(Txn("CheckRet", "X-1",
                   ExpenseLine("125.50") + ExpenseLine("-3.00") + "<Other/>" +
                       ExpenseLine("7",
                                   "<ClassRef><ListID>K-2</ListID></ClassRef>"
                                   "<BillableStatus>NotBillable</BillableStatus>") +
                       ItemLine("10.50") + ItemLine("-1.00") + ItemLine("4", "-8")));
  EXPECT_EQ(posted, std::string("X-1, 0|Check|Expense|||9|125.5|Diesel|Fuel|A-1|") + kDates +
                        "|\r\n"
                        "X-1, 1|Check|Expense||K-2|NotBillable|7|Diesel|Fuel|A-1|" +
                        kDates +
                        "|\r\n"
                        "X-1, 2|Check|Item|C-1||Billable|21|2x4|Lumber|I-9|" +
                        kDates +
                        "||2|10.5\r\n"
                        "X-1, 3|Check|Item|C-1||Billable|-8|2x4|Lumber|I-9|" +
                        kDates + "||2|4\r\n");
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"X"});
  EXPECT_EQ(ctl_.run().counts[EntityKind::kExpenses], 4);
}

TEST_F(TransactionsTest, BillsHaveOneFieldLessAndTheirOwnLetterAndBillableStatus) {
  const std::string posted =
      Expenses("", Txn("BillRet", "B-1", ExpenseLine("1") + "<ItemLineRet/>"));
  EXPECT_EQ(posted, std::string("B-1, 0|Bill|Expense|||9|1|Diesel|Fuel|A-1|") + kDates +
                        "\r\nB-1, 1|Bill|Item|||9|0.00||||" + kDates + "|0.00|0.00\r\n");
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"B"});
  // Before qbXML 2.0 the billable status is 9.
  modWizard().lngQBXMLVersion = 1;
  EXPECT_THAT(Expenses(Txn("CheckRet", "X-1", ItemLine("1"))), HasSubstr("|C-1||9|21|"));
}

TEST_F(TransactionsTest, ExpensesReportOnceForBothPasses) {
  Expenses(Txn("CheckRet", "X-1", ExpenseLine("1")), Txn("BillRet", "B-1", ExpenseLine("2")));
  EXPECT_EQ(PostLetters(), (std::vector<std::string>{"X", "B"}));
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"X"});
  EXPECT_TRUE(StatusCameLast());
  EXPECT_EQ(ctl_.run().counts[EntityKind::kExpenses], 2);

  // Nothing since the last sync, a record without lines: no lines, no report.
  modWizard().last_sync.ExpenseLastSyncDate = *platform::DateTime::FromParts(2009, 1, 1);
  Expenses(Txn("CheckRet", "X-1", ExpenseLine("1")) +
           Txn("CheckRet", "X-2", "", "2009-02-01T00:00:00-08:00"));
  EXPECT_TRUE(browser().navigations.empty());
  EXPECT_EQ(ctl_.run().counts[EntityKind::kExpenses], 0);

  // A failed upload of any earlier run holds the report back.
  ctl_.lngFailedExpCnt = 1;
  modWizard().last_sync.ExpenseLastSyncDate = platform::DateTime();
  Expenses(Txn("CheckRet", "X-1", ExpenseLine("1")));
  EXPECT_TRUE(StatusLetters().empty());

  // A refused upload of the checks skips the bills.
  ScriptReplies({"Refused"});
  Expenses(Txn("CheckRet", "X-1", ExpenseLine("1")), Txn("BillRet", "B-1", ExpenseLine("2")));
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"X"});
  EXPECT_TRUE(ctl_.run().mStopRun);
  EXPECT_TRUE(StatusLetters().empty());
}

// Numbers and dates in the lines keep their US form under a locale that
// writes decimal commas.
TEST_F(TransactionsTest, LinesDoNotFollowTheUsersRegionalSettings) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "scripts/install-deps.sh adds it";
  const std::string time = Time(TimeRecord("T", "<Duration>PT1H30M</Duration>"));
  const std::string expenses = Expenses(Txn("CheckRet", "X-1", ItemLine("10.50", "125.50")));
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_THAT(time, HasSubstr("|1.5|")) << time;
  EXPECT_THAT(expenses, HasSubstr("|125.5|")) << expenses;
  EXPECT_TRUE(expenses.ends_with("|2|10.5\r\n")) << expenses;
}

}  // namespace
}  // namespace vantrel
