// The faults the QuickBooks stand-in and the site's server can be switched
// to, as one table of whole runs of the sample company: the message and its
// style, the requests that reached the server and what became of them, the
// run's counters afterwards, and a site database that holds exactly what the
// accepted uploads said. And re-running after an interruption converges: a
// run broken off at any of its requests, then run again with the same
// last-sync dates, leaves the site's tables as one unbroken run does.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "end_to_end_fixture.h"
#include "site/site_database.h"

namespace vantrel::testing {
namespace {

using platform::MessageStyle;
using Table = std::vector<std::vector<std::string>>;

constexpr char kSynced[] = "Quickbooks data synced with Tessaly successfully..";
constexpr char kNoConnection[] =
    "Could not connect to the Wellgate. Please check if you have an internet connection and it "
    "is properly setup.";
constexpr char kAsp[] = "The following error occured while executing ASP.\r\n\r\n";

struct FaultCase {
  const char* name;
  std::string company{};  // root attributes added to the sample company
  // Written out rather than `{}`: with `{}`, GCC 12's optimised builds warn
  // that the rows' omitted switches may be used uninitialised.
  site::SiteSwitches switches = site::SiteSwitches();
  bool server_down = false;
  bool debug = false;  // debug mode, stopping at the first refused statement
  std::string message{};
  MessageStyle style = MessageStyle::kCritical;
  RunEnd end = RunEnd::kStopped;
  std::vector<std::string> requests{};  // the page requests the server saw
  const char* written = "";             // the passes whose statements were all written
  long employees_written = 0;           // the employees' statements, when not all were written
  long failures = 0;                    // the run's failure total
};

site::SiteSwitches Forced(const std::string& reply, int count = 1, int after = 0) {
  site::SiteSwitches s;
  s.forced_reply = reply;
  s.forced_reply_count = count;
  s.faults_after = after;
  return s;
}

std::vector<FaultCase> Cases() {
  const std::string four_passes_posts[] = {"post E", "status E", "post C", "status C",
                                           "post G", "status G", "post V", "status V"};
  std::vector<std::string> all(std::begin(four_passes_posts), std::end(four_passes_posts));
  site::SiteSwitches drop;
  drop.drop_count = 1;
  std::vector<std::string> no_data = all;
  no_data[0] = "post E forced";
  std::vector<std::string> status_failed = all;
  status_failed[1] = "status E forced";
  return {
      // No session is no error of its own: the request goes out with the empty
      // ticket, and QuickBooks refuses that.
      {.name = "TheSessionHasAnEmptyTicket",
       .company = " session=\"none\"",
       .message = "The ticket parameter is invalid.",
       .end = RunEnd::kQueryError},
      {.name = "QuickBooksAnswersNothing",
       .company = " response=\"empty\"",
       .message = "qbXML: no response!",
       .end = RunEnd::kQueryError},
      {.name = "QuickBooksFailsTheRequest",
       .company = " processError=\"The data file is locked.\"",
       .message = "The data file is locked.",
       .end = RunEnd::kQueryError},
      {.name = "AGarbledResponse",
       .company = " response=\"garbled\"",
       .message = "Start-end tags mismatch at offset ",
       .end = RunEnd::kConversionError},
      {.name = "ATruncatedResponse",
       .company = " response=\"truncated\"",
       .message = "Start-end tags mismatch at offset ",
       .end = RunEnd::kConversionError},
      {.name = "TheServerIsDown", .server_down = true, .message = kNoConnection, .written = "E"},
      {.name = "TheConnectionIsResetBeforeTheReply",
       .switches = drop,
       .message = kNoConnection,
       .requests = {"post E dropped"},
       .written = "E"},
      {.name = "TheSecondBatchIsRefused",
       .switches = Forced("Error in statement 7: Timeout expired", 1, 2),
       .message = std::string(kAsp) + "Error in statement 7: Timeout expired",
       .requests = {"post E", "status E", "post C forced"},
       .written = "EC"},
      {.name = "NoDataToUploadInNormalModeGoesOn",
       .switches = Forced("No data to upload. "),
       .message = kSynced,
       .style = MessageStyle::kInformation,
       .end = RunEnd::kCompleted,
       .requests = no_data,
       .written = "ECGV"},
      {.name = "AFailedStatusUpdateIsNotJudged",
       .switches = Forced("Error: the status table is locked", 1, 1),
       .message = kSynced,
       .style = MessageStyle::kInformation,
       .end = RunEnd::kCompleted,
       .requests = status_failed,
       .written = "ECGV"},
      {.name = "DebugModeStopsAtTheFirstRefusedStatement",
       .switches = Forced("Error in statement 1: Syntax error"),
       .debug = true,
       .message = std::string(kAsp) + "Error in statement 1: Syntax error",
       .requests = {"post E forced"},
       .employees_written = 1,
       .failures = 1},
  };
}

class FaultMatrixTest : public EndToEndTest {
 protected:
  // The sample company with `attributes` added to its root.
  void UseCompanyWith(const std::string& attributes) {
    std::string text = ReadFile(kSampleCompany);
    text.insert(text.find("<QuickBooksCompany") + 18, attributes);
    company_ = qb::ParseCompany(text, kSampleCompany);
  }

  // Waits until the server has finished every page request it received.
  void WaitForServer() {
    for (int i = 0; i < 500; ++i) {
      bool pending = false;
      for (const site::LoggedRequest& r : server_->requests()) {
        pending = pending || (IsPage(r) && r.handling == site::Handling::kPending);
      }
      if (!pending) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "the server is still handling a request";
  }

  static bool IsPage(const site::LoggedRequest& r) {
    return r.target.find("/vantrel.asp") != std::string::npos ||
           r.target.find("/vantrelupdatestatus.asp") != std::string::npos;
  }

  static std::string Options(const site::LoggedRequest& r) {
    const size_t at = r.target.find("options=");
    return at == std::string::npos ? "" : r.target.substr(at + 8, r.target.find('&', at) - at - 8);
  }

  // The page requests the server saw: "post E", "status E", "post C forced".
  std::vector<std::string> Requests() const {
    std::vector<std::string> out;
    for (const site::LoggedRequest& r : server_->requests()) {
      if (!IsPage(r)) continue;
      std::string& text = out.emplace_back((r.method == "POST" ? "post " : "status ") + Options(r));
      if (r.handling == site::Handling::kForced) text += " forced";
      if (r.handling == site::Handling::kDropped) text += " dropped";
    }
    return out;
  }

  // The tables as the accepted uploads alone make them, against the server's.
  void ExpectOnlyAcceptedUploadsApplied() {
    site::SiteDatabase expected(":memory:");
    long statuses = 0;
    for (const site::LoggedRequest& r : server_->requests()) {
      if (!IsPage(r) || r.handling != site::Handling::kApplied) continue;
      if (r.method == "POST") {
        expected.ApplyUpload(r.body, Options(r));
      } else {
        ++statuses;
      }
    }
    EXPECT_EQ(Tables(*server_), Tables(expected));
    EXPECT_EQ(Rows("StatusUpdates"), statuses);
  }

  // Every list, time and expenses, with safe lines (the sample's notes hold a
  // "|").
  void RunAll() {
    host_.messages.clear();
    ctl_->IncludeSalesTaxCodes = true;
    ctl_->SafeLines = true;
    ctl_->screen().cmdSelectAll.Click();
    ctl_->screen().chkQBTimesheet.set_value(1);
    ctl_->screen().chkQBExpense.set_value(1);
    Start();
  }

  // Every table of `db` the uploads fill, each row without the time it was
  // stored, rows sorted.
  template <typename Db>
  static std::map<std::string, Table> Tables(Db& db) {
    std::map<std::string, Table> out;
    for (const auto& name :
         db.Query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN "
                  "('StatusUpdates', 'Uploads', 'UploadRows', 'LineWarnings')")) {
      std::string columns;
      for (const auto& column : db.Query(
               "SELECT name FROM pragma_table_info(?) WHERE name <> 'ReceivedAt'", {name[0]})) {
        columns += (columns.empty() ? "\"" : ", \"") + column[0] + "\"";
      }
      Table rows = db.Query("SELECT " + columns + " FROM \"" + name[0] + "\"");
      std::sort(rows.begin(), rows.end());
      out[name[0]] = std::move(rows);
    }
    return out;
  }
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class FaultCaseTest : public FaultMatrixTest, public ::testing::WithParamInterface<FaultCase> {};

// Each fault in a whole run of its own.
TEST_P(FaultCaseTest, EndsAsItShould) {
  const FaultCase& c = GetParam();
  if (!c.company.empty()) UseCompanyWith(c.company);
  server_->set_switches(c.switches);
  if (c.server_down) ctl_->WGSecureServerURL = "http://127.0.0.1:1/";
  TickFour();
  if (c.debug) ctl_->screen().chkDebugMode.set_value(1);
  Start();
  WaitForServer();

  ASSERT_EQ(host_.messages.size(), 1u);
  if (c.end == RunEnd::kConversionError) {
    // The parser's own description, whatever it adds after its reason.
    EXPECT_THAT(host_.messages[0].text, ::testing::StartsWith(c.message));
  } else {
    EXPECT_EQ(host_.messages[0].text, c.message);
  }
  EXPECT_EQ(host_.messages[0].style, c.style);
  EXPECT_EQ(ctl_->last_run_end(), c.end);
  EXPECT_EQ(Requests(), c.requests);

  const std::string written = c.written;
  auto full = [&](char letter, const char* element) {
    if (written.find(letter) != std::string::npos) {
      return static_cast<long>(company_->RecordCount(element));
    }
    return letter == 'E' ? c.employees_written : 0L;
  };
  const EntityCounts& counts = ctl_->last_run_counts();
  EXPECT_EQ(counts[EntityKind::kEmployees], full('E', "EmployeeRet"));
  EXPECT_EQ(counts[EntityKind::kClasses], full('C', "ClassRet"));
  EXPECT_EQ(counts[EntityKind::kAccounts], full('G', "AccountRet"));
  EXPECT_EQ(counts[EntityKind::kVendors], full('V', "VendorRet"));
  EXPECT_EQ(ctl_->last_run_failures(), c.failures);
  ExpectOnlyAcceptedUploadsApplied();
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultCaseTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultMatrixTest, ARunBrokenOffAtAnyRequestAndRunAgainLandsTheSameRows) {
  RunAll();
  ASSERT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  const std::map<std::string, Table> unbroken = Tables(*server_);
  const int requests = static_cast<int>(Requests().size());
  ASSERT_GE(requests, 15);  // a post and a status update for most of the nine passes
  for (const char* table :
       {"Customers", "CustProjInfo", "TaskInfo", "TimeTransactions", "ExpenseLines", "ClassInfo"}) {
    ASSERT_FALSE(unbroken.at(table).empty()) << table;
  }

  for (const bool drop : {false, true}) {
    for (int k = 0; k < requests; ++k) {
      SCOPED_TRACE((drop ? "dropped at request " : "refused at request ") + std::to_string(k + 1));
      TearDown();
      SetUp();
      site::SiteSwitches fault =
          Forced(drop ? "" : "Error in statement 1: Timeout expired", drop ? 0 : 1, k);
      fault.drop_count = drop ? 1 : 0;
      server_->set_switches(fault);
      RunAll();
      server_->set_switches(site::SiteSwitches{});
      RunAll();
      EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
      EXPECT_EQ(Tables(*server_), unbroken);
    }
  }
}

}  // namespace
}  // namespace vantrel::testing
