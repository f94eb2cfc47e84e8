// What the conversion benchmarks share: a browser that accepts every upload
// at once, an environment around it, a host that shows nothing, a control
// set up as the driver leaves it before the conversion stage, and the
// process's resident memory.
#ifndef VANTREL_BENCH_BENCH_SUPPORT_H_
#define VANTREL_BENCH_BENCH_SUPPORT_H_

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/entity_table.h"
#include "control/vantrel_ctl.h"
#include "platform/com_error.h"
#include "platform/env.h"
#include "wizard/mod_wizard.h"

namespace vantrel::bench {

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

// A control with `response` as the run's response, the words the driver
// gives a page that names none, and a fresh upload script.
class BenchRun {
 public:
  explicit BenchRun(std::string response) : module_(std::move(response)), ctl_(env_, host_) {
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
  BenchRun(const BenchRun&) = delete;
  BenchRun& operator=(const BenchRun&) = delete;

  VantrelCtl& ctl() { return ctl_; }
  const EntityCounts& counts() const { return ctl_.run().counts; }
  std::size_t bytes_posted() const { return env_.bytes_posted; }

  // Runs the converter of `kind` and returns the seconds it took.
  double TimedPass(EntityKind kind) {
    const auto start = std::chrono::steady_clock::now();
    ctl_.RunConverter(Entity(kind));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

 private:
  // The module state, reset with the response in place before the control
  // is made and reset again after it is gone.
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
  VantrelCtl ctl_;
};

// A value of the kernel's status of this process ("VmHWM", "VmRSS") in
// megabytes, or nothing when it cannot be read.
inline std::optional<double> StatusMegabytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return std::nullopt;
  std::optional<double> value;
  char line[256];
  const std::size_t length = std::strlen(field);
  while (std::fgets(line, sizeof line, status) != nullptr) {
    long kilobytes = 0;
    if (std::strncmp(line, field, length) == 0 && line[length] == ':' &&
        std::sscanf(line + length + 1, "%ld", &kilobytes) == 1) {
      value = static_cast<double>(kilobytes) / 1024.0;
      break;
    }
  }
  std::fclose(status);
  return value;
}

// Starts the peak resident size over from the current one, so that the peak a
// benchmark reports is its own and not that of a benchmark before it. Where
// the kernel does not allow it, the peak stays the process's.
inline void ResetPeakResident() {
  std::FILE* clear_refs = std::fopen("/proc/self/clear_refs", "w");
  if (clear_refs == nullptr) return;
  std::fputs("5", clear_refs);
  std::fclose(clear_refs);
}

// The peak resident size since the last ResetPeakResident (the process's peak
// where none took place or the status cannot be read).
inline double PeakResidentMegabytes() {
  if (const std::optional<double> peak = StatusMegabytes("VmHWM")) return *peak;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in kilobytes
}

inline double ResidentMegabytes() { return StatusMegabytes("VmRSS").value_or(0.0); }

inline double Megabytes(std::size_t bytes) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// One pass of a conversion benchmark: its entity, the records it reads, the
// entries it must write, and whether its time is the benchmark's.
struct BenchPass {
  EntityKind kind;
  long records = 0;
  long expected = 0;
  bool timed = true;
};

// Runs `passes` in order on a fresh control over `response`, once per
// iteration; the iteration's time (manual time) is that of the timed passes.
// Reports for each timed pass "<name>_per_s" (records), "<name>_written",
// "<name>_written_per_s" and "<name>_ns_per_record", then the response and
// posted sizes and the resident memory. A pass that writes another number
// of entries than expected ends the benchmark with an error naming both.
inline void RunPasses(benchmark::State& state, const std::string& response,
                      std::initializer_list<BenchPass> passes) {
  ResetPeakResident();
  const double start_rss = ResidentMegabytes();
  std::vector<double> seconds(passes.size(), 0.0);
  std::vector<long> written(passes.size(), 0);
  std::size_t posted = 0;
  long runs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string error;
    {
      BenchRun run(response);
      state.ResumeTiming();
      double timed = 0;
      std::size_t i = 0;
      for (const BenchPass& pass : passes) {
        const double pass_seconds = run.TimedPass(pass.kind);
        if (pass.timed) timed += pass_seconds;
        seconds[i] += pass_seconds;
        written[i] = run.counts().*Entity(pass.kind).count;
        if (written[i] != pass.expected) {
          error += std::string(Entity(pass.kind).name) + ": " + std::to_string(written[i]) +
                   " written, " + std::to_string(pass.expected) + " expected; ";
        }
        ++i;
      }
      state.SetIterationTime(timed);
      state.PauseTiming();
      posted += run.bytes_posted();
      ++runs;
    }
    // After an error the timer may no longer be paused or resumed.
    state.ResumeTiming();
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  std::size_t i = 0;
  for (const BenchPass& pass : passes) {
    const double records = static_cast<double>(pass.records) * static_cast<double>(runs);
    const double lines = static_cast<double>(written[i]) * static_cast<double>(runs);
    const double time = seconds[i++];
    if (!pass.timed || time <= 0) continue;
    const std::string name(Entity(pass.kind).name);
    state.counters[name + "_per_s"] = records / time;
    state.counters[name + "_written"] = static_cast<double>(written[i - 1]);
    state.counters[name + "_written_per_s"] = lines / time;
    state.counters[name + "_ns_per_record"] = records > 0 ? time * 1e9 / records : 0.0;
  }
  state.counters["response_MB"] = Megabytes(response.size());
  state.counters["posted_MB_per_run"] =
      runs > 0 ? Megabytes(posted) / static_cast<double>(runs) : 0.0;
  state.counters["start_rss_MB"] = start_rss;
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}

}  // namespace vantrel::bench

#endif  // VANTREL_BENCH_BENCH_SUPPORT_H_
