// vantrel-gen: writes a generated qbXML response, or a company file for the
// QuickBooks stand-in (--company), to standard output.
//
//   vantrel-gen [--classes N] [--accounts N] [--employees N] [--vendors N]
//               [--customers N] [--jobs-per-customer N] [--subjobs-per-job N]
//               [--service-items N] [--non-inventory-items N]
//               [--other-charge-items N] [--payroll-wage-items N]
//               [--sales-tax-codes N] [--time N] [--checks N] [--bills N]
//               [--seed N] [--inactive-every N] [--missing-active-every N]
//               [--sales-rep-every N] [--job-start-date-every N]
//               [--modified-after-minutes N]
//               [--apostrophes] [--non-ascii] [--long-names]
//               [--company [--company-name NAME]]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "build_info.h"
#include "gen/qbxml_gen.h"

namespace {

struct CountOption {
  const char* name;
  long vantrel::gen::GenOptions::*field;
};

constexpr CountOption kCounts[] = {
    {"--classes", &vantrel::gen::GenOptions::classes},
    {"--accounts", &vantrel::gen::GenOptions::accounts},
    {"--employees", &vantrel::gen::GenOptions::employees},
    {"--vendors", &vantrel::gen::GenOptions::vendors},
    {"--customers", &vantrel::gen::GenOptions::customers},
    {"--jobs-per-customer", &vantrel::gen::GenOptions::jobs_per_customer},
    {"--subjobs-per-job", &vantrel::gen::GenOptions::subjobs_per_job},
    {"--service-items", &vantrel::gen::GenOptions::service_items},
    {"--non-inventory-items", &vantrel::gen::GenOptions::non_inventory_items},
    {"--other-charge-items", &vantrel::gen::GenOptions::other_charge_items},
    {"--payroll-wage-items", &vantrel::gen::GenOptions::payroll_wage_items},
    {"--sales-tax-codes", &vantrel::gen::GenOptions::sales_tax_codes},
    {"--time", &vantrel::gen::GenOptions::time_records},
    {"--checks", &vantrel::gen::GenOptions::checks},
    {"--bills", &vantrel::gen::GenOptions::bills},
    {"--expense-lines", &vantrel::gen::GenOptions::expense_lines},
    {"--inactive-every", &vantrel::gen::GenOptions::inactive_every},
    {"--missing-active-every", &vantrel::gen::GenOptions::missing_active_every},
    {"--sales-rep-every", &vantrel::gen::GenOptions::sales_rep_every},
    {"--job-start-date-every", &vantrel::gen::GenOptions::job_start_date_every},
    {"--modified-after-minutes", &vantrel::gen::GenOptions::modified_after_minutes},
};

constexpr char kUsage[] =
    "usage: vantrel-gen [--classes N] [--accounts N] [--employees N] [--vendors N]\n"
    "  [--customers N] [--jobs-per-customer N] [--subjobs-per-job N]\n"
    "  [--service-items N] [--non-inventory-items N] [--other-charge-items N]\n"
    "  [--payroll-wage-items N] [--sales-tax-codes N] [--time N]\n"
    "  [--checks N] [--bills N] [--expense-lines N] [--seed N] [--inactive-every N]\n"
    "  [--missing-active-every N] [--sales-rep-every N]\n"
    "  [--job-start-date-every N] [--modified-after-minutes N]\n"
    "  [--apostrophes] [--non-ascii] [--long-names]\n"
    "  [--company [--company-name NAME]]\n"
    "\n"
    "Writes a qbXML response holding the records asked for to standard output;\n"
    "with --company, a company file of the same records that\n"
    "'vantrel sync --quickbooks FILE' opens (QuickBooks then reports NAME, or\n"
    "the path it was opened by, as the open company).\n"
    "\n"
    "examples:\n"
    "  vantrel-gen --company --classes 1000 --customers 100 --jobs-per-customer 3 \\\n"
    "      > Big.QBW\n"
    "  vantrel-gen --classes 100000 --seed 7 > classes.xml\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

bool ReadNumber(const char* text, long* value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < 0) return false;
  *value = number;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  vantrel::gen::GenOptions options;
  bool company = false;
  std::string company_name;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--apostrophes") == 0) {
      options.apostrophes = true;
      continue;
    }
    if (std::strcmp(arg, "--non-ascii") == 0) {
      options.non_ascii = true;
      continue;
    }
    if (std::strcmp(arg, "--long-names") == 0) {
      options.long_names = true;
      continue;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::puts(VANTREL_VERSION_LINE("vantrel-gen"));
      return 0;
    }
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(arg, "--company") == 0) {
      company = true;
      continue;
    }
    if (std::strcmp(arg, "--company-name") == 0 && i + 1 < argc) {
      company_name = argv[++i];
      continue;
    }
    if (i + 1 >= argc) return Usage();
    long value = 0;
    if (!ReadNumber(argv[i + 1], &value)) return Usage();
    if (std::strcmp(arg, "--seed") == 0) {
      options.seed = static_cast<std::uint64_t>(value);
      ++i;
      continue;
    }
    bool known = false;
    for (const CountOption& count : kCounts) {
      if (std::strcmp(arg, count.name) == 0) {
        options.*count.field = value;
        known = true;
      }
    }
    if (!known) return Usage();
    ++i;
  }
  if (!company_name.empty() && !company) return Usage();
  const std::string text = company ? vantrel::gen::GenerateCompany(options, company_name)
                                   : vantrel::gen::GenerateResponse(options);
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}
