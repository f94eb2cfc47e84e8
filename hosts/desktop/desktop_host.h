// The desktop host of the control: message boxes as QMessageBox, the Qt event
// loop run while the core waits, and explicit redraws painted at once.
#ifndef VANTREL_HOSTS_DESKTOP_DESKTOP_HOST_H_
#define VANTREL_HOSTS_DESKTOP_DESKTOP_HOST_H_

#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "wizard_view.h"

namespace vantrel::desktop {

struct ShownMessage {
  std::string text;  // as the control gave it
  platform::MessageStyle style;
  std::string hint;  // the host's word shown under it; "" for none
};

class DesktopHost : public platform::FormsHost {
 public:
  // The view whose widgets follow the model; null for none.
  void set_view(WizardView* view) { view_ = view; }

  // Under each message box, `hint` may give a text of its own (the box's
  // informative text) that says what caused the message and how to fix it;
  // "" for none. `shown` hears of every box as it comes up.
  void set_hint(std::function<std::string()> hint) { hint_ = std::move(hint); }
  void set_on_message(std::function<void(const ShownMessage&)> shown) {
    on_message_ = std::move(shown);
  }
  // Hears of every control the core redraws, after the view has drawn it.
  void set_on_redrawn(std::function<void(const platform::Control&)> redrawn) {
    on_redrawn_ = std::move(redrawn);
  }

  // A modal QMessageBox over the view's window, with the information or
  // critical icon and the wizard's title; the text shows with the control's
  // CR LF line breaks as line breaks, the hint under it. Returns when the
  // box is dismissed.
  void ShowMessage(const std::string& text, platform::MessageStyle style) override;
  // Brings the view in step with the model, then runs the Qt events that are
  // pending: clicks, paints, timers.
  void ProcessPendingEvents() override;
  // Paints the control's widget at once.
  void Redrawn(const platform::Control& control) override;

  // Every message box shown, in order.
  const std::vector<ShownMessage>& messages() const { return messages_; }

 private:
  QPointer<WizardView> view_;
  std::vector<ShownMessage> messages_;
  std::function<std::string()> hint_;
  std::function<void(const ShownMessage&)> on_message_;
  std::function<void(const platform::Control&)> on_redrawn_;
};

// `text` with each CR LF (and any lone CR) as one line feed.
std::string DisplayText(const std::string& text);

// The title of the window and of its message boxes: the wizard's own.
inline constexpr char kWindowTitle[] = "QB Sync Wizard";

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_DESKTOP_HOST_H_
