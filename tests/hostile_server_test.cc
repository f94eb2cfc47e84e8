// Whole runs of `vantrel sync` against servers that answer as no site should:
// a reply without a readable page, a redirect (to another loopback address),
// a reply that drips, a connection reset in the middle of the body. Each must
// end the run as failed, show the messages that say so, send no status
// update (nothing is marked as synced), and send nothing to another host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "canned_server.h"
#include "cli_support.h"

namespace vantrel::testing {
namespace {

using namespace std::chrono_literals;

constexpr char kNoDocument[] =
    "[information] Could not sync QB's data with Tessaly. Please try later.\n"
    "hint: the site answered upload C (request 1) without a readable page (";
constexpr char kUnknown[] =
    "[critical] An unknown error has occured. Kindly contact the system administrator.";
constexpr char kNoConnection[] =
    "[critical] Could not connect to the Wellgate. Please check if you have an internet "
    "connection and it is properly setup.";

struct HostileCase {
  const char* name;
  CannedReply reply;
  std::vector<std::string> output;  // pieces the output holds, in order
};

std::vector<HostileCase> Cases(const std::string& elsewhere) {
  const std::string moved = "Location: " + elsewhere + "?sitecode=ACME01&sitekey=K3Y-5ECRET\r\n";
  return {
      {"an empty 503 from a proxy",
       {"HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"},
       {kNoDocument, "HTTP 503, no content type, 0 bytes: no readable page", kUnknown}},
      {"a page without text",
       {HttpReply("200 OK", "text/html", "<html><body><img src=x></body></html>")},
       {"[critical] The following error occured while executing ASP.\n\n\nhint: the site refused "
        "upload C"}},
      // A redirect that repeats the query shows it with the key masked.
      {"a 307",
       {HttpReply("307 Temporary Redirect", "text/plain", "", moved)},
       {kNoConnection, "answered upload C (request 1) with a redirect to " + elsewhere +
                           "?sitecode=ACME01&sitekey=***, which is never followed"}},
      {"a drip: a byte every 300 ms",
       {HttpReply("200 OK", "text/plain", "SUCCESS and a long tail of text"), 300ms},
       {kNoConnection, "did not give its whole reply in time (--request-timeout sets the limit)",
        "Timeout was reached"}},
      {"a reset in the middle of the body",
       {"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 100\r\n\r\nSUCC", 0ms,
        true},
       {kNoConnection, "closed the connection before it replied"}},
  };
}

TEST(HostileServerTest, NothingIsMarkedSyncedAndNothingGoesElsewhere) {
  CannedServer elsewhere(std::map<std::string, CannedReply>{}, "127.0.0.2");
  const std::string target = elsewhere.url("/vantrel.asp");
  for (const HostileCase& c : Cases(target)) {
    SCOPED_TRACE(c.name);
    CannedServer server(
        {{"/vantrel.asp", c.reply},
         {"/vantrelupdatestatus.asp", {HttpReply("200 OK", "text/plain", "SUCCESS")}}});
    const Result r =
        RunCli({"sync", "--page", "samples/page.html", "--param",
                "WGSecureServerURL=" + server.url("/"), "--quickbooks", "samples/Acme.QBW",
                "--select", "classes", "--retries", "0", "--request-timeout", "2"});
    EXPECT_EQ(r.status, 1) << r.out;
    std::size_t at = 0;
    for (const std::string& piece : c.output) {
      at = r.out.find(piece, at);
      ASSERT_NE(at, std::string::npos) << piece << "\n" << r.out;
    }
    ExpectPieces(r.out, {"classes           10        10   unknown   unknown         1         "
                         "0         0         0      10\n",
                         "run ended: stopped\n"});
    EXPECT_EQ(r.out.find("K3Y-5ECRET"), std::string::npos) << "the key shows";
    // One post, no status update: the classes stay unsynced.
    const std::vector<std::string> lines = server.request_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("POST /vantrel.asp?sitecode=ACME01&")) << lines[0];
  }
  EXPECT_TRUE(elsewhere.request_lines().empty());
}

}  // namespace
}  // namespace vantrel::testing
