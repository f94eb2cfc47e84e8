#include "control/wizard_screen.h"

namespace vantrel {

namespace {
constexpr int kHidden = 0;
}  // namespace

WizardScreen::WizardScreen()
    : Label1("Label1", std::string(26, ' ') + "QB Sync Wizard"),
      Label11("Label11", "This Wizard will help you synchronize your Tessaly and QuickBooks data."),
      Label12("Label12",
              "Select the items that you would like to synchronize, and click on 'Start Sync'"),
      Label2("Label2", "Employees"),
      chkQBEmployee("chkQBEmployee", ""),
      Label3("Label3", "Customers"),
      chkQBCustomers("chkQBCustomers", ""),
      Label10("Label10", "Classes"),
      chkQBClasses("chkQBClasses", ""),
      Label6("Label6", "Chart Of Accounts"),
      chkQBCOA("chkQBCOA", ""),
      Label9("Label9", "Items"),
      chkQBTasks("chkQBTasks", ""),
      Label4("Label4", "Vendors"),
      chkQBVendors("chkQBVendors", ""),
      Label5("Label5", "Payment Terms", kHidden),
      chkQBPayTerms("chkQBPayTerms", "", kHidden),
      Label13("Label13", "Time"),
      chkQBTimesheet("chkQBTimesheet", ""),
      Label14("Label14", "Expense"),
      chkQBExpense("chkQBExpense", ""),
      chkDebugMode("chkDebugMode", "Debug mode off"),
      optStop("optStop", "Stop on error", kHidden),
      optContinue("optContinue", "Continue on error", kHidden),
      cmdSelectAll("cmdSelectAll", "Select All"),
      frameComm("frameComm", "", kHidden),
      chkContactQB("chkContactQB", ""),
      lblContacting("lblContacting", "Contacting QuickBooks"),
      chkWaitRes("chkWaitRes", ""),
      lblWaiting("lblWaiting", "Waiting for response"),
      chkProcessing("chkProcessing", ""),
      lblTransfer1("lblTransfer1", "Transferring Data."),
      lblTransfer2("lblTransfer2", "Please wait..."),
      lblProcessing("lblProcessing", "Processing  response"),
      fraProgress("fraProgress", "", kHidden),
      lblProcess("lblProcess", "", kHidden),
      ProgressBar1("ProgressBar1", ""),
      cmdNav{platform::CommandButton("cmdNav(0)", "Help"),
             platform::CommandButton("cmdNav(1)", "Cancel"),
             platform::CommandButton("cmdNav(2)", "< &Back"),
             platform::CommandButton("cmdNav(3)", "Start &Sync")},
      Timer1("Timer1") {
  for (platform::Control* c :
       {static_cast<platform::Control*>(&chkContactQB),
        static_cast<platform::Control*>(&lblContacting),
        static_cast<platform::Control*>(&chkWaitRes), static_cast<platform::Control*>(&lblWaiting),
        static_cast<platform::Control*>(&chkProcessing),
        static_cast<platform::Control*>(&lblTransfer1),
        static_cast<platform::Control*>(&lblTransfer2),
        static_cast<platform::Control*>(&lblProcessing)}) {
    c->set_container(&frameComm);
  }
  lblProcess.set_container(&fraProgress);
  ProgressBar1.set_container(&fraProgress);
  optStop.set_group({&optStop, &optContinue});
  optContinue.set_group({&optStop, &optContinue});
}

std::vector<platform::Control*> WizardScreen::ControlsInOrder() {
  return {
      &Label1,         &Label11,      &Label12,      &Label2,        &chkQBEmployee, &Label3,
      &chkQBCustomers, &Label10,      &chkQBClasses, &Label6,        &chkQBCOA,      &Label9,
      &chkQBTasks,     &Label4,       &chkQBVendors, &Label5,        &chkQBPayTerms, &Label13,
      &chkQBTimesheet, &Label14,      &chkQBExpense, &chkDebugMode,  &optStop,       &optContinue,
      &cmdSelectAll,   &frameComm,    &chkContactQB, &lblContacting, &chkWaitRes,    &lblWaiting,
      &chkProcessing,  &lblTransfer1, &lblTransfer2, &lblProcessing, &fraProgress,   &lblProcess,
      &ProgressBar1,   &cmdNav[0],    &cmdNav[1],    &cmdNav[2],     &cmdNav[3]};
}

platform::Control* WizardScreen::Find(const std::string& name) {
  for (platform::Control* c : ControlsInOrder()) {
    if (c->name() == name) return c;
  }
  return nullptr;
}

void WizardScreen::SetHost(platform::FormsHost* host) {
  for (platform::Control* c : ControlsInOrder()) c->set_host(host);
}

}  // namespace vantrel
