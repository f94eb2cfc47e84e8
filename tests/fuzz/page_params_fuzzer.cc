// Fuzzes the hosting page's reader: the input is the page, whose first
// <object> element's parameters are read and loaded into a control as the
// host loads them at start-up.
//
// Beyond crashes, it checks that a load that succeeds gives the control the
// page's texts as they stand.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "control/vantrel_ctl.h"
#include "fuzz_check.h"
#include "platform/com_error.h"
#include "platform/html_params.h"
#include "platform/values.h"
#include "support/sink_run.h"
#include "wizard/mod_wizard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const std::optional<vantrel::platform::PropertyBag> bag =
      vantrel::platform::ReadObjectParams(page);
  if (!bag) return 0;

  vantrel::ResetModWizard();
  vantrel::testing::SinkEnv env;
  vantrel::testing::QuietHost host;
  vantrel::VantrelCtl ctl(env, host);
  try {
    ctl.ReadProperties(*bag);
  } catch (const vantrel::platform::ComError&) {
    // A value that cannot be converted: the host reports it and stops.
    vantrel::ResetModWizard();
    return 0;
  }
  Require(ctl.SiteCode == bag->Read("SiteCode").value_or(""));
  Require(ctl.TessalyUser == bag->Read("TessalyUser").value_or(""));
  Require(ctl.QBFilePath == bag->Read("QBFilePath").value_or(""));
  vantrel::ResetModWizard();
  return 0;
}
