// Stand-ins for the user-interface controls of the hosting platform. A control
// is plain state (caption, value, visibility) that the core changes and a host
// shows; nothing here draws.
#ifndef VANTREL_PLATFORM_FORMS_H_
#define VANTREL_PLATFORM_FORMS_H_

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::platform {

class Control;

// Message box styles.
enum class MessageStyle { kInformation = 64, kCritical = 16 };

enum class MousePointer { kDefault = 0, kHourglass = 11 };

// What a host provides to the forms: it shows message boxes, learns of explicit
// redraws, and delivers the user's clicks that arrived while the core waits.
class FormsHost {
 public:
  virtual ~FormsHost() = default;
  // Shows a modal message box with no title argument; returns when dismissed.
  virtual void ShowMessage(const std::string& text, MessageStyle style) = 0;
  // Runs the clicks and other user events that are pending; called from the
  // event pump while the core waits for a server reply.
  virtual void ProcessPendingEvents() {}
  // A control asked to be redrawn now.
  virtual void Redrawn(const Control& /*control*/) {}
};

class Control {
 public:
  Control(std::string name, std::string caption, bool visible = true)
      : name_(std::move(name)), caption_(std::move(caption)), visible_(visible) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { caption_ = std::move(caption); }
  bool visible() const { return visible_; }
  void set_visible(bool visible) { visible_ = visible; }
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled) { enabled_ = enabled; }

  // Makes the current state visible at once (the message loop does not run
  // during a run). Counts the redraws and tells the host.
  void Refresh();
  int refresh_count() const { return refresh_count_; }

  void set_host(FormsHost* host) { host_ = host; }

  // The frame that holds this control, if any; a control shows only while it
  // and every container around it are visible.
  void set_container(const Control* container) { container_ = container; }
  const Control* container() const { return container_; }
  bool IsShown() const { return visible_ && (container_ == nullptr || container_->IsShown()); }

 private:
  std::string name_;
  std::string caption_;
  bool visible_;
  bool enabled_ = true;
  int refresh_count_ = 0;
  FormsHost* host_ = nullptr;
  const Control* container_ = nullptr;
};

class Label : public Control {
 public:
  using Control::Control;
};

class Frame : public Control {
 public:
  using Control::Control;
};

// A check box with the values 0 (unchecked) and 1 (checked). Changing the value
// from code runs the click handler, as the platform does.
class CheckBox : public Control {
 public:
  using Control::Control;
  int value() const { return value_; }
  // Sets the value; when it changes, the click handler runs.
  void set_value(int value);
  // A user's click: toggles the value (and so runs the handler).
  void Click() { set_value(value_ == 1 ? 0 : 1); }
  void set_on_click(std::function<void()> handler) { on_click_ = std::move(handler); }

 private:
  int value_ = 0;
  std::function<void()> on_click_;
};

// An option button; selecting one of a group clears the others of the group.
class OptionButton : public Control {
 public:
  using Control::Control;
  bool value() const { return value_; }
  void set_value(bool value);
  void set_group(std::vector<OptionButton*> group) { group_ = std::move(group); }

 private:
  bool value_ = false;
  std::vector<OptionButton*> group_;
};

class CommandButton : public Control {
 public:
  using Control::Control;
  void set_on_click(std::function<void()> handler) { on_click_ = std::move(handler); }
  void Click() {
    if (on_click_) on_click_();
  }

 private:
  std::function<void()> on_click_;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  int min() const { return min_; }
  int max() const { return max_; }
  int value() const { return value_; }
  void set_max(int max) { max_ = max; }
  void set_value(int value) { value_ = value; }

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
};

// A timer whose ticks the event pump delivers while enabled.
class Timer {
 public:
  explicit Timer(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  int interval_ms() const { return interval_ms_; }
  void set_interval_ms(int interval_ms) { interval_ms_ = interval_ms; }
  void set_on_tick(std::function<void()> handler) { on_tick_ = std::move(handler); }
  // Runs the tick handler when enabled and an interval has passed since the
  // last tick (or since it was enabled). Returns true when it ticked.
  bool TickIfDue(std::chrono::steady_clock::time_point now);
  int tick_count() const { return tick_count_; }

 private:
  std::string name_;
  bool enabled_ = false;
  int interval_ms_ = 0;
  int tick_count_ = 0;
  std::chrono::steady_clock::time_point last_{};
  std::function<void()> on_tick_;
};

// The screen's mouse pointer.
class Screen {
 public:
  MousePointer mouse_pointer() const { return pointer_; }
  void set_mouse_pointer(MousePointer pointer) { pointer_ = pointer; }

 private:
  MousePointer pointer_ = MousePointer::kDefault;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_FORMS_H_
