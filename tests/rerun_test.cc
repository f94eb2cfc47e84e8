// Re-running after an interruption converges: a run of the sample company
// broken off at each of its requests in turn (the post refused, or its
// connection dropped), then run again with the same last-sync dates, leaves
// the site's tables exactly as one unbroken run does.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "end_to_end_fixture.h"

namespace vantrel::testing {
namespace {

using Table = std::vector<std::vector<std::string>>;

class RerunTest : public EndToEndTest {
 protected:
  void RunAll() {
    host_.messages.clear();
    ctl_->IncludeSalesTaxCodes = true;
    ctl_->SafeLines = true;               // the sample's notes hold a "|"
    ctl_->screen().cmdSelectAll.Click();  // every list; time and expenses are ticked apart
    ctl_->screen().chkQBTimesheet.set_value(1);
    ctl_->screen().chkQBExpense.set_value(1);
    ctl_->screen().cmdNav[3].Click();
  }

  // Every table the uploads fill, each row without the time it was stored,
  // rows sorted.
  std::map<std::string, Table> Tables() const {
    std::map<std::string, Table> out;
    for (const auto& name :
         server_->Query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT IN "
                        "('StatusUpdates', 'Uploads', 'UploadRows', 'LineWarnings')")) {
      std::string columns;
      for (const auto& column : server_->Query(
               "SELECT name FROM pragma_table_info(?) WHERE name <> 'ReceivedAt'", {name[0]})) {
        columns += (columns.empty() ? "\"" : ", \"") + column[0] + "\"";
      }
      Table rows = server_->Query("SELECT " + columns + " FROM \"" + name[0] + "\"");
      std::sort(rows.begin(), rows.end());
      out[name[0]] = std::move(rows);
    }
    return out;
  }

  // Page requests the server saw.
  int PageRequests() const {
    int n = 0;
    for (const site::LoggedRequest& r : server_->requests()) {
      n += r.handling != site::Handling::kPending ? 1 : 0;
    }
    return n;
  }
};

TEST_F(RerunTest, ARunBrokenOffAtAnyRequestAndRunAgainLandsTheSameRows) {
  RunAll();
  ASSERT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  const std::map<std::string, Table> unbroken = Tables();
  const int requests = PageRequests();
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
      site::SiteSwitches fault;
      fault.faults_after = k;
      if (drop) {
        fault.drop_count = 1;
      } else {
        fault.forced_reply = "Error in statement 1: Timeout expired";
        fault.forced_reply_count = 1;
      }
      server_->set_switches(fault);
      RunAll();
      server_->set_switches(site::SiteSwitches{});
      RunAll();
      EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
      EXPECT_EQ(Tables(), unbroken);
    }
  }
}

}  // namespace
}  // namespace vantrel::testing
