// The control's parameters as both hosts take them: the first <object> of a
// page, then NAME=VALUE overrides, loaded into the control.
#ifndef VANTREL_HOSTS_COMMON_BAG_LOADING_H_
#define VANTREL_HOSTS_COMMON_BAG_LOADING_H_

#include "common/host_args.h"
#include "control/vantrel_ctl.h"
#include "platform/values.h"

namespace vantrel::host {

// True when `page` is an http or https address rather than a file.
bool IsPageAddress(const std::string& page);

// The text of the page `page`: a file, or a page read over HTTP when it is
// an address. Throws UsageError naming the page and the cause.
std::string ReadPage(const std::string& page);

// The bag of `--page FILE|URL` (its first <object>'s parameters), overridden
// by each `--param NAME=VALUE` in order. Throws UsageError on a bad page or
// param.
platform::PropertyBag BuildBag(const ParsedArgs& args);

// Loads `bag` into `ctl`; a value that cannot be converted throws UsageError
// naming the parameter.
void LoadBag(VantrelCtl& ctl, const platform::PropertyBag& bag);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_BAG_LOADING_H_
