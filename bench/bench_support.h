// What the conversion benchmarks share: a control on a sink that accepts
// every upload (tests/support/sink_run.h), timed passes, and the process's
// resident memory.
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
#include "support/sink_run.h"

namespace vantrel::bench {

// The sink run's host that shows nothing, for benchmarks that make their own run.
using testing::QuietHost;

// A control on the sink of tests/support (every upload accepted at once),
// timing its passes.
class BenchRun : public testing::SinkRun {
 public:
  using SinkRun::SinkRun;

  std::size_t bytes_posted() const { return log().bytes_posted; }

  // Runs the converter of `kind` and returns the seconds it took.
  double TimedPass(EntityKind kind) {
    const auto start = std::chrono::steady_clock::now();
    Run(kind);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
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
        written[i] = run.counts()[pass.kind];
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
