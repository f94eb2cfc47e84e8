// vantrel_scale_bench: one company of every kind, measured in one process as
// ratios to one parse of the same text, so that a noisy shared machine still
// gives comparable figures.
//
//   vantrel_scale_bench COMPANY_FILE [--site-rows N]
//   vantrel_scale_bench --classes RESPONSE_FILE
//
// The second form times the classes pass alone on a response (with its
// reading), for the comparison with a script of the user's own.
//
// Prints, one "name value" pair a line:
//   company_MB, response_MB, records
//   parse_company_s         one whole-document parse of the company file
//   standin_s, standin_x    loading the company and answering the run's request
//   parse_response_s        one whole-document parse of the response
//   conversion_s, conversion_x, conversion_peak_x, conversion_added_x
//                           all nine passes into a sink that accepts every post;
//                           the run's peak memory against the response, and
//                           what it holds besides the response
//   pass_NAME_s             each pass's part of conversion_s (the first pass's
//                           includes the response's check and index)
//   capture_run_s, capture_run_x
//                           a whole run (the stand-in included) against a server
//                           that answers SUCCESS without applying anything
//   requests, request_ms    the run's requests, and what each costs besides the
//                           conversion and the stand-in: (capture_run_s -
//                           conversion_s - standin_s) / requests
//   site_script_ms_small, site_script_ms_large, site_script_x
//                           the site stand-in applying a script of 100 upserts
//                           to a table of 10,000 rows and of N rows
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "../bench_support.h"
#include "common/quickbooks_standin.h"
#include "control/vantrel_ctl.h"
#include "platform/env.h"
#include "platform/xml_document.h"
#include "qb_standin/qb_standin.h"
#include "quickbooks/qbxml_request.h"
#include "site/site_database.h"
#include "site/site_server.h"
#include "wizard/mod_wizard.h"

namespace vantrel::bench {
namespace {

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Print(const char* name, double value) {
  std::printf("%-24s %.3f\n", name, value);
  std::fflush(stdout);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const SelectionFlags kEverything{true, true, true, true, true, true, true, true, true, true, true};

// The passes of `kinds` over `response` into an accepting sink; returns
// seconds, the requests they made in `requests` and each pass's seconds in
// `passes` when given (the first pass's include the response's reading).
double Convert(const std::string& response, std::initializer_list<EntityKind> kinds,
               long* requests = nullptr, PerEntity<double>* passes = nullptr) {
  BenchRun run(response);
  double seconds = 0;
  for (const EntityKind kind : kinds) {
    const double pass = run.TimedPass(kind);
    if (passes != nullptr) (*passes)[kind] = pass;
    seconds += pass;
  }
  if (requests != nullptr) *requests = run.log().posts_taken + run.log().status_updates;
  return seconds;
}

// A whole run of `company_path` against a server that answers SUCCESS.
double CaptureRun(const std::string& company_path) {
  site::SiteOptions options;
  options.site_code = "BENCH";
  options.site_key = "K";
  options.request_log_limit = 0;
  options.switches.forced_reply = "SUCCESS";
  options.switches.forced_reply_count = 1 << 30;
  site::SiteServer server(options);
  server.Start();
  ResetModWizard();
  QuietHost host;
  // QuickBooks as the command line runs it: the company goes once it has
  // answered.
  host::QuickBooksStandin quickbooks;
  quickbooks.set_one_run(true);
  platform::SystemEnv env(quickbooks.ProcessorFactory());
  VantrelCtl ctl(env, host);
  ctl.WGSecureServerURL = server.base_url();
  ctl.SiteCode = "BENCH";
  ctl.SiteKey = "K";
  ctl.TessalyUser = "bench";
  ctl.IncludeSalesTaxCodes = true;
  const double seconds = Seconds([&] {
    quickbooks.Open(company_path);
    ctl.QBFilePath = company_path;
    ctl.screen().cmdSelectAll.Click();
    ctl.screen().chkQBTimesheet.set_value(1);
    ctl.screen().chkQBExpense.set_value(1);
    ctl.screen().cmdNav[3].Click();
  });
  if (ctl.last_run_end() != RunEnd::kCompleted) {
    std::fprintf(stderr, "the capture run did not complete\n");
    std::exit(1);
  }
  ResetModWizard();
  return seconds;
}

// One script of 100 upserts of classes with ListIDs from `first`.
std::string ClassScript(long first) {
  std::string script;
  for (long i = first; i < first + 100; ++i) {
    const std::string id = "'B" + std::to_string(i) + "'";
    script += "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = " + id +
              ") <= 0\r\n\tINSERT INTO ClassInfo ([ClassRowID],[ClassName],[QBListID]) VALUES (" +
              std::to_string(i) + ",'Class " + std::to_string(i) + "'," + id +
              ")\r\nElse\r\n\tUPDATE ClassInfo SET [ClassName]='Class " + std::to_string(i) +
              "' WHERE [QBListId] = " + id + "\r\n";
  }
  return script;
}

// Milliseconds per 100-statement script once ClassInfo holds `rows` rows: the
// mean of scripts that update existing rows and insert new ones.
double SiteScriptMs(long rows) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "vantrel-scale-site.sqlite").string();
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  double ms = 0;
  {
    site::SiteDatabase db(path);
    db.ApplyUpload(ClassScript(0), "C");
    db.Query(
        "WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < CAST(? AS "
        "INTEGER)) "
        "INSERT INTO ClassInfo (ClassRowID, ClassName, QBListID) SELECT i, 'Class ' || i, "
        "'B' || i FROM n",
        {std::to_string(rows - 1)});
    constexpr int kScripts = 40;
    const double seconds = Seconds([&] {
      for (int s = 0; s < kScripts; ++s) {
        // Half the scripts find their rows, half add new ones.
        const long first = s % 2 == 0 ? (rows / kScripts) * s : rows + 100L * s;
        db.ApplyUpload(ClassScript(first), "C");
      }
    });
    ms = seconds * 1000.0 / kScripts;
  }
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  return ms;
}

int Main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantrel_scale_bench COMPANY_FILE [--site-rows N]\n");
    return 2;
  }
  if (std::string(argv[1]) == "--classes" && argc == 3) {
    Print("classes_conversion_s", Convert(ReadFile(argv[2]), {EntityKind::kClasses}));
    return 0;
  }
  const std::string company_path = argv[1];
  long site_rows = 1000000;
  if (argc >= 4 && std::string(argv[2]) == "--site-rows") site_rows = std::atol(argv[3]);

  std::string response;
  double standin = 0;
  {
    const std::string company_text = ReadFile(company_path);
    Print("company_MB", Megabytes(company_text.size()));
    const double parse_company = Seconds([&] {
      platform::XmlDocument doc;
      if (!doc.LoadXml(company_text)) std::exit(1);
    });
    Print("parse_company_s", parse_company);
    standin = Seconds([&] {
      std::shared_ptr<const qb::Company> company = qb::LoadCompany(company_path);
      response = qb::AnswerRequest(*company, ComposeQBXMLRequest(kEverything, 11));
    });
    Print("standin_s", standin);
    Print("standin_x", standin / parse_company);
  }
  Print("response_MB", Megabytes(response.size()));

  const double parse = Seconds([&] {
    platform::XmlDocument doc;
    if (!doc.LoadXml(response)) std::exit(1);
  });
  Print("parse_response_s", parse);

  ResetPeakResident();
  const double before = ResidentMegabytes();
  long requests = 0;
  PerEntity<double> passes;
  const double conversion =
      Convert(response,
              {EntityKind::kEmployees, EntityKind::kCustomers, EntityKind::kProjects,
               EntityKind::kClasses, EntityKind::kAccounts, EntityKind::kItems,
               EntityKind::kVendors, EntityKind::kTime, EntityKind::kExpenses},
              &requests, &passes);
  const double peak = PeakResidentMegabytes();
  Print("conversion_s", conversion);
  for (const EntityRow& entity : Entities()) {
    Print(("pass_" + std::string(entity.name) + "_s").c_str(), passes[entity.kind]);
  }
  Print("conversion_x", conversion / parse);
  // The run's memory at its peak against the response: its own copy of the
  // response (the benchmark's copy was there before) and what the
  // conversion adds, which conversion_added_x tells apart.
  const double response_mb = Megabytes(response.size());
  Print("conversion_peak_x", (peak - before) / response_mb);
  Print("conversion_added_x", (peak - before - response_mb) / response_mb);
  std::string().swap(response);

  const double capture = CaptureRun(company_path);
  Print("capture_run_s", capture);
  Print("capture_run_x", capture / parse);
  Print("requests", static_cast<double>(requests));
  if (requests > 0) {
    Print("request_ms", (capture - conversion - standin) * 1000.0 / static_cast<double>(requests));
  }

  const double small = SiteScriptMs(10000);
  const double large = SiteScriptMs(site_rows);
  Print("site_script_ms_small", small);
  Print("site_script_ms_large", large);
  Print("site_script_x", large / small);
  return 0;
}

}  // namespace
}  // namespace vantrel::bench

int main(int argc, char** argv) { return vantrel::bench::Main(argc, argv); }
