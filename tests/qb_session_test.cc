#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "control/vantrel_ctl.h"
#include "fakes.h"
#include "wizard/mod_wizard.h"

namespace vantrel {
namespace {

class QbSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModWizard();
    env_.processor_factory = [this] { return std::make_unique<testing::FakeProcessor>(qb_); };
    ctl_.QBFilePath = "C:\\Data\\Acme.QBW";
  }
  WizardState& state() { return modWizard(); }

  std::shared_ptr<testing::ProcessorScript> qb_ = std::make_shared<testing::ProcessorScript>();
  testing::FakeEnv env_;
  testing::FakeHost host_;
  VantrelCtl ctl_{env_, host_};
};

TEST_F(QbSessionTest, ContactOpensConnectionAndSessionInOrder) {
  EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
  EXPECT_FALSE(state().blnSyncError);
  EXPECT_TRUE(state().blnConnectionOpen);
  EXPECT_EQ(state().strTicket, "{TICKET-1}");
  EXPECT_EQ(state().lngQBXMLVersion, 2);
  ASSERT_EQ(qb_->calls.size(), 4u);
  EXPECT_TRUE(qb_->calls[0].starts_with("OpenConnection("));
  EXPECT_TRUE(qb_->calls[0].ends_with(",Brindlemark)"));
  EXPECT_EQ(qb_->calls[1], "BeginSession(,2)");
  EXPECT_EQ(qb_->calls[2], "GetCurrentCompanyFileName({TICKET-1})");
  EXPECT_EQ(qb_->calls[3], "QBXMLVersionsForSession({TICKET-1})");
}

TEST_F(QbSessionTest, VersionCodeFromTheLastVersionOfTheList) {
  const std::pair<std::vector<std::string>, long> cases[] = {
      {{"1.0"}, 0},   {{"1.0", "1.1"}, 1}, {{"1.0", "2.0"}, 2},   {{"CA1.0"}, 6},
      {{"CA1.1"}, 7}, {{"CA2.0"}, 8},      {{"UK2.0"}, 11},       {{"UK1.0"}, 0},
      {{"UK1.1"}, 0}, {{"2.0", "3.0"}, 0}, {{"2.0", "ca2.0"}, 0}, {{"2.0", "1.0"}, 0},
  };
  for (const auto& [versions, code] : cases) {
    qb_->versions = versions;
    state().lngQBXMLVersion = 99;
    EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
    EXPECT_EQ(state().lngQBXMLVersion, code) << versions.back();
  }
}

TEST_F(QbSessionTest, VersionsNotAnArrayGiveCodeZeroAndStillMatch) {
  qb_->versions.reset();
  state().lngQBXMLVersion = 2;
  EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
  EXPECT_EQ(state().lngQBXMLVersion, 0);
  EXPECT_FALSE(state().blnSyncError);
}

TEST_F(QbSessionTest, FileNameMatchIgnoresCaseAndOuterSpaces) {
  qb_->company_file = "  c:\\data\\acme.qbw ";
  ctl_.QBFilePath = "C:\\DATA\\ACME.QBW  ";
  EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
  EXPECT_FALSE(state().blnSyncError);
}

TEST_F(QbSessionTest, AnotherCompanyFileIsAnError) {
  qb_->company_file = "C:\\Data\\Other.QBW";
  state().lngQBXMLVersion = 7;
  EXPECT_EQ(ctl_.ContactQuickBooks(), 0);
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError,
            "Your Current Quickbooks file 'C:\\Data\\Other.QBW' does not match with the QB file "
            "you are using with Tessaly 'C:\\Data\\Acme.QBW'. \r\nPlease open the correct "
            "Quickbooks file and try again.");
  EXPECT_EQ(state().lngQBXMLVersion, 7);
  EXPECT_EQ(state().strTicket, "{TICKET-1}");
}

TEST_F(QbSessionTest, EmptyTicketIsNoError) {
  qb_->ticket = "";
  state().lngQBXMLVersion = 2;
  EXPECT_EQ(ctl_.ContactQuickBooks(), 0);
  EXPECT_FALSE(state().blnSyncError);
  EXPECT_EQ(state().lngQBXMLVersion, 0);
  EXPECT_EQ(qb_->calls.size(), 2u);
}

TEST_F(QbSessionTest, NotRunningGetsTheOpenFileMessage) {
  qb_->open_error = "If QuickBooks is not running, start it and try again.";
  EXPECT_EQ(ctl_.ContactQuickBooks(), 0);
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError,
            "Your Quickbooks file is not open, please open your Quickbooks file and try again.");
  EXPECT_FALSE(state().blnConnectionOpen);
  EXPECT_EQ(state().strTicket, "");
}

TEST_F(QbSessionTest, OtherConnectionFailuresKeepTheirDescription) {
  qb_->open_error = "Could not start QuickBooks.";
  EXPECT_EQ(ctl_.ContactQuickBooks(), 0);
  EXPECT_EQ(state().strSyncError, "Could not start QuickBooks.");
}

TEST_F(QbSessionTest, NoRequestProcessorInstalled) {
  env_.processor_factory = nullptr;
  EXPECT_EQ(ctl_.ContactQuickBooks(), 0);
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError, "ActiveX component can't create object");
}

TEST_F(QbSessionTest, SendKeepsTheResponse) {
  ctl_.ContactQuickBooks();
  state().strRequestXML = "<QBXML/>";
  ctl_.SendQBXMLRequest();
  EXPECT_FALSE(state().blnSyncError);
  EXPECT_EQ(state().strResponseXML, qb_->response);
}

TEST_F(QbSessionTest, SendWithEmptyResponse) {
  ctl_.ContactQuickBooks();
  qb_->response = "";
  state().strRequestXML = "<QBXML/>";
  ctl_.SendQBXMLRequest();
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError, "qbXML: no response!");
  // An empty request and an empty response are no error.
  state().strRequestXML = "";
  ctl_.SendQBXMLRequest();
  EXPECT_FALSE(state().blnSyncError);
}

TEST_F(QbSessionTest, SendFailureKeepsItsDescription) {
  ctl_.ContactQuickBooks();
  qb_->process_error = "QuickBooks found an error when parsing the provided XML text stream.";
  state().strRequestXML = "<QBXML/>";
  state().strResponseXML = "old";
  ctl_.SendQBXMLRequest();
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError,
            "QuickBooks found an error when parsing the provided XML text stream.");
  EXPECT_EQ(state().strResponseXML, "");
}

TEST_F(QbSessionTest, EndAndCloseOnlyWhatIsOpen) {
  ctl_.CloseQBConnection();
  ctl_.EndQBSession();
  EXPECT_FALSE(state().blnSyncError);
  EXPECT_TRUE(qb_->calls.empty());

  ctl_.ContactQuickBooks();
  ctl_.EndQBSession();
  ctl_.CloseQBConnection();
  EXPECT_EQ(qb_->calls[4], "EndSession({TICKET-1})");
  EXPECT_EQ(qb_->calls[5], "CloseConnection()");
  EXPECT_FALSE(state().blnConnectionOpen);
  EXPECT_EQ(state().strTicket, "{TICKET-1}");
  ctl_.CloseQBConnection();
  EXPECT_EQ(qb_->calls.size(), 6u);
}

TEST_F(QbSessionTest, EndAndCloseFailuresSetTheErrorPair) {
  ctl_.ContactQuickBooks();
  qb_->end_error = "stale ticket";
  qb_->close_error = "cannot close";
  ctl_.EndQBSession();
  EXPECT_EQ(state().strSyncError, "stale ticket");
  ctl_.CloseQBConnection();
  EXPECT_EQ(state().strSyncError, "cannot close");
  EXPECT_TRUE(state().blnConnectionOpen);
}

TEST_F(QbSessionTest, CheckQBFileReportsAMissingFile) {
  env_.files = {"C:\\Data\\Acme.QBW"};
  ctl_.CheckQBFile();
  EXPECT_FALSE(state().blnSyncError);
  ctl_.QBFilePath = "C:\\Data\\Gone.QBW";
  ctl_.CheckQBFile();
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError, "Cannot find 'C:\\Data\\Gone.QBW'");
  env_.find_file_throws = true;
  ctl_.QBFilePath = "bad";
  ctl_.CheckQBFile();
  EXPECT_EQ(state().strSyncError, "Cannot find 'bad'");
}

TEST(SystemEnvTest, FindFileMatchesNormalFilesWithWildCards) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vantrel-find-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir / "Sub.QBW");
  std::ofstream(dir / "Acme.QBW") << "x";
  platform::SystemEnv env;
  const std::string d = dir.string();
  EXPECT_TRUE(env.FindFile(d + "/Acme.QBW"));
  EXPECT_TRUE(env.FindFile(d + "/*.QBW"));
  EXPECT_TRUE(env.FindFile(d + "/Ac?e.QBW"));
  EXPECT_FALSE(env.FindFile(d + "/acme.qbw"));
  EXPECT_FALSE(env.FindFile(d + "/Sub.QBW"));  // a folder is not a normal file
  EXPECT_FALSE(env.FindFile(d + "/S*.QBW"));
  EXPECT_FALSE(env.FindFile(d + "/missing/*.QBW"));
  EXPECT_THROW(env.FindFile(""), platform::ComError);
  EXPECT_THROW(env.FindFile(d + "/*/Acme.QBW"), platform::ComError);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vantrel
