// vantrel-wizard: the QB Sync Wizard in a desktop window.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "build_info.h"
#include "common/host_args.h"
#include "desktop_options.h"
#include "wizard_window.h"

int main(int argc, char** argv) {
  // The help and the version need no display: answer them before Qt looks
  // for one.
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(vantrel::desktop::kDesktopHelp, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::puts(VANTREL_VERSION_LINE("vantrel-wizard"));
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Vantrel");
  QApplication::setApplicationName("vantrel-wizard");
  using namespace vantrel;
  // QApplication has taken its own options out of argv.
  const std::vector<std::string> args(argv + 1, argv + argc);
  desktop::WizardWindow window;
  try {
    const desktop::DesktopOptions options = desktop::ParseDesktopArgs(args);
    if (options.help) {
      std::fputs(desktop::kDesktopHelp, stdout);
      return 0;
    }
    if (options.version) {
      std::puts(VANTREL_VERSION_LINE("vantrel-wizard"));
      return 0;
    }
    window.Configure(options);
  } catch (const host::UsageError& e) {
    std::fprintf(stderr, "vantrel-wizard: %s\n(see 'vantrel-wizard --help')\n", e.what());
    return 2;
  }
  window.show();
  return app.exec();
}
