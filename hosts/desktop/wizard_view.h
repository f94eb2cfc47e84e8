// The wizard screen as Qt widgets, drawn from the control's screen model: one
// widget per control of the model, in the model's order and grouping, kept in
// step with the model's captions, values and visibility. Clicks go to the
// model's handlers; nothing here knows what a handler does.
#ifndef VANTREL_HOSTS_DESKTOP_WIZARD_VIEW_H_
#define VANTREL_HOSTS_DESKTOP_WIZARD_VIEW_H_

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "control/wizard_screen.h"
#include "platform/forms.h"

namespace vantrel::desktop {

class WizardView : public QWidget {
  Q_OBJECT

 public:
  // Builds the widgets of `screen`, which must outlive the view. Each widget's
  // object name is its control's name ("cmdNav(3)").
  explicit WizardView(WizardScreen& screen, QWidget* parent = nullptr);
  ~WizardView() override;

  // Brings every widget in step with its control (caption, value, visibility,
  // enabled state) and the mouse pointer with the screen's.
  void Sync();
  // Sync, then paints the widget of `control` at once, without waiting for
  // the event loop.
  void Redraw(const platform::Control& control);

  // The widget that draws the control named `name`; null when there is none.
  QWidget* WidgetFor(const std::string& name) const;

  // Where a run stands, as the window tells it: the view draws the model
  // differently only in these states, and never changes the model.
  enum class Phase {
    kIdle,     // no run
    kWorking,  // a run, no request waiting
    kWaiting,  // a run whose request waits for the site: the bar shows busy
    kClosing,  // the run's closing message shows: "Please wait..." and the
               // progress strip are drawn hidden, whatever the model says
  };
  // While a run goes on (any phase but kIdle), every widget but Cancel's is
  // drawn disabled and takes no click: a run cannot be changed under way.
  void set_phase(std::function<Phase()> phase) { phase_ = std::move(phase); }

 signals:
  // A click of the user is about to reach the button `control`.
  void AboutToClick(const platform::Control& control);
  // A click of the user reached `control` and its handler has returned.
  void ControlClicked(const platform::Control& control);

 private:
  struct Binding {
    platform::Control* control;
    QWidget* widget;
  };

  QWidget* MakeWidget(platform::Control& control, QWidget* parent);
  void Clicked(platform::Control& control);
  // True when a widget was shown or hidden.
  bool SyncBinding(const Binding& binding);
  void SyncPointer();

  // True when `control` may be used now.
  bool Usable(const platform::Control& control) const;

  Phase phase() const { return phase_ ? phase_() : Phase::kIdle; }
  // Whether `c` shows now: the model's visibility, but for the run's passing
  // indicators while its closing message shows.
  bool Shown(const platform::Control& c) const;

  WizardScreen& screen_;
  std::function<Phase()> phase_;
  std::vector<Binding> bindings_;
  bool hourglass_ = false;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_HOSTS_DESKTOP_WIZARD_VIEW_H_
