// Conversion throughput of customers with their jobs and sub-jobs, and of the
// four kinds of items, with every upload going to an in-process sink that
// accepts at once. Each pass is timed on its own (manual time), so that the
// customers and the projects get a records-per-second figure each.
//
// Every benchmark checks that each pass wrote one statement per record of its
// entity: one per top-level customer, one per job or sub-job, one per sales
// item and one per salary or hourly payroll wage (sales tax codes are not
// items). A pass that writes
// another number ends the benchmark with an error naming both numbers.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_support.h"
#include "gen/qbxml_gen.h"

namespace vantrel {
namespace {

// The customer records of `customers` top-level customers, each with `jobs`
// jobs, each job with `subjobs` sub-jobs; a third of them name a sales rep and
// every other job and sub-job has a start date. The two sales tax codes the
// records refer to come with them.
gen::GenOptions CustomerOptions(long customers, long jobs, long subjobs) {
  gen::GenOptions options;
  options.customers = customers;
  options.jobs_per_customer = jobs;
  options.subjobs_per_job = subjobs;
  options.sales_rep_every = 3;
  options.job_start_date_every = 2;
  options.sales_tax_codes = 2;
  return options;
}

// Jobs and sub-jobs: the records of the projects pass.
long ProjectRecords(const gen::GenOptions& options) {
  return options.customers * options.jobs_per_customer * (1 + options.subjobs_per_job);
}

long ItemRecords(const gen::GenOptions& options) {
  return options.service_items + options.non_inventory_items + options.other_charge_items +
         options.payroll_wage_items;
}

// The statements the items pass writes: every sales item, and the payroll
// wages whose type is a salary or an hourly wage. The generator cycles
// through HourlyRegular, SalaryRegular, Bonus, Commission, HourlyOvertime.
long ItemStatements(const gen::GenOptions& options) {
  long paid = 0;
  for (long i = 0; i < options.payroll_wage_items; ++i) paid += (i % 5 != 2 && i % 5 != 3) ? 1 : 0;
  return options.service_items + options.non_inventory_items + options.other_charge_items + paid;
}

constexpr long kCustomers = 100000;

// 100,000 customers, each with one job and two sub-jobs under that job:
// 100,000 records for the customers pass and 300,000 for the projects pass,
// run in the driver's order, each timed on its own. The customers pass walks
// every CustomerRet, jobs included.
void BM_ConvertCustomersAndProjects(benchmark::State& state) {
  const gen::GenOptions options = CustomerOptions(kCustomers, 1, 2);
  bench::RunPasses(state, gen::GenerateResponse(options),
                   {{EntityKind::kCustomers, options.customers, options.customers},
                    {EntityKind::kProjects, ProjectRecords(options), ProjectRecords(options)}});
}
BENCHMARK(BM_ConvertCustomersAndProjects)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// 25,000 items of each kind (service, non-inventory, other charge, payroll
// wage) and four sales tax codes, through the items pass.
void BM_ConvertItems(benchmark::State& state) {
  gen::GenOptions options;
  options.service_items = 25000;
  options.non_inventory_items = 25000;
  options.other_charge_items = 25000;
  options.payroll_wage_items = 25000;
  options.sales_tax_codes = 4;
  bench::RunPasses(state, gen::GenerateResponse(options),
                   {{EntityKind::kItems, ItemRecords(options), ItemStatements(options)}});
}
BENCHMARK(BM_ConvertItems)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The projects pass over `state.range(0)` jobs and sub-jobs: a quarter as many
// customers, each with two jobs, each job with one sub-job. The customers pass
// runs first, untimed, as the driver runs it; the reported time is the
// projects pass alone. Finding a record's parent must cost the same whatever
// the number of projects, so projects_ns_per_record stays flat from 10,000 to
// 400,000. (No Complexity() fit: the benchmark library of this platform,
// 1.7.1, crashes computing one over runs that ended with an error.)
void BM_ConvertProjectsScaling(benchmark::State& state) {
  const gen::GenOptions options = CustomerOptions(state.range(0) / 4, 2, 1);
  bench::RunPasses(state, gen::GenerateResponse(options),
                   {{EntityKind::kCustomers, options.customers, options.customers, /*timed=*/false},
                    {EntityKind::kProjects, ProjectRecords(options), ProjectRecords(options)}});
}
BENCHMARK(BM_ConvertProjectsScaling)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(400000);

}  // namespace
}  // namespace vantrel
