// The controls of the wizard screen, top to bottom, in their design state.
#ifndef VANTREL_CONTROL_WIZARD_SCREEN_H_
#define VANTREL_CONTROL_WIZARD_SCREEN_H_

#include <array>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace vantrel {

struct WizardScreen {
  WizardScreen();
  WizardScreen(const WizardScreen&) = delete;
  WizardScreen& operator=(const WizardScreen&) = delete;

  platform::Label Label1;
  platform::Label Label11;
  platform::Label Label12;
  platform::Label Label2;
  platform::CheckBox chkQBEmployee;
  platform::Label Label3;
  platform::CheckBox chkQBCustomers;
  platform::Label Label10;
  platform::CheckBox chkQBClasses;
  platform::Label Label6;
  platform::CheckBox chkQBCOA;
  platform::Label Label9;
  platform::CheckBox chkQBTasks;
  platform::Label Label4;
  platform::CheckBox chkQBVendors;
  platform::Label Label5;
  platform::CheckBox chkQBPayTerms;
  platform::Label Label13;
  platform::CheckBox chkQBTimesheet;
  platform::Label Label14;
  platform::CheckBox chkQBExpense;
  platform::CheckBox chkDebugMode;
  platform::OptionButton optStop;
  platform::OptionButton optContinue;
  platform::CommandButton cmdSelectAll;
  platform::Frame frameComm;
  platform::CheckBox chkContactQB;
  platform::Label lblContacting;
  platform::CheckBox chkWaitRes;
  platform::Label lblWaiting;
  platform::CheckBox chkProcessing;
  platform::Label lblTransfer1;
  platform::Label lblTransfer2;
  platform::Label lblProcessing;
  platform::Frame fraProgress;
  platform::Label lblProcess;
  platform::ProgressBar ProgressBar1;
  std::array<platform::CommandButton, 4> cmdNav;
  platform::Timer Timer1;
  platform::Screen screen;

  // Every control in screen order (the timer and the mouse pointer excepted).
  std::vector<platform::Control*> ControlsInOrder();
  // The control named `name` ("cmdNav(3)" for a button of the array); null
  // when there is none.
  platform::Control* Find(const std::string& name);
  // Tells every control which host to notify of redraws.
  void SetHost(platform::FormsHost* host);
};

}  // namespace vantrel

#endif  // VANTREL_CONTROL_WIZARD_SCREEN_H_
