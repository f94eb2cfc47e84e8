// The command-line host of the control: message boxes on the terminal (and
// optionally as JSON lines), the run's stages as they pass, Ctrl-C as Cancel.
#ifndef VANTREL_HOSTS_CLI_CLI_HOST_H_
#define VANTREL_HOSTS_CLI_CLI_HOST_H_

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/run_progress.h"
#include "control/vantrel_ctl.h"
#include "platform/forms.h"
#include "platform/request_log.h"

namespace vantrel::cli {

struct RecordedMessage {
  std::string text;
  platform::MessageStyle style;
};

class CliHost : public platform::FormsHost {
 public:
  // Messages and stages print to `out` (critical messages to standard error
  // when `out` is standard output); with `show_stages` false only message
  // boxes print.
  CliHost(std::FILE* out, bool show_stages);

  // The control whose Cancel button Ctrl-C clicks and whose figures the
  // progress lines tell.
  void set_control(VantrelCtl* ctl) { ctl_ = ctl; }
  // The progress lines say "to send" for "sent".
  void set_dry_run(bool dry_run) { dry_run_ = dry_run; }
  // `hooks`, each of which first takes away the progress lines standing in
  // place on a terminal, so that what it prints starts a line of its own.
  platform::RequestLogHooks ClearingProgress(platform::RequestLogHooks hooks);
  // Makes the first Ctrl-C click Cancel for the request that waits and for
  // every later one (instead of ending the program); before a run it only
  // marks the program as interrupted. A second Ctrl-C ends the program.
  static void InstallInterruptHandler();

  // True once Ctrl-C has been pressed.
  static bool interrupted();

  // After each message box line, `hint` may give one line of its own (on
  // standard error) that says in command-line terms what caused the message
  // and how to fix it; "" for none.
  void set_hint(std::function<std::string()> hint) { hint_ = std::move(hint); }

  void ShowMessage(const std::string& text, platform::MessageStyle style) override;
  void ProcessPendingEvents() override;
  void Redrawn(const platform::Control& control) override;

  const std::vector<RecordedMessage>& messages() const { return messages_; }

 private:
  std::FILE* out_;
  bool show_stages_;
  VantrelCtl* ctl_ = nullptr;
  std::function<std::string()> hint_;

  std::vector<RecordedMessage> messages_;

  // The progress of the passes. After a pass's start text each running
  // count is shown with the host's figures for the pass (host::PassTally,
  // from the control's figures since the pass began), and once the passes
  // have lasted a few seconds an overall line under it. On a terminal they
  // update in place; elsewhere they print every five seconds. A pass's last
  // figures print when it ends (at the next pass, stage or message), unless
  // the same figures printed last.
  void StartPass(const std::string& caption);
  void ShowCount(const std::string& caption);
  // Prints the pass's figures if they changed since printed, after taking
  // away what stands in place.
  void FlushProgress();
  void ErasePlaced();
  // Finds the entity of the pass under way, once its figures have moved.
  void IdentifyPass();
  host::PassTally Tally() const;
  std::string PassLine() const;
  // The overall line, or "" before the passes have lasted long enough.
  std::string OverallLine() const;
  double Since(std::chrono::steady_clock::time_point start) const;

  bool dry_run_ = false;
  bool pass_open_ = false;             // a pass has begun: its figures may be owed
  std::string caption_;                // the pass's caption as shown last
  RunFigures before_{};                // the control's figures when the pass began
  const EntityRow* entity_ = nullptr;  // the pass's entity, once known
  std::string part_;                   // "checks" or "bills" for the expenses
  int expense_passes_ = 0;
  long checks_ = 0;       // the check records of the response
  bool printed_ = false;  // the pass's figures printed
  host::PassTally printed_tally_;
  long total_ = -1;  // the records the run's passes read, once known
  std::chrono::steady_clock::time_point passes_start_{};
  std::chrono::steady_clock::time_point last_progress_{};
  std::chrono::steady_clock::time_point last_overall_{};
  std::chrono::steady_clock::time_point pass_start_{};
  bool terminal_ = false;  // `out_` is a terminal: the counts update in place
  int placed_lines_ = 0;   // lines standing in place, the last without its end
};

// "[information] text" or "[critical] text", line breaks as the terminal's.
std::string MessageLine(const std::string& text, platform::MessageStyle style);

// The screen as text: every shown control in screen order, one a line.
std::string RenderScreen(WizardScreen& screen);

// A JSON string literal of `text`.
std::string JsonString(const std::string& text);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_CLI_HOST_H_
