// Whole runs: the control with the QuickBooks stand-in holding the sample
// company, posting over real HTTP on loopback to the stand-in site server.
#ifndef VANTREL_TESTS_END_TO_END_FIXTURE_H_
#define VANTREL_TESTS_END_TO_END_FIXTURE_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli_support.h"
#include "control/vantrel_ctl.h"
#include "fakes.h"
#include "platform/env.h"
#include "platform/html_params.h"
#include "qb_standin/qb_standin.h"
#include "site/site_server.h"
#include "support/exposed_ctl.h"
#include "text_count.h"
#include "wizard/mod_wizard.h"

namespace vantrel::testing {

inline const std::string kSampleCompany = std::string(VANTREL_SOURCE_DIR) + "/samples/Acme.QBW";

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModWizard();
    // The test's name, with the "/" of a parameterised one made a "-".
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    db_path_ = (std::filesystem::temp_directory_path() /
                ("vantrel-e2e-" + std::to_string(::getpid()) + "-" + name + ".sqlite"))
                   .string();
    std::filesystem::remove(db_path_);
    site::SiteOptions options;
    options.db_path = db_path_;
    options.site_code = "ACME01";
    options.site_key = "K3Y-5ECRET";
    server_ = std::make_unique<site::SiteServer>(options);
    server_->Start();
    company_ = qb::LoadCompany(kSampleCompany);
    env_ =
        std::make_unique<platform::SystemEnv>([this] { return qb::NewStandinProcessor(company_); });
    ctl_ = std::make_unique<ExposedCtl>(*env_, host_);
    LoadPage();
  }
  void TearDown() override {
    ctl_.reset();
    server_->Stop();
    std::filesystem::remove(db_path_);
  }

  void LoadPage(const std::string& last_sync = "") {
    auto bag = platform::ReadObjectParams(
        ReadFile(std::string(VANTREL_SOURCE_DIR) + "/samples/page.html"));
    ASSERT_TRUE(bag);
    bag->Set("QBFilePath", kSampleCompany);
    if (!last_sync.empty()) {
      for (const char* key : {"CustomerLastSyncDate", "EmployeeLastSyncDate",
                              "GLAccountsLastSyncDate", "TasksLastSyncDate", "VendorsLastSyncDate",
                              "TimeLastSyncDate", "ExpenseLastSyncDate"}) {
        bag->Set(key, last_sync);
      }
    }
    ctl_->ReadProperties(*bag);
    ctl_->WGSecureServerURL = server_->base_url();
  }

  void TickFour() {
    WizardScreen& s = ctl_->screen();
    for (auto* box : {&s.chkQBClasses, &s.chkQBCOA, &s.chkQBEmployee, &s.chkQBVendors}) {
      box->set_value(1);
    }
  }

  // Clicks "Start &Sync" and waits for the run to end.
  void Start() { ctl_->screen().cmdNav[3].Click(); }

  std::vector<std::string> PostBodies() const {
    std::vector<std::string> bodies;
    for (const auto& r : server_->requests()) {
      if (r.method == "POST") bodies.push_back(r.body);
    }
    return bodies;
  }

  long Rows(const std::string& table) const {
    return std::stol(server_->Query("SELECT COUNT(*) FROM " + table).at(0).at(0));
  }

  std::string Dump(const std::string& table) const {
    std::string out;
    for (const auto& row : server_->Query("SELECT * FROM " + table + " ORDER BY QBListID")) {
      for (const std::string& field : row) out += field + "|";
      out += "\n";
    }
    return out;
  }

  std::string db_path_;
  std::unique_ptr<site::SiteServer> server_;
  std::shared_ptr<const qb::Company> company_;
  std::unique_ptr<platform::SystemEnv> env_;
  testing::FakeHost host_;
  std::unique_ptr<ExposedCtl> ctl_;
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_END_TO_END_FIXTURE_H_
