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

void BM_ConvertTime(benchmark::State& state) {
  gen::GenOptions options;
  options.time_records = 200000;
  bench::RunPasses(state, gen::GenerateResponse(options),
                   {{EntityKind::kTime, options.time_records, options.time_records}});
}
BENCHMARK(BM_ConvertTime)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_ConvertExpenses(benchmark::State& state) {
  gen::GenOptions options;
  options.checks = 100000;
  options.bills = 100000;
  options.expense_lines = 2;
  const long records = options.checks + options.bills;
  bench::RunPasses(state, gen::GenerateResponse(options),
                   {{EntityKind::kExpenses, records, records * 3}});
}
BENCHMARK(BM_ConvertExpenses)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace vantrel
