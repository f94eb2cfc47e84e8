#include "site/site_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/http_get.h"
#include "platform/web_browser.h"
#include "site/site_database.h"
#include "site/site_net.h"
#include "site/site_page.h"
#include "site/sql_script.h"

namespace vantrel::site {
namespace {

using platform::NewCurlWebBrowser;
using platform::WebBrowser;
using Rows = std::vector<std::vector<std::string>>;

constexpr char kCode[] = "ABC";
constexpr char kKey[] = "K3y";
constexpr char kInvalid[] = "Invalid site code or site key. Kindly try again.";
constexpr char kTables[] = "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name";

// The full upsert form as the control writes it.
std::string Upsert(const std::string& table, const std::string& key, const std::string& list_id,
                   const std::string& columns, const std::string& values,
                   const std::string& update_set) {
  return "IF (SELECT Count(" + key + ") FROM [" + table + "] WHERE [QBListID] = '" + list_id +
         "') <= 0\r\n\tINSERT INTO " + table + " (" + columns + ") VALUES (" + values +
         ")\r\nElse\r\n\tUPDATE " + table + " SET " + update_set + " WHERE [QBListId] = '" +
         list_id + "'\r\n";
}

std::string UpdateOnly(const std::string& table, const std::string& update_set,
                       const std::string& list_id) {
  return "UPDATE " + table + " SET " + update_set + " WHERE [QBListId] = '" + list_id + "'\r\n";
}

// `statement` without its final CR LF, as refusals quote it.
std::string Line(const std::string& statement) { return statement.substr(0, statement.size() - 2); }

// A row of `table` keyed `key_column` = 9000000 with a name column
// `name_column`.
std::string NamedRow(const std::string& table, const std::string& key_column,
                     const std::string& name_column, const std::string& list_id,
                     const std::string& name) {
  return Upsert(table, key_column, list_id,
                "[" + key_column + "],[" + name_column + "],[Status],[QBListID]",
                "9000000,'" + name + "',-1,'" + list_id + "'",
                "[" + name_column + "]='" + name + "',[QBListID]='" + list_id + "'");
}

std::string ClassRow(const std::string& list_id, const std::string& name) {
  return NamedRow("ClassInfo", "ClassRowID", "ClassName", list_id, name);
}
std::string TaskRow(const std::string& list_id, const std::string& name = "Task") {
  return NamedRow("TaskInfo", "TaskID", "TaskName", list_id, name);
}
std::string ProjectRow(const std::string& list_id) {
  return NamedRow("CustProjInfo", "ProjID", "ProjName", list_id, "Project");
}
// A row of list table `table` with nothing but its key and ListID.
std::string TableRow(const std::string& table, const std::string& list_id) {
  const std::string key(site::FindListTable(table)->key_column);
  return Upsert(table, key, list_id, "[" + key + "],[QBListID]", "1,'" + list_id + "'",
                "[QBListID]='" + list_id + "'");
}

// A time line of 15 fields.
std::string TimeLine(const std::string& txn, const std::string& employee,
                     const std::string& customer, const std::string& item,
                     const std::string& notes = "Worked") {
  return txn + "|10/23/2007 3:05:58 PM|10/23/2007 3:05:58 PM|1193155558|10/23/2007|" + employee +
         "|" + customer + "|" + item + "|1.5|CL-1||" + notes + "|True|False|Anne Smith\r\n";
}

// ----------------------------------------------------------------- the
// database

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

std::vector<UploadCase> UploadCases() {
  const std::string ok = UpdateOnly("ClassInfo", "[a]=1", "L");
  const std::string mismatch = Upsert("ClassInfo", "ClassRowID", "C2", "[ClassRowID],[ClassName]",
                                      "9000001", "[ClassName]='Two'");
  const std::string long_bad =
      "UPDATE ClassInfo SET [ClassName]='" + std::string(300, 'x') + "' WHERE [QBListId] =\r\n";
  const std::string name = "O''Neil | Sons\r\nLine two";
  const std::string notes_line = TimeLine("T1", "", "", "", "a|b\r\nc|True|False|d");
  std::string unknown_many;
  for (int i = 0; i < 12; ++i) unknown_many += TimeLine("U" + std::to_string(i), "E404", "", "");
  std::string bars;
  for (int i = 0; i < 60000; ++i) bars += "|\r\n";
  const Rows no_tables = {
      {"ExpenseLines"}, {"StatusUpdates"}, {"TimeTransactions"}, {"UploadRows"}, {"Uploads"}};
  return {
      {"the upsert inserts, then updates the row of its ListID",
       {{"C", ClassRow("80000001-1", "Consulting"), "SUCCESS"},
        {"C", ClassRow("80000001-1", "Advisory"), "SUCCESS"}},
       "SELECT ClassRowID, ClassName, Status, QBListID, typeof(ClassRowID) FROM ClassInfo",
       {{"9000000", "Advisory", "-1", "80000001-1", "integer"}}},
      {"an update alone changes only a row that is there",
       {{"C", UpdateOnly("ClassInfo", "[ClassName]='Gone',[Status]=0", "L9"), "SUCCESS"},
        {"C", ClassRow("L1", "Consulting"), "SUCCESS"},
        {"C", UpdateOnly("ClassInfo", "[ClassName]='New',[Status]=0", "L1"), "SUCCESS"}},
       "SELECT ClassName, Status, QBListID FROM ClassInfo",
       {{"New", "0", "L1"}}},
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
         "if (select count([classrowid]) from [classinfo] where [qblistid] = 'L''1') <= 0\r\n"
         "insert into ClassInfo ([a_1],[QBListID]) values (+1.5,'L''1')\r\n"
         "else update [ClassInfo] set [b]=-2 where [QBListId] = 'L''1'\r\n",
         "SUCCESS"}},
       "SELECT typeof(a_1), a_1, QBListID FROM ClassInfo",
       {{"real", "1.5", "L'1"}}},
      {"T when TaskInfo rows were inserted, else P for CustProjInfo rows",
       {{"T", TaskRow("I1"), "SUCCESST"},
        {"T", TaskRow("I1", "Again"), "SUCCESS"},
        {"P", ProjectRow("P1"), "SUCCESSP"},
        {"P", ProjectRow("P2") + TaskRow("I2"), "SUCCESST"}},
       "SELECT COUNT(*) FROM TaskInfo",
       {{"2"}}},
      {"nothing but whitespace is no data",
       {{"C", "", "No data to upload. "},
        {"C", " \r\n\t", "No data to upload. "},
        {"H", "", "No data to upload. "}},
       kTables,
       no_tables},
      {"a statement that cannot be read refuses the whole script",
       {{"C",
         ClassRow("C1", "One") + TaskRow("I1") + "UPDATE ClassInfo SET [ClassName]='x' WHERE\r\n",
         "Error in statement 3: UPDATE ClassInfo SET [ClassName]='x' WHERE: expected [QBListID] "
         "near end of script"},
        {"C", ok + "UPDATE ClassInfo SET [a]='open\r\n",
         "Error in statement 2: UPDATE ClassInfo SET [a]='open: unterminated string"},
        {"C", ok + "UPDATE ClassInfo SET [a]=1x WHERE [QBListId] = 'L'\r\n",
         "Error in statement 2: UPDATE ClassInfo SET [a]=1x WHERE [QBListId] = 'L': malformed "
         "number"},
        {"C", ok + "UPDATE ClassInfo SET [a]=1e5 WHERE [QBListId] = 'L'\r\n",
         "Error in statement 2: UPDATE ClassInfo SET [a]=1e5 WHERE [QBListId] = 'L': malformed "
         "number"},
        {"C", long_bad,
         "Error in statement 1: " + long_bad.substr(0, 200) +
             ": expected a ListID in apostrophes near end of script"}},
       kTables,
       no_tables},
      {"only the two statement forms of the list tables are run",
       {{"C", "DELETE FROM ClassInfo\r\n",
         "Error in statement 1: DELETE FROM ClassInfo: expected IF or UPDATE near \"DELETE\""},
        {"C", ok + ok + "UPDATE ClassInfo SET [a]=1 WHERE [QBListId] = 'L' DROP TABLE x\r\n" + ok,
         "Error in statement 3: UPDATE ClassInfo SET [a]=1 WHERE [QBListId] = 'L' DROP TABLE x: "
         "a second statement on the line of the first near \"DROP\" is not accepted"},
        {"C", "UPDATE ClassInfo SET [a]=1 WHERE [QBListId] = 'L'; DELETE FROM ClassInfo\r\n",
         "Error in statement 1: UPDATE ClassInfo SET [a]=1 WHERE [QBListId] = 'L'; DELETE FROM "
         "ClassInfo: \";\" is not accepted: one statement at a time"},
        {"C", "UPDATE ClassInfo SET [a]=1 WHERE [QBListId] = 'L' -- note\r\n",
         "Error in statement 1: UPDATE ClassInfo SET [a]=1 WHERE [QBListId] = 'L' -- note: a "
         "comment (--) is not accepted"},
        {"C", "UPDATE ClassInfo SET [a]=1 /* x */ WHERE [QBListId] = 'L'\r\n",
         "Error in statement 1: UPDATE ClassInfo SET [a]=1 /* x */ WHERE [QBListId] = 'L': a "
         "comment (/*) is not accepted"},
        {"C", "UPDATE sqlite_master SET [a]=1 WHERE [QBListId] = 'L'\r\n",
         "Error in statement 1: UPDATE sqlite_master SET [a]=1 WHERE [QBListId] = 'L': unknown "
         "table \"sqlite_master\""},
        {"C", "UPDATE ClassInfo SET a=1 WHERE [QBListId] = 'L'\r\n",
         "Error in statement 1: UPDATE ClassInfo SET a=1 WHERE [QBListId] = 'L': expected a "
         "column as a [bracketed] identifier near \"a\""},
        {"C", "UPDATE ClassInfo SET [a\"b]=1 WHERE [QBListId] = 'L'\r\n",
         "Error in statement 1: UPDATE ClassInfo SET [a\"b]=1 WHERE [QBListId] = 'L': expected a "
         "column as a [bracketed] identifier near [a\"b]"},
        {"C", "UPDATE ClassInfo SET [a]=NULL WHERE [QBListId] = 'L'\r\n",
         "Error in statement 1: UPDATE ClassInfo SET [a]=NULL WHERE [QBListId] = 'L': expected a "
         "value near \"NULL\""},
        {"C", "UPDATE ClassInfo SET [a]=1 WHERE [Name] = 'L'\r\n",
         "Error in statement 1: UPDATE ClassInfo SET [a]=1 WHERE [Name] = 'L': expected "
         "[QBListID] near [Name]"},
        {"C", Upsert("ClassInfo", "TaskID", "L", "[a]", "1", "[a]=1"),
         "Error in statement 1: " + Line(Upsert("ClassInfo", "TaskID", "L", "[a]", "1", "[a]=1")) +
             ": the existence test of ClassInfo counts ClassRowID, not \"TaskID\""},
        {"C",
         "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = 'L') <= 1\r\n"
         "\tINSERT INTO ClassInfo ([a]) VALUES (1)\r\nElse\r\n\tUPDATE ClassInfo SET [a]=1 WHERE "
         "[QBListId] = 'L'\r\n",
         "Error in statement 1: IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = "
         "'L') <= 1\r\n\tINSERT INTO ClassInfo ([a]) VALUES (1)\r\nElse\r\n\tUPDATE ClassInfo SET "
         "[a]=1 WHERE [QBListId] = 'L': expected \"<= 0\" near \"1\""},
        {"C",
         "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = 'L') <= 0\r\n"
         "\tINSERT INTO TaskInfo ([a]) VALUES (1)\r\n",
         "Error in statement 1: IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = "
         "'L') <= 0\r\n\tINSERT INTO TaskInfo ([a]) VALUES (1): the statement names ClassInfo "
         "and \"TaskInfo\""},
        {"C", Upsert("ClassInfo", "ClassRowID", "L", "[a]", "1", "[a]=1 WHERE [QBListId] = 'M'"),
         "Error in statement 1: " +
             Line(
                 Upsert("ClassInfo", "ClassRowID", "L", "[a]", "1", "[a]=1 WHERE [QBListId] = 'M'"))
                 .substr(0, 200) +
             ": the update's ListID differs from the existence test's"},
        // The ListID of a forged company, written without its apostrophes
        // doubled: the stray apostrophe ends the literal and what follows is
        // refused, not run.
        {"C",
         "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = '80'); DROP TABLE "
         "ClassInfo;--') <= 0\r\n",
         "Error in statement 1: IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = "
         "'80'); DROP TABLE ClassInfo;--') <= 0: \";\" is not accepted: one statement at a "
         "time"}},
       kTables,
       no_tables},
      {"a statement that fails undoes the statements and columns before it",
       {{"C", ClassRow("C1", "One"), "SUCCESS"},
        {"C", UpdateOnly("ClassInfo", "[ClassName]='Changed',[Extra]=1", "C1") + mismatch,
         "Error in statement 2: " + mismatch.substr(0, 200) + ": 2 columns but 1 values"}},
       "SELECT ClassName, (SELECT COUNT(*) FROM pragma_table_info('ClassInfo') WHERE name = "
       "'Extra') FROM ClassInfo",
       {{"One", "0"}}},
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
      {"time notes may hold bars and line breaks",
       {{"H", notes_line, "SUCCESS"}},
       "SELECT Notes, IsBillable, EntityName, Line FROM TimeTransactions",
       {{"a|b\r\nc|True|False|d", "True", "Anne Smith",
         notes_line.substr(0, notes_line.size() - 2)}}},
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
      {"expense lines of checks and bills",
       {{"P", TableRow("Customers", "CU1"), "SUCCESS"},
        {"X",
         "TX1, 0|Check|Expense|CU1|CL1|Billable|125.5|Memo|Utilities|A1|10/23/2007 3:05:58 PM|"
         "10/23/2007 3:05:58 PM|77||\r\n"
         "TX1, 1|Check|Item|CU404|CL1|9|21|Desc|Bolts|I404|10/23/2007|10/23/2007|77|||2|10.5\r\n",
         "SUCCESS1"},
        {"B",
         "TB1, 0|Bill|Expense||||0.00|m\r\nmore|x|Rent|A2|10/23/2007|10/23/2007|78|\r\n"
         "TB1, 1|Bill|Item|CU1||9|5|d|Nails|I404|10/23/2007|10/23/2007|78||3|1\r\n",
         "SUCCESS1"}},
       "SELECT LineKey, TxnType, LineType, Amount, Memo, RefListID, Field15, Quantity, Cost, "
       "Options FROM ExpenseLines ORDER BY LineKey",
       {{"TB1, 0", "Bill", "Expense", "0.00", "m\r\nmore|x", "A2", "", "", "", "B"},
        {"TB1, 1", "Bill", "Item", "5", "d", "I404", "", "3", "1", "B"},
        {"TX1, 0", "Check", "Expense", "125.5", "Memo", "A1", "", "", "", "X"},
        {"TX1, 1", "Check", "Item", "21", "Desc", "I404", "", "2", "10.5", "X"}}},
      {"a line that cannot be read refuses the whole script",
       {{"H", TimeLine("T1", "", "", "") + "T2|too|short\r\n",
         "Error in line 2: T2|too|short: incomplete time line (15 fields with IsBillable and "
         "IsBilled expected; key \"T2\", 3 fields found)"},
        {"B", "TB1, 0|Bill|Item|CU1||9|5|d\r\n",
         "Error in line 1: TB1, 0|Bill|Item|CU1||9|5|d: incomplete expense line (16 fields "
         "expected; key \"TB1, 0\", 8 fields found)"},
        {"x", "TX1, 0|Check|Mystery|a\r\n",
         "Error in line 1: TX1, 0|Check|Mystery|a: unknown line kind \"Check|Mystery\""},
        // Line after line that never makes a whole line is joined into one
        // and refused; the joining costs no more than the reading.
        {"H", bars,
         "Error in line 1: " + bars.substr(0, 200) +
             ": incomplete time line (15 fields with IsBillable and IsBilled expected; key \"\", "
             "60001 fields found)"}},
       "SELECT COUNT(*) FROM TimeTransactions",
       {{"0"}}},
  };
}

TEST(SiteDatabaseTest, AppliesEachUploadAndReplies) {
  for (const UploadCase& c : UploadCases()) {
    SCOPED_TRACE(c.name);
    SiteDatabase db(":memory:");
    for (size_t i = 0; i < c.steps.size(); ++i) {
      EXPECT_EQ(db.ApplyUpload(c.steps[i].script, c.steps[i].options), c.steps[i].reply)
          << "step " << i + 1;
    }
    EXPECT_EQ(db.Query(c.query), c.rows);
  }
}

// What each committed upload did to each table; a refused one did nothing.
TEST(SiteDatabaseTest, TalliesTheRowsEachUploadInsertsAndUpdates) {
  SiteDatabase db(":memory:");
  const std::string two = ClassRow("C1", "One") + ClassRow("C2", "Two");
  const struct {
    const char* options;
    std::string script;
    RowTally rows;
    bool refused = false;
  } steps[] = {
      {"C", two, {{"ClassInfo", {2, 0}}}},
      {"C", two, {{"ClassInfo", {0, 2}}}},
      {"C", UpdateOnly("ClassInfo", "[ClassName]='Gone'", "C9"), {}},
      {"P",
       ProjectRow("J1") + TableRow("Customers", "K1"),
       {{"CustProjInfo", {1, 0}}, {"Customers", {1, 0}}}},
      {"H",
       TimeLine("T1", "", "", "") + TimeLine("T2", "", "", ""),
       {{"TimeTransactions", {2, 0}}}},
      {"H", TimeLine("T1", "", "", ""), {{"TimeTransactions", {0, 1}}}},
      {"C", ClassRow("C3", "Three") + "DROP TABLE ClassInfo\r\n", {}, true},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    RowTally rows = {{"stale", {7, 7}}};
    db.ApplyUpload(steps[i].script, steps[i].options, &rows);
    if (steps[i].refused) {
      EXPECT_EQ(rows.size(), 1u) << "a refused upload leaves the tally as it was";
      EXPECT_EQ(rows["stale"].inserted, 7);
      continue;
    }
    ASSERT_EQ(rows.size(), steps[i].rows.size());
    for (const auto& [table, expected] : steps[i].rows) {
      EXPECT_EQ(rows[table].inserted, expected.inserted) << table;
      EXPECT_EQ(rows[table].updated, expected.updated) << table;
    }
  }
  // The journal keeps the tally under the upload's row.
  db.RecordUpload("C", "", "", "", "SUCCESS", {{"ClassInfo", {2, 1}}});
  EXPECT_EQ(db.Query("SELECT u.Options, r.TableName, r.Inserted, r.Updated FROM UploadRows r "
                     "JOIN Uploads u ON u.rowid = r.UploadID"),
            (Rows{{"C", "ClassInfo", "2", "1"}}));
}

// ----------------------------------------------------------------- the pages

class SiteServerTest : public testing::Test {
 protected:
  void SetUp() override {
    SiteOptions options;
    options.site_code = kCode;
    options.site_key = kKey;
    server_ = std::make_unique<SiteServer>(options);
    server_->Start();
  }

  // Sends one request through the browser and returns the text of the first
  // document that completes.
  std::optional<std::string> Send(const std::string& page_and_query,
                                  const std::optional<std::string>& body = std::nullopt) {
    std::unique_ptr<WebBrowser> browser = NewCurlWebBrowser();
    std::vector<std::optional<std::string>> done;
    browser->set_on_document_complete(
        [&](const std::optional<std::string>& text) { done.push_back(text); });
    std::optional<std::vector<std::uint8_t>> post;
    if (body) post.emplace(body->begin(), body->end());
    browser->Navigate2(server_->base_url() + page_and_query,
                       platform::kNavNoHistory | platform::kNavNoReadFromCache, post,
                       "Content-Type:text/plain\r\n");
    for (int i = 0; i < 3000 && done.empty(); ++i) browser->Poll(std::chrono::milliseconds(10));
    EXPECT_EQ(done.size(), 1u);
    return done.empty() ? std::nullopt : done.front();
  }

  std::optional<std::string> Upload(const std::string& script, const std::string& letter = "C") {
    return Send("vantrel.asp?sitecode=ABC&sitekey=K3y&reset=0&options=" + letter + "&usrnm=Anne",
                script);
  }

  Rows Select(const std::string& sql) { return server_->Query(sql); }

  std::unique_ptr<SiteServer> server_;
};

TEST_F(SiteServerTest, PagesCheckTheSiteAndTheStatusPageRecordsTheUpdate) {
  EXPECT_EQ(Send("vantrel.asp?sitecode=ABC&sitekey=wrong&options=C", ClassRow("C1", "One")),
            kInvalid);
  EXPECT_EQ(Send("vantrel.asp?sitecode=abc&sitekey=K3y&options=C", ClassRow("C1", "One")),
            kInvalid);
  EXPECT_EQ(Send("vantrel.asp?sitekey=K3y&options=C", ClassRow("C1", "One")), kInvalid);
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=nope&options=C"), kInvalid);
  EXPECT_EQ(
      Select(kTables),
      (Rows{
          {"ExpenseLines"}, {"StatusUpdates"}, {"TimeTransactions"}, {"UploadRows"}, {"Uploads"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM Uploads"), (Rows{{"0"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM StatusUpdates"), (Rows{{"0"}}));

  // Any path before the page's name; the body is the upload script.
  EXPECT_EQ(Send("tessaly/secure/vantrel.asp?sitecode=ABC&sitekey=K3y&options=T",
                 TaskRow("I1", "O''Neil+%41")),
            "SUCCESST");
  EXPECT_EQ(Select("SELECT TaskName FROM TaskInfo"), (Rows{{"O'Neil+%41"}}));
  EXPECT_EQ(Send("vantrel.asp?sitecode=ABC&sitekey=K3y&options=C&upstarttime=6/15/2030 12:00:00 "
                 "PM&usrnm=Anne&debugmode=True",
                 "DROP TABLE TaskInfo\r\n"),
            "Error in statement 1: DROP TABLE TaskInfo: expected IF or UPDATE near \"DROP\"");
  EXPECT_EQ(Select("SELECT Options, UpStartTime, UserName, DebugMode, Reply FROM Uploads"),
            (Rows{{"T", "", "", "", "SUCCESST"},
                  {"C", "6/15/2030 12:00:00 PM", "Anne", "True",
                   "Error in statement 1: DROP TABLE TaskInfo: expected IF or UPDATE near "
                   "\"DROP\""}}));
  EXPECT_EQ(Send("tessaly/other.asp"), "Not found");
  server_->ClearRequests();
  EXPECT_EQ(Send("tessaly/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&"
                 "options=H&upstarttime=12/04/2026 16:05:09&usrnm=Anne+Smith%21"),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT Options, UpStartTime, UserName, length(ReceivedAt) FROM StatusUpdates"),
            (Rows{{"H", "12/04/2026 16:05:09", "Anne Smith!", "19"}}));
  std::vector<LoggedRequest> log = server_->requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].target,
            "/tessaly/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&options=H&"
            "upstarttime=12/04/2026%2016:05:09&usrnm=Anne+Smith%21");
}

TEST_F(SiteServerTest, ForcedAndDroppedRequestsAreNotApplied) {
  server_->ForceReply("Database is busy", 2);
  EXPECT_EQ(Upload(ClassRow("C1", "One")), "Database is busy");
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C"), "Database is busy");
  EXPECT_EQ(server_->switches().forced_reply_count, 0);
  server_->DropConnections(1);
  EXPECT_EQ(Upload(ClassRow("C1", "One")), "Action cancelled");
  EXPECT_EQ(server_->requests().size(), 3u);
  EXPECT_EQ(Select("SELECT COUNT(*) FROM sqlite_master WHERE name = 'ClassInfo'"), (Rows{{"0"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM StatusUpdates"), (Rows{{"0"}}));

  // The HTML reply shows the reply text only.
  server_->set_reply_format(ReplyFormat::kHtml);
  EXPECT_EQ(Upload(""), "No data to upload. ");
  EXPECT_EQ(Upload(TaskRow("I1", "A<b>&c"), "T"), "SUCCESST");
  EXPECT_EQ(Select("SELECT TaskName FROM TaskInfo"), (Rows{{"A<b>&c"}}));
  EXPECT_EQ(Upload(ClassRow("C1", "One") + "UPDATE <b>\r\n"),
            "Error in statement 2: UPDATE <b>: expected a table near \"<\"");
}

// The hosting page carries the site's address, code and key and, per
// entity, the time of its latest status update; a template of one's own
// is filled the same way.
TEST_F(SiteServerTest, TheHostingPageGivesTheLastStatusTimes) {
  auto page = [this] {
    const platform::FetchedPage fetched = platform::HttpGet(server_->base_url() + "page.html");
    EXPECT_TRUE(fetched.ok) << fetched.error;
    return fetched.body;
  };
  auto param = [](const std::string& name, const std::string& value) {
    return "<param name=\"" + name + "\" value=\"" + value + "\">";
  };
  const std::string before = page();
  EXPECT_NE(before.find(param("WGSecureServerURL", server_->base_url())), std::string::npos)
      << before;
  EXPECT_NE(before.find(param("SiteCode", "ABC")), std::string::npos);
  EXPECT_NE(before.find(param("SiteKey", "K3y")), std::string::npos);
  EXPECT_NE(before.find(param("TimeLastSyncDate", "")), std::string::npos);
  for (const char* status :
       {"options=H&upstarttime=12/04/2026 16:05:09", "options=p&upstarttime=12/05/2026 08:00:00",
        "options=H&upstarttime=12/06/2026 09:30:00", "options=B&upstarttime=12/06/2026 10:00:00"}) {
    EXPECT_EQ(Send(std::string("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&") + status),
              "SUCCESS");
  }
  const std::string after = page();
  EXPECT_NE(after.find(param("TimeLastSyncDate", "12/06/2026 09:30:00")), std::string::npos)
      << after;
  EXPECT_NE(after.find(param("CustomerLastSyncDate", "12/05/2026 08:00:00")), std::string::npos);
  EXPECT_NE(after.find(param("ExpenseLastSyncDate", "")), std::string::npos) << "B dates nothing";
  EXPECT_EQ(after.find("{{"), std::string::npos);

  EXPECT_EQ(FillPageTemplate("<p>{{SiteKey}} {{Unknown}} {{TasksLastSyncDate}}</p>{{",
                             PageValues("http://x/", "C", "a\"<&>", {{"T", "1/2/2030"}})),
            "<p>a&quot;&lt;&amp;&gt; {{Unknown}} 1/2/2030</p>{{");
  EXPECT_EQ(LastSyncKeyOfLetter("g"), "GLAccountsLastSyncDate");
  EXPECT_EQ(LastSyncKeyOfLetter("B"), "");
}

// The request log masks the key; a port in use is refused with the reason.
TEST(SiteServerStartTest, LogLinesAndBindFailures) {
  const struct {
    const char* target;
    const char* masked;
  } masks[] = {{"/vantrel.asp?sitecode=A&sitekey=K3y&options=C",
                "/vantrel.asp?sitecode=A&sitekey=***&options=C"},
               {"/x?SiteKey=secret", "/x?SiteKey=***"},
               {"/x?sitecode=A", "/x?sitecode=A"}};
  for (const auto& m : masks) EXPECT_EQ(MaskSiteKey(m.target), m.masked);
  // A key with "&" in it runs past the query value: the key itself is masked.
  EXPECT_EQ(MaskKeyIn("/v.asp?sitekey=S3cr&et99&reset=0 replied S3cr&et99", "S3cr&et99"),
            "/v.asp?sitekey=***&reset=0 replied ***");
  EXPECT_EQ(MaskKeyIn("/x?sitekey=K&a=K", "K"), "/x?sitekey=***&a=K");

  std::vector<std::string> lines;
  std::mutex mu;
  SiteOptions options;
  options.site_code = kCode;
  options.site_key = kKey;
  options.log_line = [&](const std::string& line) {
    std::lock_guard<std::mutex> lock(mu);
    lines.push_back(line);
  };
  SiteServer server(options);
  const int port = server.Start();
  platform::HttpGet(server.base_url() +
                    "vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C");
  platform::HttpGet(server.base_url() + "elsewhere");
  {
    std::lock_guard<std::mutex> lock(mu);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" GET /vantrelupdatestatus.asp?sitecode=ABC&sitekey=***&options=C 0 "
                            "bytes: reply \"SUCCESS\""),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" GET /elsewhere 0 bytes: 404 not found"), std::string::npos);
  }

  SiteOptions same;
  same.port = port;
  SiteServer second(same);
  try {
    second.Start();
    ADD_FAILURE() << "a second server started on a port in use";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot listen on 127.0.0.1:" + std::to_string(port) +
                  ": Address already in use (another program listens there: pick another "
                  "port, or 0 for a free one)");
  }
}

TEST(SiteServerStartTest, StartStopAndADatabaseFileThatOutlivesTheServer) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("vantrel_site_test_" + std::to_string(::getpid()) + ".sqlite");
  std::filesystem::remove(file);
  SiteOptions options;
  options.db_path = file.string();
  options.site_code = kCode;
  options.site_key = kKey;
  {
    SiteServer first(options);
    const int port = first.Start();
    EXPECT_GT(port, 0);
    EXPECT_THROW(first.Start(), std::runtime_error);
    SiteOptions same_port = options;
    same_port.port = port;
    same_port.db_path = "";
    SiteServer second(same_port);
    EXPECT_THROW(second.Start(), std::runtime_error);
    SiteDatabase direct(":memory:");  // an unrelated database stays apart
    EXPECT_EQ(direct.ApplyUpload(ClassRow("C9", "Other"), "C"), "SUCCESS");
    EXPECT_EQ(SiteDatabase(file.string()).ApplyUpload(ClassRow("C1", "One"), "C"), "SUCCESS");
    first.Stop();
    EXPECT_THROW(first.Query("SELECT 1"), std::runtime_error);
  }
  SiteServer again(options);
  again.Start();
  EXPECT_EQ(again.Query("SELECT ClassName FROM ClassInfo"), (Rows{{"One"}}));
  again.Stop();
  std::filesystem::remove(file);
}

// A raw connection to the server: sends `request` and reads until the server
// closes the connection or five seconds pass.
struct RawClient {
  explicit RawClient(int port) {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval five{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &five, sizeof five);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  ~RawClient() { close(fd); }
  void Send(const std::string& text) const {
    EXPECT_EQ(::send(fd, text.data(), text.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(text.size()));
  }
  // What the server sent until it closed; nullopt when it kept the connection
  // open for five seconds.
  std::optional<std::string> ReadToClose() const {
    std::string got;
    char buf[4096];
    for (;;) {
      const ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n == 0 || (n < 0 && errno == ECONNRESET)) return got;
      if (n < 0) return std::nullopt;
      got.append(buf, static_cast<size_t>(n));
    }
  }
  int fd = -1;
  bool connected = false;
};

TEST(SiteServerLimitsTest, LargeBodiesAndStalledClientsAreTurnedAway) {
  SiteOptions options;
  options.site_code = kCode;
  options.site_key = kKey;
  options.max_body = 1024;
  options.io_timeout = std::chrono::milliseconds(300);
  options.request_log_limit = 2;
  SiteServer server(options);
  const int port = server.Start();
  const std::string page =
      "POST /vantrel.asp?sitecode=ABC&sitekey=K3y&options=C HTTP/1.1\r\n"
      "Host: x\r\nConnection: close\r\nContent-Length: ";

  // One byte over the limit is refused unread and unapplied; at the limit the
  // body is read (and refused here only because it is no statement).
  for (const size_t size : {size_t{1025}, size_t{1024}}) {
    RawClient client(port);
    ASSERT_TRUE(client.connected);
    client.Send(page + std::to_string(size) + "\r\n\r\n" + std::string(size, 'x'));
    const std::optional<std::string> reply = client.ReadToClose();
    ASSERT_TRUE(reply) << size;
    if (size > 1024) {
      EXPECT_EQ(reply->rfind("HTTP/1.1 413", 0), 0u) << *reply;
      EXPECT_NE(reply->find("\r\n\r\nError: the upload is larger than the 1024 bytes this server "
                            "accepts in one request; nothing of it was applied."),
                std::string::npos)
          << *reply;
    } else {
      EXPECT_NE(reply->find("Error in statement 1: xxx"), std::string::npos) << *reply;
    }
  }

  // More stalled clients than the server has workers: each is closed once it
  // has sent nothing for the timeout, and a real upload still gets through.
  std::vector<std::unique_ptr<RawClient>> stalled;
  for (int i = 0; i < 20; ++i) {
    stalled.push_back(std::make_unique<RawClient>(port));
    stalled.back()->Send(i % 2 ? page + "100\r\n\r\nIF (" : "POST /vantrel.asp HTTP/1.1\r\nHo");
  }
  RawClient upload(port);
  const std::string row = ClassRow("C1", "One");
  upload.Send(page + std::to_string(row.size()) + "\r\n\r\n" + row);
  const std::optional<std::string> reply = upload.ReadToClose();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->substr(reply->size() - 9), "\r\nSUCCESS") << *reply;
  for (const auto& client : stalled) EXPECT_TRUE(client->ReadToClose());
  EXPECT_EQ(server.Query("SELECT ClassName FROM ClassInfo"), (Rows{{"One"}}));

  // The log keeps the latest requests only.
  const std::vector<LoggedRequest> log = server.requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log.back().body, row);
}

// ----------------------------------------------------------------- the program

// Prints its port, serves, ends on SIGTERM.
TEST(SiteProgramTest, ServesUntilTerminated) {
  const std::string page_template =
      (std::filesystem::temp_directory_path() / ("vantrel-page-" + std::to_string(getpid())))
          .string();
  {
    std::FILE* file = std::fopen(page_template.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("<p>{{SiteCode}}/{{TimeLastSyncDate}}</p>", file);
    std::fclose(file);
  }
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(out[1], 2);
    close(out[0]);
    close(out[1]);
    execl(VANTREL_SITE_PATH, VANTREL_SITE_PATH, "--listen", "127.0.0.1:0", "--site-code", kCode,
          "--site-key", kKey, "--reply-format", "html", "--log", "--page-template",
          page_template.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  // Ends the program should the test stop before it does.
  struct Child {
    pid_t pid;
    ~Child() {
      if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    }
  } child{pid};
  FILE* f = fdopen(out[0], "r");
  char line[128] = {0};
  ASSERT_NE(fgets(line, sizeof line, f), nullptr);
  std::string first(line);
  ASSERT_EQ(first.rfind("listening on 127.0.0.1:", 0), 0u) << first;
  int port = std::stoi(first.substr(23));

  std::unique_ptr<WebBrowser> browser = NewCurlWebBrowser();
  std::vector<std::optional<std::string>> done;
  browser->set_on_document_complete(
      [&](const std::optional<std::string>& text) { done.push_back(text); });
  browser->Navigate2("http://127.0.0.1:" + std::to_string(port) +
                         "/vantrel.asp?sitecode=ABC&sitekey=K3y&options=C",
                     6, std::vector<std::uint8_t>{}, "Content-Type:text/plain\r\n");
  for (int i = 0; i < 3000 && done.empty(); ++i) browser->Poll(std::chrono::milliseconds(10));
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0], "No data to upload. ");
  // The template of one's own, filled; a log line a request on standard error.
  const platform::FetchedPage page =
      platform::HttpGet("http://127.0.0.1:" + std::to_string(port) + "/page.html");
  EXPECT_EQ(page.body, "<p>ABC/</p>");
  std::remove(page_template.c_str());
  ASSERT_NE(fgets(line, sizeof line, f), nullptr);
  EXPECT_NE(std::string(line).find(" POST /vantrel.asp?sitecode=ABC&sitekey=***&options=C 0 "
                                   "bytes: reply \"No data to upload. \"\n"),
            std::string::npos)
      << line;
  ASSERT_NE(fgets(line, sizeof line, f), nullptr);
  EXPECT_NE(std::string(line).find(" GET /page.html 0 bytes: served the page\n"), std::string::npos)
      << line;

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  child.pid = 0;
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  fclose(f);
}

TEST(SiteProgramTest, VersionAndBadFlags) {
  FILE* pipe = popen((std::string(VANTREL_SITE_PATH) + " --version").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[128] = {0};
  ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
  EXPECT_EQ(std::string(line).rfind("vantrel-site 1.4 (commit ", 0), 0u) << line;
  EXPECT_EQ(pclose(pipe), 0);

  for (const char* args :
       {"--bogus", "--site-code A", "--site-code A --site-key B --drop x",
        "--site-code A --site-key B --reply-format xml", "--site-code A --site-key B --listen",
        "--site-code A --site-key B --page-template /no/such/page.html"}) {
    const int status =
        std::system((std::string(VANTREL_SITE_PATH) + " " + args + " 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status)) << args;
    EXPECT_EQ(WEXITSTATUS(status), 2) << args;
  }
}

}  // namespace
}  // namespace vantrel::site
