// A conversion run without a server, shared by the benchmarks, the fuzzers
// and the tests that replay what the fuzzers found: a browser that accepts
// every upload at once, an environment around it, a host that shows nothing,
// and a control set up as the driver leaves it before the conversion stage.
#ifndef VANTREL_TESTS_SUPPORT_SINK_RUN_H_
#define VANTREL_TESTS_SUPPORT_SINK_RUN_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/entity_table.h"
#include "control/vantrel_ctl.h"
#include "exposed_ctl.h"
#include "platform/accepting_browser.h"
#include "platform/com_error.h"
#include "platform/date_time.h"
#include "platform/env.h"
#include "platform/forms.h"
#include "platform/web_browser.h"
#include "platform/xml_response.h"
#include "wizard/mod_wizard.h"

namespace vantrel::testing {

// One upload the sink took: its address (with the query) and its body.
struct SinkPost {
  std::string url;
  std::string body;
};

// What reached the sink: the number and bytes of the posts, the number of
// status updates and, when `keep_posts` is set, the posts themselves in order
// (a benchmark keeps only the counts, so that its memory figures are the
// converters' own).
struct SinkLog {
  bool keep_posts = false;
  std::size_t bytes_posted = 0;
  long posts_taken = 0;
  long status_updates = 0;
  std::vector<SinkPost> posts;
};

// A fixed clock, every file found, no QuickBooks, and accepting browsers that
// write to `log`.
class SinkEnv : public platform::Env {
 public:
  platform::DateTime Now() override {
    return *platform::DateTime::FromParts(2026, 12, 4, 16, 5, 9);
  }
  bool FindFile(std::string_view /*pattern*/) override { return true; }
  std::unique_ptr<platform::RequestProcessor> CreateRequestProcessor() override {
    throw platform::ComError(platform::kErrAutomation, "no QuickBooks behind the sink");
  }
  std::unique_ptr<platform::WebBrowser> CreateWebBrowser() override {
    // Every post is an accepted upload, every GET an accepted status update.
    return std::make_unique<platform::AcceptingBrowser>(
        [this](const std::string& url, const std::optional<std::vector<std::uint8_t>>& post_data) {
          if (!post_data) {
            ++log.status_updates;
            return;
          }
          ++log.posts_taken;
          log.bytes_posted += post_data->size();
          if (log.keep_posts)
            log.posts.push_back({url, std::string(post_data->begin(), post_data->end())});
        });
  }
  SinkLog log;
};

class QuietHost : public platform::FormsHost {
 public:
  void ShowMessage(const std::string& /*text*/, platform::MessageStyle /*style*/) override {}
};

// A control with `response` as the run's response, the words the driver
// gives a page that names none, a fresh upload script and an empty reading of
// the response for the passes to share. The module state is reset with the
// response in place before the control is made and reset again after it is
// gone, so one run leaves nothing to the next.
class SinkRun {
 public:
  explicit SinkRun(std::string response, bool keep_posts = false)
      : module_(std::move(response)), ctl_(env_, host_) {
    env_.log.keep_posts = keep_posts;
    ctl_.TessalyUser = "jsmith";
    ctl_.EmpLexicon = "Employee";
    ctl_.CustLexicon = "Customer";
    ctl_.ProjLexicon = "Project";
    ctl_.SubProjLexicon = "Sub Project";
    ctl_.SILexicon = "Service Item";
    ctl_.WGSecureServerURL = "http://127.0.0.1:8080/site/";
    ctl_.OpenFreshUploadScript();
    // The passes share one reading of the response, as in the driver's
    // conversion stage: the first pass to run pays for it.
    ctl_.run().response = std::make_unique<platform::XmlResponse>();
  }
  SinkRun(const SinkRun&) = delete;
  SinkRun& operator=(const SinkRun&) = delete;

  ExposedCtl& ctl() { return ctl_; }
  const EntityCounts& counts() const { return ctl_.run().counts; }
  const SinkLog& log() const { return env_.log; }

  // Runs the converter of `kind` as the conversion stage does.
  void Run(EntityKind kind) { ctl_.RunConverter(Entity(kind)); }

  // Runs the converter of every entity in pass order, each one whatever the
  // passes before it did (a response that does not load fails every pass).
  void RunEveryConverter() {
    for (const EntityRow& entity : Entities()) ctl_.RunConverter(entity);
  }

 private:
  struct ModuleState {
    explicit ModuleState(std::string response) {
      ResetModWizard();
      modWizard().strResponseXML = std::move(response);
    }
    ~ModuleState() { ResetModWizard(); }
    ModuleState(const ModuleState&) = delete;
    ModuleState& operator=(const ModuleState&) = delete;
  };

  ModuleState module_;
  SinkEnv env_;
  QuietHost host_;
  ExposedCtl ctl_;
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_SUPPORT_SINK_RUN_H_
