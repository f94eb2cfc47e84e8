// Texts from QuickBooks that try to leave their quotes: every text element of
// every list entity is given a hostile value, and the statements must still
// read back, through the site's own reader, as exactly the columns and values
// that the same records with harmless texts give.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "convert_fixture.h"
#include "gen/qbxml_gen.h"
#include "site/sql_script.h"

namespace vantrel::testing {
namespace {

// Apostrophes, a statement end, both comment marks, CR LF and "|", and a
// whole breakout attempt.
const std::string kHostile = "O'Neil; --x /* y */ 'a'\r\n|b'); DROP TABLE ClassInfo;--'z";
// The harmless text of the same length: every cut falls at the same place.
const std::string kHarmless(kHostile.size(), 'x');

// The elements that decide which records are written and in which form; the
// test keeps them so that both responses write the same statements.
const std::set<std::string> kKept = {"TimeCreated", "TimeModified", "IsActive", "Sublevel"};

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    out += c == '\r' ? "&#13;" : c == '\n' ? "&#10;" : c == '\'' ? "&apos;" : std::string(1, c);
  }
  return out;
}

// `response` with the text of every leaf element outside kKept set to `text`.
std::string WithEveryText(const std::string& response, const std::string& text) {
  static const std::regex leaf("<([A-Za-z0-9]+)>[^<]*</\\1>");
  const std::string escaped = XmlEscaped(text);
  std::string out;
  auto last = response.cbegin();
  for (std::sregex_iterator it(response.begin(), response.end(), leaf), end; it != end; ++it) {
    const std::smatch& m = *it;
    out.append(last, m[0].first);
    const std::string tag = m[1].str();
    out += kKept.count(tag) ? m[0].str() : "<" + tag + ">" + escaped + "</" + tag + ">";
    last = m[0].second;
  }
  out.append(last, response.cend());
  return out;
}

class QuoteSafetyTest : public ConvertTest {
 protected:
  // The statements that the list passes write for `response`, as the site
  // reads them; every post must read without an error. They view `bodies_`
  // and `scripts_`, which keep the posts and what their reading decoded.
  std::vector<site::SqlStatement> Statements(const std::string& response) {
    browser().navigations.clear();
    ctl_.OpenFreshUploadScript();
    SetResponse(response);
    for (const EntityKind kind :
         {EntityKind::kClasses, EntityKind::kAccounts, EntityKind::kItems, EntityKind::kCustomers,
          EntityKind::kProjects, EntityKind::kEmployees, EntityKind::kVendors}) {
      Run(kind);
    }
    std::vector<site::SqlStatement> all;
    for (const std::string& body : PostBodies()) {
      site::SqlScript& script =
          scripts_.emplace_back(site::ParseSqlScript(bodies_.emplace_back(body)));
      EXPECT_FALSE(script.error) << script.error->message << "\n" << script.error->statement_text;
      for (site::SqlStatement& s : script.statements) all.push_back(std::move(s));
    }
    return all;
  }

  std::deque<std::string> bodies_;
  std::deque<site::SqlScript> scripts_;
};

// A value of the hostile run against the same value of the harmless run:
// the same text where the value does not come from a text element, else the
// hostile text cut where the harmless one was cut.
void ExpectSameOrCut(std::string_view harmless, std::string_view hostile, int* texts) {
  if (harmless == hostile) return;
  ASSERT_EQ(harmless.find_first_not_of('x'), std::string::npos) << harmless;
  EXPECT_EQ(hostile, kHostile.substr(0, harmless.size()));
  ++*texts;
}

TEST_F(QuoteSafetyTest, HostileTextsReadBackAsTheColumnsAndValuesTheyStandFor) {
  gen::GenOptions options;
  options.classes = options.accounts = options.employees = options.vendors = options.customers = 2;
  options.jobs_per_customer = options.subjobs_per_job = 1;
  options.service_items = options.non_inventory_items = options.other_charge_items =
      options.payroll_wage_items = options.sales_tax_codes = 2;
  const std::string response = gen::GenerateResponse(options);
  ctl_.TessalyUser = kHostile;  // the host's text goes into the user columns

  const std::vector<site::SqlStatement> harmless = Statements(WithEveryText(response, kHarmless));
  const std::vector<site::SqlStatement> hostile = Statements(WithEveryText(response, kHostile));

  ASSERT_EQ(hostile.size(), harmless.size());
  std::map<std::string, int> texts;  // values of text elements, by table
  for (size_t i = 0; i < hostile.size(); ++i) {
    SCOPED_TRACE("statement " + std::to_string(i + 1));
    const site::SqlStatement& a = harmless[i];
    const site::SqlStatement& b = hostile[i];
    ASSERT_EQ(b.table, a.table);
    int& table_texts = texts[std::string(b.table->name)];
    ASSERT_EQ(b.full, a.full);
    EXPECT_EQ(b.columns, a.columns);
    ASSERT_EQ(b.values.size(), a.values.size());
    for (size_t v = 0; v < b.values.size(); ++v) {
      EXPECT_EQ(b.values[v].kind, a.values[v].kind) << a.columns[v];
      ExpectSameOrCut(a.values[v].text, b.values[v].text, &table_texts);
    }
    ASSERT_EQ(b.set.size(), a.set.size());
    for (size_t v = 0; v < b.set.size(); ++v) {
      EXPECT_EQ(b.set[v].column, a.set[v].column);
      ExpectSameOrCut(a.set[v].value.text, b.set[v].value.text, &table_texts);
    }
    ExpectSameOrCut(a.list_id, b.list_id, &table_texts);
  }
  EXPECT_EQ(texts.size(), 7u);
  for (const auto& [table, count] : texts) EXPECT_GE(count, 8) << table;
}

}  // namespace
}  // namespace vantrel::testing
