#include "site/site_server.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli_support.h"
#include "platform/http_get.h"
#include "platform/web_browser.h"
#include "site/site_net.h"
#include "site/site_page.h"
#include "site_scripts.h"

namespace vantrel::site {
namespace {

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

using Fields = WebBrowser::HeaderFields;
const Fields kNoRows = {{"X-Vantrel-Rows", "none"}};

// Sends one request through the browser and returns the text of the first
// document that completes; `told` gets the X-Vantrel- header fields of its
// reply, by name (fields of one name keep their order).
std::optional<std::string> Browse(const std::string& url,
                                  const std::optional<std::string>& body = std::nullopt,
                                  Fields* told = nullptr) {
  std::unique_ptr<WebBrowser> browser = platform::NewCurlWebBrowser();
  std::vector<std::optional<std::string>> done;
  browser->set_on_document_complete(
      [&](const std::optional<std::string>& text) { done.push_back(text); });
  std::optional<std::vector<std::uint8_t>> post;
  if (body) post.emplace(body->begin(), body->end());
  browser->Navigate2(url, platform::kNavNoHistory | platform::kNavNoReadFromCache, post,
                     "Content-Type:text/plain\r\n");
  for (int i = 0; i < 3000 && done.empty(); ++i) browser->Poll(std::chrono::milliseconds(10));
  EXPECT_EQ(done.size(), 1u);
  if (told != nullptr) {
    told->clear();
    for (const auto& field : browser->LastReplyHeaders()) {
      if (platform::StartsWithNoCase(field.first, "X-Vantrel-")) told->push_back(field);
    }
    std::stable_sort(told->begin(), told->end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  return done.empty() ? std::nullopt : done.front();
}

// ----------------------------------------------------------------- the pages

// A site in a folder of its own, with a word of its own.
class SiteServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SiteOptions options = Options();
    options.path = "/tessaly/";
    ASSERT_TRUE(SetLexicon(options.lexicons, "EmpLexicon", "Consultant"));
    EXPECT_FALSE(SetLexicon(options.lexicons, "ClassLexicon", "Group"));
    server_ = std::make_unique<SiteServer>(options);
    root_ = "http://127.0.0.1:" + std::to_string(server_->Start());
    ASSERT_EQ(server_->base_url(), root_ + "/tessaly/");
  }

  // Sends to one of the site's pages; told_ gets the reply's header fields.
  std::optional<std::string> Send(const std::string& page_and_query,
                                  const std::optional<std::string>& body = std::nullopt) {
    return Browse(server_->base_url() + page_and_query, body, &told_);
  }

  std::optional<std::string> Upload(const std::string& script, const std::string& letter = "C") {
    return Send("vantrel.asp?sitecode=ABC&sitekey=K3y&reset=0&options=" + letter + "&usrnm=Anne",
                script);
  }

  Rows Select(const std::string& sql) { return server_->Query(sql); }

  std::unique_ptr<SiteServer> server_;
  std::string root_;  // "http://127.0.0.1:PORT"
  Fields told_;
};

TEST_F(SiteServerTest, PagesCheckTheSiteAndTheStatusPageRecordsTheUpdate) {
  for (const char* query :
       {"sitecode=ABC&sitekey=wrong", "sitecode=abc&sitekey=K3y", "sitekey=K3y"}) {
    EXPECT_EQ(Send(std::string("vantrel.asp?") + query + "&options=C", ClassRow("C1", "One")),
              kInvalid);
    EXPECT_EQ(told_, kNoRows);
  }
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=nope&options=C"), kInvalid);
  EXPECT_EQ(Select("SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name = 'ClassInfo'), "
                   "(SELECT COUNT(*) FROM Uploads), (SELECT COUNT(*) FROM StatusUpdates)"),
            (Rows{{"0", "0", "0"}}));

  // The pages answer at the site's path only (in any letter case); the body
  // is the upload script.
  for (const std::string wrong :
       {"/vantrel.asp", "/wrong/vantrel.asp", "/tessaly/x/vantrel.asp", "/tessaly",
        "/vantrelupdatestatus.asp", "/tessaly/other.asp", "/page.html"}) {
    EXPECT_EQ(Browse(root_ + wrong + "?sitecode=ABC&sitekey=K3y&options=T", TaskRow("I9"), &told_),
              "Not found")
        << wrong;
    EXPECT_EQ(told_, Fields{});
  }
  EXPECT_EQ(Send("Vantrel.ASP?sitecode=ABC&sitekey=K3y&options=T",
                 TaskRow("I1", "First") + TaskRow("I1", "O''Neil+%41")),
            "SUCCESST");
  EXPECT_EQ(told_, (Fields{{"X-Vantrel-Rows", "TaskInfo=1/1"}}));
  EXPECT_EQ(Select("SELECT TaskName FROM TaskInfo"), (Rows{{"O'Neil+%41"}}));
  const std::string refused =
      "Error in statement 1: DROP TABLE TaskInfo: expected IF or UPDATE near \"DROP\"";
  EXPECT_EQ(Send("vantrel.asp?sitecode=ABC&sitekey=K3y&options=C&upstarttime=6/15/2030 12:00:00 "
                 "PM&usrnm=Anne&debugmode=True",
                 "DROP TABLE TaskInfo\r\n"),
            refused);
  EXPECT_EQ(told_, kNoRows);
  EXPECT_EQ(Select("SELECT Options, UpStartTime, UserName, DebugMode, Reply FROM Uploads"),
            (Rows{{"T", "", "", "", "SUCCESST"},
                  {"C", "6/15/2030 12:00:00 PM", "Anne", "True", refused}}));
  EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&bmclntver=4.06&"
                 "options=H&upstarttime=12/04/2026 16:05:09&usrnm=Anne+Smith%21"),
            "SUCCESS");
  EXPECT_EQ(told_, kNoRows);
  EXPECT_EQ(Select("SELECT Options, UpStartTime, UserName, length(ReceivedAt) FROM StatusUpdates"),
            (Rows{{"H", "12/04/2026 16:05:09", "Anne Smith!", "19"}}));
  // The page is dated from these times: one that is not a date is refused
  // (none at all too).
  for (const std::string time : {"someday", "13/45/2026 10:00:00", ""}) {
    EXPECT_EQ(Send("vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=H" +
                   (time.empty() ? "" : "&upstarttime=" + time)),
              "Error: the upstarttime \"" + time +
                  "\" is not a date; the status update was not recorded.");
  }
  EXPECT_EQ(Select("SELECT COUNT(*) FROM StatusUpdates"), (Rows{{"1"}}));
}

// The HTML reply shows the reply text only, its line breaks kept; a forced
// reply too.
TEST_F(SiteServerTest, TheHtmlReplyShowsTheReplyTextOnly) {
  server_->set_reply_format(ReplyFormat::kHtml);
  server_->ForceReply("SUCCESS  with   blanks\r\nand a second line");
  EXPECT_EQ(Upload(""), "SUCCESS with blanks\r\nand a second line");
  EXPECT_EQ(Upload(TaskRow("I1", "A<b>&c"), "T"), "SUCCESST");
  EXPECT_EQ(told_, (Fields{{"X-Vantrel-Rows", "TaskInfo=1/0"}}));
  EXPECT_EQ(Upload(ClassRow("C1", "One") + "UPDATE <b>\r\n"),
            "Error in statement 2: UPDATE <b>: expected a table near \"<\"");
}

// The hosting page carries the site's address, code and key and the
// service's own words (so that the control's list reads as the site's); a
// template of one's own is filled the same way. (The dates of the runs are
// the database's, and a whole run reads them from this page.)
TEST_F(SiteServerTest, TheHostingPageCarriesTheSitesParameters) {
  const platform::FetchedPage page = platform::HttpGet(server_->base_url() + "page.html");
  ASSERT_TRUE(page.ok) << page.error;
  EXPECT_EQ(page.body.find("{{"), std::string::npos);
  for (const auto& [name, value] :
       std::vector<std::pair<std::string, std::string>>{{"WGSecureServerURL", server_->base_url()},
                                                        {"SiteCode", "ABC"},
                                                        {"SiteKey", "K3y"},
                                                        {"CustLexicon", "Customer"},
                                                        {"EmpLexicon", "Consultant"},
                                                        {"ProjLexicon", "Project"},
                                                        {"SubProjLexicon", "Sub Project"},
                                                        {"SILexicon", "Service Item"}}) {
    EXPECT_NE(page.body.find("<param name=\"" + name + "\" value=\"" + value + "\">"),
              std::string::npos)
        << name << "\n"
        << page.body;
  }
  EXPECT_EQ(FillPageTemplate("<p>{{SiteKey}} {{Unknown}} {{TasksLastSyncDate}}</p>{{",
                             PageValues("http://x/", "C", "a\"<&>", {{"T", {"1/2/2030"}}})),
            "<p>a&quot;&lt;&amp;&gt; {{Unknown}} 01/01/2030 23:50:00</p>{{");
}

// The log masks the key (the program's log shows it in use). A server starts
// once, at a path with a "/" at each end, and not on a port in use (the
// reason said); a stopped one answers no query. (A database file that
// outlives its server serves the next run: see the whole runs.)
TEST(SiteServerStartTest, KeyMasksAndStarts) {
  EXPECT_EQ(MaskSiteKey("/x?SiteKey=secret"), "/x?SiteKey=***");
  EXPECT_EQ(MaskSiteKey("/x?sitecode=A"), "/x?sitecode=A");
  // A key too short to look for is masked only as the query's value.
  EXPECT_EQ(MaskKeyIn("/x?sitekey=K&a=K", "K"), "/x?sitekey=***&a=K");

  SiteServer server(Options());
  SiteOptions same;
  same.port = server.Start();
  EXPECT_THAT([&] { SiteServer(same).Start(); },
              ::testing::ThrowsMessage<std::runtime_error>(
                  "cannot listen on 127.0.0.1:" + std::to_string(same.port) +
                  ": Address already in use (another program listens there: pick another "
                  "port, or 0 for a free one)"));
  EXPECT_THROW(server.Start(), std::runtime_error);
  for (const std::string bad : {"", "tessaly/", "/tessaly"}) {
    SiteOptions odd = Options();
    odd.path = bad;
    EXPECT_THROW(SiteServer(odd).Start(), std::runtime_error) << bad;
  }
  server.Stop();
  EXPECT_THROW(server.Query("SELECT 1"), std::runtime_error);
}

// A raw connection to the server, for requests no browser sends.
struct RawClient {
  explicit RawClient(int port, int wait_seconds = 5) : fd(socket(AF_INET, SOCK_STREAM, 0)) {
    timeval wait{wait_seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  ~RawClient() { close(fd); }
  void Send(const std::string& text) const {
    EXPECT_EQ(::send(fd, text.data(), text.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(text.size()));
  }
  // What the server sent until `until` came (when given) or it closed the
  // connection; nullopt when it sent nothing for the wait.
  std::optional<std::string> Read(const std::string& until = "") const {
    std::string got;
    char buf[4096];
    while (until.empty() || got.find(until) == std::string::npos) {
      const ssize_t n = recv(fd, buf, sizeof buf, 0);
      if (n == 0 || (n < 0 && errno == ECONNRESET)) return got;
      if (n < 0) return std::nullopt;
      got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }
  int fd;
};

// The head of an upload whose body is `length` bytes long.
std::string UploadHead(size_t length) {
  return "POST /vantrel.asp?sitecode=ABC&sitekey=K3y&options=C HTTP/1.1\r\nHost: x\r\n"
         "Connection: close\r\nContent-Length: " +
         std::to_string(length) + "\r\n\r\n";
}

// Uploads ClassRow C1 on a connection of its own: the server answers it.
void ExpectAnUploadGetsThrough(int port, int wait_seconds = 5) {
  RawClient upload(port, wait_seconds);
  const std::string row = ClassRow("C1", "One");
  upload.Send(UploadHead(row.size()) + row);
  const std::optional<std::string> reply = upload.Read();
  EXPECT_TRUE(reply && reply->ends_with("\r\nSUCCESS")) << reply.value_or("no answer");
}

// A run ends when its work is done: stopping the server does not wait for
// a connection its client keeps open for a next request.
TEST(SiteServerLimitsTest, StopDoesNotWaitOutAKeptConnection) {
  SiteOptions options = Options();
  options.keep_alive = std::chrono::seconds(60);
  options.request_timeout = std::chrono::seconds(60);  // the watch leaves it open too
  auto server = std::make_unique<SiteServer>(options);
  RawClient client(server->Start());
  client.Send(
      "GET /vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C&upstarttime=12/07/2026%20"
      "10:00:00 HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_TRUE(client.Read("\r\n\r\nSUCCESS"));
  auto stopped = std::async(std::launch::async, [&] { server.reset(); });
  EXPECT_EQ(stopped.wait_for(std::chrono::seconds(20)), std::future_status::ready)
      << "the server waits out the kept connection (60 s)";
}

TEST(SiteServerLimitsTest, LargeBodiesAndStalledClientsAreTurnedAway) {
  SiteOptions options = Options();
  options.max_body = 1024;
  options.io_timeout = std::chrono::milliseconds(300);
  options.request_log_limit = 1;
  SiteServer server(options);
  const int port = server.Start();

  // One byte over the limit is refused unread and unapplied; at the limit the
  // body is read (and refused here only because it is no statement).
  auto reply_to = [port](size_t size) {
    RawClient client(port);
    client.Send(UploadHead(size) + std::string(size, 'x'));
    return client.Read().value_or("no answer");
  };
  EXPECT_THAT(reply_to(1025),
              ::testing::AllOf(::testing::StartsWith("HTTP/1.1 413"),
                               ::testing::HasSubstr("\r\n\r\nError: the upload is larger than the "
                                                    "1024 bytes this server accepts in one "
                                                    "request; nothing of it was applied.")));
  EXPECT_THAT(reply_to(1024), ::testing::HasSubstr("\r\n\r\nError in statement 1: xxx"));

  // More stalled clients than the server has workers: each is closed once it
  // has sent nothing for the timeout, and a real upload still gets through.
  std::vector<std::unique_ptr<RawClient>> stalled;
  for (int i = 0; i < 20; ++i) {
    stalled.push_back(std::make_unique<RawClient>(port));
    stalled.back()->Send(i % 2 ? UploadHead(100) + "IF (" : "POST /vantrel.asp HTTP/1.1\r\nHo");
  }
  ExpectAnUploadGetsThrough(port);
  for (const auto& client : stalled) EXPECT_TRUE(client->Read());
  EXPECT_EQ(server.Query("SELECT ClassName FROM ClassInfo"), (Rows{{"One"}}));

  // The log keeps the latest requests only.
  const std::vector<LoggedRequest> log = server.requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log.back().body, ClassRow("C1", "One"));
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
  const std::string slow_row = ClassRow("C9", "Slow") + std::string(2000, ' ');

  std::atomic<bool> stop{false};
  std::vector<std::unique_ptr<RawClient>> clients;
  std::vector<std::thread> threads;
  for (int i = 0; i < 5; ++i) {
    clients.push_back(std::make_unique<RawClient>(port));
    // Four send their headers slowly, the last its body, whose declared
    // length (60 MB) its pace would take ten minutes to send.
    std::string text = UploadHead(slow_row.size()) + std::string(4000, 'x');  // never ends
    if (i == 4) {
      clients.back()->Send(UploadHead(60000000));
      text = slow_row;
    }
    // Eight bytes every 100 ms, until all is sent, the server closes the
    // connection or the test is done.
    threads.emplace_back([fd = clients.back()->fd, text, &stop] {
      for (size_t at = 0; at < text.size() && !stop; at += 8) {
        if (::send(fd, text.data() + at, std::min<size_t>(8, text.size() - at), MSG_NOSIGNAL) < 0) {
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    });
  }
  ExpectAnUploadGetsThrough(port, 30);
  stop = true;
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(clients[i]->Read()) << "client " << i;
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
  EXPECT_EQ(platform::HttpGet(base + "elsewhere").body, "Not found");
  EXPECT_EQ(platform::HttpGet(base + "page.html").body, "<p>ABC/</p>");
  vantrel::testing::ExpectPieces(
      site.ReadUntil("served the page"),
      {" POST /vantrel.asp?sitecode=ABC&sitekey=***&options=C 0 bytes: "
       "reply \"No data to upload. \"\n",
       " GET /elsewhere 0 bytes: 404 not found\n", " GET /page.html 0 bytes: served the page\n"});

  kill(site.pid, SIGTERM);
  std::string rest;
  EXPECT_EQ(site.Wait(&rest), 0) << rest;
}

TEST(SiteProgramTest, VersionAndBadFlags) {
  vantrel::testing::Child version(VANTREL_SITE_PATH, {"--version"});
  std::string out = version.ReadUntil("\n");
  EXPECT_TRUE(out.starts_with("vantrel-site 1.4 (commit ")) << out;
  EXPECT_EQ(version.Wait(&out), 0) << out;

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
