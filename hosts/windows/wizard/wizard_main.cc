// vantrel-wizard.exe: the wizard in a Win32 window.
//
//   vantrel-wizard [--page FILE|URL] [--param NAME=VALUE]... [--now TIME]
//                  [--tick NAME]... [--click NAME]... [--quit-after-run]
//                  [--screenshot FILE.bmp]
//
// --page and --param give the control's parameters as the other hosts take
// them; QuickBooks is the request processor registered as
// QBXMLRP2.RequestProcessor. --now ("MM/DD/YYYY HH:MM:SS") stops the clock.
// For scripted runs, --tick checks a check box and --click clicks a control
// (ticks first, then clicks in the order given, once the window shows; a
// click on "cmdNav(3)" runs the whole sync), --screenshot saves the window
// once they are done, and --quit-after-run prints the message boxes instead
// of showing them and exits after the clicks: status 0 when the last run
// reached its end (its summary or "already in sync"), 1 otherwise. A command
// line that cannot be used exits with status 2.
#include <cstdio>
#include <string>
#include <vector>

#include "common/bag_loading.h"
#include "common/host_args.h"
#include "common/run_end.h"
#include "control/vantrel_ctl.h"
#include "platform/env.h"
#include "platform/request_log.h"
#include "wizard_window.h"

namespace {

using vantrel::host::ParsedArgs;
using vantrel::winhost::WizardWindow;

// Ticks, clicks and the screenshot of a scripted run; false when a name is
// unknown or the screenshot cannot be written.
bool RunScript(WizardWindow& window, const ParsedArgs& args) {
  bool ok = true;
  for (const std::string& name : args.All("tick")) {
    if (!window.Click(name, /*tick=*/true))
      std::fprintf(stderr, "no control '%s'\n", name.c_str()), ok = false;
  }
  for (const std::string& name : args.All("click")) {
    if (!window.Click(name)) std::fprintf(stderr, "no control '%s'\n", name.c_str()), ok = false;
  }
  if (args.Has("screenshot") && !window.SaveScreenshot(args.Last("screenshot"))) {
    std::fprintf(stderr, "the screenshot could not be written\n");
    ok = false;
  }
  return ok;
}

int Run(const ParsedArgs& args) {
  vantrel::platform::SystemEnv system;
  if (args.Has("now")) system.FixClock(vantrel::host::ParseFixedTime(args.Last("now")));
  // Requests are sent again after a failed or dropped connection, as the
  // other hosts do.
  vantrel::platform::RequestLog log;
  vantrel::platform::LoggingEnv env(system, log);
  const bool scripted = args.Has("quit-after-run");
  WizardWindow window(scripted);
  vantrel::VantrelCtl ctl(env, window);
  window.set_control(&ctl);
  vantrel::host::LoadBag(ctl, vantrel::host::BuildBag(args));
  if (!window.Create("QB Sync Wizard")) return 1;
  if (!RunScript(window, args)) return 1;
  if (scripted) {
    const vantrel::RunEnd end = ctl.last_run_end();
    std::printf("run ended: %s\n", vantrel::host::RunEndName(end));
    return vantrel::host::RunReachedItsEnd(end) ? 0 : 1;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const vantrel::host::OptionSpec spec{{"quit-after-run"},
                                       {"page", "param", "now", "tick", "click", "screenshot"}};
  ParsedArgs args;
  try {
    args = vantrel::host::ParseArgs(std::vector<std::string>(argv + 1, argv + argc), spec);
  } catch (const vantrel::host::UsageError& e) {
    std::fprintf(stderr, "vantrel-wizard: %s\n", e.what());
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int status = 2;
  try {
    status = Run(args);
  } catch (const vantrel::host::UsageError& e) {
    std::fprintf(stderr, "vantrel-wizard: %s\n", e.what());
  }
  CoUninitialize();
  return status;
}
