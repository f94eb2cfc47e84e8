// Fuzzes the response load and a whole conversion pass: the input is the
// qbXML response, which every converter (employees to expenses, in pass
// order) reads and posts to a sink that accepts every upload. Each response
// is converted twice, in batches and in debug mode (one post per entry).
//
// Beyond crashes, it checks what every post must be: US-ASCII bytes only, each
// entry ended by CR LF, and no pass stopped (the sink refuses nothing); and
// that debug mode changes only the batching: both runs post the same text and
// count the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "control/entity_table.h"
#include "platform/date_time.h"
#include "support/sink_run.h"
#include "wizard/mod_wizard.h"

namespace {

void Require(bool condition) {
  if (!condition)
    std::abort();
}

struct Outcome {
  std::string posted;       // every post's body, in order
  std::vector<long> counts; // each entity's count, in pass order
};

Outcome Convert(const std::string &response, bool debug_mode) {
  using vantrel::modWizard;
  vantrel::testing::SinkRun run(response, /*keep_posts=*/true);
  run.ctl().DebugMode = debug_mode;
  // qbXML 2.0, as the sample company offers, and every last-sync date early
  // in 2006: records of the samples are new, older ones are skipped.
  modWizard().lngQBXMLVersion = 2;
  const vantrel::platform::DateTime last_sync =
      *vantrel::platform::DateTime::FromParts(2006, 1, 1);
  vantrel::LastSyncDates &dates = modWizard().last_sync;
  for (vantrel::platform::DateTime *date :
       {&dates.CustomerLastSyncDate, &dates.EmployeeLastSyncDate,
        &dates.GLAccountsLastSyncDate, &dates.TasksLastSyncDate,
        &dates.ClassLastSyncDate, &dates.VendorsLastSyncDate,
        &dates.TimeLastSyncDate, &dates.ExpenseLastSyncDate}) {
    *date = last_sync;
  }

  run.RunEveryConverter();

  Require(!run.ctl().run().mStopRun);
  Outcome outcome;
  for (const vantrel::testing::SinkPost &post : run.log().posts) {
    const std::string &body = post.body;
    for (unsigned char c : body)
      Require(c < 0x80);
    Require(body.empty() || body.ends_with("\r\n"));
    outcome.posted += body;
  }
  for (const vantrel::EntityInfo &entity : vantrel::Entities()) {
    outcome.counts.push_back(run.counts().*entity.count);
  }
  return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string response(reinterpret_cast<const char *>(data), size);
  const Outcome batched = Convert(response, /*debug_mode=*/false);
  const Outcome debug = Convert(response, /*debug_mode=*/true);
  Require(batched.posted == debug.posted);
  Require(batched.counts == debug.counts);
  return 0;
}
