// Conversion throughput of the line converters: 200,000 time records, and
// 100,000 checks and 100,000 bills of three lines each (two expense lines and
// an item line), every upload going to an in-process sink that accepts at
// once. Each pass family is timed on its own (manual time).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "gen/qbxml_gen.h"

namespace vantrel {
namespace {

using bench::BenchRun;

// Converts `kind` over the response of `options` and reports records and
// lines per second; `expected` lines must be written.
void RunLines(benchmark::State& state, const gen::GenOptions& options, EntityKind kind,
              long records, long expected) {
  bench::ResetPeakResident();
  const double start_rss = bench::ResidentMegabytes();
  const std::string response = gen::GenerateResponse(options);
  double seconds = 0;
  std::size_t posted = 0;
  long runs = 0;
  long lines = 0;
  for (auto _ : state) {
    std::string error;
    {
      BenchRun run(response);
      const double pass = run.TimedPass(kind);
      state.SetIterationTime(pass);
      seconds += pass;
      lines = kind == EntityKind::kTime ? run.counts().time : run.counts().expense;
      posted += run.bytes_posted();
      ++runs;
      error = bench::Mismatch(Entity(kind).name.data(), lines, expected);
    }
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  const double n = static_cast<double>(runs);
  state.counters["records_per_s"] = bench::PerSecond(static_cast<double>(records) * n, seconds);
  state.counters["lines_per_s"] = bench::PerSecond(static_cast<double>(lines) * n, seconds);
  state.counters["lines"] = static_cast<double>(lines);
  bench::MemoryCounters(state, start_rss, response.size(), posted, runs);
}

void BM_ConvertTime(benchmark::State& state) {
  gen::GenOptions options;
  options.time_records = 200000;
  RunLines(state, options, EntityKind::kTime, options.time_records, options.time_records);
}
BENCHMARK(BM_ConvertTime)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_ConvertExpenses(benchmark::State& state) {
  gen::GenOptions options;
  options.checks = 100000;
  options.bills = 100000;
  options.expense_lines = 2;
  const long records = options.checks + options.bills;
  RunLines(state, options, EntityKind::kExpenses, records, records * 3);
}
BENCHMARK(BM_ConvertExpenses)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace vantrel
