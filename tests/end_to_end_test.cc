// Whole runs: the control with the QuickBooks stand-in holding the sample
// company, posting over real HTTP on loopback to the stand-in site server.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "convert/date_helpers.h"
#include "end_to_end_fixture.h"
#include "platform/xml_document.h"

namespace vantrel::testing {
namespace {

using platform::XmlNode;

// The sample company, read once.
const platform::XmlDocument& Sample() {
  static const platform::XmlDocument* doc = [] {
    auto* d = new platform::XmlDocument;
    EXPECT_TRUE(d->LoadXml(ReadFile(kSampleCompany)));
    return d;
  }();
  return *doc;
}

// The elements `element` of the sample that `keep` takes (every one without).
long SampleCount(const std::string& element,
                 const std::function<bool(const XmlNode&)>& keep = nullptr) {
  long n = 0;
  for (const XmlNode& node : Sample().GetElementsByTagName(element)) n += !keep || keep(node);
  return n;
}

bool Active(const XmlNode& node) {
  const std::string active = node.SelectSingleNode("IsActive").Text();
  return active == "true" || active == "1";
}

// Active records whose child `child` passes `keep`.
std::function<bool(const XmlNode&)> ActiveWhere(const char* child,
                                                bool (*keep)(const std::string& text)) {
  return [=](const XmlNode& node) {
    return Active(node) && keep(node.SelectSingleNode(child).Text());
  };
}

// Created or modified at or after `since`.
std::function<bool(const XmlNode&)> ChangedSince(platform::DateTime since) {
  return [=](const XmlNode& node) {
    return ParseQBDateTime(node.SelectSingleNode("TimeCreated").Text()).value() >= since ||
           ParseQBDateTime(node.SelectSingleNode("TimeModified").Text()).value() >= since;
  };
}

// A second run over the same site sends the same statements and changes
// nothing.
TEST_F(EndToEndTest, TheFourListsLandInTheSiteDatabaseAndASecondRunChangesNothing) {
  TickFour();
  Start();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], (ShownMessage{"Quickbooks data synced with Tessaly successfully..",
                                             platform::MessageStyle::kInformation}));
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  // An inactive record is only ever updated, so it never lands as a new row.
  EXPECT_EQ(Rows("ClassInfo"), SampleCount("ClassRet", Active));
  EXPECT_EQ(Rows("GLChartOfAccounts"), SampleCount("AccountRet", Active));
  EXPECT_EQ(Rows("EmployeeInfo"), SampleCount("EmployeeRet", Active));
  EXPECT_EQ(Rows("Vendors"), SampleCount("VendorRet", Active));
  EXPECT_GT(Rows("ClassInfo"), 0);
  // Each entity reported once, in the driver's order.
  EXPECT_EQ(StatusLetters(), "ECGV");
  // Every post is US-ASCII.
  const std::vector<std::string> first = PostBodies();
  for (const std::string& body : first) {
    for (unsigned char c : body) ASSERT_LT(c, 0x80);
  }

  auto dump = [this] {
    return Dump("ClassInfo") + Dump("GLChartOfAccounts") + Dump("EmployeeInfo") + Dump("Vendors");
  };
  const std::string before = dump();
  server_->ClearRequests();
  TickFour();
  Start();
  EXPECT_EQ(PostBodies(), first);
  EXPECT_EQ(dump(), before);
}

// Classes are sent whole every run; the other lists only when changed since
// their dates, and a sub-job unchanged since then only under a changed job.
TEST_F(EndToEndTest, LaterLastSyncDatesSendOnlyWhatChanged) {
  const platform::DateTime since = *platform::DateTime::FromParts(2008, 1, 1);
  LoadPage("01/01/2008 12:00:00 AM");
  TickFour();
  ctl_->screen().chkQBCustomers.set_value(1);
  Start();
  // The entity counts are cleared by the reset at the end of the run: count
  // the statements the server received instead.
  long statements = 0;
  for (const auto& r : server_->requests()) {
    if (r.method == "POST" && r.target.find("options=P") == std::string::npos) {
      statements += CountOf(r.body, "UPDATE ");
    }
  }
  EXPECT_EQ(statements, SampleCount("ClassRet") + SampleCount("AccountRet", ChangedSince(since)) +
                            SampleCount("EmployeeRet", ChangedSince(since)) +
                            SampleCount("VendorRet", ChangedSince(since)));
  EXPECT_LT(SampleCount("AccountRet", ChangedSince(since)), SampleCount("AccountRet"));

  auto sent = [this](const std::string& full_name) {
    return server_->Query("SELECT COUNT(*) FROM CustProjInfo WHERE QBFullName = ?", {full_name})
               .at(0)
               .at(0) == "1";
  };
  EXPECT_TRUE(sent("Cook, Brian:2nd story addition"));
  EXPECT_TRUE(sent("Cook, Brian:2nd story addition:Framing"));
  EXPECT_FALSE(sent("Cook, Brian:Kitchen"));
  EXPECT_FALSE(sent("Cook, Brian:Kitchen:Cabinets"));
}

TEST_F(EndToEndTest, CustomersJobsAndItemsLandWithOneReportEach) {
  ctl_->IncludeSalesTaxCodes = true;
  ctl_->screen().chkQBCustomers.set_value(1);
  ctl_->screen().chkQBTasks.set_value(1);
  Start();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  auto top = [](const std::string& t) { return t == "0"; };
  auto job = [](const std::string& t) { return t != "0"; };
  auto paid = [](const std::string& t) {
    return t.starts_with("Salary") || t.starts_with("Hourly");
  };
  EXPECT_EQ(Rows("Customers"), SampleCount("CustomerRet", ActiveWhere("Sublevel", top)));
  EXPECT_EQ(Rows("CustProjInfo"), SampleCount("CustomerRet", ActiveWhere("Sublevel", job)));
  EXPECT_EQ(Rows("TaskInfo"), SampleCount("ItemServiceRet", Active) +
                                  SampleCount("ItemNonInventoryRet", Active) +
                                  SampleCount("ItemOtherChargeRet", Active) +
                                  SampleCount("PayrollItemWageRet", ActiveWhere("WageType", paid)));
  EXPECT_EQ(StatusLetters(), "PT");
  // The sales tax codes made the taxable items taxable.
  EXPECT_GT(
      std::stol(server_->Query("SELECT COUNT(*) FROM TaskInfo WHERE Taxable = -1").at(0).at(0)), 0);
}

// The sample's notes hold a "|", which the line format cannot carry: with
// safe lines it goes out as a blank, and every time record and every expense
// line lands (all but expense lines of a negative amount and item lines of a
// negative cost).
TEST_F(EndToEndTest, EveryTimeRecordAndExpenseLineLandsWithSafeLines) {
  auto not_negative = [](const char* amount) {
    return
        [=](const XmlNode& line) { return !line.SelectSingleNode(amount).Text().starts_with('-'); };
  };
  ctl_->SafeLines = true;
  ctl_->screen().chkQBTimesheet.set_value(1);
  ctl_->screen().chkQBExpense.set_value(1);
  Start();
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  EXPECT_EQ(Rows("TimeTransactions"), SampleCount("TimeTrackingRet"));
  EXPECT_EQ(Rows("ExpenseLines"), SampleCount("ExpenseLineRet", not_negative("Amount")) +
                                      SampleCount("ItemLineRet", not_negative("Cost")));
  EXPECT_EQ(StatusLetters(), "HX");
  EXPECT_EQ(server_->Query("SELECT Notes FROM TimeTransactions WHERE TxnID = '17-1189040700'")
                .at(0)
                .at(0),
            "Joists   blocking, weather delay");
}

}  // namespace
}  // namespace vantrel::testing
