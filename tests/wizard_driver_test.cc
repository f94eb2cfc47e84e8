// The wizard driver on fakes: how each run ends, the closing message, and the
// screen's own handlers.
#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

#include "convert_fixture.h"
#include "platform/com_error.h"
#include "quickbooks/qbxml_request.h"
#include "upload/frm_wg_upload.h"

namespace vantrel {
namespace {

using platform::MessageStyle;
using testing::ShownMessage;

// Passes that stand in for converters and log their runs; the employees and
// classes passes, named in the log, count statements, and the expenses pass can make the status
// update, a request for the run to wait on.
std::vector<std::string> pass_log;
bool expenses_report = false;

Converters AllPasses() {
  Converters c;
  for (ConvertPass& pass : c) pass = [](PassContext&) { pass_log.push_back("another"); };
  c[EntityKind::kEmployees] = [](PassContext& p) { pass_log.push_back("employees"), p.count = 2; };
  c[EntityKind::kClasses] = [](PassContext& p) { pass_log.push_back("classes"), p.count = 1; };
  c[EntityKind::kExpenses] = [](PassContext& p) {
    pass_log.push_back("expenses");
    if (expenses_report) p.run.mLastResult = p.batcher.SendStatus(p.letter);
  };
  return c;
}

// A control on fakes with the stand-in passes, a company file that exists and
// QuickBooks holding it open.
class WizardDriverTest : public testing::ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    pass_log.clear();
    expenses_report = false;
    env_.processor_factory = [this] { return std::make_unique<testing::FakeProcessor>(qb_); };
    env_.files = {"C:\\Data\\Acme.QBW"};
    ctl_.WGSecureServerURL = "http://127.0.0.1/";
    ctl_.QBFilePath = "C:\\Data\\Acme.QBW";
    ctl_.SiteCode = "ABC";
    ctl_.SiteKey = "K3Y";
    ctl_.TessalyUser = "jsmith";
    ctl_.set_converters(passes_);
  }
  void Start() { s_.cmdNav[3].Click(); }
  std::vector<ShownMessage>& messages() { return host_.messages; }

 public:  // for the set-up and checks of the path cases below
  using ControlTest::ctl_;
  using ControlTest::s_;
  std::shared_ptr<testing::ProcessorScript> qb_ = std::make_shared<testing::ProcessorScript>();
  Converters passes_ = AllPasses();
};

// How a run with the classes ticked ends on each path: its one message, the
// screen, and what is left of the QuickBooks session.
struct EndCase {
  const char* name;
  void (*setup)(WizardDriverTest&);
  const char* message;  // null: none
  MessageStyle style;
  RunEnd end;
  bool left_ticked;       // the boxes stay ticked and "Select All" hidden; else the screen is reset
  const char* last_call;  // the last request of QuickBooks, "" for none
  bool connection_open;
  void (*more)(WizardDriverTest&) = nullptr;  // further checks of the path
};

using T = WizardDriverTest;
using enum MessageStyle;
// clang-format off
const EndCase kEndCases[] = {
    // The summary; the session ends before the connection closes.
    {"Completed", [](T& t) { t.s_.chkQBEmployee.set_value(1); },
     "Quickbooks data synced with Tessaly successfully..", kInformation, RunEnd::kCompleted, false,
     "CloseConnection", false,
     [](T& t) {
       EXPECT_EQ(t.s_.lblProcessing.caption(), "Response Processed");
       EXPECT_FALSE(t.ctl_.upload_form()->loaded());
       EXPECT_EQ(t.qb_->calls.at(t.qb_->calls.size() - 2), "EndSession({TICKET-1})");
       EXPECT_EQ(t.ctl_.last_run_counts()[EntityKind::kEmployees], 2);
       EXPECT_EQ(t.ctl_.last_run_counts()[EntityKind::kClasses], 1);
       EXPECT_EQ(t.ctl_.last_run_failures(), 0);
     }},
    // Nothing ticked wins over a blank property.
    {"NothingTicked", [](T& t) { t.ctl_.SiteKey = ""; t.s_.chkQBClasses.set_value(0); },
     "Please select atleast a single item for syncronization", kInformation,
     RunEnd::kNothingSelected, false, "", false},
    {"ABlankProperty", [](T& t) { t.ctl_.SiteKey = "  "; },
     "You need to provide WGSecureServerURL, QBFilePath, SiteCode, SiteKey and TessalyUser name "
     "to connect for sync..", kInformation, RunEnd::kMissingProperties, false, "", false},
    {"NoCompanyFile", [](T& t) { t.ctl_.QBFilePath = "C:\\Data\\Gone.QBW"; },
     "Cannot find 'C:\\Data\\Gone.QBW'", kCritical, RunEnd::kQuickBooksError, false, "", false},
    {"QuickBooksNotRunning",
     [](T& t) { t.qb_->open_error = "If QuickBooks is not running, start QuickBooks."; },
     "Your Quickbooks file is not open, please open your Quickbooks file and try again.",
     kCritical, RunEnd::kQuickBooksError, false, "OpenConnection", false},
    // The session ends; the connection stays open.
    {"AnotherCompanyOpen", [](T& t) { t.qb_->company_file = "C:\\Data\\Other.QBW"; },
     "Your Current Quickbooks file 'C:\\Data\\Other.QBW' does not match with the QB file you are "
     "using with Tessaly 'C:\\Data\\Acme.QBW'. \r\nPlease open the correct Quickbooks file and "
     "try again.", kCritical, RunEnd::kQuickBooksError, false, "EndSession", true},
    {"NoResponse", [](T& t) { t.qb_->response = ""; },
     "qbXML: no response!", kCritical, RunEnd::kQueryError, true, "ProcessRequest", true,
     [](T&) { EXPECT_TRUE(pass_log.empty()); }},
    {"AResponseThatDoesNotLoad", [](T& t) {
       t.passes_[EntityKind::kClasses] = [](PassContext&) {
         modWizard().blnSyncError = true;
         modWizard().strSyncError = "The response does not parse.";
       };
     },
     "The response does not parse.", kCritical, RunEnd::kConversionError, true, "ProcessRequest",
     true},
    {"AnErrorInTheStage", [](T& t) {
       t.passes_[EntityKind::kClasses] = [](PassContext&) {
         throw platform::ComError(5, "Invalid procedure call");
       };
     },
     "Invalid procedure call", kCritical, RunEnd::kConversionError, true, "ProcessRequest", true,
     [](T& t) {
       EXPECT_FALSE(t.s_.lblProcess.visible());
       EXPECT_FALSE(t.s_.ProgressBar1.visible());
     }},
    // The upload form stays loaded.
    {"NothingSent", [](T& t) { t.passes_[EntityKind::kClasses] = [](PassContext&) {}; },
     "Your Tessaly data is already in sync with your Quickbooks data..", kInformation,
     RunEnd::kAlreadyInSync, false, "CloseConnection", false,
     [](T& t) { EXPECT_TRUE(t.ctl_.upload_form()->loaded()); }},
    // A refused upload ends the transfer before the later passes.
    {"ARefusedUpload", [](T& t) {
       t.passes_[EntityKind::kClasses] = [](PassContext& c) {
         pass_log.push_back("refused");
         c.run.mStopRun = true;
         c.run.mLastResult = wgurAspFailed;
         modWizard().strServerReply = "Bad statement";
       };
       t.s_.chkQBCOA.set_value(1);
     },
     "The following error occured while executing ASP.\r\n\r\nBad statement", kCritical,
     RunEnd::kStopped, false, "CloseConnection", false,
     [](T& t) {
       EXPECT_EQ(pass_log, std::vector<std::string>{"refused"});
       EXPECT_EQ(t.s_.chkQBCOA.value(), 0);
       EXPECT_FALSE(t.ctl_.upload_form()->loaded());
       EXPECT_TRUE(t.ctl_.upload_form()->mCancelled);
     }},
    {"ACancel", [](T& t) {
       t.passes_[EntityKind::kClasses] = [](PassContext& c) {
         c.run.mStopRun = true;
         c.run.mLastResult = wgurProcessInterrupted;
       };
     },
     "Sync process cancelled on user request.", kCritical, RunEnd::kStopped, false,
     "CloseConnection", false},
    // A pass stopped with a success result leaves nothing to say.
    {"AStopWithSuccess",
     [](T& t) { t.passes_[EntityKind::kClasses] = [](PassContext& c) { c.run.mStopRun = true; }; },
     nullptr, kInformation, RunEnd::kStopped, false, "CloseConnection", false},
};
// clang-format on

void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class RunEndTest : public WizardDriverTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(RunEndTest, EndsAsItSays) {
  const EndCase& c = GetParam();
  s_.chkQBClasses.set_value(1);
  c.setup(*this);
  Start();
  if (c.message == nullptr) {
    EXPECT_TRUE(messages().empty());
  } else {
    EXPECT_EQ(messages(), (std::vector<ShownMessage>{{c.message, c.style}}));
  }
  EXPECT_EQ(ctl_.last_run_end(), c.end);
  EXPECT_EQ(s_.chkQBClasses.value(), c.left_ticked ? 1 : 0);
  EXPECT_EQ(s_.cmdSelectAll.visible(), !c.left_ticked);
  EXPECT_FALSE(s_.frameComm.visible());
  EXPECT_EQ(s_.screen.mouse_pointer(), platform::MousePointer::kDefault);
  const std::string last = qb_->calls.empty() ? "" : qb_->calls.back();
  EXPECT_EQ(last.substr(0, last.find('(')), c.last_call);
  EXPECT_EQ(modWizard().blnConnectionOpen, c.connection_open);
  EXPECT_FALSE(ctl_.running());
  if (c.left_ticked) {
    // The stage labels tell where it stopped.
    EXPECT_EQ(s_.lblContacting.caption(), "Contacting QuickBooks...");
    EXPECT_EQ(s_.lblWaiting.caption(), "Waiting for Response...");
    EXPECT_EQ(s_.lblProcessing.caption(), "Processing response...");
  }
  if (c.more != nullptr) c.more(*this);
}

INSTANTIATE_TEST_SUITE_P(Paths, RunEndTest, ::testing::ValuesIn(kEndCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardDriverTest, DefaultsForLexiconsAndLastSyncDates) {
  ctl_.EmpLexicon = "   ";
  ctl_.CustLexicon = ctl_.ProjLexicon = ctl_.SILexicon = ctl_.SubProjLexicon = "";
  modWizard().last_sync.TimeLastSyncDate = *platform::DateTime::FromParts(2005, 5, 5);
  s_.chkQBClasses.set_value(1);
  Start();
  EXPECT_EQ(ctl_.EmpLexicon + "/" + ctl_.CustLexicon + "/" + ctl_.ProjLexicon + "/" +
                ctl_.SubProjLexicon + "/" + ctl_.SILexicon,
            "Employee/Customer/Project/Sub Project/Service Item");
  EXPECT_EQ(modWizard().last_sync.CustomerLastSyncDate, *platform::DateTime::FromParts(2000, 1, 1));
  EXPECT_EQ(modWizard().last_sync.ClassLastSyncDate, *platform::DateTime::FromParts(2000, 1, 1));
  EXPECT_EQ(modWizard().last_sync.TimeLastSyncDate, *platform::DateTime::FromParts(2005, 5, 5));
}

// The request carries the ticked queries (the customers' box asks for the
// sales reps too), and the sales tax codes only when the option is on and the
// items are ticked.
TEST_F(WizardDriverTest, TheRequestCarriesTheTickedQueries) {
  for (const auto& [option, items, asked] :
       {std::tuple{true, true, true}, std::tuple{true, false, false},
        std::tuple{false, true, false}}) {
    ctl_.IncludeSalesTaxCodes = option;
    s_.chkQBTasks.set_value(items ? 1 : 0);
    s_.chkQBCustomers.set_value(1);
    s_.chkQBExpense.set_value(1);
    Start();
    SelectionFlags expected;
    expected.blnDoCustomers = expected.blnDoSalesReps = expected.blnDoExpense = true;
    expected.blnDoTasks = items;
    expected.blnDoSalesTaxCodes = asked;
    EXPECT_EQ(modWizard().strRequestXML, ComposeQBXMLRequest(expected, kQbXml20));
  }
}

// A second "Start Sync" while the status update waits starts nothing; the
// Cancel after it ends the run.
TEST_F(WizardDriverTest, StartSyncIsRefusedWhileARunWaitsAndCancelEndsIt) {
  int nested_messages = -1;
  // The status update of the expenses pass waits until the clicks have run.
  expenses_report = true;
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
  EXPECT_EQ(ctl_.run().mLastResult, wgurProcessInterrupted);
  EXPECT_TRUE(ctl_.upload_form()->mCancelled);
}

using SummaryTest = testing::ControlTest;

const char kSuccess[] = "Quickbooks data synced with Tessaly successfully..";

std::string AddedBlock(const std::string& x) {
  return "The sync process has added " + x + "(s) to Tessaly, timesheets for these " + x +
         "(s) will download to QuickBooks as non-billable time. To change this to billable: "
         "\r\n\r\n1. Go to Customize | Timesheet Preferences \r\n2. Click on 'Use Rules'. \r\n3. "
         "Select the " +
         x + "(s) you want to make billable and click the 'Make Billable' button.";
}

// The failed counts in the summary's order (the time error then goes
// unsaid), else the time error before the expense error; each followed by
// the block of the added items, which win over the added projects.
TEST_F(SummaryTest, TheClosingMessage) {
  ctl_.EmpLexicon = "Worker";
  ctl_.CustLexicon = "Client";
  ctl_.ProjLexicon = "Job";
  ctl_.SILexicon = "Task";
  const std::string not_in_sync =
      " transactions could not be synchronized. This could be because Tessaly and QuickBooks are "
      "not in sync. Please synchronize all elements and try again.";
  const std::string failed =
      "Quickbooks data synced with Tessaly. Following data could not be sent..\r\n\r\n";
  modWizard().blnServerAddedProjects = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(), std::string(kSuccess) + "\r\n\r\n" + AddedBlock("Job"));
  ctl_.mDisplayEXPError = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            kSuccess + ("\r\n\r\nFew expense" + not_in_sync) + AddedBlock("Job"));
  ctl_.mDisplayTSError = true;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            "QB's data synced with Tessaly successfully..\r\n\r\nFew time" + not_in_sync +
                AddedBlock("Job"));
  modWizard().blnServerAddedTasks = true;
  ctl_.lngFailedVendCnt = 1;
  ctl_.lngFailedEmpCnt = 1;
  ctl_.lngFailedClassCnt = 2;
  ctl_.lngFailedExpCnt = 12;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            failed + "Workers - 1\r\nClasses - 2\r\nExpenses - 12\r\nVendors - 1\r\n" +
                AddedBlock("Task"));
  ctl_.lngFailedVendCnt = ctl_.lngFailedEmpCnt = ctl_.lngFailedClassCnt = ctl_.lngFailedExpCnt = 0;
  ctl_.lngFailedCustCnt = 3;
  ctl_.lngFailedProjCnt = 4;
  ctl_.lngFailedGLCnt = 5;
  ctl_.lngFailedItemCnt = 6;
  ctl_.lngFailedTimeCnt = 7;
  EXPECT_EQ(ctl_.BuildSummaryMessage(),
            failed +
                "Clients - 3\r\nJobs - 4\r\nChart of Accounts - 5\r\nTasks - 6\r\nTime - 7\r\n" +
                AddedBlock("Task"));
}

// ---- The screen's own handlers ----

using ScreenTest = testing::ControlTest;

// "Select All" ticks the lists but not time and expenses; "Uncheck All"
// clears those too. Under any other caption the button does nothing.
TEST_F(ScreenTest, SelectAllAndUncheckAll) {
  const std::vector<platform::CheckBox*> lists = {&s_.chkQBEmployee, &s_.chkQBCustomers,
                                                  &s_.chkQBCOA,      &s_.chkQBClasses,
                                                  &s_.chkQBTasks,    &s_.chkQBVendors};
  auto expect_boxes = [&](int lists_value, const char* caption) {
    for (const platform::CheckBox* box : lists) EXPECT_EQ(box->value(), lists_value) << box->name();
    EXPECT_EQ(s_.chkQBTimesheet.value(), 0);
    EXPECT_EQ(s_.chkQBExpense.value(), 0);
    EXPECT_EQ(s_.cmdSelectAll.caption(), caption);
  };
  s_.cmdSelectAll.Click();
  expect_boxes(1, "Uncheck All");
  s_.chkQBTimesheet.set_value(1);
  s_.chkQBExpense.set_value(1);
  s_.cmdSelectAll.Click();
  expect_boxes(0, "Select All");
  s_.cmdSelectAll.set_caption("Pick");
  s_.cmdSelectAll.Click();
  EXPECT_EQ(s_.chkQBEmployee.value(), 0);
  EXPECT_EQ(s_.cmdSelectAll.caption(), "Pick");
}

// Turning debug mode on, by a click or by code, selects "Stop on error";
// turning it off hides the choice but keeps it.
TEST_F(ScreenTest, DebugModeToggleSelectsStopAndKeepsTheChoice) {
  s_.chkDebugMode.set_value(1);
  EXPECT_EQ(s_.chkDebugMode.caption(), "Debug mode on");
  EXPECT_TRUE(ctl_.DebugMode);
  EXPECT_TRUE(s_.optStop.visible() && s_.optContinue.visible());
  EXPECT_TRUE(s_.optStop.value());
  EXPECT_FALSE(s_.optContinue.value());

  s_.optContinue.set_value(true);
  EXPECT_FALSE(s_.optStop.value());
  s_.chkDebugMode.set_value(1);  // no change, no toggle
  EXPECT_TRUE(s_.optContinue.value());
  s_.chkDebugMode.Click();
  EXPECT_EQ(s_.chkDebugMode.caption(), "Debug mode off");
  EXPECT_FALSE(ctl_.DebugMode);
  EXPECT_FALSE(s_.optStop.visible() || s_.optContinue.visible());
  EXPECT_TRUE(s_.optContinue.value());
}

// The timer blinks the wait label, and ticks through the pump only while
// enabled.
TEST_F(ScreenTest, TheTimerBlinksTheWaitLabel) {
  const int refreshes = s_.lblTransfer2.refresh_count();
  ctl_.Timer1_Timer();
  EXPECT_FALSE(s_.lblTransfer2.visible());
  ctl_.Timer1_Timer();
  EXPECT_TRUE(s_.lblTransfer2.visible());
  EXPECT_EQ(s_.lblTransfer2.refresh_count(), refreshes + 2);

  s_.Timer1.set_interval_ms(1);
  const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  EXPECT_FALSE(s_.Timer1.TickIfDue(later));
  s_.Timer1.set_enabled(true);
  EXPECT_TRUE(s_.Timer1.TickIfDue(later));
  EXPECT_FALSE(s_.lblTransfer2.visible());
}

// The reset clears every box, the progress strip and the list entities'
// counts and failure counters; time and expenses keep theirs.
TEST_F(ScreenTest, ResetBringsTheScreenBackToIdle) {
  const std::vector<platform::CheckBox*> boxes = {
      &s_.chkQBEmployee, &s_.chkQBCustomers, &s_.chkQBClasses,  &s_.chkQBCOA,
      &s_.chkQBTasks,    &s_.chkQBVendors,   &s_.chkContactQB,  &s_.chkQBTimesheet,
      &s_.chkQBExpense,  &s_.chkWaitRes,     &s_.chkProcessing, &s_.chkDebugMode};
  for (platform::CheckBox* box : boxes) box->set_value(1);
  s_.cmdSelectAll.set_caption("Uncheck All");
  const std::vector<platform::Control*> hidden = {&s_.lblProcess,  &s_.ProgressBar1,
                                                  &s_.fraProgress, &s_.lblTransfer2,
                                                  &s_.frameComm,   &s_.optStop};
  for (platform::Control* c : hidden) c->set_visible(true);
  s_.lblProcess.set_caption("Getting Classes from QB (3)");
  s_.ProgressBar1.set_value(3);
  s_.Timer1.set_enabled(true);
  s_.lblTransfer1.set_caption("Transferred data");
  s_.lblProcessing.set_caption("Response Processed");  // left as it is
  s_.screen.set_mouse_pointer(platform::MousePointer::kHourglass);
  ctl_.lngFailedClassCnt = 2;
  ctl_.lngFailedTimeCnt = 3;
  ctl_.lngFailedExpCnt = 4;
  ctl_.run().counts = {1, 2, 3, 4, 5, 6, 7, 8, 9};

  ctl_.ResetWizardScreen();

  for (const platform::CheckBox* box : boxes) EXPECT_EQ(box->value(), 0) << box->name();
  EXPECT_EQ(s_.screen.mouse_pointer(), platform::MousePointer::kDefault);
  EXPECT_EQ(s_.ProgressBar1.value(), 0);
  for (const platform::Control* c : hidden) EXPECT_FALSE(c->visible()) << c->name();
  EXPECT_FALSE(s_.Timer1.enabled());
  const std::pair<platform::Control*, const char*> captions[] = {
      {&s_.lblProcess, ""},
      {&s_.lblTransfer1, "Transfering data"},
      {&s_.lblContacting, "Contacting QuickBooks"},
      {&s_.lblWaiting, "Waiting for response"},
      {&s_.lblProcessing, "Response Processed"},
      {&s_.cmdSelectAll, "Select All"},
      {&s_.chkDebugMode, "Debug mode off"}};
  for (const auto& [control, caption] : captions) EXPECT_EQ(control->caption(), caption);
  EXPECT_TRUE(s_.cmdSelectAll.visible());
  EXPECT_EQ(ctl_.lngFailedClassCnt, 0);
  EXPECT_EQ(ctl_.lngFailedTimeCnt, 3);
  EXPECT_EQ(ctl_.lngFailedExpCnt, 4);
  EXPECT_FALSE(ctl_.DebugMode);
  EntityCounts kept;
  kept[EntityKind::kTime] = 8;
  kept[EntityKind::kExpenses] = 9;
  EXPECT_EQ(ctl_.run().counts, kept);
}

// Help shows its message; Back, and Cancel with no request waiting, do nothing.
TEST_F(ScreenTest, TheNavigationButtons) {
  s_.cmdNav[2].Click();
  s_.cmdNav[1].Click();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(ctl_.upload_form(), nullptr);
  s_.cmdNav[0].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            "This wizard helps you sync your QB data with the Tessaly.\r\nYou can either select "
            "all the entities for sync or select one by one depending upon the requirement and "
            "hit the 'Start Sync' button.");
  EXPECT_EQ(host_.messages[0].style, platform::MessageStyle::kInformation);
}

}  // namespace
}  // namespace vantrel
