#include <gtest/gtest.h>

#include "control/vantrel_ctl.h"
#include "fakes.h"
#include "platform/com_error.h"
#include "upload/frm_wg_upload.h"
#include "wizard/mod_wizard.h"

namespace vantrel {
namespace {

using platform::MessageStyle;
using testing::ShownMessage;

// Passes that stand in for converters, to drive the conversion stage's paths.
struct StagePasses {
  static inline std::vector<std::string> log;
  static inline bool expenses_report = false;
  static void Employees(PassContext& c) {
    log.push_back("employees");
    c.count = 2;
  }
  static void Customers(PassContext&) { log.push_back("customers"); }
  static void Projects(PassContext&) { log.push_back("projects"); }
  static void Classes(PassContext& c) {
    log.push_back("classes");
    c.count = 1;
  }
  static void Accounts(PassContext&) { log.push_back("accounts"); }
  static void Items(PassContext&) { log.push_back("items"); }
  static void Vendors(PassContext&) { log.push_back("vendors"); }
  static void Time(PassContext&) { log.push_back("time"); }
  // Optionally makes the status update, a request for the run to wait on.
  static void Expenses(PassContext& c) {
    log.push_back("expenses");
    if (expenses_report) c.run.mLastResult = c.script.SendStatus(c.letter);
  }
  // A pass whose upload was refused.
  static void Refused(PassContext& c) {
    log.push_back("refused");
    c.run.mStopRun = true;
    c.run.mLastResult = wgurAspFailed;
    modWizard().strServerReply = "Bad statement";
  }
  static void Cancelled(PassContext& c) {
    c.run.mStopRun = true;
    c.run.mLastResult = wgurProcessInterrupted;
  }
  static void Unparsed(PassContext&) {
    modWizard().blnSyncError = true;
    modWizard().strSyncError = "The response does not parse.";
  }
  static void Throws(PassContext&) { throw platform::ComError(5, "Invalid procedure call"); }
};

Converters AllPasses() {
  Converters c;
  c.employees = &StagePasses::Employees;
  c.customers = &StagePasses::Customers;
  c.projects = &StagePasses::Projects;
  c.classes = &StagePasses::Classes;
  c.accounts = &StagePasses::Accounts;
  c.items = &StagePasses::Items;
  c.vendors = &StagePasses::Vendors;
  c.time = &StagePasses::Time;
  c.expenses = &StagePasses::Expenses;
  return c;
}

class WizardDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModWizard();
    StagePasses::log.clear();
    StagePasses::expenses_report = false;
    env_.processor_factory = [this] { return std::make_unique<testing::FakeProcessor>(qb_); };
    env_.files = {"C:\\Data\\Acme.QBW"};
    ctl_.WGSecureServerURL = "http://127.0.0.1/";
    ctl_.QBFilePath = "C:\\Data\\Acme.QBW";
    ctl_.SiteCode = "ABC";
    ctl_.SiteKey = "K3Y";
    ctl_.TessalyUser = "jsmith";
    passes_ = AllPasses();
    ctl_.set_converters(passes_);
  }
  void Start() { s_.cmdNav[3].Click(); }
  std::vector<ShownMessage>& messages() { return host_.messages; }

  std::shared_ptr<testing::ProcessorScript> qb_ = std::make_shared<testing::ProcessorScript>();
  testing::FakeEnv env_;
  testing::FakeHost host_;
  VantrelCtl ctl_{env_, host_};
  WizardScreen& s_ = ctl_.screen();
  Converters passes_;
};

TEST_F(WizardDriverTest, NothingTickedShowsOnlyTheSelectionMessage) {
  ctl_.SiteKey = "";
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], (ShownMessage{"Please select atleast a single item for syncronization",
                                         MessageStyle::kInformation}));
  EXPECT_FALSE(s_.frameComm.visible());
  EXPECT_TRUE(s_.cmdSelectAll.visible());
  EXPECT_TRUE(qb_->calls.empty());
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kNothingSelected);
}

TEST_F(WizardDriverTest, ABlankRequiredPropertyResetsTheScreen) {
  ctl_.SiteKey = "  ";
  s_.chkQBClasses.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text,
            "You need to provide WGSecureServerURL, QBFilePath, SiteCode, SiteKey and TessalyUser "
            "name to connect for sync..");
  EXPECT_EQ(messages()[0].style, MessageStyle::kInformation);
  EXPECT_EQ(s_.chkQBClasses.value(), 0);
  EXPECT_FALSE(s_.frameComm.visible());
  EXPECT_TRUE(qb_->calls.empty());
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kMissingProperties);
}

TEST_F(WizardDriverTest, DefaultsForLexiconsAndLastSyncDates) {
  ctl_.EmpLexicon = "   ";
  ctl_.CustLexicon = "";
  ctl_.ProjLexicon = " ";
  ctl_.SILexicon = "";
  ctl_.SubProjLexicon = "";
  modWizard().last_sync.TimeLastSyncDate = *platform::DateTime::FromParts(2005, 5, 5);
  s_.chkQBClasses.set_value(1);
  Start();
  EXPECT_EQ(ctl_.EmpLexicon, "Employee");
  EXPECT_EQ(ctl_.CustLexicon, "Customer");
  EXPECT_EQ(ctl_.ProjLexicon, "Project");
  EXPECT_EQ(ctl_.SubProjLexicon, "Sub Project");
  EXPECT_EQ(ctl_.SILexicon, "Service Item");
  EXPECT_EQ(modWizard().last_sync.CustomerLastSyncDate, *platform::DateTime::FromParts(2000, 1, 1));
  EXPECT_EQ(modWizard().last_sync.ClassLastSyncDate, *platform::DateTime::FromParts(2000, 1, 1));
  EXPECT_EQ(modWizard().last_sync.TimeLastSyncDate, *platform::DateTime::FromParts(2005, 5, 5));
}

TEST_F(WizardDriverTest, MissingCompanyFile) {
  ctl_.QBFilePath = "C:\\Data\\Gone.QBW";
  s_.chkQBClasses.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0],
            (ShownMessage{"Cannot find 'C:\\Data\\Gone.QBW'", MessageStyle::kCritical}));
  EXPECT_EQ(s_.chkQBClasses.value(), 0);
  EXPECT_TRUE(s_.cmdSelectAll.visible());
  EXPECT_TRUE(qb_->calls.empty());
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kQuickBooksError);
}

TEST_F(WizardDriverTest, QuickBooksNotRunning) {
  qb_->open_error = "If QuickBooks is not running, start QuickBooks.";
  s_.chkQBClasses.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text,
            "Your Quickbooks file is not open, please open your Quickbooks file and try again.");
  EXPECT_EQ(s_.screen.mouse_pointer(), platform::MousePointer::kDefault);
  EXPECT_FALSE(s_.frameComm.visible());
}

TEST_F(WizardDriverTest, AnotherCompanyOpenEndsTheSessionButKeepsTheConnection) {
  qb_->company_file = "C:\\Data\\Other.QBW";
  s_.chkQBClasses.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_TRUE(messages()[0].text.starts_with("Your Current Quickbooks file 'C:\\Data\\Other.QBW'"));
  EXPECT_EQ(qb_->calls.back(), "EndSession({TICKET-1})");
  EXPECT_TRUE(modWizard().blnConnectionOpen);
}

TEST_F(WizardDriverTest, EmptyResponseLeavesTheBoxesAndTheSession) {
  qb_->response = "";
  s_.chkQBClasses.set_value(1);
  s_.chkQBTimesheet.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], (ShownMessage{"qbXML: no response!", MessageStyle::kCritical}));
  EXPECT_FALSE(s_.frameComm.visible());
  EXPECT_EQ(s_.lblContacting.caption(), "Contacting QuickBooks...");
  EXPECT_EQ(s_.lblWaiting.caption(), "Waiting for Response...");
  EXPECT_EQ(s_.lblProcessing.caption(), "Processing response...");
  EXPECT_EQ(s_.chkQBClasses.value(), 1);
  EXPECT_EQ(s_.chkQBTimesheet.value(), 1);
  EXPECT_EQ(s_.chkContactQB.value(), 1);
  EXPECT_FALSE(s_.cmdSelectAll.visible());
  EXPECT_EQ(qb_->calls.back(), "ProcessRequest({TICKET-1})");
  EXPECT_TRUE(StagePasses::log.empty());
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kQueryError);
}

TEST_F(WizardDriverTest, TheRequestCarriesTheTickedQueries) {
  s_.chkQBCustomers.set_value(1);
  s_.chkQBExpense.set_value(1);
  Start();
  const SelectionFlags& f = modWizard().selection;
  EXPECT_TRUE(f.blnDoCustomers);
  EXPECT_TRUE(f.blnDoSalesReps);
  EXPECT_TRUE(f.blnDoExpense);
  EXPECT_FALSE(f.blnDoClasses);
  const std::string& request = modWizard().strRequestXML;
  EXPECT_NE(request.find("<CustomerQueryRq requestID = \"1\">"), std::string::npos);
  EXPECT_NE(request.find("<SalesRepQueryRq requestID = \"2\">"), std::string::npos);
  EXPECT_NE(request.find("<CheckQueryRq requestID = \"3\">"), std::string::npos);
  EXPECT_NE(request.find("<BillQueryRq requestID = \"4\">"), std::string::npos);
}

TEST_F(WizardDriverTest, PassesRunInTheFixedOrder) {
  s_.cmdSelectAll.Click();
  s_.chkQBTimesheet.set_value(1);
  s_.chkQBExpense.set_value(1);
  Start();
  EXPECT_EQ(StagePasses::log,
            (std::vector<std::string>{"employees", "customers", "projects", "classes", "accounts",
                                      "items", "vendors", "time", "expenses"}));
}

TEST_F(WizardDriverTest, ACompleteRunShowsTheSummaryAndCleansUp) {
  s_.chkQBClasses.set_value(1);
  s_.chkQBEmployee.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], (ShownMessage{"Quickbooks data synced with Tessaly successfully..",
                                         MessageStyle::kInformation}));
  EXPECT_EQ(s_.lblProcessing.caption(), "Response Processed");
  EXPECT_EQ(s_.lblTransfer1.caption(), "Transfering data");
  EXPECT_EQ(s_.chkQBClasses.value(), 0);
  EXPECT_EQ(s_.chkProcessing.value(), 0);
  EXPECT_EQ(s_.cmdSelectAll.caption(), "Select All");
  EXPECT_TRUE(s_.cmdSelectAll.visible());
  EXPECT_EQ(ctl_.run().counts.classes, 0);
  EXPECT_FALSE(ModuleUploadForm()->loaded());
  ASSERT_GE(qb_->calls.size(), 2u);
  EXPECT_EQ(qb_->calls[qb_->calls.size() - 2], "EndSession({TICKET-1})");
  EXPECT_EQ(qb_->calls.back(), "CloseConnection()");
  EXPECT_FALSE(ctl_.running());
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kCompleted);
  EXPECT_EQ(ctl_.last_run_counts().employees, 2);
  EXPECT_EQ(ctl_.last_run_counts().classes, 1);
  EXPECT_EQ(ctl_.last_run_failures(), 0);
}

TEST_F(WizardDriverTest, NothingSentLeavesTheFormLoaded) {
  s_.chkQBVendors.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], (ShownMessage{"Your Tessaly data is already in sync with your "
                                         "Quickbooks data..",
                                         MessageStyle::kInformation}));
  EXPECT_TRUE(ModuleUploadForm()->loaded());
  EXPECT_EQ(qb_->calls.back(), "CloseConnection()");
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kAlreadyInSync);
}

TEST_F(WizardDriverTest, ARefusedUploadEndsTheRunWithItsMessage) {
  passes_.classes = &StagePasses::Refused;
  s_.chkQBClasses.set_value(1);
  s_.chkQBCOA.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0],
            (ShownMessage{"The following error occured while executing ASP.\r\n\r\nBad statement",
                          MessageStyle::kCritical}));
  EXPECT_EQ(StagePasses::log, (std::vector<std::string>{"refused"}));
  EXPECT_FALSE(ModuleUploadForm()->loaded());
  EXPECT_TRUE(ModuleUploadForm()->mCancelled);
  EXPECT_EQ(s_.chkQBCOA.value(), 0);
  EXPECT_EQ(qb_->calls.back(), "CloseConnection()");
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kStopped);
}

TEST_F(WizardDriverTest, ACancelledRunShowsTheCancelMessage) {
  passes_.classes = &StagePasses::Cancelled;
  s_.chkQBClasses.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0],
            (ShownMessage{"Sync process cancelled on user request.", MessageStyle::kCritical}));
}

TEST_F(WizardDriverTest, AStoppedRunWithASuccessResultShowsNothing) {
  passes_.classes = [](PassContext& c) { c.run.mStopRun = true; };
  s_.chkQBClasses.set_value(1);
  Start();
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(s_.chkQBClasses.value(), 0);
}

TEST_F(WizardDriverTest, AResponseThatDoesNotLoadIsShownOnce) {
  passes_.employees = &StagePasses::Unparsed;
  s_.chkQBEmployee.set_value(1);
  s_.chkQBClasses.set_value(1);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], (ShownMessage{"The response does not parse.", MessageStyle::kCritical}));
  EXPECT_TRUE(StagePasses::log.empty());
  EXPECT_FALSE(s_.frameComm.visible());
  EXPECT_FALSE(s_.cmdSelectAll.visible());
  EXPECT_EQ(s_.lblProcessing.caption(), "Processing response...");
  EXPECT_EQ(s_.chkQBClasses.value(), 1);
  EXPECT_EQ(qb_->calls.back(), "ProcessRequest({TICKET-1})");
  EXPECT_EQ(ctl_.last_run_end(), RunEnd::kConversionError);
}

TEST_F(WizardDriverTest, AnErrorInTheStageItselfBecomesTheErrorPair) {
  passes_.vendors = &StagePasses::Throws;
  s_.chkQBVendors.set_value(1);
  s_.fraProgress.set_visible(true);
  s_.lblProcess.set_visible(true);
  Start();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0], (ShownMessage{"Invalid procedure call", MessageStyle::kCritical}));
  EXPECT_FALSE(s_.lblProcess.visible());
  EXPECT_FALSE(s_.ProgressBar1.visible());
}

TEST_F(WizardDriverTest, CancelDuringAStatusWaitEndsTheRun) {
  StagePasses::expenses_report = true;
  env_.browser_script->replies.push_back(testing::Reply::Hang());
  env_.browser_script->on_navigate = [this](const testing::Navigation&) {
    host_.pending.push_back([this] { s_.cmdNav[1].Click(); });
  };
  s_.chkQBExpense.set_value(1);
  Start();
  EXPECT_EQ(ctl_.run().mLastResult, wgurProcessInterrupted);
  EXPECT_TRUE(ModuleUploadForm()->mCancelled);
}

TEST_F(WizardDriverTest, StartSyncIsRefusedWhileARunWaits) {
  StagePasses::expenses_report = true;
  int nested_messages = -1;
  // The status request hangs until the queued clicks have run: a second
  // "Start Sync", then Cancel.
  env_.browser_script->replies.push_back(testing::Reply::Hang());
  env_.browser_script->on_navigate = [this, &nested_messages](const testing::Navigation&) {
    host_.pending.push_back([this, &nested_messages] {
      const std::size_t before = messages().size();
      s_.cmdNav[3].Click();
      nested_messages = static_cast<int>(messages().size() - before);
      s_.cmdNav[1].Click();
    });
  };
  s_.chkQBExpense.set_value(1);
  Start();
  EXPECT_EQ(nested_messages, 0);
  // One connection, one session, one request: the second click started nothing.
  EXPECT_EQ(qb_->calls.size(), 7u);
  EXPECT_EQ(env_.browser_script->navigations.size(), 1u);
}

class SummaryTest : public WizardDriverTest {};

const char kSuccess[] = "Quickbooks data synced with Tessaly successfully..";

std::string AddedBlock(const std::string& x) {
  return "The sync process has added " + x + "(s) to Tessaly, timesheets for these " + x +
         "(s) will download to QuickBooks as non-billable time. To change this to billable: "
         "\r\n\r\n1. Go to Customize | Timesheet Preferences \r\n2. Click on 'Use Rules'. \r\n3. "
         "Select the " +
         x + "(s) you want to make billable and click the 'Make Billable' button.";
}

TEST_F(SummaryTest, PlainSuccess) { EXPECT_EQ(ctl_.BuildSummaryMessage(), kSuccess); }

TEST_F(SummaryTest, AddedItemsWinOverAddedProjects) {
  ctl_.SILexicon = "Task";
  ctl_.ProjLexicon = "Job";
  modWizard().blnServerAddedProjects = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(), std::string(kSuccess) + "\r\n\r\n" + AddedBlock("Job"));
  modWizard().blnServerAddedTasks = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(), std::string(kSuccess) + "\r\n\r\n" + AddedBlock("Task"));
}

TEST_F(SummaryTest, TimeAndExpenseErrors) {
  ctl_.mDisplayEXPError = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            "Quickbooks data synced with Tessaly successfully..\r\n\r\nFew expense transactions "
            "could not be synchronized. This could be because Tessaly and QuickBooks are not in "
            "sync. Please synchronize all elements and try again.");
  ctl_.mDisplayTSError = true;
  ctl_.ProjLexicon = "Job";
  modWizard().blnServerAddedProjects = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            "QB's data synced with Tessaly successfully..\r\n\r\nFew time transactions could not "
            "be synchronized. This could be because Tessaly and QuickBooks are not in sync. Please "
            "synchronize all elements and try again." +
                AddedBlock("Job"));
}

TEST_F(SummaryTest, FailedCountsListedInOrder) {
  ctl_.EmpLexicon = "Worker";
  ctl_.CustLexicon = "Client";
  ctl_.ProjLexicon = "Job";
  ctl_.SILexicon = "Task";
  ctl_.mDisplayTSError = true;  // not consulted when something failed
  ctl_.lngFailedVendCnt = 1;
  ctl_.lngFailedEmpCnt = 1;
  ctl_.lngFailedClassCnt = 2;
  ctl_.lngFailedExpCnt = 12;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            "Quickbooks data synced with Tessaly. Following data could not be sent..\r\n\r\n"
            "Workers - 1\r\nClasses - 2\r\nExpenses - 12\r\nVendors - 1\r\n");
  ctl_.lngFailedVendCnt = ctl_.lngFailedEmpCnt = ctl_.lngFailedClassCnt = ctl_.lngFailedExpCnt = 0;
  ctl_.lngFailedCustCnt = 3;
  ctl_.lngFailedProjCnt = 4;
  ctl_.lngFailedGLCnt = 5;
  ctl_.lngFailedItemCnt = 6;
  ctl_.lngFailedTimeCnt = 7;
  modWizard().blnServerAddedTasks = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            "Quickbooks data synced with Tessaly. Following data could not be sent..\r\n\r\n"
            "Clients - 3\r\nJobs - 4\r\nChart of Accounts - 5\r\nTasks - 6\r\nTime - 7\r\n" +
                AddedBlock("Task"));
}

}  // namespace
}  // namespace vantrel
