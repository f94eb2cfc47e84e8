// The command-line wizard, run as a program.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Result {
  int status = -1;
  std::string out;
};

std::string Quote(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

// Runs the wizard from the source folder with `args`; stdout and stderr together.
Result RunCli(const std::vector<std::string>& args) {
  std::string command = "cd " + Quote(VANTREL_SOURCE_DIR) + " && " + Quote(VANTREL_CLI_PATH);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " 2>&1";
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("vantrel-cli-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

TEST(CliTest, ScreenOfTheSamplePage) {
  const Result r = RunCli({"screen", "--page", "samples/page.html"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Label2          \"Consultants\"\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Label3          \"Clients:Engagements\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("chkQBEmployee   [ ]\n"), std::string::npos);
  EXPECT_NE(r.out.find("chkDebugMode    [ ] \"Debug mode off\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("cmdSelectAll    <Select All>\n"), std::string::npos);
  EXPECT_NE(r.out.find("cmdNav(3)       <Start &Sync>\n"), std::string::npos);
  // Hidden controls are left out.
  EXPECT_EQ(r.out.find("chkQBPayTerms"), std::string::npos);
  EXPECT_EQ(r.out.find("optStop"), std::string::npos);
  EXPECT_EQ(r.out.find("frameComm"), std::string::npos);
  EXPECT_EQ(r.out.find("lblContacting"), std::string::npos);
}

TEST(CliTest, ScreenClicksInOrder) {
  const Result r = RunCli({"screen", "--param", "EmpLexicon=Worker", "--click", "cmdSelectAll",
                           "--click", "chkDebugMode", "--click", "optContinue", "--click",
                           "chkQBTimesheet", "--click", "cmdNav(0)"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Label2          \"Workers\"\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("chkQBEmployee   [x]\n"), std::string::npos);
  EXPECT_NE(r.out.find("chkQBTimesheet  [x]\n"), std::string::npos);
  EXPECT_NE(r.out.find("chkQBExpense    [ ]\n"), std::string::npos);
  EXPECT_NE(r.out.find("chkDebugMode    [x] \"Debug mode on\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("optStop         ( ) \"Stop on error\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("optContinue     (o) \"Continue on error\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("cmdSelectAll    <Uncheck All>\n"), std::string::npos);
  EXPECT_NE(r.out.find("[information] This wizard helps you sync your QB data with the "
                       "Tessaly.\nYou can either select"),
            std::string::npos);
}

TEST(CliTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"screen", "--bogus"},
      {"screen", "--click", "cmdNav(3)"},
      {"screen", "--click", "Label1"},
      {"screen", "--param", "novalue"},
      {"screen", "--page", "does/not/exist.html"},
      {"screen", "--param", "ResetTessaly=perhaps"},
      {"screen", "--param", "TimeLastSyncDate=31/31/2031"},
      {"request"},
      {"request", "--select", "classes,widgets"},
      {"request", "--select", "classes", "--version-code", "two"},
      {"sync", "--select", "nothing"},
      {"sync", "--continue-on-error", "--select", "classes"},
      {"sync", "--quickbooks", "does/not/exist.QBW", "--select", "classes"},
      {"validate", "file.xml"},
  };
  for (const auto& args : cases) {
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]) << ": " << r.out;
  }
}

TEST(CliTest, AnUnconvertibleParameterIsNamed) {
  const Result r = RunCli({"screen", "--param", "ClassLastSyncDate=soon"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("parameter ClassLastSyncDate cannot be converted: Type mismatch"),
            std::string::npos)
      << r.out;
}

TEST(CliTest, HelpForEveryCommand) {
  for (const char* command : {"screen", "request", "sync", "validate"}) {
    const Result r = RunCli({command, "--help"});
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find(std::string("usage: vantrel ") + command), std::string::npos);
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
}

TEST(CliTest, SyncWithNothingSelected) {
  const Result r = RunCli({"sync", "--page", "samples/page.html"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("[information] Please select atleast a single item for syncronization"),
            std::string::npos);
}

TEST(CliTest, SyncWithAMissingCompanyFile) {
  const Result r =
      RunCli({"sync", "--page", "samples/page.html", "--param", "QBFilePath=samples/Nowhere.QBW",
              "--param", "WGSecureServerURL=http://127.0.0.1:9/", "--select", "classes",
              "--quickbooks", "samples/Acme.QBW"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("[critical] Cannot find 'samples/Nowhere.QBW'"), std::string::npos) << r.out;
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
  EXPECT_NE(r.out.find("  Getting Classes from QB (10)\n"), std::string::npos);
  EXPECT_NE(r.out.find("  ClassInfo                9 rows\n"), std::string::npos);
  EXPECT_NE(r.out.find("  Vendors                  9 rows\n"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "messages.jsonl"),
            "{\"style\":64,\"text\":\"Quickbooks data synced with Tessaly successfully..\"}\n");
  const std::string report = ReadFile(dir / "report.json");
  EXPECT_NE(report.find("\"SiteCode\": \"ACME01\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"EmpLexicon\": \"Consultant\""), std::string::npos);
  EXPECT_NE(report.find("\"runEnd\": \"completed\""), std::string::npos);
  EXPECT_NE(report.find("\"lngFailedClassCnt\": 0"), std::string::npos);
  EXPECT_NE(report.find("\"nOptions\": \"V\""), std::string::npos);
  EXPECT_NE(report.find("\"counts\": {\"employees\": 0, \"customers\": 0, \"projects\": 0, "
                        "\"classes\": 10, \"accounts\": 0, \"items\": 0, \"vendors\": 10, "),
            std::string::npos);
  EXPECT_NE(report.find("\"failedUploads\": 0,"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "site.sqlite"));
}

TEST(CliTest, SyncInDebugModeWithTheSiteRefusing) {
  TempDir dir;
  // A page naming a server that is not there: every post fails to connect.
  const Result r = RunCli({"sync", "--page", "samples/page.html", "--param",
                           "WGSecureServerURL=http://127.0.0.1:1", "--quickbooks",
                           "samples/Acme.QBW", "--select", "classes", "--debug",
                           "--continue-on-error", "--report", dir / "report.json"});
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("[information] Quickbooks data synced with Tessaly. Following data could "
                       "not be sent..\n\nClasses - 10\n"),
            std::string::npos)
      << r.out;
  const std::string report = ReadFile(dir / "report.json");
  EXPECT_NE(report.find("\"DebugMode\": false"), std::string::npos);
  EXPECT_NE(report.find("\"failedUploads\": 10,"), std::string::npos) << report;
}

}  // namespace
