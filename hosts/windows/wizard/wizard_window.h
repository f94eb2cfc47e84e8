// The Windows wizard's window: the control's screen drawn with the system's
// standard controls and the common-controls progress bar, every click sent
// to the control, message boxes with their icons, and a status line with the
// last run's end.
//
// Include order: the core's headers come before any Windows header (see
// platform/windows/com_util.h).
#ifndef VANTREL_HOSTS_WINDOWS_WIZARD_WIZARD_WINDOW_H_
#define VANTREL_HOSTS_WINDOWS_WIZARD_WIZARD_WINDOW_H_

#include <map>
#include <string>
#include <vector>

#include "control/vantrel_ctl.h"
#include "platform/forms.h"

#include "platform/windows/com_util.h"

namespace vantrel::winhost {

class WizardWindow : public platform::FormsHost {
 public:
  // With `quiet_messages` the message boxes are printed on standard output
  // instead of shown (for scripted runs).
  explicit WizardWindow(bool quiet_messages);

  // The control the window shows; it must outlive the window, and be set
  // before Create.
  void set_control(VantrelCtl* ctl) { ctl_ = ctl; }
  ~WizardWindow() override;

  // Creates and shows the window; false when it cannot be created.
  bool Create(const std::string& title);
  HWND hwnd() const { return hwnd_; }

  // A user's click on the control named `name` ("cmdNav(3)"); a check box
  // named with `tick` is only ever checked. Returns false for an unknown name.
  bool Click(const std::string& name, bool tick = false);

  // Saves what the window shows as a 24-bit BMP file; false on failure.
  bool SaveScreenshot(const std::string& path);

  // The messages shown so far, "information: TEXT" or "critical: TEXT".
  const std::vector<std::string>& messages() const { return messages_; }

  // platform::FormsHost
  void ShowMessage(const std::string& text, platform::MessageStyle style) override;
  void Redrawn(const platform::Control& control) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateChildren();
  void Sync(const platform::Control& control);
  void SyncAll();
  void Clicked(platform::Control& control);
  void UpdateStatus();

  VantrelCtl* ctl_ = nullptr;
  bool quiet_messages_;
  bool close_after_run_ = false;
  HWND hwnd_ = nullptr;
  HWND status_ = nullptr;
  std::map<const platform::Control*, HWND> windows_;
  std::map<int, platform::Control*> by_id_;
  std::vector<std::string> messages_;
};

}  // namespace vantrel::winhost

#endif  // VANTREL_HOSTS_WINDOWS_WIZARD_WIZARD_WINDOW_H_
