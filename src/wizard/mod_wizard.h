// Module-level state of the wizard: one copy per thread, shared by every
// control created on that thread.
#ifndef VANTREL_WIZARD_MOD_WIZARD_H_
#define VANTREL_WIZARD_MOD_WIZARD_H_

#include <memory>
#include <string>

#include "platform/date_time.h"
#include "platform/request_processor.h"
#include "wizard/selection_flags.h"

namespace vantrel {

// The eight last-sync dates, one per kind of data.
struct LastSyncDates {
  platform::DateTime CustomerLastSyncDate;
  platform::DateTime EmployeeLastSyncDate;
  platform::DateTime GLAccountsLastSyncDate;
  platform::DateTime TasksLastSyncDate;
  platform::DateTime ClassLastSyncDate;
  platform::DateTime VendorsLastSyncDate;
  platform::DateTime TimeLastSyncDate;
  platform::DateTime ExpenseLastSyncDate;
};

// Sync directions; the driver sets kDirectionUpload when a run starts.
inline constexpr long kDirectionNone = 0;
inline constexpr long kDirectionUpload = 1;
inline constexpr long kDirectionDownload = 2;

struct WizardState {
  WizardState();
  ~WizardState();
  WizardState(const WizardState&) = delete;
  WizardState& operator=(const WizardState&) = delete;

  LastSyncDates last_sync;

  // Text of the last server reply, or the error description of the last
  // failed request.
  std::string strServerReply;

  // The error pair: set by a step that cannot go on; the driver shows
  // strSyncError once as a critical message.
  bool blnSyncError = false;
  std::string strSyncError;

  long lngSyncDirection = kDirectionNone;

  // What the run asks for, set at the start of the query stage.
  SelectionFlags selection;

  // A successful server reply ended with "T" (items added) or "P" (projects).
  bool blnServerAddedTasks = false;
  bool blnServerAddedProjects = false;

  // The QuickBooks session.
  std::unique_ptr<platform::RequestProcessor> objRequestProcessor;
  bool blnConnectionOpen = false;
  std::string strTicket;
  std::string strRequestXML;
  std::string strResponseXML;
  long lngQBXMLVersion = 0;
};

// This thread's module-level state.
WizardState& modWizard();

// Replaces this thread's state by a fresh one (tests start from a clean module).
void ResetModWizard();

}  // namespace vantrel

#endif  // VANTREL_WIZARD_MOD_WIZARD_H_
