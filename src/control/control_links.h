// The control as the layers below it see it: the progress strip and the
// upload script for the converters, the transfer indicator, the clock and
// the event pump for the server requests.
#ifndef VANTREL_CONTROL_CONTROL_LINKS_H_
#define VANTREL_CONTROL_CONTROL_LINKS_H_

#include <string>
#include <string_view>

#include "convert/pass_context.h"
#include "upload/site_requests.h"

namespace vantrel {

class VantrelCtl;

class ControlLinks final : public ProgressSink, public ScriptSink, public RequestHost {
 public:
  // `ctl` must outlive the links.
  explicit ControlLinks(VantrelCtl& ctl) : ctl_(ctl) {}

  // The progress strip: ProgressBar1, fraProgress and lblProcess.
  void Start(long records, const std::string& caption) override;
  void Step(long position) override;
  void Caption(const std::string& caption) override;
  void Hide() override;

  // The run's mScript and the requests made with the control's properties.
  void Write(std::string_view text) override;
  BMWGUtilityResult Post(std::string_view letter) override;
  void OpenFresh() override;
  BMWGUtilityResult SendStatus(std::string_view letter) override;
  bool DebugMode() const override;
  bool StopOnError() const override;
  std::string ReplyText() const override;

  platform::Env& env() override;
  platform::EventPump& event_pump() override;
  void StartTransferIndicator() override;
  void ShowMessage(const std::string& text, platform::MessageStyle style) override;

  // The server requests with the control's properties as they stand now.
  SiteRequests Requests();

 private:
  VantrelCtl& ctl_;
};

}  // namespace vantrel

#endif  // VANTREL_CONTROL_CONTROL_LINKS_H_
