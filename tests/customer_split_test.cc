// Customers and projects split the "CustomerRet" records by Sublevel, most of
// them by a quick look before parsing; the records the quick look is not sure
// of are parsed and read as the parser reads them. Whatever the form of the
// Sublevel, each record goes to the pass (or both passes) it belongs to.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/sink_run.h"

namespace vantrel::testing {
namespace {

std::string ReadSample(const std::string& path) {
  std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The texts the pass of `kind` posted.
std::string PostsOf(SinkRun& run, EntityKind kind) {
  const std::size_t before = run.log().posts.size();
  run.Run(kind);
  std::string posted;
  for (std::size_t i = before; i < run.log().posts.size(); ++i) posted += run.log().posts[i].body;
  return posted;
}

TEST(CustomerSplitTest, EverySublevelFormGoesToItsPasses) {
  SinkRun run(ReadSample("tests/fuzz/corpus/convert/customers-sublevel-forms.xml"), true);
  const std::string customers = PostsOf(run, EntityKind::kCustomers);
  const std::string projects = PostsOf(run, EntityKind::kProjects);
  enum Goes { kCustomer, kProject, kBoth };
  const struct {
    const char* name;
    Goes goes;
  } records[] = {
      {"Plain customer", kCustomer}, {"Plain job", kProject},
      {"Blanks around", kProject},   {"Comment inside", kCustomer},
      {"Deeper only", kBoth},        {"Negative", kBoth},
      {"Cdata", kProject},           {"Entity", kProject},
      {"Empty element", kBoth},      {"Half", kProject},
      {"Two of them", kCustomer},    {"Quoted attribute", kProject},
      {"No sublevel", kBoth},
  };
  for (const auto& record : records) {
    const std::string quoted = std::string("'") + record.name + "'";
    EXPECT_EQ(customers.find(quoted) != std::string::npos, record.goes != kProject) << record.name;
    EXPECT_EQ(projects.find(quoted) != std::string::npos, record.goes != kCustomer) << record.name;
  }
  EXPECT_EQ(run.counts()[EntityKind::kCustomers], 7);
  EXPECT_EQ(run.counts()[EntityKind::kProjects], 10);
}

}  // namespace
}  // namespace vantrel::testing
