// VantrelCtl, the "QB Sync Wizard" control: its public properties and
// methods, the property load, the wizard's handlers and the state of a run.
#ifndef VANTREL_CONTROL_VANTREL_CTL_H_
#define VANTREL_CONTROL_VANTREL_CTL_H_

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "control/entity_table.h"
#include "control/wizard_screen.h"
#include "convert/converter_stores.h"
#include "convert/converters.h"
#include "convert/pass_context.h"
#include "platform/date_time.h"
#include "platform/env.h"
#include "platform/forms.h"
#include "platform/guid.h"
#include "platform/text_stream.h"
#include "platform/values.h"
#include "quickbooks/qb_session.h"
#include "wizard/bmwg_utility_result.h"
#include "wizard/run_state.h"

namespace vantrel {

struct ControlPlumbing;
class frmWGUpload;

// How the last click on "Start &Sync" ended.
enum class RunEnd {
  kNotRun,             // no run has been started, or the one under way has not ended
  kNothingSelected,    // no entity was ticked
  kMissingProperties,  // a required property was blank
  kQuickBooksError,    // the company file or the connection failed
  kQueryError,         // the request failed or had no response
  kStopped,            // a pass stopped on an upload result or a cancel
  kConversionError,    // a converter could not load the response
  kAlreadyInSync,      // the run ended with nothing to send
  kCompleted,          // the run ended with its summary
};

// The five lexicons and TessalyUser are public properties too: the control
// holds them as the Wording its passes read.
class VantrelCtl : public Wording {
 public:
  // `env` and `host` must outlive the control.
  VantrelCtl(platform::Env& env, platform::FormsHost& host);
  ~VantrelCtl();
  VantrelCtl(const VantrelCtl&) = delete;
  VantrelCtl& operator=(const VantrelCtl&) = delete;

  // ---- Public properties: plain fields, settable by the host at any time ----
  BMWGUtilityResult wgUtilitySet = wgurSuccess;
  bool ResetTessaly = false;
  std::string WGSecureServerURL;
  std::string SiteCode;
  std::string SiteKey;
  std::string BMClientVersion;
  std::string QBFilePath;
  platform::DateTime WGLastUploadDate;
  std::string nOptions;
  long lngFailedCustCnt = 0;
  long lngFailedEmpCnt = 0;
  long lngFailedProjCnt = 0;
  long lngFailedItemCnt = 0;
  long lngFailedGLCnt = 0;
  long lngFailedClassCnt = 0;
  long lngFailedVendCnt = 0;
  bool DebugMode = false;
  bool mDisplayTSError = false;
  long lngFailedTimeCnt = 0;
  long lngFailedExpCnt = 0;
  bool mDisplayEXPError = false;
  // The request also asks for the sales tax codes, so that items can be
  // found taxable (page parameter "IncludeSalesTaxCodes"; off by default).
  bool IncludeSalesTaxCodes = false;
  // Time and expense lines carry their free texts with "|" and line breaks
  // replaced by blanks (page parameter "SafeLines"; off by default, when the
  // texts go out as they stand).
  bool SafeLines = false;

  // ---- Public methods ----

  // `strParam` with every apostrophe doubled.
  std::string ReplaceSingleQuotes(std::string_view strParam) const;
  // Posts `myStream` to the upload page and classifies the reply.
  BMWGUtilityResult UploadNow(platform::TextStream& myStream);
  // Opens the connection and session with QuickBooks and checks the company
  // file; 1 when all went well, otherwise 0 (the error pair tells why).
  long ContactQuickBooks();
  // Always wgurSuccess, with no other effect.
  BMWGUtilityResult UpdateDataForWGRequirement() { return wgurSuccess; }

  // ---- Hosting ----

  // Loads the object tag's parameters in their fixed order. A value that
  // cannot be converted throws ComError; what was read before stays set.
  void ReadProperties(const platform::PropertyBag& bag);
  // The names of the parameters ReadProperties reads, in the order it reads
  // them.
  static const std::vector<std::string_view>& PropertyNames();

  // Scripting safety.
  platform::HRESULT GetInterfaceSafetyOptions(const platform::Guid* riid, std::uint32_t* supported,
                                              std::uint32_t* enabled) const;
  platform::HRESULT SetInterfaceSafetyOptions(const platform::Guid* riid, std::uint32_t mask,
                                              std::uint32_t enabled) const;

  // ---- What a host reads and draws ----

  // The wizard's screen: the host draws it and clicks its controls, whose
  // handlers are the control's.
  WizardScreen& screen() { return *screen_; }
  // The state of the run under way, or of the last one.
  const RunState& run() const { return run_; }
  // The upload form the control's requests go through; null before its
  // first request.
  frmWGUpload* upload_form() const;
  // True from the click on "Start &Sync" to the end of the run.
  bool running() const { return running_; }
  // How the last run ended; set before the run's closing message shows.
  RunEnd last_run_end() const { return last_run_end_; }
  // How the last QuickBooks step that did not go well ended; kOk when all
  // went well since the last click on "Start &Sync".
  const QBStatus& last_qb_status() const { return last_qb_status_; }
  // The entity counts and the failed uploads of the last run as they stood at
  // its end, before the screen reset cleared them.
  const EntityCounts& last_run_counts() const { return last_run_counts_; }
  long last_run_failures() const { return last_run_failures_; }
  // What each pass of the last run did with its records, with each entity's
  // failure counter at the run's end.
  const RunFigures& last_run_figures() const { return last_run_figures_; }
  // What hosts read of the module's state, so that they need not include it:
  // whether the last run asked for `kind`, the last server reply (or the
  // description of the last failed request), the size of the run's qbXML
  // response, and the last-sync date `entity` uses.
  bool RunAskedFor(EntityKind kind) const;
  const std::string& ServerReply() const;
  std::size_t ResponseSize() const;
  platform::DateTime LastSyncDate(const EntityRow& entity) const;

 protected:
  // Everything below is the control's own working: not on the host's
  // interface. Tests reach it through a subclass.

  // ---- The wizard's event handlers ----
  void cmdNav_Click(int index);
  void chkDebugMode_Click();
  void cmdSelectAll_Click();
  void Timer1_Timer();

  // ---- Operations of the control (not on the host's interface) ----

  // The screen to idle: every box unchecked, counters and counts cleared.
  void ResetWizardScreen();
  // The screen's mouse pointer back to the default.
  void RestoreMousePointer();
  // The message for a request's result code.
  std::string GetResultMessage(long code) const;
  // Checks that QBFilePath names an existing file.
  void CheckQBFile();
  // Sends the composed request and keeps the response.
  void SendQBXMLRequest();
  void EndQBSession();
  void CloseQBConnection();
  // Composes the request from the selection flags and the version code.
  void BuildQBXMLRequest();
  // Sets the selection flags from the boxes, composes and sends the request.
  void QueryQuickBooks();
  // Runs the converters of the ticked entities in their fixed order.
  void ConvertData();
  // What the pass of `entity` sees of the control: the progress strip, the
  // upload script, the entity's letter, failure counter, count and last-sync
  // date, and the site's words (the control's own). Valid while the control
  // lives.
  PassContext ContextFor(const EntityRow& entity);
  // Runs the converter of `entity` when this build has one.
  void RunConverter(const EntityRow& entity);
  // Tells the status page that the entity `strOptions` is complete.
  BMWGUtilityResult SendStatusUpdate(const std::string& strOptions);
  // Puts a new, empty "us-ascii" text stream into mScript.
  void OpenFreshUploadScript();
  // The closing summary of a run that sent something.
  std::string BuildSummaryMessage() const;

  // Shows a message box (no title argument).
  void ShowMessage(const std::string& text, platform::MessageStyle style);

  RunState& run() { return run_; }
  // The passes' record stores, kept from one run to the next.
  ConverterStores& stores() { return *stores_; }
  platform::Env& env() { return env_; }
  platform::EventPump& event_pump() { return pump_; }
  // The passes the conversion stage runs (this build's converters unless
  // replaced, as tests do to drive the stage's paths).
  void set_converters(const Converters& converters) { converters_ = &converters; }

 private:
  // The click on "Start &Sync": the checks and defaults, QuickBooks, then the
  // transfer and the closing message. Each stage but the last returns false
  // when the run ended there (last_run_end_ says how, its message shown).
  void StartSync();
  bool PrepareRun();
  bool ContactAndQuery();
  void TransferAndClose();
  // Writes the error pair from a QuickBooks step's status.
  void Report(const QBStatus& status);
  // Keeps the counts and failures of the run that is ending.
  void RecordRunTotals();

  platform::Env& env_;
  platform::FormsHost& host_;
  platform::EventPump pump_;
  bool running_ = false;
  RunEnd last_run_end_ = RunEnd::kNotRun;
  QBStatus last_qb_status_;
  EntityCounts last_run_counts_;
  long last_run_failures_ = 0;
  RunFigures last_run_figures_;
  const Converters* converters_ = &AvailableConverters();
  std::unique_ptr<WizardScreen> screen_;
  // The requests' surface, the progress strip and the batcher the passes
  // post through, made of the control's own screen and properties.
  std::unique_ptr<ControlPlumbing> plumbing_;
  RunState run_;
  std::unique_ptr<ConverterStores> stores_;
};

// The direction word: "None", "Upload", "Download"; empty for other codes.
std::string GetDirectionWord(long direction);

// The braced, upper-case, 38-character text of an interface identifier; empty
// for a null one.
std::string GuidToString(const platform::Guid* riid);

}  // namespace vantrel

#endif  // VANTREL_CONTROL_VANTREL_CTL_H_
