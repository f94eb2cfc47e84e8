// The control's public properties as a host's script reads them: by their
// interface names, in the interface's member order.
#ifndef VANTREL_CONTROL_PUBLIC_PROPERTIES_H_
#define VANTREL_CONTROL_PUBLIC_PROPERTIES_H_

#include <string_view>
#include <variant>
#include <vector>

#include "control/vantrel_ctl.h"

namespace vantrel {

struct PublicProperty {
  std::string_view name;  // "lngFailedCustCnt"
  // A Long (the result enumeration included), a Boolean, a String or a Date.
  std::variant<long, bool, std::string, platform::DateTime> value;
};

// Every public property of `ctl` with its current value: first those of the
// control's dispatch interface in its member order, then this build's own
// (IncludeSalesTaxCodes, SafeLines). The SiteKey is given as it stands: a
// host that shows it masks it.
std::vector<PublicProperty> PublicProperties(const VantrelCtl& ctl);

}  // namespace vantrel

#endif  // VANTREL_CONTROL_PUBLIC_PROPERTIES_H_
