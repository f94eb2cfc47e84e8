// The command-line host of the control: message boxes on the terminal (and
// optionally as JSON lines), the run's stages as they pass, Ctrl-C as Cancel.
#ifndef VANTREL_HOSTS_CLI_CLI_HOST_H_
#define VANTREL_HOSTS_CLI_CLI_HOST_H_

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "control/vantrel_ctl.h"
#include "platform/forms.h"

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

  // The control whose Cancel button Ctrl-C clicks.
  void set_control(VantrelCtl* ctl) { ctl_ = ctl; }
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
  // Prints the running count not shown yet.
  void FlushProgress();
  // Takes the figures of a running count as the screen shows them now.
  void NoteProgress(const std::string& caption);
  // The running count noted last with the host's figures: records walked
  // against the pass's records, their rate and the time since the pass began.
  std::string ProgressLine() const;

  std::string pending_progress_;
  long walked_ = 0;
  long records_ = 0;
  double seconds_ = 0;
  std::chrono::steady_clock::time_point last_progress_{};
  std::chrono::steady_clock::time_point pass_start_{};
  bool terminal_ = false;       // `out_` is a terminal: the count updates in place
  bool line_in_place_ = false;  // a count stands on the current line without its end
};

// "[information] text" or "[critical] text", line breaks as the terminal's.
std::string MessageLine(const std::string& text, platform::MessageStyle style);

// The screen as text: every shown control in screen order, one a line.
std::string RenderScreen(WizardScreen& screen);

// A JSON string literal of `text`.
std::string JsonString(const std::string& text);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_CLI_HOST_H_
