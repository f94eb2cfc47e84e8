// What the site stand-in tells in header fields of its replies, the
// browser seam that reads them, and the text helpers both sides share.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "canned_server.h"
#include "platform/text_util.h"
#include "platform/web_browser.h"
#include "site/reply_headers.h"
#include "site/site_server.h"
#include "site/sql_script.h"
#include "site_scripts.h"

namespace vantrel::site {
namespace {

using Fields = HeaderFields;
using scripts::ClassRow;
using scripts::TimeLine;

TEST(ReplyHeadersTest, TellRowsAndLinesInPlainAscii) {
  const struct {
    const char* name;
    std::string letter;
    RowTally rows;
    std::vector<LineWarning> warnings;
    Fields told;
  } cases[] = {
      {"nothing changed", "C", {}, {}, {{"X-Vantrel-Rows", "none"}}},
      {"tables in name order",
       "P",
       {{"Customers", {10, 0}}, {"CustProjInfo", {16, 2}}},
       {},
       {{"X-Vantrel-Rows", "CustProjInfo=16/2;Customers=10/0"}}},
      {"a line the site cannot file",
       "H",
       {{"TimeTransactions", {28, 1}}},
       {{3, "13-1158285600", kRefEmployeeOrVendor, "80000060-1137429240"}},
       {{"X-Vantrel-Rows", "TimeTransactions=28/1"},
        {"X-Vantrel-Line-Warning", "H;3;13-1158285600;employee/vendor;80000060-1137429240"}}},
      {"texts that could break or forge a field",
       "x;y",
       {{"a=b;c d", {1, 0}}},
       {{2, "K, 2\r\nX-Vantrel-Rows: Vendors=9/9", kRefItem, "%\xC3\xA9\x7F"}},
       {{"X-Vantrel-Rows", "a%3Db%3Bc%20d=1/0"},
        {"X-Vantrel-Line-Warning",
         "x%3By;2;K,%202%0D%0AX-Vantrel-Rows:%20Vendors%3D9/9;item;%25%C3%A9%7F"}}},
      {"a long text is cut",
       "H",
       {},
       {{1, std::string(150, 'k'), kRefItem, "L"}},
       {{"X-Vantrel-Rows", "none"},
        {"X-Vantrel-Line-Warning", "H;1;" + std::string(kMostTextBytes, 'k') + ";item;L"}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplyHeaders(c.letter, c.rows, c.warnings), c.told) << c.name;
  }
}

// A reply's warning fields stay within their budget; the rest are counted.
TEST(ReplyHeadersTest, WarningsPastTheBudgetAreCountedNotListed) {
  const std::vector<LineWarning> many(
      2000, {100, "1F-1212630300", kRefCustomerOrProject, "80000060-1137429240"});
  const Fields fields = ReplyHeaders("H", {}, many);
  std::size_t listed = 0, bytes = 0;
  for (const auto& [name, value] : fields) {
    if (name != kLineWarningHeader) continue;
    ++listed;
    bytes += value.size();
  }
  // A batch of 100 lines, three references each, is always listed whole.
  EXPECT_GT(listed, 300u);
  EXPECT_LE(bytes, kMostWarningBytes);
  EXPECT_EQ(fields.back(),
            (std::pair<std::string, std::string>(kUntoldHeader, std::to_string(2000 - listed))));
  EXPECT_EQ(fields.size(), listed + 2);
}

// The libcurl browser hands over the fields of the top document's reply,
// whatever the reply's format; a new navigation clears them.
TEST(ReplyHeadersTest, TheBrowserReadsWhatTheSiteTellsInEachFormat) {
  SiteOptions options;
  options.site_code = "ABC";
  options.site_key = "K3y";
  SiteServer server(options);
  server.Start();
  const std::string page = server.base_url() + "vantrel.asp?sitecode=ABC&sitekey=K3y&options=";
  const std::string classes = ClassRow("C1", "Alpha") + ClassRow("C2", "Beta");
  const struct {
    const char* name;
    ReplyFormat format;
    std::function<void()> fault;
    std::string url;
    std::optional<std::string> body;
    Fields told;
  } steps[] = {
      {"rows inserted",
       ReplyFormat::kPlain,
       [] {},
       page + "C",
       classes,
       {{"X-Vantrel-Rows", "ClassInfo=2/0"}}},
      {"rows updated, an HTML reply",
       ReplyFormat::kHtml,
       [] {},
       page + "C",
       classes,
       {{"X-Vantrel-Rows", "ClassInfo=0/2"}}},
      {"a line naming an employee the site lacks, a frames reply",
       ReplyFormat::kFrames,
       [] {},
       page + "H",
       TimeLine("T1", "E404", "", ""),
       {{"X-Vantrel-Line-Warning", "H;1;T1;employee/vendor;E404"},
        {"X-Vantrel-Rows", "TimeTransactions=1/0"}}},
      {"a status update",
       ReplyFormat::kPlain,
       [] {},
       server.base_url() + "vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3y&options=C&"
                           "upstarttime=12/07/2026%2010:00:00",
       std::nullopt,
       {{"X-Vantrel-Rows", "none"}}},
      {"a refused script",
       ReplyFormat::kPlain,
       [] {},
       page + "C",
       "UPDATE",
       {{"X-Vantrel-Rows", "none"}}},
      {"a wrong key",
       ReplyFormat::kPlain,
       [] {},
       server.base_url() + "vantrel.asp?sitecode=ABC&sitekey=no&options=C",
       classes,
       {{"X-Vantrel-Rows", "none"}}},
      {"a forced reply",
       ReplyFormat::kPlain,
       [&] { server.ForceReply("Error: locked"); },
       page + "C",
       classes,
       {{"X-Vantrel-Rows", "none"}}},
      {"another page",
       ReplyFormat::kPlain,
       [] {},
       server.base_url() + "other.asp",
       std::nullopt,
       {}},
      // libcurl sends a request again, on another connection, while each
      // kept one it takes breaks before any reply: every attempt is dropped
      // (this step is the last).
      {"a dropped connection",
       ReplyFormat::kPlain,
       [&] { server.DropConnections(8); },
       page + "C",
       classes,
       {}},
  };
  std::unique_ptr<platform::WebBrowser> browser = platform::NewCurlWebBrowser();
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    server.set_reply_format(step.format);
    step.fault();
    std::optional<std::vector<std::uint8_t>> body;
    if (step.body) body.emplace(step.body->begin(), step.body->end());
    browser->Navigate2(step.url, platform::kNavNoReadFromCache, body, "");
    EXPECT_TRUE(browser->LastReplyHeaders().empty()) << "the last reply's stay";
    for (int i = 0; i < 3000 && browser->Busy(); ++i) browser->Poll(std::chrono::milliseconds(10));
    ASSERT_FALSE(browser->Busy());
    Fields told;
    for (const auto& field : browser->LastReplyHeaders()) {
      if (platform::StartsWithNoCase(field.first, "X-Vantrel-")) told.push_back(field);
    }
    // Fields of one name keep their order; names may come in any order.
    std::stable_sort(told.begin(), told.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    EXPECT_EQ(told, step.told);
  }
}

// Only the final reply's fields count; a folded line carries on its field.
TEST(ReplyHeadersTest, TheBrowserKeepsTheFinalReplysFields) {
  vantrel::testing::CannedServer server(std::map<std::string, vantrel::testing::CannedReply>{
      {"/r",
       {"HTTP/1.1 100 Continue\r\nX-Early: 1\r\n\r\n" +
        vantrel::testing::HttpReply("200 OK", "text/plain", "SUCCESS",
                                    "x-vantrel-rows:  Vendors=1/0;\r\n\tClassInfo=2/0 \r\n")}}});
  std::unique_ptr<platform::WebBrowser> browser = platform::NewCurlWebBrowser();
  browser->Navigate2(server.url("/r"), 0, std::nullopt, "");
  for (int i = 0; i < 3000 && browser->Busy(); ++i) browser->Poll(std::chrono::milliseconds(10));
  const Fields fields = browser->LastReplyHeaders();
  ASSERT_GE(fields.size(), 2u);
  EXPECT_EQ(fields[0], (std::pair<std::string, std::string>("Content-Type", "text/plain")));
  EXPECT_EQ(fields[1],
            (std::pair<std::string, std::string>("x-vantrel-rows", "Vendors=1/0; ClassInfo=2/0")));
  for (const auto& field : fields) EXPECT_NE(field.first, "X-Early");
}

TEST(ReplyHeadersTest, SharedTextHelpers) {
  const struct {
    std::string text, reserved, encoded;
  } codes[] = {
      {"a b\r\n", "", "a%20b%0D%0A"},
      {"50%;k=v/w", "%;=", "50%25%3Bk%3Dv/w"},
      {"50%", "", "50%"},
      {"caf\xC3\xA9\x7F", "", "caf%C3%A9%7F"},
  };
  for (const auto& c : codes) {
    EXPECT_EQ(platform::PercentEncode(c.text, c.reserved), c.encoded) << c.text;
    EXPECT_EQ(platform::PercentDecode(c.encoded), c.text) << c.encoded;
  }
  EXPECT_EQ(platform::PercentDecode("a+b%2Bc%zz%4"), "a+b+c%zz%4");
  EXPECT_EQ(platform::PercentDecode("a+b%2Bc", true), "a b+c");
  EXPECT_EQ(platform::EscapeHtml("<a href=\"x\">&</a>\r\n"),
            "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;\r\n");
  EXPECT_EQ(platform::EscapeHtml("1\r\n2\r3\n", true), "1<br>\r\n2<br>\r\n3<br>\r\n");
  EXPECT_TRUE(platform::EndsWithNoCase("/Tessaly/VANTREL.asp", "/vantrel.ASP"));
  EXPECT_FALSE(platform::EndsWithNoCase("asp", "/vantrel.asp"));
  EXPECT_FALSE(platform::EndsWithNoCase("/vantrel.aspx", "/vantrel.asp"));
  EXPECT_EQ(platform::ToLowerAscii("\xC3\x89T\xC9"), "\xC3\x89t\xC9");  // in any locale
}

// Strings and [names] share one reader: a doubled closer stands for itself.
TEST(ReplyHeadersTest, QuotedTextsOfTheScriptReader) {
  const struct {
    std::string script, read_as;
  } cases[] = {
      {"UPDATE ClassInfo SET [Name]='O''Neil' WHERE [QBListID] = 'L]]1'", "Name=O'Neil L]]1"},
      {"UPDATE ClassInfo SET [Name]='a' WHERE [QBListID] = 'L", "unterminated string"},
      {"UPDATE ClassInfo SET [Name", "unterminated [name]"},
      {"UPDATE ClassInfo SET [Na]]me]='a' WHERE [QBListID] = 'L'",
       "expected a column as a [bracketed] identifier near [Na]me]"},
      {"UPDATE ClassInfo SET []='a' WHERE [QBListID] = 'L'", "empty [name]"},
  };
  for (const auto& c : cases) {
    const SqlScript read = ParseSqlScript(c.script);
    const SqlAssignment* set = read.error ? nullptr : &read.statements.at(0).set.at(0);
    const std::string got = read.error
                                ? read.error->message
                                : std::string(set->column) + "=" + std::string(set->value.text) +
                                      " " + std::string(read.statements.at(0).list_id);
    EXPECT_EQ(got, c.read_as) << c.script;
  }
}

}  // namespace
}  // namespace vantrel::site
