// Whole runs: the control with the QuickBooks stand-in holding the sample
// company, posting over real HTTP on loopback to the stand-in site server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "convert/date_helpers.h"
#include "end_to_end_fixture.h"
#include "platform/xml_document.h"

namespace vantrel::testing {
namespace {

// Records of `element` in the sample company, with their activity and times.
struct SampleRecord {
  bool active;
  platform::DateTime created;
  platform::DateTime modified;
};

std::vector<SampleRecord> SampleRecords(const std::string& element) {
  static const std::string text = ReadFile(kSampleCompany);
  platform::XmlDocument doc;
  EXPECT_TRUE(doc.LoadXml(text));
  std::vector<SampleRecord> out;
  for (const platform::XmlNode& node : doc.GetElementsByTagName(element)) {
    const std::string active = node.SelectSingleNode("IsActive").Text();
    out.push_back({active == "true" || active == "1",
                   ParseQBDateTime(node.SelectSingleNode("TimeCreated").Text()).value(),
                   ParseQBDateTime(node.SelectSingleNode("TimeModified").Text()).value()});
  }
  return out;
}

long CountActive(const std::string& element) {
  long n = 0;
  for (const SampleRecord& r : SampleRecords(element)) n += r.active ? 1 : 0;
  return n;
}

// Records created or modified at or after `since`.
long CountSince(const std::string& element, platform::DateTime since) {
  long n = 0;
  for (const SampleRecord& r : SampleRecords(element)) {
    n += (r.created >= since || r.modified >= since) ? 1 : 0;
  }
  return n;
}

TEST_F(EndToEndTest, TheFourListsLandInTheSiteDatabase) {
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], (ShownMessage{"Quickbooks data synced with Tessaly successfully..",
                                             platform::MessageStyle::kInformation}));
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  // An inactive record is only ever updated, so it never lands as a new row.
  EXPECT_EQ(Rows("ClassInfo"), CountActive("ClassRet"));
  EXPECT_EQ(Rows("GLChartOfAccounts"), CountActive("AccountRet"));
  EXPECT_EQ(Rows("EmployeeInfo"), CountActive("EmployeeRet"));
  EXPECT_EQ(Rows("Vendors"), CountActive("VendorRet"));
  EXPECT_GT(Rows("ClassInfo"), 0);

  // Each entity reported once, in the driver's order.
  std::string letters;
  for (const auto& row : server_->Query("SELECT * FROM StatusUpdates")) letters += row.at(0);
  EXPECT_NE(letters.find('E'), std::string::npos) << letters;
  EXPECT_NE(letters.find('C'), std::string::npos);
  EXPECT_NE(letters.find('G'), std::string::npos);
  EXPECT_NE(letters.find('V'), std::string::npos);

  // Every post is US-ASCII.
  for (const std::string& body : PostBodies()) {
    for (unsigned char c : body) ASSERT_LT(c, 0x80);
  }
}

// A company whose class carries a forged ListID: the statement reaches the
// site as one harmless upsert, the class lands with that ListID, and nothing
// else is touched.
TEST_F(EndToEndTest, AForgedListIdLandsAsDataAndChangesNothingElse) {
  const std::string forged = "80'); DROP TABLE ClassInfo;--";
  std::string company = ReadFile(kSampleCompany);
  const std::size_t first = company.find("<ClassRet>");
  company.insert(first,
                 "<ClassRet><ListID>80'); DROP TABLE ClassInfo;--</ListID>"
                 "<TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
                 "<TimeModified>2007-10-23T15:05:58-08:00</TimeModified>"
                 "<Name>Forged</Name><FullName>Forged</FullName><IsActive>true</IsActive>"
                 "<Sublevel>0</Sublevel></ClassRet>\n");
  company_ = qb::ParseCompany(company, kSampleCompany);
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  EXPECT_EQ(server_->Query("SELECT ClassName FROM ClassInfo WHERE QBListID = ?", {forged}),
            (std::vector<std::vector<std::string>>{{"Forged"}}));
  EXPECT_EQ(Rows("ClassInfo"), CountActive("ClassRet") + 1);
  EXPECT_EQ(Rows("EmployeeInfo"), CountActive("EmployeeRet"));
  EXPECT_EQ(Rows("GLChartOfAccounts"), CountActive("AccountRet"));
  EXPECT_EQ(Rows("Vendors"), CountActive("VendorRet"));
  // The upload that carried it was one script of statements the site read.
  bool carried = false;
  for (const auto& row : server_->Query("SELECT Reply FROM Uploads WHERE Options = 'C'")) {
    EXPECT_EQ(row.at(0), "SUCCESS");
    carried = true;
  }
  EXPECT_TRUE(carried);
}

TEST_F(EndToEndTest, ASecondRunSendsTheSameAndChangesNothing) {
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  const std::vector<std::string> first = PostBodies();
  const std::string before =
      Dump("ClassInfo") + Dump("GLChartOfAccounts") + Dump("EmployeeInfo") + Dump("Vendors");
  server_->ClearRequests();

  TickFour();
  ctl_->screen().cmdNav[3].Click();
  EXPECT_EQ(PostBodies(), first);
  EXPECT_EQ(Dump("ClassInfo") + Dump("GLChartOfAccounts") + Dump("EmployeeInfo") + Dump("Vendors"),
            before);
}

TEST_F(EndToEndTest, LaterLastSyncDatesSendOnlyWhatChanged) {
  const platform::DateTime since = *platform::DateTime::FromParts(2008, 1, 1);
  LoadPage("01/01/2008 12:00:00 AM");
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  // The entity counts are cleared by the reset at the end of the run: count
  // the statements the server received instead.
  long statements = 0;
  for (const std::string& body : PostBodies()) {
    for (std::size_t p = body.find("UPDATE "); p != std::string::npos;
         p = body.find("UPDATE ", p + 1)) {
      ++statements;
    }
  }
  // Classes are sent whole every run; the other three only when changed.
  EXPECT_EQ(statements, static_cast<long>(SampleRecords("ClassRet").size()) +
                            CountSince("AccountRet", since) + CountSince("EmployeeRet", since) +
                            CountSince("VendorRet", since));
  EXPECT_LT(CountSince("AccountRet", since), static_cast<long>(SampleRecords("AccountRet").size()));
}

// Active records of `element` whose child `child` passes `keep`.
long CountActiveWhere(const std::string& element, const char* child,
                      bool (*keep)(const std::string& text)) {
  static const std::string text = ReadFile(kSampleCompany);
  platform::XmlDocument doc;
  EXPECT_TRUE(doc.LoadXml(text));
  long n = 0;
  for (const platform::XmlNode& node : doc.GetElementsByTagName(element)) {
    n += node.SelectSingleNode("IsActive").Text() == "true" &&
                 keep(node.SelectSingleNode(child).Text())
             ? 1
             : 0;
  }
  return n;
}

TEST_F(EndToEndTest, CustomersJobsAndItemsLandWithOneReportEach) {
  ctl_->IncludeSalesTaxCodes = true;
  ctl_->screen().chkQBCustomers.set_value(1);
  ctl_->screen().chkQBTasks.set_value(1);
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  auto top = [](const std::string& t) { return t == "0"; };
  auto job = [](const std::string& t) { return t != "0"; };
  auto any = [](const std::string&) { return true; };
  auto paid = [](const std::string& t) {
    return t.starts_with("Salary") || t.starts_with("Hourly");
  };
  EXPECT_EQ(Rows("Customers"), CountActiveWhere("CustomerRet", "Sublevel", top));
  EXPECT_EQ(Rows("CustProjInfo"), CountActiveWhere("CustomerRet", "Sublevel", job));
  EXPECT_EQ(Rows("TaskInfo"), CountActiveWhere("ItemServiceRet", "Name", any) +
                                  CountActiveWhere("ItemNonInventoryRet", "Name", any) +
                                  CountActiveWhere("ItemOtherChargeRet", "Name", any) +
                                  CountActiveWhere("PayrollItemWageRet", "WageType", paid));
  std::string letters;
  for (const auto& row : server_->Query("SELECT * FROM StatusUpdates")) letters += row.at(0);
  EXPECT_EQ(letters, "PT");
  // The sales tax codes made the taxable items taxable.
  EXPECT_GT(
      std::stol(server_->Query("SELECT COUNT(*) FROM TaskInfo WHERE Taxable = -1").at(0).at(0)), 0);
}

TEST_F(EndToEndTest, AnUnchangedSubJobGoesOutUnderAChangedJobOnly) {
  LoadPage("01/01/2008 12:00:00 AM");
  ctl_->screen().chkQBCustomers.set_value(1);
  ctl_->screen().cmdNav[3].Click();
  auto sent = [this](const std::string& full_name) {
    return server_
               ->Query("SELECT COUNT(*) FROM CustProjInfo WHERE QBFullName = '" + full_name + "'")
               .at(0)
               .at(0) == "1";
  };
  EXPECT_TRUE(sent("Cook, Brian:2nd story addition"));
  EXPECT_TRUE(sent("Cook, Brian:2nd story addition:Framing"));
  EXPECT_FALSE(sent("Cook, Brian:Kitchen"));
  EXPECT_FALSE(sent("Cook, Brian:Kitchen:Cabinets"));
}

// The expense lines of the sample's checks and bills that go out: all but
// expense lines of a negative amount and item lines of a negative cost.
long SampleExpenseLines() {
  static const std::string text = ReadFile(kSampleCompany);
  platform::XmlDocument doc;
  EXPECT_TRUE(doc.LoadXml(text));
  long n = 0;
  for (const char* element : {"ExpenseLineRet", "ItemLineRet"}) {
    const char* amount = std::string_view(element) == "ItemLineRet" ? "Cost" : "Amount";
    for (const platform::XmlNode& line : doc.GetElementsByTagName(element)) {
      n += line.SelectSingleNode(amount).Text().starts_with('-') ? 0 : 1;
    }
  }
  return n;
}

// The sample's notes hold a "|", which the line format cannot carry: with
// safe lines it goes out as a blank and every line lands; without, the site
// refuses the batch and names the line, and the time is not marked synced.
TEST_F(EndToEndTest, EveryTimeRecordAndExpenseLineLandsWithSafeLines) {
  for (const bool safe : {true, false}) {
    SCOPED_TRACE(safe ? "safe lines" : "lines as they stand");
    server_->Query("DELETE FROM StatusUpdates");
    server_->Query("DELETE FROM TimeTransactions");
    host_.messages.clear();
    ctl_->SafeLines = safe;
    ctl_->screen().chkQBTimesheet.set_value(1);
    ctl_->screen().chkQBExpense.set_value(1);
    ctl_->screen().cmdNav[3].Click();
    std::string letters;
    for (const auto& row : server_->Query("SELECT * FROM StatusUpdates")) letters += row.at(0);
    if (!safe) {
      EXPECT_EQ(ctl_->last_run_end(), RunEnd::kStopped);
      ASSERT_EQ(host_.messages.size(), 1u);
      EXPECT_NE(host_.messages[0].text.find("Error in line "), std::string::npos)
          << host_.messages[0].text;
      EXPECT_NE(host_.messages[0].text.find("Joists | blocking"), std::string::npos);
      EXPECT_EQ(Rows("TimeTransactions"), 0);
      EXPECT_EQ(letters, "");
      continue;
    }
    EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
    EXPECT_EQ(Rows("TimeTransactions"), static_cast<long>(SampleRecords("TimeTrackingRet").size()));
    EXPECT_EQ(Rows("ExpenseLines"), SampleExpenseLines());
    EXPECT_EQ(letters, "HX");
    EXPECT_EQ(server_->Query("SELECT Notes FROM TimeTransactions WHERE TxnID = '17-1189040700'")
                  .at(0)
                  .at(0),
              "Joists   blocking, weather delay");
  }
}

}  // namespace
}  // namespace vantrel::testing
