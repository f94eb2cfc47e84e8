// Conversion throughput: a generated response of 100,000 classes, accounts,
// employees and vendors each, converted by the four list converters in the
// driver's order, with every upload going to an in-process server that
// accepts at once. Reports records per second and the peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/vantrel_ctl.h"
#include "convert/list_converters.h"
#include "gen/qbxml_gen.h"
#include "platform/com_error.h"
#include "platform/env.h"
#include "platform/xml_document.h"
#include "wizard/mod_wizard.h"

namespace vantrel {
namespace {

// Completes every navigation on its first poll with "SUCCESS", keeping only
// the number of bytes it was sent.
class AcceptingBrowser : public platform::WebBrowser {
 public:
  explicit AcceptingBrowser(std::size_t* bytes_posted) : bytes_posted_(bytes_posted) {}
  void Navigate2(const std::string& /*url*/, int /*flags*/,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& /*headers*/) override {
    if (post_data) *bytes_posted_ += post_data->size();
    busy_ = true;
  }
  void Stop() override { busy_ = false; }
  bool Busy() const override { return busy_; }
  void Poll(std::chrono::milliseconds /*max_wait*/) override {
    if (!busy_) return;
    busy_ = false;
    FireDocumentComplete(std::string("SUCCESS"));
  }

 private:
  std::size_t* bytes_posted_;
  bool busy_ = false;
};

class SinkEnv : public platform::Env {
 public:
  platform::DateTime Now() override {
    return *platform::DateTime::FromParts(2026, 12, 4, 16, 5, 9);
  }
  bool FindFile(std::string_view /*pattern*/) override { return true; }
  std::unique_ptr<platform::RequestProcessor> CreateRequestProcessor() override {
    throw platform::ComError(platform::kErrAutomation, "no QuickBooks in the benchmark");
  }
  std::unique_ptr<platform::WebBrowser> CreateWebBrowser() override {
    return std::make_unique<AcceptingBrowser>(&bytes_posted);
  }
  std::size_t bytes_posted = 0;
};

class QuietHost : public platform::FormsHost {
 public:
  void ShowMessage(const std::string& /*text*/, platform::MessageStyle /*style*/) override {}
};

constexpr long kPerKind = 100000;

const std::string& BenchResponse() {
  static const std::string response = [] {
    gen::GenOptions options;
    options.classes = kPerKind;
    options.accounts = kPerKind;
    options.employees = kPerKind;
    options.vendors = kPerKind;
    options.inactive_every = 10;
    return gen::GenerateResponse(options);
  }();
  return response;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes
}

void BM_ConvertFourListKinds(benchmark::State& state) {
  const std::string& response = BenchResponse();
  std::size_t posted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetModWizard();
    modWizard().strResponseXML = response;
    SinkEnv env;
    QuietHost host;
    VantrelCtl ctl(env, host);
    ctl.TessalyUser = "jsmith";
    ctl.EmpLexicon = "Employee";
    ctl.WGSecureServerURL = "http://127.0.0.1:8080/site/";
    ctl.OpenFreshUploadScript();
    state.ResumeTiming();

    for (EntityKind kind : {EntityKind::kEmployees, EntityKind::kClasses, EntityKind::kAccounts,
                            EntityKind::kVendors}) {
      ctl.RunConverter(Entity(kind));
    }

    state.PauseTiming();
    const EntityCounts& counts = ctl.run().counts;
    if (counts.employees + counts.classes + counts.accounts + counts.vendors != 4 * kPerKind) {
      state.SkipWithError("not every record was converted");
    }
    posted += env.bytes_posted;
    ResetModWizard();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 4 * kPerKind);
  state.counters["response_MB"] = static_cast<double>(response.size()) / (1024.0 * 1024.0);
  state.counters["posted_MB_per_run"] =
      static_cast<double>(posted) / (1024.0 * 1024.0) / static_cast<double>(state.iterations());
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}
BENCHMARK(BM_ConvertFourListKinds)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parts of one pass that do not depend on the entity: loading the
// response and picking the records of one kind.
void BM_LoadResponse(benchmark::State& state) {
  const std::string& response = BenchResponse();
  for (auto _ : state) {
    platform::XmlDocument doc;
    benchmark::DoNotOptimize(doc.LoadXml(response));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(response.size()));
}
BENCHMARK(BM_LoadResponse)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GetElementsByTagName(benchmark::State& state) {
  platform::XmlDocument doc;
  doc.LoadXml(BenchResponse());
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.GetElementsByTagName("VendorRet"));
  }
}
BENCHMARK(BM_GetElementsByTagName)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace vantrel

BENCHMARK_MAIN();
