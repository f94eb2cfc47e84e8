// The control with its own working in reach, for the tests, benchmarks and
// fuzzers that drive its stages and passes one at a time.
#ifndef VANTREL_TESTS_SUPPORT_EXPOSED_CTL_H_
#define VANTREL_TESTS_SUPPORT_EXPOSED_CTL_H_

#include "control/vantrel_ctl.h"

namespace vantrel::testing {

class ExposedCtl : public VantrelCtl {
 public:
  using VantrelCtl::VantrelCtl;

  using VantrelCtl::BuildSummaryMessage;
  using VantrelCtl::CheckQBFile;
  using VantrelCtl::CloseQBConnection;
  using VantrelCtl::cmdNav_Click;
  using VantrelCtl::ContextFor;
  using VantrelCtl::EndQBSession;
  using VantrelCtl::GetResultMessage;
  using VantrelCtl::OpenFreshUploadScript;
  using VantrelCtl::ResetWizardScreen;
  using VantrelCtl::run;
  using VantrelCtl::RunConverter;
  using VantrelCtl::SendQBXMLRequest;
  using VantrelCtl::SendStatusUpdate;
  using VantrelCtl::set_converters;
  using VantrelCtl::stores;
  using VantrelCtl::Timer1_Timer;
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_SUPPORT_EXPOSED_CTL_H_
