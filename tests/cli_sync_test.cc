// Whole runs of `vantrel sync` against a site in this process: the dry
// run's files, the incremental second run, the summary against the site's
// database, retries, the request lines, the hints and the temporary site.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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
  explicit Site(std::string key = "K3Y-5ECRET", std::string db = "")
      : server([&] {
          vantrel::site::SiteOptions options;
          options.site_code = "ACME01";
          options.site_key = std::move(key);
          options.db_path = std::move(db);
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

// The dry run writes each request as it would go: the files hold the bytes
// a server gets from the same run, in the same order.
TEST(CliSyncTest, DryRunFilesAreTheBytesAServerReceives) {
  const std::vector<std::string> run = {"--select", "employees,classes,time", "--now",
                                        "12/07/2026 10:00:00", "--safe-lines"};
  Site site;
  std::vector<std::string> to_site = Args(run);
  to_site.insert(to_site.end(), {"--param", site.Url()});
  const Result sent = RunCli(to_site);
  // The site cannot file two of the time lines: a warning.
  ASSERT_EQ(sent.status, 3) << sent.out;
  // A site of its own (not the embedded one) tells the rows and the lines.
  const char* const told[] = {
      "employees         10        10         9         0         1         0         0         0"
      "       0\n",
      // Every line names a customer the site lacks: 28, though a reply's
      // digit stops at 9.
      "time              28  28 lines        28         0         0         0         0        28"
      "       0\n",
      "hint:   line 3 of an upload H (key '13-1158285600') names the employee/vendor "
      "'80000060-1137429240', which the site does not have",
      "hint:   ... and 38 more (all of them are in --report)\n"};
  for (const char* piece : told) {
    EXPECT_NE(sent.out.find(piece), std::string::npos) << piece << "\n" << sent.out;
  }
  TempDir dir;
  std::vector<std::string> dry_run = Args(run);
  dry_run.insert(dry_run.end(), {"--dry-run", "--script-dir", dir / "out"});
  const Result dry = RunCli(dry_run);
  ASSERT_EQ(dry.status, 0) << dry.out;
  EXPECT_NE(dry.out.find("dry run: nothing was sent; it would have sent:\n"
                         "  E  1 upload (22880 bytes), 1 status update\n"),
            std::string::npos)
      << dry.out;

  const auto requests = site.server.requests();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), requests.size());
  const std::string base = site.server.base_url();
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
    if (upload) {
      EXPECT_EQ(file, request.body);
    } else {
      EXPECT_EQ(file, "http://dry-run.invalid" + request.target);
    }
  }
  EXPECT_EQ(names.front(), "0001-E-upload.txt");
  EXPECT_EQ(names.back(), "0006-H-status.txt");
}

// A second run over the same site database sends what changed since the
// first one's status updates (classes are sent whole every time), and the
// summary's figures are the database's.
TEST(CliSyncTest, ASecondRunSendsOnlyWhatChanged) {
  TempDir dir;
  std::string company = ReadFile(std::filesystem::path(VANTREL_SOURCE_DIR) / "samples/Acme.QBW");
  const std::string was = "<Name>Alan Carter</Name>";
  const std::size_t at = company.find(was);
  ASSERT_NE(at, std::string::npos);
  const std::size_t modified = company.rfind("<TimeModified>", at);
  company.replace(modified, 50, "<TimeModified>2026-12-08T09:00:00-08:00</TimeModified>");
  std::ofstream(dir / "Acme.QBW", std::ios::binary) << company;

  const std::vector<std::string> base = {"sync",
                                         "--page",
                                         "samples/page.html",
                                         "--param",
                                         "QBFilePath=" + (dir / "Acme.QBW"),
                                         "--quickbooks",
                                         dir / "Acme.QBW",
                                         "--select-all",
                                         "--select",
                                         "time,expense",
                                         "--embedded-site",
                                         "--site-db",
                                         dir / "site.sqlite",
                                         "--safe-lines"};
  const Result first =
      RunCli(Args({"--now", "12/07/2026 10:00:00", "--report", dir / "1.json"}, base));
  // Items and projects the site added, time lines it could not file.
  ASSERT_EQ(first.status, 3) << first.out;
  const std::string report1 = ReadFile(dir / "1.json");
  {
    // Every new row the summary names is in the database, table by table.
    vantrel::site::SiteDatabase db(dir / "site.sqlite");
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
      EXPECT_EQ(Figure(report1, entity, "newRows"),
                db.Query("SELECT COUNT(*) FROM \"" + table + "\"").at(0).at(0));
      EXPECT_EQ(Figure(report1, entity, "updatedRows"), "0");
    }
    EXPECT_EQ(Figure(report1, "employees", "read"), "10");
    EXPECT_EQ(Figure(report1, "employees", "sent"), "10");
    EXPECT_EQ(Figure(report1, "employees", "inactiveSentAsUpdates"), "1");
    EXPECT_EQ(Figure(report1, "items", "leftOutByRule"), "2");
  }
  EXPECT_NE(first.out.find("  CustomerLastSyncDate     01/01/2000 00:00:00  (page)\n"),
            std::string::npos)
      << first.out;

  const Result second =
      RunCli(Args({"--now", "12/07/2026 11:00:00", "--report", dir / "2.json", "-v"}, base));
  ASSERT_EQ(second.status, 0) << second.out;
  const std::string report2 = ReadFile(dir / "2.json");
  // The site dates the last sync by the first run's first request (10:00),
  // less its margin of 10 minutes.
  EXPECT_NE(report2.find("\"EmployeeLastSyncDate\": {\"date\": \"12/07/2026 09:50:00\", "
                         "\"from\": \"site\"}"),
            std::string::npos)
      << report2;
  EXPECT_NE(second.out.find("  TimeLastSyncDate         12/07/2026 09:50:00  (site)\n"),
            std::string::npos);
  // A pass's figures are its last: the changed employee comes first, and the
  // records after it are counted; a pass that sends nothing tells them too.
  for (const char* piece : {"  Getting Consultants from QB (1)  [read 10, unchanged 9, sent 1, ",
                            "\n  Getting Expenses from QB  [bills: read 8, unchanged 8, sent 0 "
                            "lines, "}) {
    EXPECT_NE(second.out.find(piece), std::string::npos) << piece << "\n" << second.out;
  }
  // Only the changed employee and the classes went out.
  EXPECT_EQ(Figure(report2, "employees", "sent"), "1");
  EXPECT_EQ(Figure(report2, "employees", "skippedUnchanged"), "9");
  EXPECT_EQ(Figure(report2, "employees", "updatedRows"), "1");
  EXPECT_EQ(Figure(report2, "employees", "newRows"), "0");
  EXPECT_EQ(Figure(report2, "classes", "sent"), "10");
  for (const char* entity :
       {"customers", "projects", "accounts", "items", "vendors", "time", "expense"}) {
    SCOPED_TRACE(entity);
    EXPECT_EQ(Figure(report2, entity, "sent"), "0");
  }
  EXPECT_EQ(std::count(second.out.begin(), second.out.end(), '>'),
            std::count(second.out.begin(), second.out.end(), '<'));
  EXPECT_NE(second.out.find("> POST http://127.0.0.1:"), std::string::npos);
  EXPECT_NE(second.out.find("options=E&"), std::string::npos);
  EXPECT_EQ(second.out.find("options=V&"), std::string::npos);
  EXPECT_NE(second.out.find("< \"SUCCESS\" ("), std::string::npos);
  EXPECT_EQ(second.out.find("K3Y-5ECRET"), std::string::npos) << "the key shows";
  EXPECT_EQ(report2.find("K3Y-5ECRET"), std::string::npos);
  EXPECT_NE(report2.find("\"siteKey\": \"K3********\""), std::string::npos);
  EXPECT_NE(second.out.find("employees         10         1         0         1         0"
                            "         9         0         0       0\n"),
            std::string::npos)
      << second.out;
}

// A record edited in QuickBooks while a run is still sending (here: while a
// slow site holds the run's requests, after QuickBooks was read) is sent by
// the next run, which takes its dates from the stand-alone site's page.
TEST(CliSyncTest, AnEditDuringARunIsSentByTheNext) {
  TempDir dir;
  const std::string company_path = dir / "Acme.QBW";
  std::string company = ReadFile(std::filesystem::path(VANTREL_SOURCE_DIR) / "samples/Acme.QBW");
  std::ofstream(company_path, std::ios::binary) << company;
  Child site(VANTREL_SITE_PATH,
             {"--listen", "127.0.0.1:0", "--db", dir / "site.sqlite", "--site-code", "ACME01",
              "--site-key", "K3Y-5ECRET", "--delay-ms", "2000"});
  const std::string listening = site.ReadUntil("listening on 127.0.0.1:");
  std::string port = listening.substr(listening.find("127.0.0.1:") + 10);
  port = port.substr(0, port.find_first_not_of("0123456789"));
  const std::string base = "http://127.0.0.1:" + port + "/";
  const std::vector<std::string> common = {
      "--param", "QBFilePath=" + company_path, "--quickbooks", company_path, "--select", "vendors"};

  std::vector<std::string> first = {"sync", "--page", "samples/page.html", "--param",
                                    "WGSecureServerURL=" + base};
  first.insert(first.end(), common.begin(), common.end());
  Child run(VANTREL_CLI_PATH, first);
  run.ReadUntil("Getting Vendors from QB\n");
  // QuickBooks has been read; the vendor is renamed now, as a user would.
  char now[32];
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  std::strftime(now, sizeof now, "%Y-%m-%dT%H:%M:%S", &local);
  const std::size_t at = company.find("<Name>Lew Plumbing</Name>");
  ASSERT_NE(at, std::string::npos);
  company.replace(at, 25, "<Name>Lew Plumbing and Heating</Name>");
  const std::size_t modified = company.rfind("<TimeModified>", at);
  company.replace(modified, 50, std::string("<TimeModified>") + now + "-08:00</TimeModified>");
  std::ofstream(company_path, std::ios::binary | std::ios::trunc) << company;
  std::string rest;
  ASSERT_EQ(run.Wait(&rest), 0) << rest;

  std::vector<std::string> second = {"sync", "--page", base + "page.html", "--param",
                                     "TessalyUser=jsmith"};
  second.insert(second.end(), common.begin(), common.end());
  const Result r = RunCli(second);
  ASSERT_EQ(r.status, 0) << r.out;
  vantrel::site::SiteDatabase db(dir / "site.sqlite");
  EXPECT_EQ(db.Query("SELECT COUNT(*) FROM Vendors WHERE VendorName = 'Lew Plumbing and Heating'"),
            (Rows{{"1"}}))
      << r.out;
  // The stand-alone site tells the rows it changed in its replies.
  EXPECT_NE(r.out.find("vendors           10         1         0         1         0         9"
                       "         0         0       0\n"),
            std::string::npos)
      << r.out;
}

// Numbers the general number form writes with an exponent (a price of
// 0.00001 as 1E-05, a sub-level of 1E+20) land on the site as numbers.
TEST(CliSyncTest, NumbersWithExponentsLand) {
  TempDir dir;
  std::string company = ReadFile(std::filesystem::path(VANTREL_SOURCE_DIR) / "samples/Acme.QBW");
  for (const auto& [was, now] :
       {std::pair<std::string, std::string>{"<Price>55.00</Price>", "<Price>0.00001</Price>"},
        {"<FullName>Framing</FullName>\n    <IsActive>true</IsActive>\n"
         "    <Sublevel>0</Sublevel>",
         "<FullName>Framing</FullName>\n    <IsActive>true</IsActive>\n"
         "    <Sublevel>99999999999999999999</Sublevel>"}}) {
    const std::size_t at = company.find(was);
    ASSERT_NE(at, std::string::npos) << was;
    company.replace(at, was.size(), now);
  }
  std::ofstream(dir / "Acme.QBW", std::ios::binary) << company;
  const Result r =
      RunCli({"sync", "--page", "samples/page.html", "--param", "QBFilePath=" + (dir / "Acme.QBW"),
              "--quickbooks", dir / "Acme.QBW", "--select", "items", "--embedded-site", "--site-db",
              dir / "site.sqlite"});
  ASSERT_EQ(r.status, 3) << r.out;  // the site added the items: a warning, no failure
  EXPECT_NE(r.out.find("run ended: completed"), std::string::npos) << r.out;
  vantrel::site::SiteDatabase db(dir / "site.sqlite");
  EXPECT_EQ(db.Query("SELECT typeof(BillRate), BillRate = 0.00001, SubLevel = 1e20 FROM TaskInfo "
                     "WHERE QBFullName = 'Framing'"),
            (Rows{{"real", "1", "1"}}));
}

// The main job on the sample: notes with a "|" go out with blanks in safe
// lines and are named; the time lines of an inactive employee, which the
// site never got, are warnings it names line by line; the run ends with 3.
// Without safe lines the site refuses the time and the run fails, naming the
// record to fix.
TEST(CliSyncTest, TheSampleEndsWithTheWarningsItNames) {
  const std::vector<std::string> main_job = {"--select-all", "--select", "time,expense",
                                             "--sales-tax-codes", "--embedded-site"};
  TempDir dir;
  const Result r = RunCli(Args(
      {"--safe-lines", "--report", dir / "r.json", "--messages", dir / "m.jsonl"}, Args(main_job)));
  ASSERT_EQ(r.status, 3) << r.out;
  for (const char* piece :
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
        "run ended: completed, with warnings from the site (see the hints)\n"}) {
    EXPECT_NE(r.out.find(piece), std::string::npos) << piece << "\n" << r.out;
  }
  const std::string report = ReadFile(dir / "r.json");
  EXPECT_EQ(Figure(report, "time", "warnings"), "2");
  EXPECT_EQ(Figure(report, "items", "warnings"), "4");
  for (const char* piece :
       {"{\"letter\": \"H\", \"txnID\": \"17-1189040700\", \"field\": \"Notes\", "
        "\"replacedByBlanks\": true}",
        "{\"letter\": \"H\", \"line\": 15, \"key\": \"1F-1212630300\", \"missing\": "
        "\"employee/vendor\", \"listID\": \"80000060-1137429240\"}",
        "\"control\": {\n    \"wgUtilitySet\": 0,\n    \"ResetTessaly\": false,\n",
        "    \"SiteKey\": \"K3********\",\n", "    \"lngFailedTimeCnt\": 0,\n",
        "    \"mDisplayTSError\": true,\n", "    \"SafeLines\": true\n  }\n}\n"}) {
    EXPECT_NE(report.find(piece), std::string::npos) << piece << "\n" << report;
  }

  const Result refused = RunCli(Args({"-q"}, Args(main_job)));
  EXPECT_EQ(refused.status, 1) << refused.out;
  EXPECT_NE(refused.out.find("hint: the time line of TxnID '17-1189040700' has a \"|\" or a line "
                             "break in Notes, which the line format cannot carry"),
            std::string::npos)
      << refused.out;
  EXPECT_NE(refused.out.find("Error in line "), std::string::npos) << refused.out;
}

// A dropped connection is sent again after a wait; the batch lands once.
TEST(CliSyncTest, ADroppedConnectionIsSentAgain) {
  Site site;
  site.server.DropConnections(1);
  const Result r = RunCli(Args({"--param", site.Url(), "--select", "classes"}));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("note: the upload C failed ("), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("); sending it again in 1.0 s (retry 1 of 2)\n"), std::string::npos);
  EXPECT_EQ(site.server.Query("SELECT COUNT(*) FROM ClassInfo"), (Rows{{"9"}}));
  EXPECT_EQ(site.server.Query("SELECT COUNT(*) FROM Uploads"), (Rows{{"1"}}));

  // With no retries the drop ends the run, and the hint says how to go on.
  site.server.DropConnections(1);
  const Result once =
      RunCli(Args({"--param", site.Url(), "--select", "classes", "--retries", "0"}));
  EXPECT_EQ(once.status, 1) << once.out;
  EXPECT_NE(once.out.find("hint: the site at " + site.server.base_url() +
                          " closed the connection before it replied (upload C (request 1): "),
            std::string::npos)
      << once.out;
  EXPECT_NE(once.out.find("run the same command again to send the rest (records sent twice "
                          "are updated, not doubled)"),
            std::string::npos);
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
    std::function<void(vantrel::site::SiteServer&)> setup;
    std::vector<std::string> args;
    std::vector<std::string> present;
  } cases[] = {
      {"wrong key",
       "other",
       [](auto&) {},
       {},
       {"[critical] Could not connect to the Wellgate. Your account has not been setup or has "
        "expired.",
        "' with its key (it replied \"Invalid site code or site key. Kindly try again.\"); check "
        "--param SiteCode and --param SiteKey\n",
        refused_classes}},
      {"refused upload",
       "K3Y-5ECRET",
       [](auto& server) { server.ForceReply("Error: the table is locked"); },
       {},
       {"[critical] The following error occured while executing ASP.\n\nError: the table is "
        "locked\n",
        "hint: the site refused upload C (request 1) with the reply above; nothing of that batch "
        "was applied; what landed before it stays",
        refused_classes}},
      {"a key with an ampersand, in verbose lines and a reply quoting it",
       "S3cr&et99",
       [](auto& server) { server.ForceReply("Error: key S3cr&et99 is locked"); },
       {"--param", "SiteKey=S3cr&et99", "-v"},
       {"sitekey=***&reset=0", "< \"Error: key *** is locked\"", refused_classes}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Site site(c.key);
    c.setup(site.server);
    TempDir dir;
    std::vector<std::string> args =
        Args({"--param", site.Url(), "--select", "classes", "--report", dir / "r.json"});
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 1) << r.out;
    for (const std::string& piece : c.present) {
      EXPECT_NE(r.out.find(piece), std::string::npos) << piece << "\n" << r.out;
    }
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

// The embedded site's temporary folder goes with the run unless it is kept.
TEST(CliSyncTest, TheTemporarySiteGoesUnlessKept) {
  for (const bool keep : {false, true}) {
    SCOPED_TRACE(keep);
    std::vector<std::string> args = Args({"--select", "classes", "--embedded-site"});
    // Even a quiet run says where the kept database is.
    if (keep) args.insert(args.end(), {"--keep-site", "-q"});
    const Result r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.out;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(r.out, match, std::regex("database (/\\S+/site\\.sqlite)")))
        << r.out;
    const std::filesystem::path db = match[1].str();
    EXPECT_EQ(std::filesystem::exists(db), keep);
    EXPECT_EQ(std::filesystem::exists(db.parent_path()), keep);
    if (keep) std::filesystem::remove_all(db.parent_path());
  }
}

}  // namespace
