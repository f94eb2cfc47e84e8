#include <string>
#include <vector>

#include "control/control_plumbing.h"
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
      frmWGUpload* form = upload_form();
      if (form != nullptr && form->mWaiting) {
        form->WebBrowser1().Stop();
        form->mCancelled = true;
        form->mWaiting = false;
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
  last_run_failures_ = 0;
  for (const EntityRow& entity : Entities()) {
    const long failures = this->*Binding(entity.kind).failures;
    last_run_failures_ += failures;
    run_.figures[entity.kind].failed = failures;
  }
  last_run_figures_ = run_.figures;
}

void VantrelCtl::StartSync() {
  if (!PrepareRun()) return;
  if (!ContactAndQuery()) return;
  TransferAndClose();
}

bool VantrelCtl::PrepareRun() {
  WizardScreen& s = *screen_;
  WizardState& state = modWizard();
  last_run_counts_ = EntityCounts();
  last_run_failures_ = 0;
  last_run_figures_ = RunFigures();
  last_qb_status_ = QBStatus();
  // Each end below is recorded before its message shows, so that a host can
  // tell what the message is about while it shows.
  last_run_end_ = RunEnd::kNotRun;

  // Something must be ticked; the payment terms box counts too.
  bool any = s.chkQBPayTerms.value() == 1;
  for (const EntityRow& entity : Entities()) {
    any = any || (s.*Binding(entity.kind).box).value() == 1;
  }
  if (!any) {
    last_run_end_ = RunEnd::kNothingSelected;
    ShowMessage(kNothingSelected, platform::MessageStyle::kInformation);
    return false;
  }

  // The communication panel shows; the server has added nothing yet.
  s.cmdSelectAll.set_visible(false);
  s.frameComm.set_visible(true);
  s.frameComm.Refresh();
  state.blnServerAddedTasks = false;
  state.blnServerAddedProjects = false;
  state.lngSyncDirection = kDirectionUpload;

  // Without an address, a file, the site's credentials and a user there is no run.
  if (IsBlank(WGSecureServerURL) || IsBlank(QBFilePath) || IsBlank(SiteCode) || IsBlank(SiteKey) ||
      IsBlank(TessalyUser)) {
    last_run_end_ = RunEnd::kMissingProperties;
    ShowMessage(kMissingProperties, platform::MessageStyle::kInformation);
    ResetWizardScreen();
    return false;
  }

  // A last-sync date never loaded means 1 January 2000.
  const platform::DateTime first_day = *platform::DateTime::FromParts(2000, 1, 1);
  for (const EntityRow& entity : Entities()) {
    platform::DateTime& date = state.last_sync.*entity.last_sync;
    if (date.IsZero()) date = first_day;
  }

  // The site's words, or their defaults.
  if (IsBlank(EmpLexicon)) EmpLexicon = "Employee";
  if (IsBlank(CustLexicon)) CustLexicon = "Customer";
  if (IsBlank(ProjLexicon)) ProjLexicon = "Project";
  if (IsBlank(SubProjLexicon)) SubProjLexicon = "Sub Project";
  if (IsBlank(SILexicon)) SILexicon = "Service Item";
  return true;
}

bool VantrelCtl::ContactAndQuery() {
  WizardScreen& s = *screen_;
  WizardState& state = modWizard();
  auto abort_with_sync_error = [&] {
    last_run_end_ = RunEnd::kQuickBooksError;
    RestoreMousePointer();
    ShowMessage(state.strSyncError, platform::MessageStyle::kCritical);
    EndQBSession();
    ResetWizardScreen();
  };

  // The company file must exist before QuickBooks is asked to open it.
  CheckQBFile();
  if (state.blnSyncError) {
    abort_with_sync_error();
    return false;
  }

  // Connect and check that QuickBooks has that file open.
  s.screen.set_mouse_pointer(platform::MousePointer::kHourglass);
  ContactQuickBooks();
  if (state.blnSyncError) {
    abort_with_sync_error();
    return false;
  }

  // Contacted: the first stage is ticked.
  s.chkContactQB.set_value(1);
  s.lblContacting.set_caption("Contacted QuickBooks");
  s.lblContacting.Refresh();
  s.cmdSelectAll.set_visible(false);

  // One request for everything ticked.
  QueryQuickBooks();
  if (state.blnSyncError) {
    last_run_end_ = RunEnd::kQueryError;
    RestoreMousePointer();
    ShowMessage(state.strSyncError, platform::MessageStyle::kCritical);
    s.frameComm.set_visible(false);
    ShowStageErrorCaptions(s);
    return false;
  }

  // The response is in: the second stage is ticked.
  s.chkWaitRes.set_value(1);
  s.lblWaiting.set_caption("Response Received");
  s.lblWaiting.Refresh();
  return true;
}

void VantrelCtl::TransferAndClose() {
  WizardScreen& s = *screen_;
  WizardState& state = modWizard();

  // The upload form is loaded fresh for the transfer.
  frmWGUpload& form = plumbing_->form.Take();
  form.mSuccess = false;
  form.mCancelled = false;
  run_.mStopRun = false;
  run_.figures = RunFigures();
  run_.line_issues.clear();
  run_.safe_lines = SafeLines;

  // Every ticked entity's pass, in the fixed order.
  ConvertData();

  // A pass stopped on an upload result or a cancel: say why, end the transfer
  // and the session.
  if (run_.mStopRun) {
    last_run_end_ = RunEnd::kStopped;
    if (run_.mLastResult != wgurSuccess) {
      ShowMessage(GetResultMessage(run_.mLastResult), platform::MessageStyle::kCritical);
    }
    RecordRunTotals();
    if (frmWGUpload* stopped = upload_form()) {
      stopped->WebBrowser1().Stop();
      stopped->mCancelled = true;
      stopped->mWaiting = false;
    }
    plumbing_->form.Unload();
    ResetWizardScreen();
    EndQBSession();
    CloseQBConnection();
    return;
  }

  // A converter that could not read the response leaves the panel as it is.
  RestoreMousePointer();
  if (state.blnSyncError) {
    last_run_end_ = RunEnd::kConversionError;
    ShowMessage(state.strSyncError, platform::MessageStyle::kCritical);
    s.cmdSelectAll.set_visible(false);
    s.frameComm.set_visible(false);
    ShowStageErrorCaptions(s);
    return;
  }

  // Processed: every pass ran to its end.
  s.lblProcessing.set_caption("Response Processed");
  s.lblProcessing.Refresh();

  bool sent = false;
  for (const long count : run_.counts) sent = sent || count != 0;
  if (!sent) {
    last_run_end_ = RunEnd::kAlreadyInSync;
    ShowMessage(kAlreadyInSync, platform::MessageStyle::kInformation);
  } else {
    // The transfer is over: the summary tells what could not be sent.
    s.fraProgress.set_visible(false);
    plumbing_->form.Unload();
    s.lblTransfer1.set_caption("Transferred data");
    s.lblTransfer1.Refresh();
    s.chkProcessing.set_value(1);
    last_run_end_ = RunEnd::kCompleted;
    ShowMessage(BuildSummaryMessage(), platform::MessageStyle::kInformation);
  }

  // The screen back to idle and QuickBooks released.
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
  // Each entity's flag from its box; the projects come with the customers.
  for (const EntityRow& entity : Entities()) {
    if (entity.selectable) f.*entity.selected = (s.*Binding(entity.kind).box).value() == 1;
  }
  f.blnDoPayTerms = s.chkQBPayTerms.value() == 1;
  f.blnDoSalesReps = f.blnDoCustomers;
  f.blnDoSalesTaxCodes = IncludeSalesTaxCodes && f.blnDoTasks;
  BuildQBXMLRequest();
  SendQBXMLRequest();
}

void VantrelCtl::OpenFreshUploadScript() { run_.OpenFreshScript(); }

void VantrelCtl::ConvertData() {
  WizardState& state = modWizard();
  state.blnSyncError = false;
  state.strSyncError.clear();
  // The passes share one reading of the response; none keeps it past them.
  run_.response = std::make_unique<platform::XmlResponse>();
  struct Release {
    RunState& run;
    ~Release() { run.response.reset(); }
  } release{run_};
  try {
    OpenFreshUploadScript();
    for (const EntityRow& entity : Entities()) {
      if (!(state.selection.*entity.selected)) continue;
      RunConverter(entity);
      if (run_.mStopRun || state.blnSyncError) return;
    }
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

  // The failure counters in the summary's order.
  std::vector<const EntityRow*> ranked(Entities().size());
  for (const EntityRow& entity : Entities()) ranked[entity.summary_rank] = &entity;
  bool any_failed = false;
  for (const EntityRow* entity : ranked) {
    any_failed = any_failed || this->*Binding(entity->kind).failures != 0;
  }

  if (any_failed) {
    std::string message = "Quickbooks data synced with Tessaly. Following data could not be sent..";
    message += kCrLf;
    message += kCrLf;
    for (const EntityRow* entity : ranked) {
      const long count = this->*Binding(entity->kind).failures;
      if (count != 0)
        message += SummaryName(*this, *entity) + " - " + std::to_string(count) + kCrLf;
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
