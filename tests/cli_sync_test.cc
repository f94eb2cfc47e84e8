// Whole runs of `vantrel sync` against a site in this process: the dry
// run's files, the incremental second run, the summary against the site's
// database, retries, the request lines, the hints and the temporary site.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "cli_support.h"
#include "site/site_database.h"
#include "site/site_server.h"

namespace {

using namespace vantrel::testing;
using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kSample = {"sync", "--page", "samples/page.html", "--quickbooks",
                                          "samples/Acme.QBW"};

std::vector<std::string> Args(std::vector<std::string> more,
                              std::vector<std::string> base = kSample) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

// The sample's site in this process, keeping every request it gets.
struct Site {
  explicit Site(std::string key = "K3Y-5ECRET")
      : server([&] {
          vantrel::site::SiteOptions options;
          options.site_code = "ACME01";
          options.site_key = std::move(key);
          return options;
        }()) {
    server.Start();
  }
  std::string Url() const { return "WGSecureServerURL=" + server.base_url(); }
  vantrel::site::SiteServer server;
};

// The number a report holds for `entity`'s `figure`.
std::string Figure(const std::string& report, const std::string& entity,
                   const std::string& figure) {
  const std::regex pattern("\"" + entity + "\": \\{[^}]*\"" + figure + "\": (\"?[a-z0-9]+\"?)");
  std::smatch match;
  if (!std::regex_search(report, match, pattern)) return "missing";
  return match[1];
}

// Writes the sample company to `path` with each edit made: a text that
// occurs once in it, and what takes its place.
void WriteCompany(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& edits) {
  std::string company = ReadFile(std::filesystem::path(VANTREL_SOURCE_DIR) / "samples/Acme.QBW");
  for (const auto& [was, now] : edits) {
    const std::size_t at = company.find(was);
    ASSERT_NE(at, std::string::npos) << was;
    company.replace(at, was.size(), now);
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << company;
}

// The dry run writes each request as it would go: the files hold the bytes
// a server gets from the same run, in the same order. On the way a dropped
// connection is sent again after a wait, and its batch lands once.
TEST(CliSyncTest, DryRunFilesAreTheBytesAServerReceives) {
  const std::vector<std::string> run = {"--select", "employees,classes,time", "--now",
                                        "12/07/2026 10:00:00", "--safe-lines"};
  Site site;
  site.server.DropConnections(1);
  const Result sent = RunCli(Args({"--param", site.Url()}, Args(run)));
  // The site cannot file two of the time lines: a warning.
  ASSERT_EQ(sent.status, 3) << sent.out;
  // A site of its own (not the embedded one) tells the rows and the lines.
  ExpectPieces(
      sent.out,
      {"note: the upload E failed (", "); sending it again in 1.0 s (retry 1 of 2)\n",
       // Every line names a customer the site lacks: 28, though a reply's
       // digit stops at 9.
       "time              28  28 lines        28         0         0         0         0        28"
       "       0\n",
       "hint:   ... and 38 more (all of them are in --report)\n"});
  EXPECT_EQ(site.server.Query("SELECT COUNT(*) FROM Uploads WHERE Options = 'E'"), (Rows{{"1"}}));
  TempDir dir;
  const Result dry = RunCli(Args({"--dry-run", "--script-dir", dir / "out"}, Args(run)));
  ASSERT_EQ(dry.status, 0) << dry.out;
  ExpectPieces(dry.out, {"dry run: nothing was sent; it would have sent:\n"
                         "  E  1 upload (22880 bytes), 1 status update\n"});

  // The dropped first try holds the same bytes as the try after it.
  auto requests = site.server.requests();
  ASSERT_GT(requests.size(), 1u);
  EXPECT_EQ(requests[0].body, requests[1].body);
  requests.erase(requests.begin());
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), requests.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const auto& request = requests[i];
    const std::string letter = request.target.substr(request.target.find("&options=") + 9, 1);
    const bool upload = request.method == "POST";
    char expected[64];
    std::snprintf(expected, sizeof expected, "%04zu-%s-%s.txt", i + 1, letter.c_str(),
                  upload ? "upload" : "status");
    EXPECT_EQ(names[i], expected);
    const std::string file = ReadFile(dir / "out" + "/" + names[i]);
    // A request's file holds the site key: its owner's alone.
    EXPECT_EQ(std::filesystem::status(dir / "out" + "/" + names[i]).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(file, upload ? request.body : "http://dry-run.invalid" + request.target);
  }
  EXPECT_EQ(names.front(), "0001-E-upload.txt");
  EXPECT_EQ(names.back(), "0006-H-status.txt");
}

// The main job on the sample (two of its numbers made large and small) into
// the embedded site, twice over one site database: the first run at 10:00
// sends everything, the second an hour later what changed since (an employee
// edited after the first run, and the classes, sent whole every time). Both
// runs are made once for the suite.
class SampleRunsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    const std::string company = *dir_ / "Acme.QBW";
    // Numbers the general number form writes with an exponent: a price of
    // 0.00001 (1E-05) and a sub-level of 1E+20.
    WriteCompany(company, {{"<TimeModified>2008-02-14T10:00:00-08:00</TimeModified>",
                            "<TimeModified>2026-12-08T09:00:00-08:00</TimeModified>"},
                           {"<Price>55.00</Price>", "<Price>0.00001</Price>"},
                           {"<FullName>Framing</FullName>\n    <IsActive>true</IsActive>\n"
                            "    <Sublevel>0</Sublevel>",
                            "<FullName>Framing</FullName>\n    <IsActive>true</IsActive>\n"
                            "    <Sublevel>99999999999999999999</Sublevel>"}});
    const std::string db = *dir_ / "site.sqlite", path = "QBFilePath=" + company;
    const std::vector<std::string> base =
        Args({"--param", path, "--quickbooks", company, "--select-all", "--select", "time,expense",
              "--sales-tax-codes", "--embedded-site", "--site-db", db, "--safe-lines"},
             {"sync", "--page", "samples/page.html"});
    first_ = RunCli(Args({"--now", "12/07/2026 10:00:00", "--report", *dir_ / "1.json",
                          "--messages", *dir_ / "m.jsonl"},
                         base));
    second_ =
        RunCli(Args({"--now", "12/07/2026 11:00:00", "--report", *dir_ / "2.json", "-v"}, base));
    report1_ = ReadFile(*dir_ / "1.json");
    report2_ = ReadFile(*dir_ / "2.json");
  }
  static void TearDownTestSuite() { dir_.reset(); }

  static inline std::unique_ptr<TempDir> dir_;
  static inline Result first_, second_;
  static inline std::string report1_, report2_;
};

// Notes with a "|" go out with blanks in safe lines and are named; the time
// lines of an inactive employee, which the site never got, are warnings it
// names line by line; the run ends with 3.
TEST_F(SampleRunsTest, TheFirstRunEndsWithTheWarningsItNames) {
  EXPECT_EQ(first_.status, 3) << first_.out;
  ExpectPieces(
      first_.out,
      {"time              28  28 lines        28         0         0         0         0         2"
       "       0\n",
       // Records and lines apart; the items the payroll rule leaves out.
       "expense           16  26 lines        26         0         0         0         0         0"
       "       0\n",
       "items             37        35        31         0         4         0         2         4"
       "       0\n",
       // The progress in the table's words and counts, checks told from bills.
       "  Getting Clients from QB (11)  [read 11, sent 11, ",
       "  Getting Payroll Items from QB (6)  [read 8, left out 2, sent 6, ",
       "  Getting Time Info from QB (28)  [read 28, sent 28 lines, ",
       "  Getting Expenses from QB (15)  [checks: read 8, sent 15 lines, ",
       "  Getting Expenses from QB (11)  [bills: read 8, sent 11 lines, ",
       "hint: the time line of TxnID '17-1189040700' has a \"|\" or a line break in Notes: sent "
       "with blanks in their place (--safe-lines)\n",
       "hint: the site took the time but could not file 2 of its lines: they name records the "
       "site does not have:\n",
       "hint:   line 3 of an upload H (key '13-1158285600') names the employee/vendor "
       "'80000060-1137429240', which the site does not have",
       "run ended: completed, with warnings from the site (see the hints)\n"});
  EXPECT_EQ(Figure(report1_, "time", "warnings"), "2");
  EXPECT_EQ(Figure(report1_, "items", "warnings"), "4");
  ExpectPieces(report1_,
               {"{\"letter\": \"H\", \"txnID\": \"17-1189040700\", \"field\": \"Notes\", "
                "\"replacedByBlanks\": true}",
                "{\"letter\": \"H\", \"line\": 15, \"key\": \"1F-1212630300\", \"missing\": "
                "\"employee/vendor\", \"listID\": \"80000060-1137429240\"}",
                "\"control\": {\n    \"wgUtilitySet\": 0,\n    \"ResetTessaly\": false,\n",
                "    \"SiteKey\": \"K3********\",\n", "    \"lngFailedTimeCnt\": 0,\n",
                "    \"mDisplayTSError\": true,\n", "    \"SafeLines\": true\n  }\n}\n"});
}

// The host's lines around the core's (its own figures on the last count of
// a pass, the site's tables), the messages file and the report of the run;
// the summary's new rows are the database's, table by table.
TEST_F(SampleRunsTest, TheFirstRunsSummaryIsTheSitesDatabase) {
  ExpectPieces(first_.out, {"database " + (*dir_ / "site.sqlite"), "  Response Received (",
                            "  Getting Classes from QB (10)  [read 10, sent 10, ",
                            "  reading the response...\n", "  ClassInfo                9 rows\n",
                            "  Vendors                  9 rows\n",
                            "  CustomerLastSyncDate     01/01/2000 00:00:00  (page)\n"});
  EXPECT_TRUE(ReadFile(*dir_ / "m.jsonl")
                  .starts_with("{\"style\":64,\"styleName\":\"information\",\"text\":\"QB's data "
                               "synced with Tessaly successfully..\\r\\n\\r\\nFew time "));
  ExpectPieces(report1_,
               {"\"siteCode\": \"ACME01\", \"siteKey\": \"K3********\", \"user\": \"jsmith\", "
                "\"companyFile\": \"" +
                    (*dir_ / "Acme.QBW") + "\"",
                "\"classes\": {\"read\": 10, \"sent\": 10, \"newRows\": 9, \"updatedRows\": 0, "
                "\"inactiveSentAsUpdates\": 1, \"skippedUnchanged\": 0, \"leftOutByRule\": 0, "
                "\"warnings\": 0, \"failed\": 0}",
                "\"failedRequests\": [],",
                "\"ClassLastSyncDate\": {\"date\": \"01/01/2000 00:00:00\", \"from\": \"page\"}",
                "\"failureCounters\": 0,"});
  vantrel::site::SiteDatabase db(*dir_ / "site.sqlite");
  const std::map<std::string, std::string> tables = {{"employees", "EmployeeInfo"},
                                                     {"customers", "Customers"},
                                                     {"projects", "CustProjInfo"},
                                                     {"classes", "ClassInfo"},
                                                     {"accounts", "GLChartOfAccounts"},
                                                     {"items", "TaskInfo"},
                                                     {"vendors", "Vendors"},
                                                     {"time", "TimeTransactions"},
                                                     {"expense", "ExpenseLines"}};
  for (const auto& [entity, table] : tables) {
    SCOPED_TRACE(entity);
    EXPECT_EQ(Figure(report1_, entity, "newRows"),
              db.Query("SELECT COUNT(*) FROM \"" + table + "\"").at(0).at(0));
    EXPECT_EQ(Figure(report1_, entity, "updatedRows"), "0");
  }
  EXPECT_EQ(Figure(report1_, "employees", "read"), "10");
  EXPECT_EQ(Figure(report1_, "employees", "sent"), "10");
  EXPECT_EQ(Figure(report1_, "employees", "inactiveSentAsUpdates"), "1");
  EXPECT_EQ(Figure(report1_, "items", "leftOutByRule"), "2");
  // The "|" of a note went out as a blank.
  EXPECT_EQ(db.Query("SELECT Notes FROM TimeTransactions WHERE TxnID = '17-1189040700'"),
            (Rows{{"Joists   blocking, weather delay"}}));
  // Numbers written with an exponent land as numbers.
  EXPECT_EQ(db.Query("SELECT typeof(BillRate), BillRate = 0.00001, SubLevel = 1e20 FROM TaskInfo "
                     "WHERE QBFullName = 'Framing'"),
            (Rows{{"real", "1", "1"}}));
}

// The site dates the last sync by the first run's first request (10:00),
// less its margin of 10 minutes; the changed employee and the classes alone
// go out, the request lines are told, and the key shows nowhere.
TEST_F(SampleRunsTest, ASecondRunSendsOnlyWhatChanged) {
  ASSERT_EQ(second_.status, 0) << second_.out;
  ExpectPieces(report2_,
               {"\"EmployeeLastSyncDate\": {\"date\": \"12/07/2026 09:50:00\", "
                "\"from\": \"site\"}",
                "\"siteKey\": \"K3********\"",
                "\"employees\": {\"read\": 10, \"sent\": 1, \"newRows\": 0, \"updatedRows\": 1, "
                "\"inactiveSentAsUpdates\": 0, \"skippedUnchanged\": 9, "});
  // A pass's figures are its last: the changed employee comes first, and the
  // records after it are counted; a pass that sends nothing tells them too.
  ExpectPieces(second_.out,
               {"  TimeLastSyncDate         12/07/2026 09:50:00  (site)\n",
                "  Getting Consultants from QB (1)  [read 10, unchanged 9, sent 1, ",
                "\n  Getting Expenses from QB  [bills: read 8, unchanged 8, sent 0 lines, ",
                "employees         10         1         0         1         0         9         0"
                "         0       0\n",
                "> POST http://127.0.0.1:", "options=E&", "< \"SUCCESS\" ("});
  EXPECT_EQ(Figure(report2_, "classes", "sent"), "10");
  for (const char* entity :
       {"customers", "projects", "accounts", "items", "vendors", "time", "expense"}) {
    SCOPED_TRACE(entity);
    EXPECT_EQ(Figure(report2_, entity, "sent"), "0");
  }
  EXPECT_EQ(std::count(second_.out.begin(), second_.out.end(), '>'),
            std::count(second_.out.begin(), second_.out.end(), '<'));
  EXPECT_EQ(second_.out.find("options=V&"), std::string::npos);
  EXPECT_EQ(second_.out.find("K3Y-5ECRET"), std::string::npos) << "the key shows";
  EXPECT_EQ(report2_.find("K3Y-5ECRET"), std::string::npos);
}

// Without safe lines the site refuses the time and the run fails, naming the
// record to fix. The embedded site's temporary folder goes with the run
// unless it is kept; even a quiet run says where the kept database is.
TEST(CliSyncTest, NotesTheLineFormatCannotCarryAreRefusedWithoutSafeLines) {
  for (const bool keep : {false, true}) {
    SCOPED_TRACE(keep);
    std::vector<std::string> args = Args({"--select", "time", "--embedded-site"});
    if (keep) args.insert(args.end(), {"--keep-site", "-q"});
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 1) << r.out;
    ExpectPieces(r.out, {"hint: the time line of TxnID '17-1189040700' has a \"|\" or a line "
                         "break in Notes, which the line format cannot carry",
                         "Error in line "});
    std::smatch match;
    ASSERT_TRUE(std::regex_search(r.out, match, std::regex("database (/\\S+/site\\.sqlite)")))
        << r.out;
    const std::filesystem::path db = match[1].str();
    EXPECT_EQ(std::filesystem::exists(db), keep);
    EXPECT_EQ(std::filesystem::exists(db.parent_path()), keep);
    if (keep) std::filesystem::remove_all(db.parent_path());
  }
}

// The hint under a refused request quotes the server; the summary counts
// the refused batch's entries as failed; the key shows nowhere.
TEST(CliSyncTest, RefusedRequestsAreNamedAndCounted) {
  // The site stand-in tells that it changed no rows.
  const std::string refused_classes =
      "classes           10        10         0         0         1         0         0         0"
      "      10\n";
  const struct {
    const char* name;
    std::string key;
    const char* forced;  // the reply the site gives instead of its own, if any
    std::vector<std::string> args;
    std::vector<std::string> present;
  } cases[] = {
      {"wrong key",
       "other",
       nullptr,
       {},
       {"[critical] Could not connect to the Wellgate. Your account has not been setup or has "
        "expired.",
        "' with its key (it replied \"Invalid site code or site key. Kindly try again.\"); check "
        "--param SiteCode and --param SiteKey\n",
        refused_classes}},
      {"refused upload",
       "K3Y-5ECRET",
       "Error: the table is locked",
       {},
       {"[critical] The following error occured while executing ASP.\n\nError: the table is "
        "locked\n",
        "hint: the site refused upload C (request 1) with the reply above; nothing of that batch "
        "was applied; what landed before it stays, so run the same command again to send the rest "
        "(records sent twice are updated, not doubled) once the cause is fixed\n",
        refused_classes}},
      {"a key with an ampersand, in verbose lines and a reply quoting it",
       "S3cr&et99",
       "Error: key S3cr&et99 is locked",
       {"--param", "SiteKey=S3cr&et99", "-v"},
       {"sitekey=***&reset=0", "< \"Error: key *** is locked\"", refused_classes}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Site site(c.key);
    if (c.forced) site.server.ForceReply(c.forced);
    TempDir dir;
    const Result r =
        RunCli(Args(c.args, Args({"--param", site.Url(), "--select", "classes", "--report",
                                  dir / "r.json", "--messages", dir / "m.jsonl"})));
    EXPECT_EQ(r.status, 1) << r.out;
    ExpectPieces(r.out, c.present);
    // A messages file holds each message box with its style's number and name.
    EXPECT_TRUE(ReadFile(dir / "m.jsonl").starts_with("{\"style\":16,\"styleName\":\"critical\","));
    const std::string report = ReadFile(dir / "r.json");
    EXPECT_EQ(Figure(report, "classes", "failed"), "10") << report;
    // The message box quotes the server's reply as it stands; everything the
    // command line adds masks the key.
    const std::size_t box = r.out.find("[critical] ");
    const std::size_t box_end = r.out.find("\nhint: ", box);
    ASSERT_NE(box_end, std::string::npos) << r.out;
    const std::string added = r.out.substr(0, box) + r.out.substr(box_end);
    for (const char* secret : {"K3Y-5ECRET", "et99"}) {
      EXPECT_EQ(added.find(secret), std::string::npos) << added;
      EXPECT_EQ(report.find(secret), std::string::npos) << report;
    }
  }
}

}  // namespace
