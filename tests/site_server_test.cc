#include "site/site_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli_support.h"
#include "platform/http_get.h"
#include "platform/web_browser.h"
#include "site/site_database.h"
#include "site/site_net.h"
#include "site/site_page.h"
#include "site/sql_script.h"
#include "site_scripts.h"

namespace vantrel::site {
namespace {

using platform::NewCurlWebBrowser;
using platform::WebBrowser;
using namespace scripts;  // NOLINT: the script builders

constexpr char kCode[] = "ABC";
constexpr char kKey[] = "K3y";
constexpr char kInvalid[] = "Invalid site code or site key. Kindly try again.";

// The options of a site with code kCode and key kKey.
SiteOptions Options() {
  SiteOptions options;
  options.site_code = kCode;
  options.site_key = kKey;
  return options;
}

// Sends one request through the browser and returns the text of the first
// document that completes.
std::optional<std::string> Browse(const std::string& url,
                                  const std::optional<std::string>& body = std::nullopt) {
  std::unique_ptr<WebBrowser> browser = NewCurlWebBrowser();
  std::vector<std::optional<std::string>> done;
  browser->set_on_document_complete(
      [&](const std::optional<std::string>& text) { done.push_back(text); });
  std::optional<std::vector<std::uint8_t>> post;
  if (body) post.emplace(body->begin(), body->end());
  browser->Navigate2(url, platform::kNavNoHistory | platform::kNavNoReadFromCache, post,
                     "Content-Type:text/plain\r\n");
  for (int i = 0; i < 3000 && done.empty(); ++i) browser->Poll(std::chrono::milliseconds(10));
  EXPECT_EQ(done.size(), 1u);
  return done.empty() ? std::nullopt : done.front();
}

// ----------------------------------------------------------------- the pages

class SiteServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<SiteServer>(Options());
    server_->Start();
  }

  std::optional<std::string> Send(const std::string& page_and_query,
                                  const std::optional<std::string>& body = std::nullopt) {
    return Browse(server_->base_url() + page_and_query, body);
  }

  std::optional<std::string> Upload(const std::string& script, const std::string& letter = "C") {
    return Send("vantrel.asp?sitecode=ABC&sitekey=K3y&reset=0&options=" + letter + "&usrnm=Anne",
                script);
  }

  Rows Select(const std::string& sql) { return server_->Query(sql); }

  std::unique_ptr<SiteServer> server_;
};

TEST_F(SiteServerTest, PagesCheckTheSiteAndTheStatusPageRecordsTheUpdate) {
  for (const char* query :
       {"sitecode=ABC&sitekey=wrong", "sitecode=abc&sitekey=K3y", "sitekey=K3y"}) {
    EXPECT_EQ(Send(std::string("vantrel.asp?") + query + "&options=C", ClassRow("C1", "One")),
              kInvalid);
  }
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=nope&options=C"), kInvalid);
  EXPECT_EQ(Select(kTables), (Rows{{"ExpenseLines"},
                                   {"LineWarnings"},
                                   {"StatusUpdates"},
                                   {"TimeTransactions"},
                                   {"UploadRows"},
                                   {"Uploads"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM Uploads"), (Rows{{"0"}}));
  EXPECT_EQ(Select("SELECT COUNT(*) FROM StatusUpdates"), (Rows{{"0"}}));

  // The pages answer at the site's path only (in any letter case); the body
  // is the upload script.
  EXPECT_EQ(Send("tessaly/secure/vantrel.asp?sitecode=ABC&sitekey=K3y&options=T",
                 TaskRow("I1", "O''Neil+%41")),
            "Not found");
  EXPECT_EQ(Send("Vantrel.ASP?sitecode=ABC&sitekey=K3y&options=T", TaskRow("I1", "O''Neil+%41")),
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
  // Time lines naming records the site lacks, line by line in LineWarnings.
  EXPECT_EQ(Upload(TimeLine("T1", "", "", "I1") + TimeLine("T2", "E404", "", "I1"), "H"),
            "SUCCESS1");
  EXPECT_EQ(Select("SELECT u.Options, w.LineNo, w.LineKey, w.RefKind, w.ListID FROM LineWarnings "
                   "w JOIN Uploads u ON u.rowid = w.UploadID"),
            (Rows{{"H", "2", "T2", "employee/vendor", "E404"}}));
  EXPECT_EQ(Send("tessaly/other.asp"), "Not found");
  server_->ClearRequests();
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&"
                 "options=H&upstarttime=12/04/2026 16:05:09&usrnm=Anne+Smith%21"),
            "SUCCESS");
  EXPECT_EQ(Select("SELECT Options, UpStartTime, UserName, length(ReceivedAt) FROM StatusUpdates"),
            (Rows{{"H", "12/04/2026 16:05:09", "Anne Smith!", "19"}}));
  // The page is dated from these times: one that is not a date is refused.
  for (const std::string time : {"someday", "13/45/2026 10:00:00", ""}) {
    EXPECT_EQ(
        Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=H&upstarttime=" + time),
        "Error: the upstarttime \"" + time +
            "\" is not a date; the status update was not recorded.");
  }
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=H"),
            "Error: the upstarttime \"\" is not a date; the status update was not recorded.");
  EXPECT_EQ(Select("SELECT COUNT(*) FROM StatusUpdates"), (Rows{{"1"}}));
  std::vector<LoggedRequest> log = server_->requests();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].target,
            "/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&options=H&"
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
// entity, the last-sync date of its last run; a template of one's own is
// filled the same way.
TEST_F(SiteServerTest, TheHostingPageDatesEachEntityByItsLastRun) {
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
  // The service's own words, so that the control's list reads as the site's.
  for (const auto& [name, word] : {std::pair{"CustLexicon", "Customer"},
                                   {"EmpLexicon", "Employee"},
                                   {"ProjLexicon", "Project"},
                                   {"SubProjLexicon", "Sub Project"},
                                   {"SILexicon", "Service Item"}}) {
    EXPECT_NE(before.find(param(name, word)), std::string::npos) << name;
  }
  // A row an older site stored before it checked the dates.
  server_->Query("INSERT INTO StatusUpdates (Options, UpStartTime) VALUES ('G', '99/99/2026')");
  for (const char* status :
       {"options=H&upstarttime=12/04/2026 16:05:09", "options=p&upstarttime=12/05/2026 08:00:00",
        "options=H&upstarttime=12/06/2026 09:30:00", "options=B&upstarttime=12/06/2026 10:00:00"}) {
    EXPECT_EQ(Send(std::string("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&") + status),
              "SUCCESS");
  }
  const std::string after = page();
  // H's last run: what came after its first status update.
  EXPECT_NE(after.find(param("TimeLastSyncDate", "12/05/2026 07:50:00")), std::string::npos)
      << after;
  EXPECT_NE(after.find(param("CustomerLastSyncDate", "12/04/2026 15:55:09")), std::string::npos);
  EXPECT_NE(after.find(param("GLAccountsLastSyncDate", "")), std::string::npos) << "no date";
  EXPECT_NE(after.find(param("ExpenseLastSyncDate", "")), std::string::npos) << "B dates nothing";
  EXPECT_EQ(after.find("{{"), std::string::npos);

  EXPECT_EQ(FillPageTemplate("<p>{{SiteKey}} {{Unknown}} {{TasksLastSyncDate}}</p>{{",
                             PageValues("http://x/", "C", "a\"<&>", {{"T", {"1/2/2030"}}})),
            "<p>a&quot;&lt;&amp;&gt; {{Unknown}} 01/01/2030 23:50:00</p>{{");
  EXPECT_EQ(LastSyncKeyOfLetter("g"), "GLAccountsLastSyncDate");
  EXPECT_EQ(LastSyncKeyOfLetter("B"), "");
}

// A site in a folder of its own, with words of its own: its pages answer
// there only, and its page names the folder and the words.
TEST(SiteServerPathTest, PagesAnswerAtTheSitesPathWithItsWords) {
  SiteOptions options = Options();
  options.path = "/tessaly/";
  ASSERT_TRUE(SetLexicon(options.lexicons, "EmpLexicon", "Consultant"));
  EXPECT_FALSE(SetLexicon(options.lexicons, "ClassLexicon", "Group"));
  SiteServer server(options);
  const int port = server.Start();
  const std::string root = "http://127.0.0.1:" + std::to_string(port);
  ASSERT_EQ(server.base_url(), root + "/tessaly/");
  const platform::FetchedPage page = platform::HttpGet(server.base_url() + "page.html");
  EXPECT_NE(page.body.find("<param name=\"WGSecureServerURL\" value=\"" + root + "/tessaly/\">"),
            std::string::npos)
      << page.body;
  EXPECT_NE(page.body.find("<param name=\"EmpLexicon\" value=\"Consultant\">"), std::string::npos);
  EXPECT_NE(page.body.find("<param name=\"CustLexicon\" value=\"Customer\">"), std::string::npos);
  for (const std::string wrong : {"/page.html", "/wrong/vantrel.asp", "/tessaly/x/vantrel.asp",
                                  "/vantrelupdatestatus.asp", "/tessaly"}) {
    EXPECT_EQ(Browse(root + wrong + "?sitecode=ABC&sitekey=K3y&options=C"), "Not found") << wrong;
  }
  EXPECT_EQ(Browse(server.base_url() + "vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&"
                                       "options=C&upstarttime=1/2/2030"),
            "SUCCESS");
  for (const std::string bad : {"", "tessaly/", "/tessaly"}) {
    SiteOptions odd = Options();
    odd.path = bad;
    EXPECT_THROW(SiteServer(odd).Start(), std::runtime_error) << bad;
  }
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
  SiteOptions options = Options();
  options.log_line = [&](const std::string& line) {
    std::lock_guard<std::mutex> lock(mu);
    lines.push_back(line);
  };
  SiteServer server(options);
  const int port = server.Start();
  platform::HttpGet(
      server.base_url() +
      "vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C&upstarttime=1/2/2030");
  platform::HttpGet(server.base_url() + "elsewhere");
  {
    std::lock_guard<std::mutex> lock(mu);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" GET /vantrelupdatestatus.asp?sitecode=ABC&sitekey=***&options=C&"
                            "upstarttime=1/2/2030 0 bytes: reply \"SUCCESS\""),
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

// A server starts once; what it stored in its file is there for the next
// one, and an unrelated database stays apart.
TEST(SiteServerStartTest, StartStopAndADatabaseFileThatOutlivesTheServer) {
  vantrel::testing::TempDir dir;
  SiteOptions options = Options();
  options.db_path = dir / "site.sqlite";
  {
    SiteServer first(options);
    EXPECT_GT(first.Start(), 0);
    EXPECT_THROW(first.Start(), std::runtime_error);
    EXPECT_EQ(SiteDatabase(":memory:").ApplyUpload(ClassRow("C9", "Other"), "C"), "SUCCESS");
    EXPECT_EQ(SiteDatabase(options.db_path).ApplyUpload(ClassRow("C1", "One"), "C"), "SUCCESS");
    first.Stop();
    EXPECT_THROW(first.Query("SELECT 1"), std::runtime_error);
  }
  SiteServer again(options);
  again.Start();
  EXPECT_EQ(again.Query("SELECT ClassName FROM ClassInfo"), (Rows{{"One"}}));
}

// A raw connection to the server: sends `request` and reads until the server
// closes the connection or `wait_seconds` pass without a byte.
struct RawClient {
  explicit RawClient(int port, int wait_seconds = 5) {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval wait{wait_seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
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
  // Sends `text` eight bytes at a time, every `pause`, until it is sent, the
  // server closes the connection or `stop` is set.
  void Trickle(const std::string& text, std::chrono::milliseconds pause,
               const std::atomic<bool>& stop) const {
    for (size_t at = 0; at < text.size() && !stop; at += 8) {
      if (::send(fd, text.data() + at, std::min<size_t>(8, text.size() - at), MSG_NOSIGNAL) < 0) {
        return;
      }
      std::this_thread::sleep_for(pause);
    }
  }
  // One reply: its headers and as many bytes as its Content-Length.
  std::string ReadReply() const {
    std::string got;
    char buf[4096];
    for (;;) {
      const size_t head = got.find("\r\n\r\n");
      if (head != std::string::npos) {
        const size_t length_at = got.find("Content-Length: ");
        const size_t length =
            length_at < head ? std::strtoul(got.c_str() + length_at + 16, nullptr, 10) : 0;
        if (got.size() >= head + 4 + length) return got;
      }
      const ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n <= 0) return got;
      got.append(buf, static_cast<size_t>(n));
    }
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

// A run ends when its work is done: stopping the server does not wait for
// a connection its client keeps open for a next request.
TEST(SiteServerLimitsTest, StopDoesNotWaitOutAKeptConnection) {
  SiteOptions options = Options();
  options.keep_alive = std::chrono::seconds(60);
  options.request_timeout = std::chrono::seconds(60);  // the watch leaves it open too
  auto server = std::make_unique<SiteServer>(options);
  const int port = server->Start();
  RawClient client(port);
  ASSERT_TRUE(client.connected);
  client.Send(
      "GET /vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C&upstarttime=12/07/2026%20"
      "10:00:00 HTTP/1.1\r\nHost: x\r\n\r\n");
  const std::string reply = client.ReadReply();
  EXPECT_NE(reply.find("\r\n\r\nSUCCESS"), std::string::npos) << reply;
  auto stopped = std::async(std::launch::async, [&] { server.reset(); });
  EXPECT_EQ(stopped.wait_for(std::chrono::seconds(20)), std::future_status::ready)
      << "the server waits out the kept connection (60 s)";
}

TEST(SiteServerLimitsTest, LargeBodiesAndStalledClientsAreTurnedAway) {
  SiteOptions options = Options();
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

// Clients that send their request a few bytes at a time (each part well
// within the read timeout) are closed once their request is overdue, so more
// of them than the server has workers cannot keep a normal request from its
// answer; a body that comes too slowly is not applied.
TEST(SiteServerLimitsTest, TricklingClientsCannotHoldEveryWorker) {
  SiteOptions options = Options();
  options.workers = 2;
  options.request_timeout = std::chrono::milliseconds(1000);
  options.min_body_rate = 100000;
  options.max_body_time = std::chrono::milliseconds(1000);
  ASSERT_EQ(options.io_timeout, std::chrono::milliseconds(10000));
  SiteServer server(options);
  const int port = server.Start();
  const std::string page =
      "POST /vantrel.asp?sitecode=ABC&sitekey=K3y&options=C HTTP/1.1\r\nHost: x\r\n"
      "Connection: close\r\nContent-Length: ";
  const std::string slow_row = ClassRow("C9", "Slow") + std::string(2000, ' ');

  std::atomic<bool> stop{false};
  std::vector<std::unique_ptr<RawClient>> clients;
  std::vector<std::thread> threads;
  for (int i = 0; i < 5; ++i) {
    clients.push_back(std::make_unique<RawClient>(port));
    ASSERT_TRUE(clients.back()->connected);
    // Four send their headers slowly, the last its body, whose declared
    // length (60 MB) its pace would take ten minutes to send.
    std::string text = page + std::to_string(i < 4 ? slow_row.size() : 60000000) + "\r\n\r\n";
    if (i < 4) {
      text += std::string(4000, 'x');  // never reaches its end
    } else {
      clients.back()->Send(text);
      text = slow_row;
    }
    threads.emplace_back([client = clients.back().get(), text, &stop] {
      client->Trickle(text, std::chrono::milliseconds(100), stop);
    });
  }
  RawClient upload(port, 30);
  const std::string row = ClassRow("C1", "One");
  upload.Send(page + std::to_string(row.size()) + "\r\n\r\n" + row);
  const std::optional<std::string> reply = upload.ReadToClose();
  stop = true;
  for (std::thread& t : threads) t.join();
  ASSERT_TRUE(reply) << "no answer while slow clients held the workers";
  EXPECT_EQ(reply->substr(reply->size() - 9), "\r\nSUCCESS") << *reply;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(clients[i]->ReadToClose()) << "client " << i;
  EXPECT_EQ(server.Query("SELECT QBListID FROM ClassInfo"), (Rows{{"C1"}}));
}

// ----------------------------------------------------------------- the program

// Prints its port, serves (the reply format and the page template of its
// flags), logs each request on standard error and ends on SIGTERM.
TEST(SiteProgramTest, ServesUntilTerminated) {
  vantrel::testing::TempDir dir;
  std::ofstream(dir / "page.html") << "<p>{{SiteCode}}/{{TimeLastSyncDate}}</p>";
  vantrel::testing::Child site(
      VANTREL_SITE_PATH, {"--listen", "127.0.0.1:0", "--site-code", kCode, "--site-key", kKey,
                          "--reply-format", "html", "--log", "--page-template", dir / "page.html"});
  const std::string first = site.ReadUntil("\n");
  ASSERT_EQ(first.rfind("listening on 127.0.0.1:", 0), 0u) << first;
  const std::string base = "http://127.0.0.1:" + std::to_string(std::stoi(first.substr(23))) + "/";

  EXPECT_EQ(Browse(base + "vantrel.asp?sitecode=ABC&sitekey=K3y&options=C", ""),
            "No data to upload. ");
  EXPECT_EQ(platform::HttpGet(base + "page.html").body, "<p>ABC/</p>");
  const std::string log = site.ReadUntil("served the page");
  for (const char* line : {" POST /vantrel.asp?sitecode=ABC&sitekey=***&options=C 0 bytes: reply "
                           "\"No data to upload. \"\n",
                           " GET /page.html 0 bytes: served the page\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << log;
  }

  kill(site.pid, SIGTERM);
  std::string rest;
  EXPECT_EQ(site.Wait(&rest), 0) << rest;
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
