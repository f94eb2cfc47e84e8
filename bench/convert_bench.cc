// Conversion throughput: a generated response of 100,000 classes, accounts,
// employees and vendors each, converted by the four list converters in the
// driver's order, with every upload going to an in-process server that
// accepts at once. Reports records per second and the peak resident memory
// (since the benchmark started). The shared pieces are in bench_support.h;
// customers, projects and items are in customers_items_bench.cc.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "gen/qbxml_gen.h"
#include "platform/xml_document.h"

namespace vantrel {
namespace {

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

void BM_ConvertFourListKinds(benchmark::State& state) {
  const std::string& response = BenchResponse();
  bench::ResetPeakResident();
  std::size_t posted = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bool all_converted = false;
    {
      bench::BenchRun run(response);
      state.ResumeTiming();

      for (EntityKind kind : {EntityKind::kEmployees, EntityKind::kClasses, EntityKind::kAccounts,
                              EntityKind::kVendors}) {
        run.ctl().RunConverter(Entity(kind));
      }

      state.PauseTiming();
      const EntityCounts& counts = run.counts();
      all_converted = counts[EntityKind::kEmployees] + counts[EntityKind::kClasses] +
                          counts[EntityKind::kAccounts] + counts[EntityKind::kVendors] ==
                      4 * kPerKind;
      posted += run.bytes_posted();
    }
    state.ResumeTiming();
    // After an error the timer may no longer be paused or resumed.
    if (!all_converted) {
      state.SkipWithError("not every record was converted");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * 4 * kPerKind);
  state.counters["response_MB"] = bench::Megabytes(response.size());
  state.counters["posted_MB_per_run"] =
      bench::Megabytes(posted) / static_cast<double>(state.iterations());
  state.counters["peak_rss_MB"] = bench::PeakResidentMegabytes();
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
