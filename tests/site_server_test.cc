#include "site/site_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/web_browser.h"
#include "site/site_database.h"
#include "site/sql_script.h"
#include "site/txn_lines.h"

namespace vantrel::site {
namespace {

using platform::NewCurlWebBrowser;
using platform::WebBrowser;
using Rows = std::vector<std::vector<std::string>>;

constexpr char kCode[] = "ABC";
constexpr char kKey[] = "K3y";
constexpr char kInvalid[] = "Invalid site code or site key. Kindly try again.";

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

// The class statement of an active class, as the control writes it.
std::string ClassStatement(const std::string& list_id, const std::string& name) {
  return Upsert("ClassInfo", "ClassRowID", list_id,
                "[ClassRowID],[ClassID],[ClassName],[ClassCode],[ClassFullCode],[ClassFullName],"
                "[ClassFullRefID],[ParentFullRefID],[ParentFullName],[Status],[ParentRefID],"
                "[SubLevel],[QBEditSequence],[QBModifiedDate],[QBListID],[CreatedDate],"
                "[CreatedBy],[UpdatedBy],[UpdatedDate]",
                "9000000,'','" + name + "','','','" + name +
                    "','','','',-1,'',1,'1193155558','10/23/2007 3:05:58 PM','" + list_id +
                    "','10/23/2007 15:05:58','jsmith','jsmith','10/23/2007 15:05:58'",
                "[ClassName]='" + name + "',[ClassFullName]='" + name +
                    "',[SubLevel]=1,[QBEditSequence]='1193155558',[QBModifiedDate]='10/23/2007 "
                    "3:05:58 PM',[QBListID]='" +
                    list_id + "',[UpdatedBy]='jsmith',[UpdatedDate]='10/23/2007 15:05:58'");
}

std::string TaskStatement(const std::string& list_id, const std::string& name) {
  return Upsert("TaskInfo", "TaskID", list_id, "[TaskID],[TaskName],[QBListID]",
                "9000001,'" + name + "','" + list_id + "'",
                "[TaskName]='" + name + "',[QBListID]='" + list_id + "'");
}

std::string ProjectStatement(const std::string& list_id, const std::string& name) {
  return Upsert("CustProjInfo", "ProjID", list_id, "[ProjID],[ProjName],[QBListID]",
                "9000002,'" + name + "','" + list_id + "'",
                "[ProjName]='" + name + "',[QBListID]='" + list_id + "'");
}

std::string TableRow(const std::string& table, const std::string& key_column,
                     const std::string& list_id) {
  return Upsert(table, key_column, list_id, "[" + key_column + "],[QBListID]",
                "9000000,'" + list_id + "'", "[QBListID]='" + list_id + "'");
}

// A time line of 15 fields.
std::string TimeLine(const std::string& txn, const std::string& employee,
                     const std::string& customer, const std::string& item,
                     const std::string& notes = "Worked") {
  return txn + "|10/23/2007 3:05:58 PM|10/23/2007 3:05:58 PM|1193155558|10/23/2007|" + employee +
         "|" + customer + "|" + item + "|1.5|CL-1||" + notes + "|True|False|Anne Smith\r\n";
}

class SiteServerTest : public testing::Test {
 protected:
  void SetUp() override {
    SiteOptions options;
    options.site_code = kCode;
    options.site_key = kKey;
    server_ = std::make_unique<SiteServer>(options);
    server_->Start();
  }

  std::string Query(const std::string& letter, const std::string& code = kCode,
                    const std::string& key = kKey) const {
    return "sitecode=" + code + "&sitekey=" + key + "&reset=0&bmclntver=4.06&options=" + letter +
           "&upstarttime=12/4/2026 4:54:56 AM&usrnm=Anne&debugmode=False";
  }

  // Sends one request through the browser and returns the text of the first
  // document that completes.
  std::optional<std::string> Send(const std::string& page_and_query,
                                  const std::optional<std::string>& body) {
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
    return Send("vantrel.asp?" + Query(letter), script);
  }

  Rows Select(const std::string& sql, const std::vector<std::string>& params = {}) {
    return server_->Query(sql, params);
  }

  std::vector<std::string> Tables() {
    std::vector<std::string> out;
    for (auto& row : server_->Query("SELECT name FROM sqlite_master WHERE type = 'table' "
                                    "ORDER BY name")) {
      out.push_back(row[0]);
    }
    return out;
  }

  std::unique_ptr<SiteServer> server_;
};

TEST_F(SiteServerTest, ClassUpsertInsertsThenUpdates) {
  EXPECT_EQ(Upload(ClassStatement("80000001-1193155558", "Consulting")), "SUCCESS");
  EXPECT_EQ(Select("SELECT ClassRowID, ClassName, Status, SubLevel, QBListID, CreatedDate, "
                   "typeof(ClassRowID) FROM ClassInfo"),
            (Rows{{"9000000", "Consulting", "-1", "1", "80000001-1193155558", "10/23/2007 15:05:58",
                   "integer"}}));

  // The same ListID again: the UPDATE branch, one row, new name.
  EXPECT_EQ(Upload(ClassStatement("80000001-1193155558", "Advisory")), "SUCCESS");
  EXPECT_EQ(Select("SELECT ClassName, ClassFullName FROM ClassInfo"),
            (Rows{{"Advisory", "Advisory"}}));
}

TEST_F(SiteServerTest, UpdateOnlyOnMissingRowChangesNothing) {
  EXPECT_EQ(Upload(UpdateOnly("ClassInfo", "[ClassName]='Gone',[Status]=0", "80000009-1")),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT COUNT(*) FROM ClassInfo"), (Rows{{"0"}}));

  EXPECT_EQ(Upload(ClassStatement("80000001-1", "Consulting")), "SUCCESS");
  EXPECT_EQ(Upload(UpdateOnly("ClassInfo", "[ClassName]='Consulting',[Status]=0", "80000001-1")),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT ClassName, Status FROM ClassInfo"), (Rows{{"Consulting", "0"}}));
}

TEST_F(SiteServerTest, ValuesKeepQuotesLineBreaksBarsAndNumbers) {
  std::string name = "O''Neil | Sons\r\nLine two";
  EXPECT_EQ(Upload(Upsert("GLChartOfAccounts", "AccRowID", "L1",
                          "[AccRowID],[AccountName],[AccountBalance],[InActiveYN],[QBListID]",
                          "9000004,'" + name + "',1250.75,-1,'L1'",
                          "[AccountName]='" + name + "',[AccountBalance]=-20.5")),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT AccountName, AccountBalance, InActiveYN FROM GLChartOfAccounts"),
            (Rows{{"O'Neil | Sons\r\nLine two", "1250.75", "-1"}}));
  EXPECT_EQ(Upload(Upsert("GLChartOfAccounts", "AccRowID", "L1", "[AccRowID]", "1",
                          "[AccountBalance]=-20.5,[Description]='new column'")),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT AccountBalance, Description FROM GLChartOfAccounts"),
            (Rows{{"-20.5", "new column"}}));
}

TEST_F(SiteServerTest, RepliesTWhenItemsWereInsertedAndPForProjects) {
  EXPECT_EQ(Upload(TaskStatement("I1", "Design"), "T"), "SUCCESST");
  EXPECT_EQ(Upload(TaskStatement("I1", "Design 2"), "T"), "SUCCESS");  // an update only
  EXPECT_EQ(Upload(ProjectStatement("P1", "Roof"), "P"), "SUCCESSP");
  EXPECT_EQ(Upload(ProjectStatement("P2", "Wall") + TaskStatement("I2", "Build"), "P"), "SUCCESST");
  EXPECT_EQ(Upload(ClassStatement("C1", "Consulting")), "SUCCESS");
}

TEST_F(SiteServerTest, MalformedThirdStatementRollsBackTheWholeScript) {
  std::string bad = "UPDATE ClassInfo SET [ClassName]='x' WHERE\r\n";
  std::optional<std::string> reply =
      Upload(ClassStatement("C1", "One") + TaskStatement("I1", "Two") + bad);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->rfind("Error in statement 3: UPDATE ClassInfo SET [ClassName]='x' WHERE: ", 0),
            0u)
      << *reply;
  EXPECT_EQ(Tables(),
            (std::vector<std::string>{"ExpenseLines", "StatusUpdates", "TimeTransactions"}));
}

TEST_F(SiteServerTest, FailingStatementUndoesEarlierStatementsAndNewColumns) {
  ASSERT_EQ(Upload(ClassStatement("C1", "One")), "SUCCESS");
  std::string mismatch = Upsert("ClassInfo", "ClassRowID", "C2", "[ClassRowID],[ClassName]",
                                "9000001", "[ClassName]='Two'");
  std::optional<std::string> reply =
      Upload(UpdateOnly("ClassInfo", "[ClassName]='Changed',[Extra]=1", "C1") + mismatch);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->rfind("Error in statement 2: IF (SELECT Count(ClassRowID) FROM [ClassInfo]", 0),
            0u)
      << *reply;
  EXPECT_NE(reply->find("2 columns but 1 values"), std::string::npos) << *reply;
  EXPECT_EQ(Select("SELECT ClassName FROM ClassInfo"), (Rows{{"One"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM pragma_table_info('ClassInfo') WHERE name = 'Extra'"),
            (Rows{{"0"}}));
}

TEST_F(SiteServerTest, ErrorReplyQuotesAtMost200Characters) {
  std::string long_name(300, 'x');
  std::string bad = "UPDATE ClassInfo SET [ClassName]='" + long_name + "' WHERE [QBListId] =\r\n";
  std::optional<std::string> reply = Upload(bad);
  ASSERT_TRUE(reply);
  std::string prefix = "Error in statement 1: " + bad.substr(0, 200) + ": ";
  EXPECT_EQ(reply->substr(0, prefix.size()), prefix);
}

TEST_F(SiteServerTest, InvalidSiteCodeOrKeyIsRefused) {
  EXPECT_EQ(Send("vantrel.asp?" + Query("C", kCode, "wrong"), ClassStatement("C1", "One")),
            kInvalid);
  EXPECT_EQ(Send("vantrel.asp?" + Query("C", "abc", kKey), ClassStatement("C1", "One")), kInvalid);
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=nope&options=C", std::nullopt),
            kInvalid);
  EXPECT_EQ(Select("SELECT COUNT(*) FROM sqlite_master WHERE name = 'ClassInfo'"), (Rows{{"0"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM StatusUpdates"), (Rows{{"0"}}));
}

TEST_F(SiteServerTest, EmptyBodyHasNoDataToUpload) {
  EXPECT_EQ(Upload(""), "No data to upload. ");
  EXPECT_EQ(Upload("\r\n"), "No data to upload. ");
  EXPECT_EQ(Upload("", "H"), "No data to upload. ");
}

TEST_F(SiteServerTest, PagesUnderAPathPrefix) {
  EXPECT_EQ(Send("tessaly/secure/vantrel.asp?" + Query("C"), ClassStatement("C1", "One")),
            "SUCCESS");
  EXPECT_EQ(Send("tessaly/secure/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C",
                 std::nullopt),
            "SUCCESS");
  EXPECT_EQ(Send("tessaly/other.asp", std::nullopt), "Not found");
}

TEST_F(SiteServerTest, StatusPageRecordsTheUpdate) {
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&options=H&"
                 "upstarttime=12/04/2026 16:05:09&usrnm=Anne",
                 std::nullopt),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT Options, UpStartTime, UserName, length(ReceivedAt) FROM StatusUpdates"),
            (Rows{{"H", "12/04/2026 16:05:09", "Anne", "19"}}));
  std::vector<LoggedRequest> log = server_->requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].target,
            "/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&options=H&"
            "upstarttime=12/04/2026%2016:05:09&usrnm=Anne");
}

TEST_F(SiteServerTest, TimeLinesAreStoredByTxnIdAndReplaced) {
  ASSERT_EQ(
      Upload(TableRow("EmployeeInfo", "EmployeeID", "E1") +
                 TableRow("Customers", "CustomerID", "CU1") + TableRow("TaskInfo", "TaskID", "I1"),
             "E"),
      "SUCCESST");
  EXPECT_EQ(Upload(TimeLine("T1", "E1", "CU1", "I1") + TimeLine("T2", "E1", "", ""), "H"),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT TxnID, EntityListID, Duration, Notes, IsBillable, IsBilled, EntityName "
                   "FROM TimeTransactions ORDER BY TxnID"),
            (Rows{{"T1", "E1", "1.5", "Worked", "True", "False", "Anne Smith"},
                  {"T2", "E1", "1.5", "Worked", "True", "False", "Anne Smith"}}));

  // Sent again with other notes: replaced, not added.
  EXPECT_EQ(Upload(TimeLine("T1", "E1", "CU1", "I1", "Changed"), "H"), "SUCCESS");
  EXPECT_EQ(Select("SELECT TxnID, Notes FROM TimeTransactions ORDER BY TxnID"),
            (Rows{{"T1", "Changed"}, {"T2", "Worked"}}));
}

TEST_F(SiteServerTest, TimeNotesMayHoldBarsAndLineBreaks) {
  std::string line = TimeLine("T1", "", "", "", "a|b\r\nc|True|False|d");
  EXPECT_EQ(Upload(line, "H"), "SUCCESS");
  EXPECT_EQ(
      Select("SELECT Notes, IsBillable, EntityName, Line FROM TimeTransactions"),
      (Rows{{"a|b\r\nc|True|False|d", "True", "Anne Smith", line.substr(0, line.size() - 2)}}));
}

TEST_F(SiteServerTest, TimeRepliesCountLinesWithUnknownReferences) {
  ASSERT_EQ(
      Upload(TableRow("Vendors", "VendorID", "V1") + TableRow("CustProjInfo", "ProjID", "P1") +
                 TableRow("TaskInfo", "TaskID", "I1"),
             "V"),
      "SUCCESST");
  std::string script = TimeLine("T1", "V1", "P1", "I1") +    // all known
                       TimeLine("T2", "E404", "P1", "I1") +  // employee unknown
                       TimeLine("T3", "V1", "C404", "") +    // customer unknown
                       TimeLine("T4", "", "", "I404");       // item unknown
  EXPECT_EQ(Upload(script, "H"), "SUCCESS3");
  EXPECT_EQ(Select("SELECT COUNT(*) FROM TimeTransactions"), (Rows{{"4"}}));

  std::string many;
  for (int i = 0; i < 12; ++i) many += TimeLine("U" + std::to_string(i), "E404", "", "");
  EXPECT_EQ(Upload(many, "H"), "SUCCESS9");
}

TEST_F(SiteServerTest, ExpenseLinesOfChecksAndBills) {
  ASSERT_EQ(Upload(TableRow("Customers", "CustomerID", "CU1"), "P"), "SUCCESS");
  std::string check_expense =
      "TX1, 0|Check|Expense|CU1|CL1|Billable|125.5|Memo|Utilities|A1|10/23/2007 3:05:58 PM|"
      "10/23/2007 3:05:58 PM|77||\r\n";
  std::string check_item =
      "TX1, 1|Check|Item|CU404|CL1|9|21|Desc|Bolts|I404|10/23/2007|10/23/2007|77|||2|10.5\r\n";
  EXPECT_EQ(Upload(check_expense + check_item, "X"), "SUCCESS1");
  std::string bill_expense =
      "TB1, 0|Bill|Expense||||0.00|m\r\nmore|x|Rent|A2|10/23/2007|10/23/2007|78|\r\n";
  std::string bill_item =
      "TB1, 1|Bill|Item|CU1||9|5|d|Nails|I404|10/23/2007|10/23/2007|78||3|1\r\n";
  EXPECT_EQ(Upload(bill_expense + bill_item, "B"), "SUCCESS1");
  EXPECT_EQ(Select("SELECT LineKey, TxnType, LineType, Amount, Memo, RefListID, Field15, "
                   "Quantity, Cost, Options FROM ExpenseLines ORDER BY LineKey"),
            (Rows{{"TB1, 0", "Bill", "Expense", "0.00", "m\r\nmore|x", "A2", "", "", "", "B"},
                  {"TB1, 1", "Bill", "Item", "5", "d", "I404", "", "3", "1", "B"},
                  {"TX1, 0", "Check", "Expense", "125.5", "Memo", "A1", "", "", "", "X"},
                  {"TX1, 1", "Check", "Item", "21", "Desc", "I404", "", "2", "10.5", "X"}}));
}

TEST_F(SiteServerTest, UnreadableLineRefusesTheScript) {
  std::optional<std::string> reply = Upload(TimeLine("T1", "", "", "") + "T2|too|short\r\n", "H");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->rfind("Error in line 2: T2|too|short: incomplete time line", 0), 0u) << *reply;
  EXPECT_EQ(Select("SELECT COUNT(*) FROM TimeTransactions"), (Rows{{"0"}}));

  reply = Upload("TX1, 0|Check|Mystery|a\r\n", "X");
  ASSERT_TRUE(reply);
  EXPECT_EQ(*reply, "Error in line 1: TX1, 0|Check|Mystery|a: unknown line kind \"Check|Mystery\"");
}

TEST_F(SiteServerTest, ForcedReplyServesTheNextRequestsWithoutApplyingThem) {
  server_->ForceReply("Database is busy", 2);
  EXPECT_EQ(Upload(ClassStatement("C1", "One")), "Database is busy");
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C", std::nullopt),
            "Database is busy");
  EXPECT_EQ(Select("SELECT COUNT(*) FROM sqlite_master WHERE name = 'ClassInfo'"), (Rows{{"0"}}));
  EXPECT_EQ(Upload(ClassStatement("C1", "One")), "SUCCESS");
  EXPECT_EQ(server_->switches().forced_reply_count, 0);
}

TEST_F(SiteServerTest, HtmlReplyShowsOnlyTheReplyText) {
  server_->set_reply_format(ReplyFormat::kHtml);
  EXPECT_EQ(Upload(""), "No data to upload. ");
  EXPECT_EQ(Upload(TaskStatement("I1", "A<b>&c")), "SUCCESST");
  EXPECT_EQ(Select("SELECT TaskName FROM TaskInfo"), (Rows{{"A<b>&c"}}));
}

TEST_F(SiteServerTest, DroppedRequestIsNotApplied) {
  server_->DropConnections(1);
  EXPECT_EQ(Upload(ClassStatement("C1", "One")), "Action cancelled");
  EXPECT_EQ(Select("SELECT COUNT(*) FROM sqlite_master WHERE name = 'ClassInfo'"), (Rows{{"0"}}));
  EXPECT_EQ(server_->requests().size(), 1u);
  EXPECT_EQ(Upload(ClassStatement("C1", "One")), "SUCCESS");
}

TEST(SiteServerFileTest, DatabaseFileOutlivesTheServer) {
  std::filesystem::path file = std::filesystem::temp_directory_path() /
                               ("vantrel_site_test_" + std::to_string(::getpid()) + ".sqlite");
  std::filesystem::remove(file);
  {
    SiteOptions options;
    options.db_path = file.string();
    options.site_code = kCode;
    options.site_key = kKey;
    SiteServer first(options);
    first.Start();
    SiteDatabase direct(":memory:");  // an unrelated database stays apart
    EXPECT_EQ(direct.ApplyUpload(ClassStatement("C9", "Other"), "C"), "SUCCESS");
    first.Stop();
    EXPECT_THROW(first.Query("SELECT 1"), std::runtime_error);

    SiteDatabase reopened(file.string());
    EXPECT_EQ(reopened.ApplyUpload(ClassStatement("C1", "One"), "C"), "SUCCESS");
  }
  {
    SiteDatabase again(file.string());
    EXPECT_EQ(again.Query("SELECT ClassName FROM ClassInfo"), (Rows{{"One"}}));
  }
  std::filesystem::remove(file);
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(SiteServerStartTest, SecondStartAndBusyPortAreRefused) {
  SiteOptions options;
  options.site_code = kCode;
  options.site_key = kKey;
  SiteServer a(options);
  int port = a.Start();
  EXPECT_GT(port, 0);
  EXPECT_THROW(a.Start(), std::runtime_error);
  options.port = port;
  SiteServer b(options);
  EXPECT_THROW(b.Start(), std::runtime_error);
}

TEST(SqlScriptTest, ReadsBothFormsAndNames) {
  SqlScript s = ParseSqlScript(ClassStatement("L''1", "A") +
                               "update dbo.[My Table] set [a]]b]=NULL,c=+1.5e2 where x = 3;\r\n");
  ASSERT_FALSE(s.error) << s.error->message;
  ASSERT_EQ(s.statements.size(), 2u);
  const SqlStatement& full = s.statements[0];
  ASSERT_TRUE(full.exists);
  EXPECT_EQ(full.exists->table, "ClassInfo");
  EXPECT_EQ(full.exists->count_column, "ClassRowID");
  EXPECT_EQ(full.exists->key.text, "L'1");
  EXPECT_EQ(full.exists->op, "<=");
  EXPECT_EQ(full.insert->columns.size(), 19u);
  EXPECT_EQ(full.insert->values[9].text, "-1");
  EXPECT_EQ(full.insert->values[9].kind, SqlValue::Kind::kNumber);
  EXPECT_EQ(full.update.where_column, "QBListId");
  EXPECT_EQ(full.update.where_value.text, "L'1");
  const SqlStatement& upd = s.statements[1];
  EXPECT_FALSE(upd.exists);
  EXPECT_EQ(upd.update.table, "My Table");
  EXPECT_EQ(upd.update.set[0].column, "a]b");
  EXPECT_EQ(upd.update.set[0].value.kind, SqlValue::Kind::kNull);
  EXPECT_EQ(upd.update.set[1].value.text, "+1.5e2");
}

TEST(SqlScriptTest, ErrorsNameTheStatement) {
  struct Case {
    std::string script;
    size_t number;
    std::string text;
    std::string message;
  };
  std::string ok = UpdateOnly("T", "[a]=1", "L");
  for (const Case& c : std::vector<Case>{
           {"DELETE FROM T\r\n", 1, "DELETE FROM T", "expected IF or UPDATE near \"DELETE\""},
           {ok + "UPDATE T SET [a]='open\r\n", 2, "UPDATE T SET [a]='open", "unterminated string"},
           {ok + ok + "UPDATE T SET [a]=1 WHERE [QBListId] = 'L' junk\r\n" + ok, 4, "junk",
            "expected IF or UPDATE near \"junk\""},
           {ok + "UPDATE T SET [a]=1x WHERE b = 1\r\n", 2, "UPDATE T SET [a]=1x WHERE b = 1",
            "malformed number"},
           {"UPDATE T SET [a]=1 WHERE b = 1 ~\r\n", 2, "~", "unexpected character '~'"},
       }) {
    SqlScript s = ParseSqlScript(c.script);
    ASSERT_TRUE(s.error) << c.script;
    EXPECT_EQ(s.error->statement_number, c.number) << c.script;
    EXPECT_EQ(s.error->statement_text, c.text) << c.script;
    EXPECT_EQ(s.error->message, c.message) << c.script;
  }
}

TEST(TxnLinesTest, JoinsBrokenLinesAndCountsFieldsFromTheEnd) {
  TxnLines t = ParseTxnLines(
      TimeLine("T1", "E", "C", "I", "x\r\ny") + "\r\n" + TimeLine("T2", "E", "C", "I"),
      TxnLineKind::kTime);
  ASSERT_FALSE(t.error);
  ASSERT_EQ(t.lines.size(), 2u);
  EXPECT_EQ(t.lines[0].fields.size(), 15u);
  EXPECT_EQ(t.lines[0].fields[11], "x\r\ny");
  EXPECT_EQ(t.lines[1].fields[0], "T2");
  EXPECT_EQ(ExpenseFieldCount("Check", "Expense"), 15u);
  EXPECT_EQ(ExpenseFieldCount("Bill", "Expense"), 14u);
  EXPECT_EQ(ExpenseFieldCount("Check", "Item"), 17u);
  EXPECT_EQ(ExpenseFieldCount("Bill", "Item"), 16u);
  EXPECT_EQ(ExpenseFieldCount("Invoice", "Item"), 0u);
}

// The program: prints its port, serves, ends on SIGTERM.
TEST(SiteProgramTest, ServesUntilTerminated) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    execl(VANTREL_SITE_PATH, VANTREL_SITE_PATH, "--listen", "127.0.0.1:0", "--site-code", kCode,
          "--site-key", kKey, "--reply-format", "html", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
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

  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  fclose(f);
}

TEST(SiteProgramTest, BadFlagsExitWithTwo) {
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"--bogus"},
           {"--site-code", "A"},
           {"--site-code", "A", "--site-key", "B", "--drop", "x"},
           {"--site-code", "A", "--site-key", "B", "--reply-format", "xml"},
           {"--site-code", "A", "--site-key", "B", "--listen"}}) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 2);
      std::vector<const char*> argv = {VANTREL_SITE_PATH};
      argv.insert(argv.end(), args.begin(), args.end());
      argv.push_back(nullptr);
      execv(VANTREL_SITE_PATH, const_cast<char* const*>(argv.data()));
      _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2) << args[0];
  }
}

}  // namespace
}  // namespace vantrel::site
