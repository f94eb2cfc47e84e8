// The command-line wizard, run as a program.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "canned_server.h"
#include "cli_support.h"
#include "site/site_database.h"

namespace {

using namespace vantrel::testing;

// The exit status and pieces of the output: 0 for the screen and the help,
// 1 for a run that ends with an error message, 2 for a command line that
// cannot be used.
TEST(CliTest, ExitStatusAndOutput) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> present = {}, absent = {};
  };
  const Case cases[] = {
      // Hidden controls are left out.
      {{"screen", "--page", "samples/page.html"},
       0,
       {"Label2          \"Consultants\"\n", "Label3          \"Clients:Engagements\"\n",
        "chkQBEmployee   [ ]\n", "chkDebugMode    [ ] \"Debug mode off\"\n",
        "cmdSelectAll    <Select All>\n", "cmdNav(3)       <Start &Sync>\n"},
       {"chkQBPayTerms", "optStop", "frameComm", "lblContacting"}},
      // Clicks run in order.
      {{"screen", "--param", "EmpLexicon=Worker", "--click", "cmdSelectAll", "--click",
        "chkDebugMode", "--click", "optContinue", "--click", "chkQBTimesheet", "--click",
        "cmdNav(0)"},
       0,
       {"Label2          \"Workers\"\n", "chkQBEmployee   [x]\n", "chkQBTimesheet  [x]\n",
        "chkQBExpense    [ ]\n", "chkDebugMode    [x] \"Debug mode on\"\n",
        "optStop         ( ) \"Stop on error\"\n", "optContinue     (o) \"Continue on error\"\n",
        "cmdSelectAll    <Uncheck All>\n",
        "[information] This wizard helps you sync your QB data with the Tessaly.\nYou can "
        "either select"}},
      // Everything is checked before anything starts: no site, no company.
      {{"sync", "--page", "samples/page.html", "--embedded-site"},
       2,
       {"vantrel sync: nothing to send: give --select LIST (employees, customers, classes, "
        "accounts, items, vendors, time, expense) or --select-all"},
       {"embedded site at"}},
      {{"sync", "--page", "samples/page.html", "--embedded-site", "--select", "Classes", "--select",
        "VENDORS,widgets"},
       2,
       {"unknown entity 'widgets' (choose from employees, customers, classes, accounts, items, "
        "vendors, time, expense)"},
       {"embedded site at"}},
      {{"sync", "--page", "samples/page.html", "--select", "classes", "--param", "SiteCod=X"},
       2,
       {"unknown parameter 'SiteCod' (did you mean SiteCode?)"}},
      {{"sync", "--page", "samples/page.html", "--select", "classes", "--report",
        "no/such/folder/report.json", "--quickbooks", "samples/Acme.QBW"},
       2,
       {"cannot write the report file 'no/such/folder/report.json': the folder 'no/such/folder' "
        "does not exist"},
       {"Start Sync"}},
      {{"request", "--select", "classes", "--version-code", "5"},
       2,
       {"--version-code takes 0, 1, 2, 6, 7, 8, 9, 10 or 11, not '5'"}},
      // Names in any case, repeated --select adding up.
      {{"request", "--select", "Classes", "--select", "VENDORS"},
       0,
       {"<ClassQueryRq", "<VendorQueryRq"},
       {"<EmployeeQueryRq"}},
      {{"--version"}, 0, {"vantrel 1.4 (commit "}},
      {{"help"}, 0, {"usage: vantrel COMMAND", "examples:", "exit status:"}},
      {{"help", "sync"}, 0, {"usage: vantrel sync"}},
      {{"sync", "-h"}, 0, {"usage: vantrel sync"}},
      {{"help", "frobnicate"}, 2},
      {{"sync", "--page", "samples/page.html", "--param", "QBFilePath=samples/Nowhere.QBW",
        "--param", "WGSecureServerURL=http://127.0.0.1:9/", "--select", "classes", "--quickbooks",
        "samples/Acme.QBW"},
       1,
       {"[critical] Cannot find 'samples/Nowhere.QBW'",
        "hint: QBFilePath names no file here: give --param QBFilePath=FILE"}},
      {{"sync", "--select", "classes", "--param", "SiteCode=A", "--quickbooks", "samples/Acme.QBW"},
       1,
       {"[information] You need to provide WGSecureServerURL",
        "hint: missing: WGSecureServerURL, QBFilePath, SiteKey, TessalyUser; give each as "
        "--param NAME=VALUE or in the page (--page FILE); --embedded-site serves a site in "
        "process"}},
      {{"sync", "--page", "samples/page.html", "--param", "WGSecureServerURL=http://127.0.0.1:1",
        "--quickbooks", "samples/Acme.QBW", "--select", "classes", "--retries", "0"},
       1,
       {"[critical] Could not connect to the Wellgate. Please check if you have an internet "
        "connection and it is properly setup.",
        "hint: nothing answers at http://127.0.0.1:1/ (upload C (request 1): Couldn't connect to "
        "server: Failed to connect to 127.0.0.1 port 1 ",
        "): is the site's server running there? (without WGSecureServerURL, --embedded-site "
        "serves one in process); what landed before it stays"}},
      // A quiet run prints its message boxes alone.
      {{"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
        "classes", "--dry-run", "-q"},
       0,
       {"[information] Quickbooks data synced with Tessaly successfully..\n"},
       {"Start Sync", "entity ", "dry run", "last-sync dates"}},
      {{"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
        "classes", "--dry-run"},
       0,
       {"Start Sync (dry run: nothing is sent)\n",
        "entity          read      sent       new   updated  inactive unchanged  warnings  failed\n"
        "classes           10        10   unknown   unknown         1         0         0       0\n"
        "dry run from "}},
      {{"sync", "--select", "classes", "--script-dir", "x"}, 2, {"--script-dir needs --dry-run"}},
      {{"sync", "--select", "classes", "--report", "samples"},
       2,
       {"cannot write the report file 'samples': it is a folder; give a file name"}},
      {{"sync", "--select", "classes", "--keep-site"}, 2, {"--keep-site needs --embedded-site"}},
      {{"sync", "--select", "classes", "-q", "-v"},
       2,
       {"--quiet and --verbose cannot go together"}},
      {{"sync", "--select", "classes", "--retries", "x"},
       2,
       {"--retries takes a whole number from 0 to 9, not 'x'"}},
      {{"sync", "--select", "classes", "--dry-run", "--script-dir", "samples"},
       2,
       {"--script-dir 'samples' is not empty: give a new or empty folder"}},
      {{"sync", "--select", "classes", "--page", "http://127.0.0.1:1/page.html"},
       2,
       {"cannot read the page at http://127.0.0.1:1/page.html: Couldn't connect to server"}},
      {{"screen", "--param", "ClassLastSyncDate=soon"},
       2,
       {"parameter ClassLastSyncDate cannot be converted: Type mismatch"}},
      // clang-format off
      {{"screen", "--help"}, 0, {"usage: vantrel screen", "\nexamples:\n  vantrel screen "}},
      {{"request", "--help"}, 0, {"usage: vantrel request", "\nexamples:\n  vantrel request "}},
      {{"sync", "--help"}, 0, {"usage: vantrel sync", "\nexamples:\n  vantrel sync "}},
      {{"validate", "--help"}, 0, {"usage: vantrel validate", "\nexamples:\n  vantrel request "}},
      {{}, 2}, {{"frobnicate"}, 2}, {{"screen", "--bogus"}, 2}, {{"validate", "file.xml"}, 2},
      {{"screen", "--click", "cmdNav(3)"}, 2}, {{"screen", "--click", "Label1"}, 2},
      {{"screen", "--param", "novalue"}, 2}, {{"screen", "--page", "does/not/exist.html"}, 2},
      {{"screen", "--param", "ResetTessaly=perhaps"}, 2},
      {{"screen", "--param", "TimeLastSyncDate=31/31/2031"}, 2},
      {{"request"}, 2}, {{"request", "--select", "classes,widgets"}, 2},
      {{"request", "--select", "classes", "--version-code", "two"}, 2},
      {{"sync", "--select", "nothing"}, 2},
      {{"screen", "--param", "sitecode=ABC"}, 0},  // a known name in another case
      {{"sync", "--continue-on-error", "--select", "classes"}, 2},
      {{"sync", "--quickbooks", "does/not/exist.QBW", "--select", "classes"}, 2},
      {{"sync", "--now", "6/15/2030 12:00:00", "--select", "classes"}, 2,
       {"--now needs a time as \"MM/DD/YYYY HH:MM:SS\" (24-hour), not '6/15/2030 12:00:00'"}},
      {{"sync", "--now", "02/30/2030 12:00:00", "--select", "classes"}, 2},
      {{"sync", "--request-timeout", "soon", "--select", "classes"}, 2,
       {"--request-timeout takes whole seconds from 0 to 999999, not 'soon'"}},
      // The output files are made before any work, with the system's reason.
      {{"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
        "classes", "--embedded-site", "--report", "/proc/vantrel-report.json"}, 2,
       {"cannot write the report file '/proc/vantrel-report.json': No such file or directory"},
       {"embedded site at", "Start Sync"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    std::string command;
    for (const std::string& arg : c.args) command += " " + arg;
    SCOPED_TRACE(command);
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.status, c.status) << r.out;
    for (const std::string& piece : c.present) EXPECT_NE(r.out.find(piece), std::string::npos);
    for (const std::string& piece : c.absent) EXPECT_EQ(r.out.find(piece), std::string::npos);
  }
}

TEST(CliTest, RequestPrintsTheExactText) {
  const Result r = RunCli({"request", "--select", "classes,time"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "<?xml version = \"1.0\"?>\r\n"
            "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>\r\n"
            "<QBXML>\r\n"
            "<QBXMLMsgsRq onError = \"continueOnError\">\r\n"
            "<ClassQueryRq requestID = \"1\">\r\n"
            "<ActiveStatus>All</ActiveStatus>\r\n"
            "</ClassQueryRq>\r\n"
            "<TimeTrackingQueryRq requestID = \"2\">\r\n"
            "</TimeTrackingQueryRq>\r\n"
            "</QBXMLMsgsRq>\r\n"
            "</QBXML>");
  const Result ca = RunCli({"request", "--select", "vendors", "--version-code", "7"});
  EXPECT_TRUE(ca.out.starts_with("<?xml version=\"1.0\" ?><?qbxml version=\"CA1.1\"?><QBXML>\r\n"))
      << ca.out;
}

TEST(CliTest, SyncWithoutQuickBooksRunning) {
  TempDir dir;
  const Result r =
      RunCli({"sync", "--page", "samples/page.html", "--select", "classes", "--messages",
              dir / "m.jsonl", "--param", "WGSecureServerURL=http://127.0.0.1:9/"});
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("[critical] Your Quickbooks file is not open, please open your "
                       "Quickbooks file and try again."),
            std::string::npos)
      << r.out;
  EXPECT_EQ(ReadFile(dir / "m.jsonl"),
            "{\"style\":16,\"text\":\"Your Quickbooks file is not open, please open your "
            "Quickbooks file and try again.\"}\n");
  // The command line's own word under the message, in its terms.
  EXPECT_NE(r.out.find("\nhint: QuickBooks is not running for this command: give --quickbooks "
                       "FILE to open a company file in the QuickBooks stand-in\n"),
            std::string::npos)
      << r.out;
  // The error and its hint are on standard error; the stages stay on standard output.
  const Result out = RunCli({"sync", "--page", "samples/page.html", "--select", "classes",
                             "--param", "WGSecureServerURL=http://127.0.0.1:9/"},
                            false);
  EXPECT_EQ(out.status, 1);
  EXPECT_NE(out.out.find("Start Sync\n"), std::string::npos) << out.out;
  EXPECT_EQ(out.out.find("[critical]"), std::string::npos) << out.out;
  EXPECT_EQ(out.out.find("hint:"), std::string::npos) << out.out;
}

TEST(CliTest, ValidateARequestAndABrokenDocument) {
  TempDir dir;
  {
    std::ofstream(dir / "request.xml") << RunCli({"request", "--select", "classes"}).out;
    std::ofstream(dir / "bad.xml") << "<QBXML><Bogus/></QBXML>";
  }
  const Result good =
      RunCli({"validate", "--schema", "samples/qbxml-mini.xsd", dir / "request.xml"});
  EXPECT_EQ(good.status, 0) << good.out;
  EXPECT_EQ(good.out,
            "XML instance is Valid.\n\nIncorrect DOCTYPE declaration. Please use:\nDOCTYPE QBXML "
            "PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' ['uri']\n");
  const Result bad = RunCli({"validate", "--schema", "samples/qbxml-mini.xsd", dir / "bad.xml"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.starts_with("Line: 1\nLinePos: ")) << bad.out;
  EXPECT_NE(bad.out.find("\nSrc Text: <QBXML><Bogus/></QBXML>\nReason: "), std::string::npos);
  const Result no_schema = RunCli({"validate", "--schema", dir / "none.xsd", dir / "request.xml"});
  EXPECT_EQ(no_schema.status, 1);
  EXPECT_TRUE(no_schema.out.starts_with("Error loading schema: ")) << no_schema.out;
}

TEST(CliTest, SyncTheSampleIntoTheEmbeddedSite) {
  TempDir dir;
  const Result r =
      RunCli({"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
              "classes,vendors", "--embedded-site", "--site-db", dir / "site.sqlite", "--report",
              dir / "report.json", "--messages", dir / "messages.jsonl"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("database " + (dir / "site.sqlite")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Response Received ("), std::string::npos);
  // The host adds its own figures to the last count of a pass.
  EXPECT_NE(r.out.find("  Getting Classes from QB (10)  [10/10 records, "), std::string::npos);
  EXPECT_NE(r.out.find("  reading the response...\n"), std::string::npos);
  EXPECT_NE(r.out.find("  ClassInfo                9 rows\n"), std::string::npos);
  EXPECT_NE(r.out.find("  Vendors                  9 rows\n"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "messages.jsonl"),
            "{\"style\":64,\"text\":\"Quickbooks data synced with Tessaly successfully..\"}\n");
  const std::string report = ReadFile(dir / "report.json");
  EXPECT_NE(report.find("\"siteCode\": \"ACME01\", \"siteKey\": \"K3********\", \"user\": "
                        "\"jsmith\", \"companyFile\": \"samples/Acme.QBW\""),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\"runEnd\": \"completed\""), std::string::npos);
  EXPECT_NE(
      report.find("\"classes\": {\"read\": 10, \"sent\": 10, \"newRows\": 9, "
                  "\"updatedRows\": 0, \"inactiveSentAsUpdates\": 1, \"skippedUnchanged\": 0, "
                  "\"leftOutByRule\": 0, \"warnings\": 0, \"failed\": 0}"),
      std::string::npos);
  EXPECT_NE(report.find("\"requests\": {\"uploads\": 2, \"statusUpdates\": 2, "),
            std::string::npos);
  EXPECT_NE(report.find("\"failedRequests\": [],"), std::string::npos);
  EXPECT_NE(report.find("\"ClassLastSyncDate\": {\"date\": \"01/01/2000 00:00:00\", \"from\": "
                        "\"page\"}"),
            std::string::npos);
  EXPECT_EQ(report.find("employees"), std::string::npos) << "an entity the run did not ask for";
  EXPECT_NE(report.find("\"failureCounters\": 0,"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "site.sqlite"));
}

// The clock stands where --now puts it: the upload times in the general
// form (no time at midnight), the status times as audit text, and the jobs
// without a start date starting on January 1 of that year.
TEST(CliTest, AFixedClockGivesTheRunsTimes) {
  using Rows = std::vector<std::vector<std::string>>;
  const struct {
    const char* now;
    const char* upload_time;
    const char* default_start;
  } cases[] = {{"06/15/2030 12:00:00", "6/15/2030 12:00:00 PM", "01/01/2030 00:00:00"},
               {"01/01/2031 00:00:00", "1/1/2031", "01/01/2031 00:00:00"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.now);
    TempDir dir;
    const Result r = RunCli({"sync", "--page", "samples/page.html", "--quickbooks",
                             "samples/Acme.QBW", "--select", "customers", "--embedded-site",
                             "--site-db", dir / "site.sqlite", "--now", c.now});
    // The site added the projects: a warning.
    ASSERT_EQ(r.status, 3) << r.out;
    vantrel::site::SiteDatabase db(dir / "site.sqlite");
    EXPECT_EQ(db.Query("SELECT DISTINCT UpStartTime FROM Uploads"), (Rows{{c.upload_time}}));
    EXPECT_EQ(db.Query("SELECT UpStartTime FROM StatusUpdates"), (Rows{{c.now}}));
    EXPECT_EQ(db.Query("SELECT BeginDate FROM CustProjInfo WHERE QBFullName = ?",
                       {"Memeo, Lisa:Garage Conversion"}),
              (Rows{{c.default_start}}));
  }
}

// Ctrl-C cancels the request under way and every later one: the run ends
// at its next upload at the latest, never as completed, with 130 and an
// honest word on the request under way. During an upload the site is slow;
// during the classes' status update the vendors' upload is never sent.
TEST(CliTest, CtrlCEndsTheRunAndExitsWith130) {
  const CannedReply success{HttpReply("200 OK", "text/plain", "SUCCESS")};
  const CannedReply slow{HttpReply("200 OK", "text/plain", "SUCCESS and a long tail"),
                         std::chrono::milliseconds(500)};
  const struct {
    const char* name;
    CannedReply upload, status;
    std::vector<std::string> requests;  // the request lines' starts
    const char* under_way;
  } cases[] = {
      {"during an upload", slow, success, {"POST /vantrel.asp?"}, "the upload C (request 1)"},
      {"during a status update",
       success,
       slow,
       {"POST /vantrel.asp?", "GET /vantrelupdatestatus.asp?"},
       "the status update C (request 2)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CannedServer site({{"/vantrel.asp", c.upload}, {"/vantrelupdatestatus.asp", c.status}});
    Child sync(VANTREL_CLI_PATH, {"sync", "--page", "samples/page.html", "--param",
                                  "WGSecureServerURL=" + site.url("/"), "--quickbooks",
                                  "samples/Acme.QBW", "--select", "classes,vendors"});
    const std::string out = sync.ReadUntil("Getting Classes from QB\n");
    // The request is soon waiting on the slow reply.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    kill(sync.pid, SIGINT);
    std::string rest;
    EXPECT_EQ(sync.Wait(&rest), 130) << out << rest;
    EXPECT_NE(rest.find("[critical] Sync process cancelled on user request."), std::string::npos)
        << rest;
    EXPECT_EQ(rest.find("completed"), std::string::npos) << rest;
    EXPECT_NE(rest.find("run ended: interrupted\n"), std::string::npos) << rest;
    EXPECT_NE(rest.find(std::string(c.under_way) +
                        " was under way when Ctrl-C came and may have landed; run the same "
                        "command again: what landed stays"),
              std::string::npos)
        << rest;
    const std::vector<std::string> lines = site.request_lines();
    ASSERT_EQ(lines.size(), c.requests.size()) << rest;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_TRUE(lines[i].starts_with(c.requests[i])) << lines[i];
    }
  }
}

TEST(CliTest, SyncInDebugModeWithTheSiteRefusing) {
  TempDir dir;
  // A page naming a server that is not there: every post fails to connect.
  const Result r = RunCli({"sync", "--page", "samples/page.html", "--param",
                           "WGSecureServerURL=http://127.0.0.1:1", "--quickbooks",
                           "samples/Acme.QBW", "--select", "classes", "--debug",
                           "--continue-on-error", "--report", dir / "report.json"});
  // One post had its retries; the others are not tried again.
  EXPECT_EQ(r.out.find("retry 1 of 2"), r.out.rfind("retry 1 of 2")) << r.out;
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("[information] Quickbooks data synced with Tessaly. Following data could "
                       "not be sent..\n\nClasses - 10\n"),
            std::string::npos)
      << r.out;
  const std::string report = ReadFile(dir / "report.json");
  EXPECT_NE(report.find("\"debugMode\": false"), std::string::npos);
  EXPECT_NE(report.find("\"failureCounters\": 10,"), std::string::npos) << report;
  EXPECT_NE(report.find("\"classes\": {\"read\": 10, \"sent\": 10, \"newRows\": \"unknown\", "
                        "\"updatedRows\": \"unknown\", "),
            std::string::npos);
  EXPECT_NE(report.find("\"failedRequests\": [\n    {\"order\": 1, \"kind\": \"upload\", "
                        "\"letter\": \"C\", \"attempts\": 3, \"reply\": \"Action cancelled\", "
                        "\"failure\": \"Couldn't connect to server: "),
            std::string::npos);
}

}  // namespace
