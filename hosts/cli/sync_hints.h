// The command line's own word under a message box of a run: what caused it
// here and what to type about it.
#ifndef VANTREL_HOSTS_CLI_SYNC_HINTS_H_
#define VANTREL_HOSTS_CLI_SYNC_HINTS_H_

#include <string>

#include "control/vantrel_ctl.h"
#include "request_watch.h"

namespace vantrel::cli {

struct HintContext {
  bool quickbooks_given = false;     // --quickbooks FILE was given
  bool embedded_site_given = false;  // --embedded-site was given
  const RequestWatch* watch = nullptr;
};

// The hint for the message box `text` of `ctl`'s run; "" when there is
// nothing to add.
std::string Hint(const std::string& text, const VantrelCtl& ctl, const HintContext& context);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_SYNC_HINTS_H_
