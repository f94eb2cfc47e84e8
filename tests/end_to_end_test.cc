// Whole runs: the control with the QuickBooks stand-in holding the sample
// company, posting over real HTTP on loopback to the stand-in site server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/vantrel_ctl.h"
#include "convert/date_helpers.h"
#include "fakes.h"
#include "platform/env.h"
#include "platform/html_params.h"
#include "platform/xml_document.h"
#include "qb_standin/qb_standin.h"
#include "site/site_server.h"
#include "wizard/mod_wizard.h"

namespace vantrel {
namespace {

using testing::ShownMessage;

const std::string kSampleCompany = std::string(VANTREL_SOURCE_DIR) + "/samples/Acme.QBW";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

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

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModWizard();
    db_path_ = (std::filesystem::temp_directory_path() /
                ("vantrel-e2e-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sqlite"))
                   .string();
    std::filesystem::remove(db_path_);
    site::SiteOptions options;
    options.db_path = db_path_;
    options.site_code = "ACME01";
    options.site_key = "K3Y-5ECRET";
    server_ = std::make_unique<site::SiteServer>(options);
    server_->Start();
    company_ = qb::LoadCompany(kSampleCompany);
    env_ =
        std::make_unique<platform::SystemEnv>([this] { return qb::NewStandinProcessor(company_); });
    ctl_ = std::make_unique<VantrelCtl>(*env_, host_);
    LoadPage();
  }
  void TearDown() override {
    ctl_.reset();
    server_->Stop();
    std::filesystem::remove(db_path_);
  }

  void LoadPage(const std::string& last_sync = "") {
    auto bag = platform::ReadObjectParams(
        ReadFile(std::string(VANTREL_SOURCE_DIR) + "/samples/page.html"));
    ASSERT_TRUE(bag);
    bag->Set("QBFilePath", kSampleCompany);
    if (!last_sync.empty()) {
      for (const char* key : {"CustomerLastSyncDate", "EmployeeLastSyncDate",
                              "GLAccountsLastSyncDate", "TasksLastSyncDate", "VendorsLastSyncDate",
                              "TimeLastSyncDate", "ExpenseLastSyncDate"}) {
        bag->Set(key, last_sync);
      }
    }
    ctl_->ReadProperties(*bag);
    ctl_->WGSecureServerURL = server_->base_url();
  }

  void TickFour() {
    WizardScreen& s = ctl_->screen();
    s.chkQBClasses.set_value(1);
    s.chkQBCOA.set_value(1);
    s.chkQBEmployee.set_value(1);
    s.chkQBVendors.set_value(1);
  }

  std::vector<std::string> PostBodies() const {
    std::vector<std::string> bodies;
    for (const auto& r : server_->requests()) {
      if (r.method == "POST") bodies.push_back(r.body);
    }
    return bodies;
  }

  long Rows(const std::string& table) const {
    return std::stol(server_->Query("SELECT COUNT(*) FROM " + table).at(0).at(0));
  }

  std::string Dump(const std::string& table) const {
    std::string out;
    for (const auto& row : server_->Query("SELECT * FROM " + table + " ORDER BY QBListID")) {
      for (const std::string& field : row) out += field + "|";
      out += "\n";
    }
    return out;
  }

  std::string db_path_;
  std::unique_ptr<site::SiteServer> server_;
  std::shared_ptr<const qb::Company> company_;
  std::unique_ptr<platform::SystemEnv> env_;
  testing::FakeHost host_;
  std::unique_ptr<VantrelCtl> ctl_;
};

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

TEST_F(EndToEndTest, EveryTimeRecordAndExpenseLineLands) {
  ctl_->screen().chkQBTimesheet.set_value(1);
  ctl_->screen().chkQBExpense.set_value(1);
  ctl_->screen().cmdNav[3].Click();
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  EXPECT_EQ(Rows("TimeTransactions"), static_cast<long>(SampleRecords("TimeTrackingRet").size()));
  EXPECT_EQ(Rows("ExpenseLines"), SampleExpenseLines());
  std::string letters;
  for (const auto& row : server_->Query("SELECT * FROM StatusUpdates")) letters += row.at(0);
  EXPECT_EQ(letters, "HX");
  // A "|" inside a time record's notes stays inside its notes.
  EXPECT_EQ(server_->Query("SELECT Notes FROM TimeTransactions WHERE TxnID = '17-1189040700'")
                .at(0)
                .at(0),
            "Joists | blocking, weather delay");
}

TEST_F(EndToEndTest, ARefusedPostEndsTheRunWithItsMessage) {
  server_->ForceReply("Invalid site code or site key. Kindly try again.", 1);
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            "Could not connect to the Wellgate. Your account has not been setup or has expired. "
            "Go to Maintain | Wellgate | Setup; to setup or renew your account.");
  EXPECT_EQ(host_.messages[0].style, platform::MessageStyle::kCritical);
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kStopped);
  EXPECT_EQ(PostBodies().size(), 1u);
  EXPECT_EQ(Rows("StatusUpdates"), 0);
}

TEST_F(EndToEndTest, AnUnreachableServer) {
  ctl_->WGSecureServerURL = "http://127.0.0.1:1/";
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            "Could not connect to the Wellgate. Please check if you have an internet connection "
            "and it is properly setup.");
  EXPECT_EQ(modWizard().strServerReply, "Action cancelled");
}

TEST_F(EndToEndTest, CancelWhileAPostWaits) {
  server_->set_delay(std::chrono::milliseconds(3000));
  host_.pending.push_back([this] { ctl_->screen().cmdNav[1].Click(); });
  TickFour();
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "Sync process cancelled on user request.");
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kStopped);
}

TEST_F(EndToEndTest, DebugModeContinuesPastRefusedStatements) {
  server_->ForceReply("Error in statement 1", 3);
  TickFour();
  ctl_->screen().chkDebugMode.set_value(1);
  ctl_->screen().optContinue.set_value(true);
  ctl_->screen().cmdNav[3].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_TRUE(host_.messages[0].text.starts_with(
      "Quickbooks data synced with Tessaly. Following data could not be sent..\r\n\r\n"))
      << host_.messages[0].text;
  // The first three statements (employees come first) were refused.
  EXPECT_NE(host_.messages[0].text.find("Consultants - 3\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
