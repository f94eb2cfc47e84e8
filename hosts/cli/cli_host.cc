#include "cli_host.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

// `hook` with `first` run before it; an empty hook stays empty.
template <typename... Args>
std::function<void(Args...)> After(const std::function<void()>& first,
                                   std::function<void(Args...)> hook) {
  if (!hook) return hook;
  return [first, hook = std::move(hook)](Args... args) {
    first();
    hook(args...);
  };
}

// The figures of the run under way, as the passes keep them.
const RunFigures& LiveFigures(const VantrelCtl& ctl) { return ctl.run().figures; }

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

platform::RequestLogHooks CliHost::ClearingProgress(platform::RequestLogHooks hooks) {
  const std::function<void()> clear = [this] {
    ErasePlaced();
    std::fflush(out_);
  };
  hooks.sent = After(clear, std::move(hooks.sent));
  hooks.retrying = After(clear, std::move(hooks.retrying));
  hooks.completed = After(clear, std::move(hooks.completed));
  hooks.file_failed = After(clear, std::move(hooks.file_failed));
  return hooks;
}

double CliHost::Since(std::chrono::steady_clock::time_point start) const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void CliHost::ErasePlaced() {
  if (placed_lines_ == 0) return;
  std::fputs("\r\033[K", out_);
  for (int i = 1; i < placed_lines_; ++i) std::fputs("\033[F\033[K", out_);
  placed_lines_ = 0;
}

void CliHost::IdentifyPass() {
  if (entity_ != nullptr || ctl_ == nullptr) return;
  entity_ = host::EntityOfPass(before_, LiveFigures(*ctl_));
  if (entity_ == nullptr || entity_->kind != EntityKind::kExpenses) return;
  // The expenses walk the checks, then the bills; a response without
  // checks starts with the bills.
  ++expense_passes_;
  part_ = expense_passes_ == 1 && checks_ > 0 ? "checks" : "bills";
}

host::PassTally CliHost::Tally() const {
  host::PassTally tally;
  if (entity_ == nullptr) return tally;
  const PassFigures f = host::FiguresSince(before_, LiveFigures(*ctl_), entity_->kind);
  tally.part = part_;
  tally.read = f.read;
  tally.unchanged = f.unchanged;
  tally.left_out = f.left_out;
  // A running count ends in the entries written so far: "... QB (11)".
  const std::size_t open = caption_.rfind('(');
  if (!caption_.empty() && caption_.back() == ')' && open != std::string::npos) {
    tally.sent = std::atol(caption_.c_str() + open + 1);
  }
  tally.lines = entity_->lines;
  tally.dry_run = dry_run_;
  tally.seconds = Since(pass_start_);
  return tally;
}

std::string CliHost::PassLine() const {
  return "  " + caption_ + "  " + host::PassFiguresText(Tally());
}

std::string CliHost::OverallLine() const {
  if (ctl_ == nullptr || total_ <= 0) return "";
  const double seconds = Since(passes_start_);
  if (seconds < host::kOverallAfterSeconds) return "";
  return "  " + host::OverallText(host::RecordsRead(LiveFigures(*ctl_)), total_, seconds);
}

void CliHost::FlushProgress() {
  ErasePlaced();
  if (!pass_open_) return;
  IdentifyPass();
  if (entity_ == nullptr) return;
  const host::PassTally tally = Tally();
  if (printed_ && tally.read == printed_tally_.read && tally.sent == printed_tally_.sent &&
      tally.unchanged == printed_tally_.unchanged && tally.left_out == printed_tally_.left_out) {
    return;
  }
  std::fprintf(out_, "%s\n", PassLine().c_str());
  printed_ = true;
  printed_tally_ = tally;
}

void CliHost::StartPass(const std::string& caption) {
  FlushProgress();
  const auto now = std::chrono::steady_clock::now();
  if (ctl_ != nullptr) {
    if (total_ < 0) {
      // The response is read by now, and stays until the passes are over.
      total_ = host::RecordsToRead(*ctl_);
      checks_ = host::CheckRecords(*ctl_);
      passes_start_ = now;
    }
    before_ = LiveFigures(*ctl_);
  }
  pass_open_ = true;
  caption_ = caption;
  entity_ = nullptr;
  part_.clear();
  printed_ = false;
  pass_start_ = last_progress_ = now;
  std::fprintf(out_, "  %s\n", caption.c_str());
  // Into a file the overall line also comes at a pass's start, every five
  // seconds at most.
  if (!terminal_ && now - last_overall_ >= std::chrono::seconds(5)) {
    const std::string overall = OverallLine();
    if (!overall.empty()) {
      std::fprintf(out_, "%s\n", overall.c_str());
      last_overall_ = now;
    }
  }
}

void CliHost::ShowCount(const std::string& caption) {
  caption_ = caption;
  // On a terminal the lines update in place a few times a second; elsewhere
  // they print every five seconds. A pass's last figures print when it ends.
  const auto now = std::chrono::steady_clock::now();
  if (now - last_progress_ <
      (terminal_ ? std::chrono::milliseconds(200) : std::chrono::milliseconds(5000))) {
    return;
  }
  last_progress_ = now;
  IdentifyPass();
  if (entity_ == nullptr) return;
  const std::string overall = OverallLine();
  if (terminal_) {
    ErasePlaced();
    std::fputs(PassLine().c_str(), out_);
    placed_lines_ = 1;
    if (!overall.empty()) {
      std::fprintf(out_, "\n%s", overall.c_str());
      placed_lines_ = 2;
    }
  } else {
    FlushProgress();
    if (!overall.empty()) {
      std::fprintf(out_, "%s\n", overall.c_str());
      last_overall_ = now;
    }
  }
}

void CliHost::Redrawn(const platform::Control& control) {
  if (!show_stages_) return;
  const std::string& name = control.name();
  const std::string& caption = control.caption();
  if (name == "lblProcess") {
    if (caption.empty()) return;
    // A pass's start text, or a running count: "... (11)".
    if (caption.back() != ')') {
      StartPass(caption);
    } else {
      ShowCount(caption);
    }
  } else if (name == "lblWaiting" && caption == "Response Received") {
    total_ = -1;  // a new response: the passes' records are counted again
    expense_passes_ = 0;
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
