// The command-line wizard, run as a program.
#include <gtest/gtest.h>

#include <signal.h>

#include <cctype>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "canned_server.h"
#include "cli_support.h"
#include "common/results_table.h"
#include "common/run_progress.h"
#include "quickbooks/qbxml_request.h"

namespace {

using namespace vantrel::testing;

// A command line, its exit status, its first line (on standard error when
// it fails, else on standard output; exact, but a trailing '*' stands for
// the rest of the line) and pieces of its output (standard output and error
// together): 0 for the screen, the help and a run that went well, 1 for a
// run that ended badly, 2 for a command line that cannot be used, which
// prints nothing on standard output.
struct CliCase {
  std::vector<std::string> args;
  int status;
  std::string first;
  std::vector<std::string> present = {}, absent = {};
};

void PrintTo(const CliCase& c, std::ostream* os) {
  for (const std::string& arg : c.args) *os << arg << ' ';
}

class CliCommandTest : public ::testing::TestWithParam<CliCase> {};

TEST_P(CliCommandTest, ExitStatusAndOutput) {
  const CliCase& c = GetParam();
  const Result r = RunCli(c.args, true);
  const std::string all = r.out + "\n" + r.err;
  EXPECT_EQ(r.status, c.status) << all;
  const std::string& stream = c.status == 0 ? r.out : r.err;
  const std::string first = stream.substr(0, stream.find('\n'));
  if (c.first.ends_with('*')) {
    EXPECT_TRUE(first.starts_with(c.first.substr(0, c.first.size() - 1))) << first;
  } else {
    EXPECT_EQ(first, c.first);
  }
  if (c.status == 2) {
    EXPECT_EQ(r.out, "") << "a usage error started something";
  }
  ExpectPieces(all, c.present);
  for (const std::string& piece : c.absent) EXPECT_EQ(all.find(piece), std::string::npos) << piece;
}

const char kEntityList[] =
    "(choose from employees, customers, classes, accounts, items, vendors, time, expense)";
const char kDateForm[] =
    "Type mismatch (give a date such as 12/31/2026 or 12/31/2026 5:30:00 PM, or leave it blank)";
const char kSyncUsage[] =
    "usage: vantrel sync [--page FILE|URL] [--param NAME=VALUE]... (--select LIST | --select-all)";
const char kLabel1[] = "Label1          \"                          QB Sync Wizard\"";

const CliCase kCases[] = {
    // The whole idle screen: each shown control in order with its caption and
    // state, the page's words in the list; hidden controls are left out.
    {{"screen", "--page", "samples/page.html"},
     0,
     kLabel1,
     {"\nLabel11         \"This Wizard will help you synchronize your Tessaly and QuickBooks "
      "data.\"\n"
      "Label12         \"Select the items that you would like to synchronize, and click on 'Start "
      "Sync'\"\n"
      "Label2          \"Consultants\"\n"
      "chkQBEmployee   [ ]\n"
      "Label3          \"Clients:Engagements\"\n"
      "chkQBCustomers  [ ]\n"
      "Label10         \"Classes\"\n"
      "chkQBClasses    [ ]\n"
      "Label6          \"Chart Of Accounts\"\n"
      "chkQBCOA        [ ]\n"
      "Label9          \"Items\"\n"
      "chkQBTasks      [ ]\n"
      "Label4          \"Vendors\"\n"
      "chkQBVendors    [ ]\n"
      "Label13         \"Time\"\n"
      "chkQBTimesheet  [ ]\n"
      "Label14         \"Expense\"\n"
      "chkQBExpense    [ ]\n"
      "chkDebugMode    [ ] \"Debug mode off\"\n"
      "cmdSelectAll    <Select All>\n"
      "cmdNav(0)       <Help>\n"
      "cmdNav(1)       <Cancel>\n"
      "cmdNav(2)       << &Back>\n"
      "cmdNav(3)       <Start &Sync>\n"},
     {"chkQBPayTerms", "optStop", "frameComm"}},
    // Clicks run in order.
    {{"screen", "--param", "EmpLexicon=Worker", "--click", "cmdSelectAll", "--click",
      "chkDebugMode", "--click", "optContinue", "--click", "chkQBTimesheet", "--click",
      "cmdNav(0)"},
     0,
     "[information] This wizard helps you sync your QB data with the Tessaly.",
     {"Label2          \"Workers\"\n", "chkQBEmployee   [x]\n", "chkQBTimesheet  [x]\n",
      "chkQBExpense    [ ]\n", "chkDebugMode    [x] \"Debug mode on\"\n",
      "optStop         ( ) \"Stop on error\"\n", "optContinue     (o) \"Continue on error\"\n",
      "cmdSelectAll    <Uncheck All>\n", "Tessaly.\nYou can either select"}},
    {{"screen", "--param", "sitecode=ABC"}, 0, kLabel1},  // a known name in another case
    // Names in any case, repeated --select adding up; the version code picks
    // the prefix; "all" ticks every box, "projects" the customers'.
    {{"request", "--select", "Classes", "--select", "VENDORS", "--version-code", "7"},
     0,
     "<?xml version=\"1.0\" ?><?qbxml version=\"CA1.1\"?><QBXML>\r",
     {"<ClassQueryRq", "<VendorQueryRq"},
     {"<EmployeeQueryRq"}},
    {{"request", "--select", "all"},
     0,
     "<?xml version = \"1.0\"?>\r",
     {"<EmployeeQueryRq", "<CustomerQueryRq", "<TimeTrackingQueryRq", "<CheckQueryRq",
      "<BillQueryRq"}},
    {{"request", "--select", "projects"}, 0, "<?xml*", {"<CustomerQueryRq"}, {"<EmployeeQueryRq"}},
    {{"--version"}, 0, "vantrel 1.4 (commit *"},
    {{"help"}, 0, "usage: vantrel COMMAND [OPTIONS]", {"\nexamples:\n", "\nexit status:"}},
    {{"help", "sync"}, 0, kSyncUsage},
    {{"sync", "-h"}, 0, kSyncUsage},
    {{"sync", "--help"}, 0, kSyncUsage, {"\nexamples:\n  vantrel sync "}},
    {{"screen", "--help"}, 0, "usage: vantrel screen*", {"\nexamples:\n  vantrel screen "}},
    {{"request", "--help"}, 0, "usage: vantrel request*", {"\nexamples:\n  vantrel request "}},
    {{"validate", "--help"}, 0, "usage: vantrel validate*", {"\nexamples:\n  vantrel request "}},
    // A quiet run prints its message boxes alone; a dry run says what it
    // would send.
    {{"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
      "classes", "--dry-run", "-q"},
     0,
     "[information] Quickbooks data synced with Tessaly successfully..",
     {},
     {"Start Sync", "entity ", "dry run", "last-sync dates"}},
    {{"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
      "classes", "--dry-run"},
     0,
     "last-sync dates:",
     {"Start Sync (dry run: nothing is sent)\n",
      "  Getting Classes from QB (10)  [read 10, to send 10, ",
      "entity          read   to send       new   updated  inactive unchanged  left out  "
      "warnings  failed\n"
      "classes           10        10   unknown   unknown         1         0         0         "
      "0       0\n"
      "dry run from ",
      "run ended: completed (a dry run: nothing was sent; the messages are what the site's "
      "acceptance of every request would give)\n"}},

    // Usage errors: everything is checked before anything starts, with the
    // closest known name for a slip and the form a value takes.
    // clang-format off
    {{"sync", "--page", "samples/page.html", "--embedded-site"}, 2,
     "vantrel sync: nothing to send: give --select LIST (employees, customers, classes, "
     "accounts, items, vendors, time, expense) or --select-all",
     {"\n(see 'vantrel sync --help')\n"}},
    {{"sync", "--page", "samples/page.html", "--embedded-site", "--select", "Classes", "--select",
      "VENDORS,widgets"}, 2, std::string("vantrel sync: unknown entity 'widgets' ") + kEntityList},
    {{"sync", "--page", "samples/page.html", "--select", "classes", "--param", "SiteCod=X"}, 2,
     "vantrel sync: unknown parameter 'SiteCod' (did you mean SiteCode?)"},
    {{"screen", "--param", "Flavour=x"}, 2, "vantrel screen: unknown parameter 'Flavour'"},
    {{"sync", "--selct-all"}, 2,
     "vantrel sync: unknown option --selct-all (did you mean --select-all?)"},
    {{"screen", "--bogus"}, 2, "vantrel screen: unknown option --bogus"},
    {{"synk"}, 2, "vantrel: unknown command 'synk' (did you mean sync?)", {"\n\nusage: vantrel"}},
    {{"frobnicate"}, 2, "vantrel: unknown command 'frobnicate'"},
    {{"help", "frobnicate"}, 2, "vantrel: unknown command 'frobnicate'"},
    {{}, 2, "usage: vantrel COMMAND [OPTIONS]"},
    // The output files are made before any work, with the system's reason.
    {{"sync", "--page", "samples/page.html", "--select", "classes", "--report",
      "no/such/folder/report.json", "--quickbooks", "samples/Acme.QBW"}, 2,
     "vantrel sync: cannot write the report file 'no/such/folder/report.json': 'no/such/folder' "
     "does not exist"},
    {{"sync", "--select", "classes", "--report", "samples"}, 2,
     "vantrel sync: cannot write the report file 'samples': it is a folder; give a file name"},
    {{"sync", "--page", "samples/page.html", "--quickbooks", "samples/Acme.QBW", "--select",
      "classes", "--embedded-site", "--report", "/proc/vantrel-report.json"}, 2,
     "vantrel sync: cannot write the report file '/proc/vantrel-report.json': No such file or "
     "directory"},
    {{"sync", "--select", "classes", "--messages", "samples/Acme.QBW/m.jsonl"}, 2,
     "vantrel sync: cannot write the messages file 'samples/Acme.QBW/m.jsonl': 'samples/Acme.QBW' "
     "is not a folder"},
    {{"request", "--select", "classes", "--version-code", "5"}, 2,
     "vantrel request: --version-code takes 0, 1, 2, 6, 7, 8, 9, 10 or 11, not '5'"},
    {{"request", "--select", "classes", "--version-code", "two"}, 2,
     "vantrel request: --version-code takes 0, 1, 2, 6, 7, 8, 9, 10 or 11, not 'two'"},
    {{"request"}, 2, "vantrel request: --select is required"},
    {{"validate", "file.xml"}, 2, "vantrel validate: --schema is required"},
    {{"sync", "--select", "classes", "--script-dir", "x"}, 2,
     "vantrel sync: --script-dir needs --dry-run"},
    {{"sync", "--select", "classes", "--dry-run", "--script-dir", "samples"}, 2,
     "vantrel sync: --script-dir 'samples' is not empty: give a new or empty folder"},
    {{"sync", "--select", "classes", "--keep-site"}, 2,
     "vantrel sync: --keep-site needs --embedded-site"},
    {{"sync", "--continue-on-error", "--select", "classes"}, 2,
     "vantrel sync: --continue-on-error needs --debug"},
    {{"sync", "--select", "classes", "-q", "-v"}, 2,
     "vantrel sync: --quiet and --verbose cannot go together"},
    {{"sync", "--select", "classes", "--retries", "x"}, 2,
     "vantrel sync: --retries takes a whole number from 0 to 9, not 'x'"},
    {{"sync", "--request-timeout", "soon", "--select", "classes"}, 2,
     "vantrel sync: --request-timeout takes whole seconds from 0 to 999999, not 'soon'"},
    {{"sync", "--now", "6/15/2030 12:00:00", "--select", "classes"}, 2,
     "vantrel sync: --now needs a time as \"MM/DD/YYYY HH:MM:SS\" (24-hour), not '6/15/2030 "
     "12:00:00'"},
    {{"sync", "--now", "02/30/2030 12:00:00", "--select", "classes"}, 2,
     "vantrel sync: --now needs a time as \"MM/DD/YYYY HH:MM:SS\" (24-hour), not '02/30/2030 "
     "12:00:00'"},
    {{"sync", "--quickbooks", "does/not/exist.QBW", "--select", "classes"}, 2,
     "vantrel sync: Cannot open company file 'does/not/exist.QBW': no such file"},
    {{"sync", "--select", "classes", "--page", "no/such/page.html"}, 2,
     "vantrel sync: cannot read page 'no/such/page.html': No such file or directory"},
    {{"screen", "--param", "ClassLastSyncDate=soon"}, 2,
     std::string("vantrel screen: parameter ClassLastSyncDate cannot be converted: ") + kDateForm},
    {{"screen", "--param", "TimeLastSyncDate=31/31/2031"}, 2,
     std::string("vantrel screen: parameter TimeLastSyncDate cannot be converted: ") + kDateForm},
    {{"screen", "--param", "ResetTessaly=perhaps"}, 2,
     "vantrel screen: parameter ResetTessaly cannot be converted: Type mismatch (give True or "
     "False)"},
    {{"screen", "--param", "novalue"}, 2, "vantrel screen: --param takes NAME=VALUE, not 'novalue'"},
    {{"sync", "--page", "samples/page.html", "--param", "WGSecureServerURL=notaurl", "--quickbooks",
      "samples/Acme.QBW", "--select", "classes"}, 2,
     "vantrel sync: WGSecureServerURL must be an http:// or https:// address, not 'notaurl/'"},
    {{"screen", "--click", "cmdNav(3)"}, 2,
     "vantrel screen: cmdNav(3) starts a run: use 'vantrel sync'"},
    {{"screen", "--click", "Label1"}, 2, "vantrel screen: no control named 'Label1' can be clicked"},
    // clang-format on

    // Run-time errors: the message box on standard error, then the command
    // line's hint in its terms.
    {{"sync", "--page", "samples/page.html", "--param", "QBFilePath=samples/Nowhere.QBW", "--param",
      "WGSecureServerURL=http://127.0.0.1:9/", "--select", "classes", "--quickbooks",
      "samples/Acme.QBW"},
     1,
     "[critical] Cannot find 'samples/Nowhere.QBW'",
     {"hint: QBFilePath names no file here: give --param QBFilePath=FILE"}},
    // Without --quickbooks no QuickBooks runs; the stages stay on standard
    // output.
    {{"sync", "--page", "samples/page.html", "--select", "classes", "--param",
      "WGSecureServerURL=http://127.0.0.1:9/"},
     1,
     "[critical] Your Quickbooks file is not open, please open your Quickbooks file and try "
     "again.",
     {"\nStart Sync\n",
      "again.\nhint: QuickBooks is not running for this command: give "
      "--quickbooks FILE to open a company file in the QuickBooks stand-in\n"}},
    // An information box goes to standard output, its hint to standard error.
    {{"sync", "--select", "classes", "--param", "SiteCode=A", "--quickbooks", "samples/Acme.QBW"},
     1,
     "hint: missing: WGSecureServerURL, QBFilePath, SiteKey, TessalyUser; give each as --param "
     "NAME=VALUE or in the page (--page FILE); --embedded-site serves a site in process",
     {"\n[information] You need to provide WGSecureServerURL, QBFilePath, SiteCode, SiteKey and "
      "TessalyUser name to connect for sync..\n"}},
    // A page that does not answer is no usage error: the reason, once.
    {{"sync", "--select", "classes", "--page", "http://127.0.0.1:1/page.html"},
     1,
     "vantrel sync: cannot read the page at http://127.0.0.1:1/page.html: Failed to connect to "
     "127.0.0.1 port 1 *",
     {},
     {"(see", "Couldn't connect to server: "}},
};

// Each row is named by its number and its command line.
INSTANTIATE_TEST_SUITE_P(Rows, CliCommandTest, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string name = std::to_string(info.index);
  for (const std::string& arg : info.param.args) {
    name += '_';
    for (const char c : arg) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  }
  return name.substr(0, 60);
});

// The request command prints the composed request exactly, and the
// validator reads it back.
TEST(CliTest, ValidateARequestAndABrokenDocument) {
  TempDir dir;
  const Result request = RunCli({"request", "--select", "classes,time"});
  ASSERT_EQ(request.status, 0);
  vantrel::SelectionFlags flags;
  flags.blnDoClasses = flags.blnDoTime = true;
  EXPECT_EQ(request.out, vantrel::ComposeQBXMLRequest(flags, vantrel::kQbXml20));
  std::ofstream(dir / "request.xml") << request.out;
  std::ofstream(dir / "bad.xml") << "<QBXML><Bogus/></QBXML>";
  const Result good =
      RunCli({"validate", "--schema", "samples/qbxml-mini.xsd", dir / "request.xml"});
  EXPECT_EQ(good.status, 0) << good.out;
  EXPECT_EQ(good.out,
            "XML instance is Valid.\n\nIncorrect DOCTYPE declaration. Please use:\nDOCTYPE QBXML "
            "PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' ['uri']\n");
  const Result bad = RunCli({"validate", "--schema", "samples/qbxml-mini.xsd", dir / "bad.xml"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_TRUE(bad.out.starts_with("Line: 1\nLinePos: ")) << bad.out;
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
    // Ctrl-C once the slow request is at the server (bounded wait).
    for (int i = 0; i < 500 && site.request_lines().size() < c.requests.size(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(sync.pid, SIGINT);
    std::string rest;
    EXPECT_EQ(sync.Wait(&rest), 130) << out << rest;
    ExpectPieces(rest,
                 {"[critical] Sync process cancelled on user request.", "run ended: interrupted\n",
                  std::string(c.under_way) + " was under way when Ctrl-C came and may have "
                                             "landed; run the same command again: what "
                                             "landed stays"});
    EXPECT_EQ(rest.find("completed"), std::string::npos) << rest;
    const std::vector<std::string> lines = site.request_lines();
    ASSERT_EQ(lines.size(), c.requests.size()) << rest;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_TRUE(lines[i].starts_with(c.requests[i])) << lines[i];
    }
  }
}

// With no server there, debug mode goes on past each refused post: only the
// first post has its retries, the summary lists what was not sent, and the
// report names the failed request.
TEST(CliTest, SyncInDebugModeWithTheSiteRefusing) {
  TempDir dir;
  const Result r = RunCli({"sync", "--page", "samples/page.html", "--param",
                           "WGSecureServerURL=http://127.0.0.1:1", "--quickbooks",
                           "samples/Acme.QBW", "--select", "classes", "--debug",
                           "--continue-on-error", "--report", dir / "report.json"});
  EXPECT_EQ(r.out.find("retry 1 of 2"), r.out.rfind("retry 1 of 2")) << r.out;
  EXPECT_EQ(r.status, 1) << r.out;
  ExpectPieces(r.out, {"[information] Quickbooks data synced with Tessaly. Following data could "
                       "not be sent..\n\nClasses - 10\n"});
  const std::string report = ReadFile(dir / "report.json");
  ExpectPieces(report,
               {"\"runEnd\": \"completed\"", "\"debugMode\": false", "\"failureCounters\": 10,",
                "\"requests\": {\"uploads\": 10, \"statusUpdates\": 0, ",
                "\"classes\": {\"read\": 10, \"sent\": 10, \"newRows\": \"unknown\", "
                "\"updatedRows\": \"unknown\", ",
                "\"failedRequests\": [\n    {\"order\": 1, \"kind\": \"upload\", \"letter\": "
                "\"C\", \"attempts\": 3, \"reply\": \"Action cancelled\", \"failure\": \"Couldn't "
                "connect to server: "});
  EXPECT_EQ(report.find("employees"), std::string::npos) << "an entity the run did not ask for";
}

// The rate and the time the command line adds to a pass's figures (the
// figures' words are checked on whole runs); the durations and the time left
// of the overall line, from given times.
TEST(CliProgressTest, FiguresAndTimesAsText) {
  using vantrel::host::PassFiguresText;
  EXPECT_EQ(PassFiguresText({"checks", 8, 0, 0, 15, true, false, 0.04}),
            "[checks: read 8, sent 15 lines, 200 read/s, 0.0 s]");
  EXPECT_EQ(PassFiguresText({"", 8, 0, 2, 6, false, false, 0}),
            "[read 8, left out 2, sent 6, 0 read/s, 0.0 s]");

  const struct {
    double seconds;
    const char* text;
  } durations[] = {{-1, "0 s"},
                   {0.4, "0 s"},
                   {59.4, "59 s"},
                   {59.5, "1 min 00 s"},
                   {65, "1 min 05 s"},
                   {3599.4, "59 min 59 s"},
                   {3599.5, "1 h 00 min"},
                   {5429, "1 h 30 min"},
                   {5431, "1 h 31 min"}};
  for (const auto& c : durations) EXPECT_EQ(vantrel::host::DurationText(c.seconds), c.text);

  const struct {
    long done, total;
    double seconds;
    const char* text;
  } overall[] = {
      {0, 600, 4, "overall: 0 of 600 records read, 4.0 s, time left not known yet"},
      {300, 600, 2, "overall: 300 of 600 records read, 2.0 s, about 2 s left"},
      {1, 6000, 3, "overall: 1 of 6000 records read, 3.0 s, about 5 h 00 min left"},
      {600, 600, 9.3, "overall: 600 of 600 records read, 9.3 s, about 0 s left"},
      {700, 600, 9, "overall: 600 of 600 records read, 9.0 s, about 0 s left"},
  };
  for (const auto& c : overall) {
    EXPECT_EQ(vantrel::host::OverallText(c.done, c.total, c.seconds), c.text);
  }
}

// A pass is the entity whose figures moved since it began, whichever of
// them moved; its figures are the difference.
TEST(CliProgressTest, ThePassIsTheEntityWhoseFiguresMoved) {
  using vantrel::EntityKind;
  vantrel::RunFigures before;
  before[EntityKind::kCustomers].read = 11;
  before[EntityKind::kExpenses] = {.read = 8, .unchanged = 2};
  EXPECT_EQ(vantrel::host::EntityOfPass(before, before), nullptr);
  const struct {
    long vantrel::PassFigures::*figure;
    EntityKind kind;
  } moves[] = {{&vantrel::PassFigures::read, EntityKind::kProjects},
               {&vantrel::PassFigures::unchanged, EntityKind::kExpenses},
               {&vantrel::PassFigures::left_out, EntityKind::kItems}};
  for (const auto& m : moves) {
    vantrel::RunFigures now = before;
    now[m.kind].*m.figure += 3;
    const vantrel::EntityRow* entity = vantrel::host::EntityOfPass(before, now);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->kind, m.kind);
    EXPECT_EQ(vantrel::host::FiguresSince(before, now, m.kind).*m.figure, 3);
    EXPECT_EQ(vantrel::host::RecordsRead(now) - vantrel::host::RecordsRead(before),
              m.figure == &vantrel::PassFigures::read ? 3 : 0);
  }
}

// The results table as text: every column as wide as its widest cell, at
// least as wide as the usual figures need.
TEST(CliResultsTableTest, ColumnsWidenForTheirCells) {
  vantrel::host::ResultsTable table{{"entity", "read", "sent", "failed"},
                                    {{"classes", "10", "10", "0"},
                                     {"expense", "600", "2400 lines", "1234567"},
                                     {"a-long-entity", "1", "1", "12345678"}},
                                    "run from a to b (1.0 s)"};
  EXPECT_EQ(vantrel::host::TableText(table),
            "entity             read       sent   failed\n"
            "classes              10         10        0\n"
            "expense             600 2400 lines  1234567\n"
            "a-long-entity         1          1 12345678\n"
            "run from a to b (1.0 s)\n");
}

}  // namespace
