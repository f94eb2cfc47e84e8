#include "site/site_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "site/reply_headers.h"
#include "site/site_page.h"
#include "site_scripts.h"

namespace vantrel::site {
namespace {

using namespace scripts;  // NOLINT: the script builders
using Fields = HeaderFields;

// ----------------------------------------------------------------- the database

struct Step {
  const char* options;
  std::string script;
  std::string reply;
};

struct UploadCase {
  const char* name;
  std::vector<Step> steps;
  std::string query;  // run after the steps
  Rows rows;
};

// A step that the site refuses: `before`, then `bad` (and `after`); the reply
// quotes `bad` as statement or line `n`, cut at 200 characters, and `reason`.
Step Refused(const char* options, const std::string& before, const std::string& bad, int n,
             const std::string& reason, const std::string& after = "",
             const std::string& what = "statement") {
  return {options, before + bad + after,
          "Error in " + what + " " + std::to_string(n) + ": " + Line(bad).substr(0, 200) + ": " +
              reason};
}
// A one-line script of time or expense lines that the site refuses.
Step BadLine(const char* options, const std::string& line, const std::string& reason) {
  return Refused(options, "", line, 1, reason, "", "line");
}
// A one-statement script of list rows that the site refuses.
Step BadSql(const std::string& statement, const std::string& reason) {
  return Refused("C", "", statement, 1, reason);
}
// An update of ClassInfo's row L that sets `set`, with `tail` after it.
std::string SetL(const std::string& set, const std::string& tail = "") {
  return "UPDATE ClassInfo SET " + set + " WHERE [QBListId] = 'L'" + tail + "\r\n";
}

// What every refused list script leaves: the journal's tables only.
const Rows kNoTables = {{"ExpenseLines"},     {"LineWarnings"}, {"StatusUpdates"},
                        {"TimeTransactions"}, {"UploadRows"},   {"Uploads"}};
// A check's expense line and a bill's item line.
const std::string kCheck =
    "TX1, 0|Check|Expense|||9|12|Memo|Rent|A2|10/23/2007|10/23/2007 3:05:58 PM|78||\r\n";
const std::string kItem =
    "TB1, 1|Bill|Item|CU1||9|5|d|Nails|I404|10/23/2007|10/23/2007|78||3|1\r\n";

std::vector<UploadCase> ListCases() {
  const std::string name = "O''Neil | Sons\r\nLine two";
  return {
      {"the upsert inserts, then updates the row of its ListID; an update alone changes only a "
       "row that is there",
       {{"C", UpdateOnly("ClassInfo", "[ClassName]='Gone',[Status]=0", "L9"), "SUCCESS"},
        {"C", ClassRow("80000001-1", "Consulting"), "SUCCESS"},
        {"C", ClassRow("80000001-1", "Advisory"), "SUCCESS"},
        {"C", UpdateOnly("ClassInfo", "[Status]=0", "80000001-1"), "SUCCESS"}},
       "SELECT ClassRowID, ClassName, Status, QBListID, typeof(ClassRowID) FROM ClassInfo",
       {{"9000000", "Advisory", "0", "80000001-1", "integer"}}},
      {"values keep quotes, line breaks, bars and numbers; an update adds columns",
       {{"C",
         Upsert("GLChartOfAccounts", "AccRowID", "L1",
                "[AccRowID],[AccountName],[AccountBalance],[InActiveYN],[QBListID]",
                "9000004,'" + name + "',1250.75,-1,'L1'", "[AccountName]='x'"),
         "SUCCESS"},
        {"C",
         Upsert("GLChartOfAccounts", "AccRowID", "L1", "[AccRowID]", "1",
                "[OpeningBalance]=-20.5,[Description]='new column'"),
         "SUCCESS"}},
       "SELECT AccountName, AccountBalance, InActiveYN, OpeningBalance, Description FROM "
       "GLChartOfAccounts",
       {{"O'Neil | Sons\r\nLine two", "1250.75", "-1", "-20.5", "new column"}}},
      {"bracketed tables, signed numbers, keywords in any case",
       {{"C",
         "if (select count([classrowid]) from [classinfo] where [qblistid] = 'L]]''1') <= 0\r\n"
         "insert into ClassInfo ([a_1],[QBListID]) values (+1.5,'L]]''1')\r\n"
         "else update [ClassInfo] set [b]=-2 where [QBListId] = 'L]]''1'\r\n",
         "SUCCESS"}},
       "SELECT typeof(a_1), a_1, QBListID FROM ClassInfo",
       {{"real", "1.5", "L]]'1"}}},
      {"T when TaskInfo rows were inserted, else P for CustProjInfo rows",
       {{"T", TaskRow("I1"), "SUCCESST"},
        {"T", TaskRow("I1", "Again"), "SUCCESS"},
        {"P", TableRow("CustProjInfo", "P1"), "SUCCESSP"},
        {"P", TableRow("CustProjInfo", "P2") + TaskRow("I2"), "SUCCESST"}},
       "SELECT COUNT(*) FROM TaskInfo",
       {{"2"}}},
      {"nothing but whitespace is no data",
       {{"C", " \r\n\t", "No data to upload. "}, {"H", "", "No data to upload. "}},
       kTables,
       kNoTables},
  };
}

std::vector<UploadCase> RefusedListCases() {
  const std::string ok = SetL("[a]=1");
  const std::string mismatch = Upsert("ClassInfo", "ClassRowID", "C2", "[ClassRowID],[ClassName]",
                                      "9000001", "[ClassName]='Two'");
  const std::string long_bad =
      "UPDATE ClassInfo SET [ClassName]='" + std::string(300, 'x') + "' WHERE [QBListId] =\r\n";
  return {
      {"a statement that cannot be read refuses the whole script",
       {Refused("C", ClassRow("C1", "One") + TaskRow("I1"),
                "UPDATE ClassInfo SET [ClassName]='x' WHERE\r\n", 3,
                "expected [QBListID] near end of script"),
        Refused("C", ok, "UPDATE ClassInfo SET [a]='open\r\n", 2, "unterminated string"),
        Refused("C", ok, "UPDATE ClassInfo SET [Name\r\n", 2, "unterminated [name]"),
        Refused("C", ok, SetL("[]='a'"), 2, "empty [name]"),
        Refused("C", ok, SetL("[a]=1x"), 2, "malformed number"),
        Refused("C", ok, SetL("[a]=1E+"), 2, "malformed number"),
        Refused("C", ok, SetL("[a]=1.2.3"), 2, "malformed number"),
        BadSql(long_bad, "expected a ListID in apostrophes near end of script")},
       kTables,
       kNoTables},
      {"only the two statement forms of the list tables are run",
       {BadSql("DELETE FROM ClassInfo\r\n", "expected IF or UPDATE near \"DELETE\""),
        Refused("C", ok + ok, SetL("[a]=1", " DROP TABLE x"), 3,
                "a second statement on the line of the first near \"DROP\" is not accepted", ok),
        BadSql(SetL("[a]=1", "; DELETE FROM ClassInfo"),
               "\";\" is not accepted: one statement at a time"),
        BadSql(SetL("[a]=1", " -- note"), "a comment (--) is not accepted"),
        BadSql(SetL("[a]=1 /* x */"), "a comment (/*) is not accepted"),
        BadSql(Replaced(ok, "ClassInfo", "sqlite_master"), "unknown table \"sqlite_master\""),
        BadSql(SetL("a=1"), "expected a column as a [bracketed] identifier near \"a\""),
        BadSql(SetL("[a\"b]=1"), "expected a column as a [bracketed] identifier near [a\"b]"),
        BadSql(SetL("[Na]]me]=1"), "expected a column as a [bracketed] identifier near [Na]me]"),
        BadSql(SetL("[a]=NULL"), "expected a value near \"NULL\""),
        BadSql(Replaced(ok, "[QBListId]", "[Name]"), "expected [QBListID] near [Name]"),
        BadSql(Upsert("ClassInfo", "TaskID", "L", "[a]", "1", "[a]=1"),
               "the existence test of ClassInfo counts ClassRowID, not \"TaskID\""),
        BadSql(
            Replaced(Upsert("ClassInfo", "ClassRowID", "L", "[a]", "1", "[a]=1"), "<= 0", "<= 1"),
            "expected \"<= 0\" near \"1\""),
        BadSql("IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = 'L') <= 0\r\n"
               "\tINSERT INTO TaskInfo ([a]) VALUES (1)\r\n",
               "the statement names ClassInfo and \"TaskInfo\""),
        BadSql(Upsert("ClassInfo", "ClassRowID", "L", "[a]", "1", "[a]=1 WHERE [QBListId] = 'M'"),
               "the update's ListID differs from the existence test's")},
       kTables,
       kNoTables},
      {"a statement that fails undoes the statements and columns before it",
       {{"C", ClassRow("C1", "One"), "SUCCESS"},
        Refused("C", UpdateOnly("ClassInfo", "[ClassName]='Changed',[Extra]=1", "C1"), mismatch, 2,
                "2 columns but 1 values")},
       "SELECT ClassName, (SELECT COUNT(*) FROM pragma_table_info('ClassInfo') WHERE name = "
       "'Extra') FROM ClassInfo",
       {{"One", "0"}}},
  };
}

std::vector<UploadCase> LineCases() {
  std::string unknown_many;
  for (int i = 0; i < 12; ++i) unknown_many += TimeLine("U" + std::to_string(i), "E404", "", "");
  return {
      {"time lines are stored by TxnID and replaced",
       {{"E",
         TableRow("EmployeeInfo", "E1") + TableRow("Customers", "CU1") + TableRow("TaskInfo", "I1"),
         "SUCCESST"},
        {"H", TimeLine("T1", "E1", "CU1", "I1") + "\r\n" + TimeLine("T2", "E1", "", ""), "SUCCESS"},
        {"h", TimeLine("T1", "E1", "CU1", "I1", "Changed"), "SUCCESS"}},
       "SELECT TxnID, EntityListID, CustomerListID, ItemListID, Duration, Notes, IsBillable, "
       "IsBilled, EntityName FROM TimeTransactions ORDER BY TxnID",
       {{"T1", "E1", "CU1", "I1", "1.5", "Changed", "True", "False", "Anne Smith"},
        {"T2", "E1", "", "", "1.5", "Worked", "True", "False", "Anne Smith"}}},
      {"numbers with exponents, as the general number conversion writes them",
       {{"T",
         Upsert("TaskInfo", "TaskID", "I1", "[TaskID],[Price],[Cost],[Big],[Neg],[Low],[Half]",
                "9000000,1E-05,1E+15,1E+20,-2.5E+20,1e5,.5", "[Price]=1E-05"),
         "SUCCESST"},
        {"H", Replaced(TimeLine("T1", "", "", ""), "|1.5|", "|1E-05|"), "SUCCESS"},
        {"X", Replaced(kCheck, "|12|", "|1E+15|"), "SUCCESS"},
        {"B", Replaced(Replaced(kItem, "|3|", "|-2.5E+20|"), "|1\r", "|1e-7\r"), "SUCCESS1"}},
       "SELECT typeof(Price), Price = 0.00001, Cost = 1e15, Big = 1e20, Neg = -2.5e20, Low, Half, "
       "(SELECT Duration FROM TimeTransactions), (SELECT group_concat(x, ' ') FROM (SELECT "
       "Amount || '/' || coalesce(Quantity, '') || '/' || coalesce(Cost, '') AS x FROM "
       "ExpenseLines ORDER BY LineKey)) FROM TaskInfo",
       {{"real", "1", "1", "1", "1", "100000.0", "0.5", "1E-05", "5/-2.5E+20/1e-7 1E+15//"}}},
      {"the time reply counts the lines with unknown references, at most 9",
       {{"V",
         TableRow("Vendors", "V1") + TableRow("CustProjInfo", "P1") + TableRow("TaskInfo", "I1"),
         "SUCCESST"},
        {"H",
         TimeLine("T1", "V1", "P1", "I1") +        // all known
             TimeLine("T2", "E404", "P1", "I1") +  // employee unknown
             TimeLine("T3", "V1", "C404", "") +    // customer unknown
             TimeLine("T4", "", "", "I404"),       // item unknown
         "SUCCESS3"},
        {"H", unknown_many, "SUCCESS9"}},
       "SELECT COUNT(*) FROM TimeTransactions",
       {{"16"}}},
      // A refused upload's are not kept, even those of the statements it ran.
      {"the journal keeps what each upload did to each table and the references its lines lack",
       {{"C", UpdateOnly("ClassInfo", "[ClassName]='Gone'", "C9"), "SUCCESS"},
        {"H",
         TimeLine("T1", "", "", "") + TimeLine("T2", "V404", "K404", "I404") +
             TimeLine("T3", "", "", "I404"),
         "SUCCESS2"},
        {"H", TimeLine("T1", "", "", ""), "SUCCESS"},
        {"X",
         "TX1, 0|Check|Expense|K404||9|1|m|Rent|A1|10/23/2007|10/23/2007|7||\r\n"
         "TX1, 1|Check|Item|||9|1|d|Bolts|I404|10/23/2007|10/23/2007|7|||1|1\r\n",
         "SUCCESS2"},
        Refused("H", TimeLine("T4", "V404", "", ""), "T5|x\r\n", 2, Shifted(2, "a time line", 15),
                "", "line"),
        Refused("C", ClassRow("C3", "Three"),
                Upsert("ClassInfo", "ClassRowID", "C2", "[ClassRowID],[ClassName]", "1", "[a]=1"),
                2, "2 columns but 1 values")},
       // Each table scanned in the order of its rows: the lines' references
       // in the order they were checked.
       "SELECT UploadID, LineNo || ';' || LineKey || ';' || RefKind || ';' || ListID FROM "
       "LineWarnings UNION ALL SELECT UploadID, TableName || '=' || Inserted || '/' || Updated "
       "FROM UploadRows",
       {{"2", "2;T2;employee/vendor;V404"},
        {"2", "2;T2;customer/project;K404"},
        {"2", "2;T2;item;I404"},
        {"2", "3;T3;item;I404"},
        {"4", "1;TX1, 0;customer/project;K404"},
        {"4", "2;TX1, 1;item;I404"},
        {"2", "TimeTransactions=3/0"},
        {"3", "TimeTransactions=0/1"},
        {"4", "ExpenseLines=2/0"}}},
      {"expense lines of checks and bills",
       {{"P", TableRow("Customers", "CU1"), "SUCCESS"},
        {"X",
         "TX1, 0|Check|Expense|CU1|CL1|Billable|125.5|Memo|Utilities|A1|10/23/2007 3:05:58 PM|"
         "10/23/2007 3:05:58 PM|77||\r\n"
         "TX1, 1|Check|Item|CU404|CL1|9|21|Desc|Bolts|I404|10/23/2007|10/23/2007|77|||2|10.5\r\n",
         "SUCCESS1"},
        {"B", "TB1, 0|Bill|Expense||||0.00|m|Rent|A2|10/23/2007|10/23/2007|78|\r\n" + kItem,
         "SUCCESS1"}},
       "SELECT LineKey, TxnType, LineType, Amount, Memo, RefListID, Field15, Quantity, Cost, "
       "Options FROM ExpenseLines ORDER BY LineKey",
       {{"TB1, 0", "Bill", "Expense", "0.00", "m", "A2", "", "", "", "B"},
        {"TB1, 1", "Bill", "Item", "5", "d", "I404", "", "3", "1", "B"},
        {"TX1, 0", "Check", "Expense", "125.5", "Memo", "A1", "", "", "", "X"},
        {"TX1, 1", "Check", "Item", "21", "Desc", "I404", "", "2", "10.5", "X"}}},
  };
}

std::vector<UploadCase> RefusedLineCases() {
  const std::string bars(60000, '|');
  const std::string victim = TimeLine("T9", "", "", "");
  // A note that ends its line early and forges the next one, for another
  // TxnID, with 999 hours.
  const std::string forged =
      TimeLine("T1", "", "", "", "x\r\n" + Replaced(Line(victim), "|1.5|", "|999|"));
  // The victim, or the check's expense line, with one field made `to`.
  auto time = [&](const std::string& from, const std::string& to, const std::string& reason) {
    return BadLine("H", Replaced(victim, from, to), reason);
  };
  auto check = [&](const std::string& from, const std::string& to, const std::string& reason) {
    return BadLine("X", Replaced(kCheck, from, to), reason);
  };
  return {
      // No field is quoted: a line is stored only when it reads one way.
      {"a time line that cannot be read one way refuses the whole script",
       {{"H", victim, "SUCCESS"},
        Refused("H", TimeLine("T1", "", "", ""), "T2|too|short\r\n", 2,
                Shifted(3, "a time line", 15), "", "line"),
        BadLine("H", TimeLine("T1", "", "", "", "x|True|True|y"), Shifted(18, "a time line", 15)),
        Refused("H", "", forged.substr(0, forged.find('\r') + 2), 1, Shifted(12, "a time line", 15),
                forged.substr(forged.find('\r') + 2), "line"),
        time("Anne Smith", "Anne|Smith", Shifted(16, "a time line", 15)),
        Refused("H", victim, Replaced(victim, "|True|", "|Yes|"), 2,
                "IsBillable (field 13) \"Yes\" is neither True nor False", "", "line"),
        time("|False|", "|false|", "IsBilled (field 14) \"false\" is neither True nor False"),
        time("|1.5|", "|1,5|", "Duration (field 9) \"1,5\" is not a number"),
        time("|10/23/2007 3:05:58 PM|", "|13/45/2007 3:05:58 PM|",
             "TimeCreated (field 2) \"13/45/2007 3:05:58 PM\" is not a date"),
        time("|10/23/2007|", "|yesterday|", "TxnDate (field 5) \"yesterday\" is not a date"),
        // One line of many bars is refused as it is read.
        BadLine("H", bars, Shifted(60001, "a time line", 15))},
       "SELECT TxnID, Duration, Notes FROM TimeTransactions",
       {{"T9", "1.5", "Worked"}}},
      {"an expense line that cannot be read one way refuses the whole script",
       {BadLine("B", "TB1, 0|Bill|Item|CU1||9|5|d\r\n", Shifted(8, "a bill item line", 16)),
        BadLine("x", "TX1, 0|Check|Mystery|a\r\n", "unknown line kind \"Check|Mystery\""),
        {"X", Replaced(kCheck, "|Memo|", "|Memo\r\nTX2, 0|"),
         "Error in line 1: TX1, 0|Check|Expense|||9|12|Memo: " +
             Shifted(8, "a check expense line", 15)},
        Refused("X", kCheck, Replaced(kCheck, "|Memo|", "|Me|mo|"), 2,
                Shifted(16, "a check expense line", 15), "", "line"),
        check("|12|", "|$12|", "Amount (field 7) \"$12\" is not a number"),
        check("3:05:58 PM", "25:05:58",
              "TimeModified (field 12) \"10/23/2007 25:05:58\" is not a date"),
        check("|78||", "|78|x|", "Field14 (field 14) \"x\" is not empty"),
        check("|78||\r", "|78||y\r", "Field15 (field 15) \"y\" is not empty"),
        BadLine("B", Replaced(kItem, "|3|", "|three|"),
                "Quantity (field 15) \"three\" is not a number"),
        check("TX1, 0|", "TX1|", "key \"TX1\" is not a TxnID, \", \" and a line number"),
        BadLine("X", "K" + bars, "unknown line kind \"|\"")},
       "SELECT COUNT(*) FROM ExpenseLines",
       {{"0"}}},
  };
}

void PrintTo(const UploadCase& c, std::ostream* os) { *os << c.name; }

class SiteUploadTest : public ::testing::TestWithParam<UploadCase> {};

// The site applies each step's upload in a fresh database, recording it in
// its journal as the upload page does, and replies as the step says;
// afterwards the database holds what the case's query reads.
TEST_P(SiteUploadTest, AppliesEachUploadAndReplies) {
  SiteDatabase db(":memory:");
  const std::vector<Step>& steps = GetParam().steps;
  for (size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(db.ApplyAndRecordUpload(steps[i].script, steps[i].options, {}), steps[i].reply)
        << "step " << i + 1;
  }
  EXPECT_EQ(db.Query(GetParam().query), GetParam().rows);
}

// Each case is named by its words.
std::string CaseName(const ::testing::TestParamInfo<UploadCase>& info) {
  std::string name;
  for (const char* c = info.param.name; *c; ++c) {
    name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  }
  return name;
}
INSTANTIATE_TEST_SUITE_P(Lists, SiteUploadTest, ::testing::ValuesIn(ListCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(RefusedLists, SiteUploadTest, ::testing::ValuesIn(RefusedListCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Lines, SiteUploadTest, ::testing::ValuesIn(LineCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(RefusedLines, SiteUploadTest, ::testing::ValuesIn(RefusedLineCases()),
                         CaseName);

// An entity's last-sync date is the earliest upstarttime of the run that sent
// its latest status update (what came after the letter's previous one), less
// ten minutes: a record changed after the run read QuickBooks, even while
// the run still went on, is sent again next time.
TEST(SiteDatabaseTest, DatesEachEntityByTheFirstRequestOfItsLastRun) {
  // Requests, ";" between them: "U" (an upload) or "S" (a status update), its
  // letter and its upstarttime, or "N" (the rows made an older site's).
  const std::string first_run =
      "U E 12/7/2026 5:30:00 AM; S C 12/07/2026 05:40:00; U E 12/7/2026 5:50:00 AM; "
      "S E 12/07/2026 06:45:00";
  const std::string first = "12/07/2026 05:20:00";  // the first run's first request, less 10'
  const struct {
    const char* name;
    std::string requests;
    std::map<std::string, std::string> dates;  // by last-sync key; the others are ""
  } cases[] = {
      {"a second run, dated by its own first request of any letter; its status update in either "
       "letter case; what follows the latest status update moves nothing",
       first_run + "; U V 12/8/2026 1:00:00 PM; U E 12/8/2026 1:05:00 PM; "
                   "S e 12/08/2026 13:30:00; U E 12/1/2026 1:00:00 PM",
       {{"EmployeeLastSyncDate", "12/08/2026 12:50:00"}, {"ClassLastSyncDate", first}}},
      {"the first status update of a letter takes every request before it",
       first_run + "; U X 12/8/2026 9:00:00 AM; U B 12/8/2026 9:05:00 AM; "
                   "S X 12/08/2026 09:10:00; U P 12/9/2026 9:00:00 AM; S P 12/09/2026 09:10:00",
       {{"EmployeeLastSyncDate", first},
        {"ClassLastSyncDate", first},
        {"ExpenseLastSyncDate", first},
        {"CustomerLastSyncDate", first}}},
      {"times that are not dates are passed over",
       "U H garbage; U H 12/7/2026 5:30:00 AM; S H 12/07/2026 6:00:00; S T not a date; "
       "S T 13/13/2026 00:00:00",
       {{"TimeLastSyncDate", first}}},
      {"a date far ahead of the site's clock counts as the time the site received it",
       "S V 12/31/9999 23:59:59",
       {{"VendorsLastSyncDate", "received"}}},
      {"a date the page could not carry is left out",
       "U G 1/1/0100 12:05:00 AM; S G 01/01/0100 00:06:00",
       {}},
      {"the rows of an older site, unordered, widen the run",
       first_run + "; U E 12/8/2026 1:05:00 PM; S E 12/08/2026 13:30:00; N",
       {{"EmployeeLastSyncDate", first}, {"ClassLastSyncDate", first}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SiteDatabase db(":memory:");
    std::istringstream requests(c.requests);
    for (std::string r; std::getline(requests >> std::ws, r, ';');) {
      const std::string letter = r.substr(std::min<size_t>(2, r.size()), 1);
      const std::string time = r.substr(std::min<size_t>(4, r.size()));
      if (r[0] == 'U') db.RecordUpload(letter, time, "Anne", "False", "SUCCESS");
      if (r[0] == 'S') db.RecordStatus(letter, time, "Anne");
      if (r[0] == 'N') db.Query("UPDATE StatusUpdates SET LastUploadID = NULL");
    }
    std::map<std::string, std::string> values =
        PageValues("http://x/", "C", "K", db.LastRunStartTimes());
    // "received": the site's own time of the request, less the margin.
    const std::string received =
        LastSyncDate({db.Query("SELECT MIN(ReceivedAt) FROM StatusUpdates").at(0).at(0)});
    for (const char* letter : {"P", "E", "G", "T", "C", "V", "H", "X"}) {
      const std::string key(LastSyncKeyOfLetter(letter));
      const auto expected = c.dates.find(key);
      const std::string date = expected == c.dates.end() ? "" : expected->second;
      EXPECT_EQ(values[key], date == "received" ? received : date) << key;
    }
  }
}

// ----------------------------------------------------------------- reply headers

// Tables in name order, rows before lines; texts that could break or forge a
// field are encoded, and a long one is cut. (The site's replies show the
// rest: see its pages.)
TEST(ReplyHeadersTest, TellRowsAndLinesInPlainAscii) {
  EXPECT_EQ(ReplyHeaders("P", {{"Customers", {10, 0}}, {"CustProjInfo", {16, 2}}}, {}),
            (Fields{{"X-Vantrel-Rows", "CustProjInfo=16/2;Customers=10/0"}}));
  EXPECT_EQ(ReplyHeaders("x;y", {{"a=b;c d", {1, 0}}},
                         {{2, "K, 2\r\nX-Vantrel-Rows: Vendors=9/9", kRefItem, "%\xC3\xA9\x7F"}}),
            (Fields{{"X-Vantrel-Rows", "a%3Db%3Bc%20d=1/0"},
                    {"X-Vantrel-Line-Warning",
                     "x%3By;2;K,%202%0D%0AX-Vantrel-Rows:%20Vendors%3D9/9;item;%25%C3%A9%7F"}}));
  EXPECT_EQ(
      ReplyHeaders("H", {}, {{1, std::string(150, 'k'), kRefItem, "L"}}),
      (Fields{{"X-Vantrel-Rows", "none"},
              {"X-Vantrel-Line-Warning", "H;1;" + std::string(kMostTextBytes, 'k') + ";item;L"}}));
}

// A reply's warning fields stay within their budget; the rest are counted.
TEST(ReplyHeadersTest, WarningsPastTheBudgetAreCountedNotListed) {
  const std::vector<LineWarning> many(
      2000, {100, "1F-1212630300", kRefCustomerOrProject, "80000060-1137429240"});
  const Fields fields = ReplyHeaders("H", {}, many);
  std::size_t listed = 0, bytes = 0;
  for (const auto& [name, value] : fields) {
    if (name != kLineWarningHeader) continue;
    ++listed;
    bytes += value.size();
  }
  // A batch of 100 lines, three references each, is always listed whole.
  EXPECT_GT(listed, 300u);
  EXPECT_LE(bytes, kMostWarningBytes);
  EXPECT_EQ(fields.back(),
            (std::pair<std::string, std::string>(kUntoldHeader, std::to_string(2000 - listed))));
  EXPECT_EQ(fields.size(), listed + 2);
}

}  // namespace
}  // namespace vantrel::site
