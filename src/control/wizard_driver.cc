#include <string>

#include "control/vantrel_ctl.h"
#include "convert/converters.h"
#include "platform/com_error.h"
#include "platform/text_util.h"
#include "upload/frm_wg_upload.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

namespace {

using platform::IsBlank;

constexpr char kCrLf[] = "\r\n";

constexpr char kHelpMessage[] =
    "This wizard helps you sync your QB data with the Tessaly.\r\n"
    "You can either select all the entities for sync or select one by one depending upon the "
    "requirement and hit the 'Start Sync' button.";
constexpr char kNothingSelected[] = "Please select atleast a single item for syncronization";
constexpr char kMissingProperties[] =
    "You need to provide WGSecureServerURL, QBFilePath, SiteCode, SiteKey and TessalyUser name "
    "to connect for sync..";
constexpr char kAlreadyInSync[] =
    "Your Tessaly data is already in sync with your Quickbooks data..";

// Marks a run as under way for its whole length.
class RunGuard {
 public:
  explicit RunGuard(bool& running) : running_(running) { running_ = true; }
  ~RunGuard() { running_ = false; }

 private:
  bool& running_;
};

// The captions the stage labels show after a query or conversion error.
void ShowStageErrorCaptions(WizardScreen& s) {
  s.lblContacting.set_caption("Contacting QuickBooks...");
  s.lblWaiting.set_caption("Waiting for Response...");
  s.lblProcessing.set_caption("Processing response...");
}

}  // namespace

void VantrelCtl::cmdNav_Click(int index) {
  switch (index) {
    case 0:
      ShowMessage(kHelpMessage, platform::MessageStyle::kInformation);
      break;
    case 1: {
      WizardState& state = modWizard();
      if (state.upload_form && state.upload_form->mWaiting) {
        state.upload_form->WebBrowser1().Stop();
        state.upload_form->mCancelled = true;
        state.upload_form->mWaiting = false;
      }
      break;
    }
    case 2:
      break;
    case 3:
      // A click that arrives while a request of this run waits would start a
      // second run inside the first, sharing all of its state: refuse it.
      if (running_) return;
      {
        RunGuard guard(running_);
        StartSync();
      }
      break;
    default:
      break;
  }
}

void VantrelCtl::RecordRunTotals() {
  last_run_counts_ = run_.counts;
  last_run_failures_ = lngFailedEmpCnt + lngFailedCustCnt + lngFailedProjCnt + lngFailedClassCnt +
                       lngFailedGLCnt + lngFailedItemCnt + lngFailedTimeCnt + lngFailedExpCnt +
                       lngFailedVendCnt;
}

void VantrelCtl::StartSync() {
  WizardScreen& s = *screen_;
  WizardState& state = modWizard();
  last_run_counts_ = EntityCounts();
  last_run_failures_ = 0;

  // 1. Something must be ticked.
  const platform::CheckBox* boxes[] = {&s.chkQBTasks,    &s.chkQBCOA,       &s.chkQBCustomers,
                                       &s.chkQBEmployee, &s.chkQBPayTerms,  &s.chkQBVendors,
                                       &s.chkQBClasses,  &s.chkQBTimesheet, &s.chkQBExpense};
  bool any = false;
  for (const platform::CheckBox* box : boxes) any = any || box->value() == 1;
  if (!any) {
    ShowMessage(kNothingSelected, platform::MessageStyle::kInformation);
    last_run_end_ = RunEnd::kNothingSelected;
    return;
  }

  // 2-3. The communication panel and the run's flags.
  s.cmdSelectAll.set_visible(false);
  s.frameComm.set_visible(true);
  s.frameComm.Refresh();
  state.blnServerAddedTasks = false;
  state.blnServerAddedProjects = false;
  state.lngSyncDirection = kDirectionUpload;

  // 4. Required properties.
  if (IsBlank(WGSecureServerURL) || IsBlank(QBFilePath) || IsBlank(SiteCode) || IsBlank(SiteKey) ||
      IsBlank(TessalyUser)) {
    ShowMessage(kMissingProperties, platform::MessageStyle::kInformation);
    ResetWizardScreen();
    last_run_end_ = RunEnd::kMissingProperties;
    return;
  }

  // 5. A last-sync date never loaded means 1 January 2000.
  const platform::DateTime first_day = *platform::DateTime::FromParts(2000, 1, 1);
  LastSyncDates& d = state.last_sync;
  for (platform::DateTime* date :
       {&d.CustomerLastSyncDate, &d.EmployeeLastSyncDate, &d.GLAccountsLastSyncDate,
        &d.ClassLastSyncDate, &d.TasksLastSyncDate, &d.VendorsLastSyncDate, &d.TimeLastSyncDate,
        &d.ExpenseLastSyncDate}) {
    if (date->IsZero()) *date = first_day;
  }

  // 6. The site's words, or their defaults.
  if (IsBlank(EmpLexicon)) EmpLexicon = "Employee";
  if (IsBlank(CustLexicon)) CustLexicon = "Customer";
  if (IsBlank(ProjLexicon)) ProjLexicon = "Project";
  if (IsBlank(SubProjLexicon)) SubProjLexicon = "Sub Project";
  if (IsBlank(SILexicon)) SILexicon = "Service Item";

  auto abort_with_sync_error = [&] {
    RestoreMousePointer();
    ShowMessage(state.strSyncError, platform::MessageStyle::kCritical);
    EndQBSession();
    ResetWizardScreen();
    last_run_end_ = RunEnd::kQuickBooksError;
  };

  // 7. The company file must exist.
  CheckQBFile();
  if (state.blnSyncError) return abort_with_sync_error();

  // 8. Connect.
  s.screen.set_mouse_pointer(platform::MousePointer::kHourglass);
  ContactQuickBooks();
  if (state.blnSyncError) return abort_with_sync_error();

  // 9.
  s.chkContactQB.set_value(1);
  s.lblContacting.set_caption("Contacted QuickBooks");
  s.lblContacting.Refresh();
  s.cmdSelectAll.set_visible(false);

  // 10. Query.
  QueryQuickBooks();
  if (state.blnSyncError) {
    RestoreMousePointer();
    ShowMessage(state.strSyncError, platform::MessageStyle::kCritical);
    s.frameComm.set_visible(false);
    ShowStageErrorCaptions(s);
    last_run_end_ = RunEnd::kQueryError;
    return;
  }

  // 11.
  s.chkWaitRes.set_value(1);
  s.lblWaiting.set_caption("Response Received");
  s.lblWaiting.Refresh();

  // 12. Prepare the transfer.
  frmWGUpload& form = UploadForm(*this);
  form.mSuccess = false;
  form.mCancelled = false;
  run_.mStopRun = false;

  // 13. Convert.
  ConvertData();

  // 14. A pass stopped on an upload result or a cancel.
  if (run_.mStopRun) {
    if (run_.mLastResult != wgurSuccess) {
      ShowMessage(GetResultMessage(run_.mLastResult), platform::MessageStyle::kCritical);
    }
    RecordRunTotals();
    if (state.upload_form) {
      state.upload_form->WebBrowser1().Stop();
      state.upload_form->mCancelled = true;
      state.upload_form->mWaiting = false;
    }
    UnloadUploadForm();
    ResetWizardScreen();
    EndQBSession();
    CloseQBConnection();
    last_run_end_ = RunEnd::kStopped;
    return;
  }

  // 15-16.
  RestoreMousePointer();
  if (state.blnSyncError) {
    ShowMessage(state.strSyncError, platform::MessageStyle::kCritical);
    s.cmdSelectAll.set_visible(false);
    s.frameComm.set_visible(false);
    ShowStageErrorCaptions(s);
    last_run_end_ = RunEnd::kConversionError;
    return;
  }

  // 17.
  s.lblProcessing.set_caption("Response Processed");
  s.lblProcessing.Refresh();

  if (run_.counts.AllZero()) {
    // 18. Nothing was sent.
    ShowMessage(kAlreadyInSync, platform::MessageStyle::kInformation);
    last_run_end_ = RunEnd::kAlreadyInSync;
  } else {
    // 19-20.
    s.fraProgress.set_visible(false);
    UnloadUploadForm();
    s.lblTransfer1.set_caption("Transferred data");
    s.lblTransfer1.Refresh();
    s.chkProcessing.set_value(1);
    ShowMessage(BuildSummaryMessage(), platform::MessageStyle::kInformation);
    last_run_end_ = RunEnd::kCompleted;
  }

  // 21. Clean-up.
  RecordRunTotals();
  state.blnServerAddedProjects = false;
  state.blnServerAddedTasks = false;
  ResetWizardScreen();
  EndQBSession();
  CloseQBConnection();
}

void VantrelCtl::QueryQuickBooks() {
  const WizardScreen& s = *screen_;
  SelectionFlags& f = modWizard().selection;
  f.blnDoCustomers = s.chkQBCustomers.value() == 1;
  f.blnDoEmployees = s.chkQBEmployee.value() == 1;
  f.blnDoVendors = s.chkQBVendors.value() == 1;
  f.blnDoPayTerms = s.chkQBPayTerms.value() == 1;
  f.blnDoTasks = s.chkQBTasks.value() == 1;
  f.blnDoGLAccounts = s.chkQBCOA.value() == 1;
  f.blnDoClasses = s.chkQBClasses.value() == 1;
  f.blnDoSalesReps = f.blnDoCustomers;
  f.blnDoTime = s.chkQBTimesheet.value() == 1;
  f.blnDoExpense = s.chkQBExpense.value() == 1;
  BuildQBXMLRequest();
  SendQBXMLRequest();
}

void VantrelCtl::OpenFreshUploadScript() {
  auto script = std::make_unique<platform::TextStream>();
  script->set_charset("us-ascii");
  script->set_type(platform::TextStream::Type::kText);
  script->Open();
  run_.mScript = std::move(script);
}

void VantrelCtl::ConvertData() {
  WizardState& state = modWizard();
  state.blnSyncError = false;
  state.strSyncError.clear();
  const SelectionFlags& f = state.selection;
  const Converters& passes = *converters_;
  try {
    OpenFreshUploadScript();
    // Runs one pass when it exists; true when the stage must end after it.
    auto run_pass = [&](ConvertPass pass) {
      if (pass != nullptr) pass(*this);
      return run_.mStopRun || state.blnSyncError;
    };
    if (f.blnDoEmployees && run_pass(passes.employees)) return;
    if (f.blnDoCustomers && (run_pass(passes.customers) || run_pass(passes.projects))) return;
    if (f.blnDoClasses && run_pass(passes.classes)) return;
    if (f.blnDoGLAccounts && run_pass(passes.accounts)) return;
    if (f.blnDoTasks && run_pass(passes.items)) return;
    if (f.blnDoVendors && run_pass(passes.vendors)) return;
    if (f.blnDoTime && run_pass(passes.time)) return;
    if (!f.blnDoExpense) return;

    run_.counts.expense = 0;
    if (passes.expenses != nullptr) {
      run_.counts.expense = passes.expenses(*this, 1);
      if (run_.mStopRun) return;
      run_.counts.expense += passes.expenses(*this, 2);
      if (run_.mStopRun) return;
    }
    if (run_.counts.expense > 0 && lngFailedExpCnt == 0) {
      run_.mLastResult = SendStatusUpdate("X");
    }
    screen_->fraProgress.set_visible(false);
  } catch (const platform::ComError& e) {
    state.blnSyncError = true;
    state.strSyncError = e.description();
    screen_->ProgressBar1.set_visible(false);
    screen_->lblProcess.set_visible(false);
    screen_->lblProcess.Refresh();
  }
}

std::string VantrelCtl::BuildSummaryMessage() const {
  const WizardState& state = modWizard();
  auto added_block = [](const std::string& x) {
    return "The sync process has added " + x + "(s) to Tessaly, timesheets for these " + x +
           "(s) will download to QuickBooks as non-billable time. To change this to billable: " +
           kCrLf + kCrLf + "1. Go to Customize | Timesheet Preferences " + kCrLf +
           "2. Click on 'Use Rules'. " + kCrLf + "3. Select the " + x +
           "(s) you want to make billable and click the 'Make Billable' button.";
  };
  std::string added;
  if (state.blnServerAddedTasks) {
    added = added_block(SILexicon);
  } else if (state.blnServerAddedProjects) {
    added = added_block(ProjLexicon);
  }

  const std::pair<std::string, long> failures[] = {
      {EmpLexicon + "s - ", lngFailedEmpCnt},
      {CustLexicon + "s - ", lngFailedCustCnt},
      {ProjLexicon + "s - ", lngFailedProjCnt},
      {std::string("Classes") + " - ", lngFailedClassCnt},
      {std::string("Chart of Accounts") + " - ", lngFailedGLCnt},
      {SILexicon + "s - ", lngFailedItemCnt},
      {"Time - ", lngFailedTimeCnt},
      {"Expenses - ", lngFailedExpCnt},
      {std::string("Vendors") + " - ", lngFailedVendCnt},
  };
  bool any_failed = false;
  for (const auto& [label, count] : failures) any_failed = any_failed || count != 0;

  if (any_failed) {
    std::string message = "Quickbooks data synced with Tessaly. Following data could not be sent..";
    message += kCrLf;
    message += kCrLf;
    for (const auto& [label, count] : failures) {
      if (count != 0) message += label + std::to_string(count) + kCrLf;
    }
    return message + added;
  }
  constexpr char kNotInSync[] =
      "This could be because Tessaly and QuickBooks are not in sync. "
      "Please synchronize all elements and try again.";
  if (mDisplayTSError) {
    return std::string("QB's data synced with Tessaly successfully..") + kCrLf + kCrLf +
           "Few time transactions could not be synchronized. " + kNotInSync + added;
  }
  if (mDisplayEXPError) {
    return std::string("Quickbooks data synced with Tessaly successfully..") + kCrLf + kCrLf +
           "Few expense transactions could not be synchronized. " + kNotInSync + added;
  }
  if (!added.empty()) {
    return std::string("Quickbooks data synced with Tessaly successfully..") + kCrLf + kCrLf +
           added;
  }
  return "Quickbooks data synced with Tessaly successfully..";
}

}  // namespace vantrel
