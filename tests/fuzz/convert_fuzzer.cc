// Fuzzes the response load and a whole conversion pass: the input is the
// qbXML response, which every converter (employees to expenses, in pass
// order) reads and posts to a sink that accepts every upload.
//
// Beyond crashes, it checks what every post must be: US-ASCII bytes only, each
// entry ended by CR LF, and no pass stopped (the sink refuses nothing).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/date_time.h"
#include "support/sink_run.h"
#include "wizard/mod_wizard.h"

namespace {

void Require(bool condition) {
  if (!condition)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  using vantrel::modWizard;
  vantrel::testing::SinkRun run(
      std::string(reinterpret_cast<const char *>(data), size),
      /*keep_posts=*/true);
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
  for (const vantrel::testing::SinkPost &post : run.log().posts) {
    const std::string &body = post.body;
    for (unsigned char c : body)
      Require(c < 0x80);
    Require(body.empty() || body.ends_with("\r\n"));
  }
  return 0;
}
