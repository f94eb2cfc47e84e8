#include "control/vantrel_ctl.h"

namespace vantrel {

void VantrelCtl::chkDebugMode_Click() {
  WizardScreen& s = *screen_;
  if (s.chkDebugMode.value() == 1) {
    s.chkDebugMode.set_caption("Debug mode on");
    DebugMode = true;
    s.optStop.set_visible(true);
    s.optContinue.set_visible(true);
    s.optStop.set_value(true);
  } else {
    s.chkDebugMode.set_caption("Debug mode off");
    DebugMode = false;
    s.optStop.set_visible(false);
    s.optContinue.set_visible(false);
  }
}

void VantrelCtl::cmdSelectAll_Click() {
  WizardScreen& s = *screen_;
  // "Select All" ticks the list entities; "Uncheck All" clears every box.
  if (s.cmdSelectAll.caption() == "Select All") {
    for (const EntityRow& entity : Entities()) {
      if (entity.in_select_all) (s.*Binding(entity.kind).box).set_value(1);
    }
    s.cmdSelectAll.set_caption("Uncheck All");
  } else if (s.cmdSelectAll.caption() == "Uncheck All") {
    for (const EntityRow& entity : Entities()) (s.*Binding(entity.kind).box).set_value(0);
    s.cmdSelectAll.set_caption("Select All");
  }
}

void VantrelCtl::Timer1_Timer() {
  platform::Label& label = screen_->lblTransfer2;
  label.set_visible(!label.visible());
  label.Refresh();
}

void VantrelCtl::RestoreMousePointer() {
  screen_->screen.set_mouse_pointer(platform::MousePointer::kDefault);
}

void VantrelCtl::ResetWizardScreen() {
  WizardScreen& s = *screen_;
  RestoreMousePointer();
  s.lblProcess.set_caption("");
  s.lblProcess.set_visible(false);
  s.ProgressBar1.set_value(0);
  s.ProgressBar1.set_visible(false);
  s.fraProgress.set_visible(false);
  for (const EntityRow& entity : Entities()) (s.*Binding(entity.kind).box).set_value(0);
  for (platform::CheckBox* box : {&s.chkContactQB, &s.chkWaitRes, &s.chkProcessing}) {
    box->set_value(0);
  }
  s.Timer1.set_enabled(false);
  s.lblTransfer2.set_visible(false);
  s.lblTransfer2.Refresh();
  s.lblTransfer1.set_caption("Transfering data");
  s.lblTransfer1.Refresh();
  s.lblContacting.set_caption("Contacting QuickBooks");
  s.lblContacting.Refresh();
  s.lblWaiting.set_caption("Waiting for response");
  s.lblWaiting.Refresh();
  // Time and expenses keep their counts and failure counters.
  for (const EntityRow& entity : Entities()) {
    if (!entity.cleared_with_screen) continue;
    run_.counts[entity.kind] = 0;
    this->*Binding(entity.kind).failures = 0;
  }
  s.frameComm.set_visible(false);
  s.cmdSelectAll.set_caption("Select All");
  s.cmdSelectAll.set_visible(true);
  s.chkDebugMode.set_value(0);
  s.optStop.set_visible(false);
  s.optContinue.set_visible(false);
}

}  // namespace vantrel
