// Texts from QuickBooks that try to leave their quotes: every text element of
// every list entity is given a hostile value, and the statements must still
// read back, through the site's own reader, as exactly the columns and values
// that the same records with harmless texts give.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "convert_fixture.h"
#include "gen/qbxml_gen.h"
#include "site/sql_script.h"

namespace vantrel::testing {
namespace {

// Apostrophes, a statement end, both comment marks, CR LF and "|", and a
// whole breakout attempt; and the same as the text of an XML element.
const std::string kHostile = "O'Neil; --x /* y */ 'a'\r\n|b'); DROP TABLE ClassInfo;--'z";
const std::string kHostileXml =
    "O&apos;Neil; --x /* y */ &apos;a&apos;&#13;&#10;|b&apos;); DROP TABLE ClassInfo;--&apos;z";
// The harmless text of the same length: every cut falls at the same place.
const std::string kHarmless(kHostile.size(), 'x');

// `response` with the text of every leaf element set to `xml`, but for the
// elements that decide which records are written and in which form: they are
// kept so that both responses write the same statements.
std::string WithEveryText(const std::string& response, const std::string& xml) {
  static const std::regex leaf(
      "<(?!(?:TimeCreated|TimeModified|IsActive|Sublevel)>)([A-Za-z0-9]+)>[^<]*</\\1>");
  return std::regex_replace(response, leaf, "<$1>" + xml + "</$1>");
}

class QuoteSafetyTest : public ConvertTest {
 protected:
  // The statements that the list passes write for `response`, as the site
  // reads them, each as one text of its table, form, ListID, columns and
  // values; every post must read without an error.
  std::vector<std::string> Statements(const std::string& response) {
    browser().navigations.clear();
    ctl_.OpenFreshUploadScript();
    SetResponse(response);
    for (const EntityKind kind :
         {EntityKind::kClasses, EntityKind::kAccounts, EntityKind::kItems, EntityKind::kCustomers,
          EntityKind::kProjects, EntityKind::kEmployees, EntityKind::kVendors}) {
      Run(kind);
    }
    std::vector<std::string> all;
    for (const std::string& body : PostBodies()) {
      const site::SqlScript script = site::ParseSqlScript(body);
      EXPECT_FALSE(script.error) << script.error->message << "\n" << script.error->statement_text;
      for (const site::SqlStatement& s : script.statements) {
        const std::string table(s.table->name);
        std::string text = table + (s.full ? " IF " : " UPDATE ") + Masked(table, s.list_id);
        for (size_t v = 0; v < s.values.size(); ++v) {
          text += " " + std::string(s.columns[v]) + "=" + Masked(table, s.values[v]);
        }
        for (const site::SqlAssignment& a : s.set) {
          text += " SET " + std::string(a.column) + "=" + Masked(table, a.value);
        }
        all.push_back(std::move(text));
      }
    }
    return all;
  }

  // `text`, but a cut of the hostile text as that many "x", which is what the
  // harmless text gives where the value comes from a text element; such
  // values are counted by table in `texts_`.
  std::string Masked(const std::string& table, std::string_view text) {
    const bool cut = !text.empty() && kHostile.starts_with(text);
    if (cut) ++texts_[table];
    return cut ? std::string(text.size(), 'x') : std::string(text);
  }
  std::string Masked(const std::string& table, const site::SqlValue& value) {
    return (value.kind == site::SqlValue::Kind::kNumber ? "#" : "'") + Masked(table, value.text);
  }

  std::map<std::string, int> texts_;
};

TEST_F(QuoteSafetyTest, HostileTextsReadBackAsTheColumnsAndValuesTheyStandFor) {
  gen::GenOptions options;
  options.classes = options.accounts = options.employees = options.vendors = options.customers = 2;
  options.jobs_per_customer = options.subjobs_per_job = 1;
  options.service_items = options.non_inventory_items = options.other_charge_items =
      options.payroll_wage_items = options.sales_tax_codes = 2;
  const std::string response = gen::GenerateResponse(options);
  // The host's text goes into the user columns, the same in both runs.
  ctl_.TessalyUser = "'" + kHostile;

  const std::vector<std::string> harmless = Statements(WithEveryText(response, kHarmless));
  const std::vector<std::string> hostile = Statements(WithEveryText(response, kHostileXml));

  ASSERT_EQ(hostile.size(), harmless.size());
  for (size_t i = 0; i < hostile.size(); ++i) {
    EXPECT_EQ(hostile[i], harmless[i]) << "statement " << i + 1;
  }
  EXPECT_EQ(texts_.size(), 7u);
  for (const auto& [table, count] : texts_) EXPECT_GE(count, 8) << table;
}

}  // namespace
}  // namespace vantrel::testing
