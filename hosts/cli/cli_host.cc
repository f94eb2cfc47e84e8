#include "cli_host.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace vantrel::cli {

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_ever_interrupted{false};

// The first Ctrl-C asks for a Cancel at the next chance; a second one ends
// the program as usual.
void OnInterrupt(int signal_number) {
  if (g_ever_interrupted) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  g_interrupted = true;
  g_ever_interrupted = true;
}

std::string TerminalText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

CliHost::CliHost(std::FILE* out, bool show_stages)
    : out_(out), show_stages_(show_stages), terminal_(isatty(fileno(out)) == 1) {}

std::string MessageLine(const std::string& text, platform::MessageStyle style) {
  return std::string(style == platform::MessageStyle::kCritical ? "[critical] "
                                                                : "[information] ") +
         TerminalText(text);
}

void CliHost::InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool CliHost::interrupted() { return g_ever_interrupted; }

void CliHost::ShowMessage(const std::string& text, platform::MessageStyle style) {
  FlushProgress();
  messages_.push_back({text, style});
  // A critical message is an error: it goes to standard error (after what
  // stands on `out_`), the others with the stages.
  std::fflush(out_);
  std::FILE* to = style == platform::MessageStyle::kCritical && out_ == stdout ? stderr : out_;
  std::fprintf(to, "%s\n", MessageLine(text, style).c_str());
  std::fflush(to);
  if (hint_) {
    const std::string hint = hint_();
    if (!hint.empty()) std::fprintf(stderr, "hint: %s\n", hint.c_str());
  }
}

void CliHost::ProcessPendingEvents() {
  if (!g_ever_interrupted || ctl_ == nullptr) return;
  if (g_interrupted.exchange(false) && show_stages_) std::fprintf(out_, "cancelling...\n");
  // Every request that waits after the first Ctrl-C is cancelled, so that the
  // run ends at its next upload at the latest.
  ctl_->screen().cmdNav[1].Click();
}

void CliHost::FlushProgress() {
  if (pending_progress_.empty()) {
    if (line_in_place_) std::fputc('\n', out_);
    line_in_place_ = false;
    return;
  }
  std::fprintf(out_, "%s  %s\n", line_in_place_ ? "\r\033[K" : "", ProgressLine().c_str());
  pending_progress_.clear();
  line_in_place_ = false;
}

void CliHost::NoteProgress(const std::string& caption) {
  pending_progress_ = caption;
  if (ctl_ == nullptr) return;
  const platform::ProgressBar& bar = ctl_->screen().ProgressBar1;
  walked_ = bar.value() + 1;
  records_ = std::max<long>(walked_, bar.max() + 1);
  seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - pass_start_).count();
}

std::string CliHost::ProgressLine() const {
  if (ctl_ == nullptr) return pending_progress_;
  char figures[128];
  std::snprintf(figures, sizeof figures, "  [%ld/%ld records, %.0f/s, %.1f s]", walked_, records_,
                seconds_ > 0 ? static_cast<double>(walked_) / seconds_ : 0.0, seconds_);
  return pending_progress_ + figures;
}

void CliHost::Redrawn(const platform::Control& control) {
  if (!show_stages_) return;
  const std::string& name = control.name();
  const std::string& caption = control.caption();
  if (name == "lblProcess") {
    if (caption.empty()) return;
    if (caption.back() != ')') {
      // The start text of a pass.
      FlushProgress();
      pass_start_ = std::chrono::steady_clock::now();
      last_progress_ = pass_start_;
      std::fprintf(out_, "  %s\n", caption.c_str());
    } else {
      // A running count: on a terminal one line updated in place a few times
      // a second; elsewhere a line every five seconds; the last one of a pass
      // in any case.
      NoteProgress(caption);
      const auto now = std::chrono::steady_clock::now();
      if (now - last_progress_ <
          (terminal_ ? std::chrono::milliseconds(200) : std::chrono::milliseconds(5000))) {
        return;
      }
      last_progress_ = now;
      if (terminal_) {
        std::fprintf(out_, "\r\033[K  %s", ProgressLine().c_str());
        line_in_place_ = true;  // the pass's last count ends the line
      } else {
        FlushProgress();
      }
    }
  } else if (name == "lblWaiting" && caption == "Response Received") {
    std::fprintf(out_, "  %s (%zu bytes of qbXML)\n", caption.c_str(),
                 ctl_ != nullptr ? ctl_->ResponseSize() : std::size_t{0});
    std::fprintf(out_, "  reading the response...\n");
  } else if ((name == "lblContacting" && caption != "Contacting QuickBooks") ||
             (name == "lblWaiting" && caption != "Waiting for response") ||
             name == "lblProcessing" || (name == "lblTransfer1" && caption == "Transferred data")) {
    FlushProgress();
    std::fprintf(out_, "  %s\n", caption.c_str());
  } else {
    return;
  }
  std::fflush(out_);
}

std::string RenderScreen(WizardScreen& screen) {
  std::string out;
  for (platform::Control* c : screen.ControlsInOrder()) {
    if (!c->IsShown()) continue;
    std::string line = c->name();
    line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
    if (auto* box = dynamic_cast<platform::CheckBox*>(c)) {
      line += box->value() == 1 ? "[x]" : "[ ]";
      if (!c->caption().empty()) line += " \"" + c->caption() + "\"";
    } else if (auto* option = dynamic_cast<platform::OptionButton*>(c)) {
      line += option->value() ? "(o)" : "( )";
      line += " \"" + c->caption() + "\"";
    } else if (auto* bar = dynamic_cast<platform::ProgressBar*>(c)) {
      line += "progress " + std::to_string(bar->value()) + "/" + std::to_string(bar->max());
    } else if (dynamic_cast<platform::CommandButton*>(c) != nullptr) {
      line += "<" + c->caption() + ">";
    } else {
      line += "\"" + c->caption() + "\"";
    }
    out += line + "\n";
  }
  return out;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace vantrel::cli
