#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_support.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

class QbSessionTest : public testing::ControlTest {
 public:
  void SetUp() override {
    ControlTest::SetUp();
    env_.processor_factory = [this] { return std::make_unique<testing::FakeProcessor>(qb_); };
    ctl_.QBFilePath = "C:\\Data\\Acme.QBW";
  }
  WizardState& state() { return modWizard(); }
  // What a contact left behind: the error pair, the version code, the ticket,
  // the connection and how many calls reached QuickBooks.
  std::string Left() {
    const WizardState& s = state();
    return (s.blnSyncError ? "error " + s.strSyncError : "no error") + "; version " +
           std::to_string(s.lngQBXMLVersion) + "; ticket " + s.strTicket +
           (s.blnConnectionOpen ? "; open; " : "; closed; ") + std::to_string(qb_->calls.size()) +
           " calls";
  }

  using ControlTest::env_;
  std::shared_ptr<testing::ProcessorScript> qb_ = std::make_shared<testing::ProcessorScript>();
};

TEST_F(QbSessionTest, ContactOpensConnectionAndSessionInOrder) {
  EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
  EXPECT_EQ(Left(), "no error; version 2; ticket {TICKET-1}; open; 4 calls");
  using ::testing::EndsWith;
  using ::testing::StartsWith;
  EXPECT_THAT(qb_->calls,
              ::testing::ElementsAre(
                  ::testing::AllOf(StartsWith("OpenConnection("), EndsWith(",Brindlemark)")),
                  "BeginSession(,2)", "GetCurrentCompanyFileName({TICKET-1})",
                  "QBXMLVersionsForSession({TICKET-1})"));
}

// The code of the last version the session lists; 0 for one it does not
// know and for no list at all. Either way the contact succeeds.
TEST_F(QbSessionTest, VersionCodeFromTheLastVersionOfTheList) {
  using Versions = std::optional<std::vector<std::string>>;
  const std::pair<Versions, long> cases[] = {
      {{{"1.0"}}, 0},    {{{"1.0", "1.1"}}, 1}, {{{"1.0", "2.0"}}, 2},   {{{"CA1.0"}}, 6},
      {{{"CA1.1"}}, 7},  {{{"CA2.0"}}, 8},      {{{"UK2.0"}}, 11},       {{{"UK1.0"}}, 0},
      {{{"UK1.1"}}, 0},  {{{"2.0", "3.0"}}, 0}, {{{"2.0", "ca2.0"}}, 0}, {{{"2.0", "1.0"}}, 0},
      {std::nullopt, 0},
  };
  for (const auto& [versions, code] : cases) {
    SCOPED_TRACE(versions ? versions->back() : "no list");
    qb_->versions = versions;
    state().lngQBXMLVersion = 99;
    EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
    EXPECT_EQ(state().lngQBXMLVersion, code);
    EXPECT_FALSE(state().blnSyncError);
  }
  // The open file matches whatever its case and outer spaces.
  qb_->company_file = "  c:\\data\\acme.qbw ";
  ctl_.QBFilePath = "C:\\DATA\\ACME.QBW  ";
  EXPECT_EQ(ctl_.ContactQuickBooks(), 1);
}

// A contact that fails: what it left behind, from a version code of 7 and a
// ticket "{EARLIER}" (an empty ticket is no error of its own).
struct FailedContact {
  const char* name;
  void (*setup)(QbSessionTest&);
  std::string left;
};

void PrintTo(const FailedContact& c, std::ostream* os) { *os << c.name; }

class FailedContactTest : public QbSessionTest,
                          public ::testing::WithParamInterface<FailedContact> {};

TEST_P(FailedContactTest, LeavesTheErrorPairAndHowFarItGot) {
  GetParam().setup(*this);
  state().lngQBXMLVersion = 7;
  state().strTicket = "{EARLIER}";
  EXPECT_EQ(ctl_.ContactQuickBooks(), 0);
  EXPECT_EQ(Left(), GetParam().left);
}

// clang-format off
const FailedContact kFailedContacts[] = {
    {"AnotherCompanyFile", [](QbSessionTest& t) { t.qb_->company_file = "C:\\Data\\Other.QBW"; },
     "error Your Current Quickbooks file 'C:\\Data\\Other.QBW' does not match with the QB file "
     "you are using with Tessaly 'C:\\Data\\Acme.QBW'. \r\nPlease open the correct Quickbooks "
     "file and try again.; version 7; ticket {TICKET-1}; open; 3 calls"},
    {"AnEmptyTicket", [](QbSessionTest& t) { t.qb_->ticket = ""; },
     "no error; version 0; ticket ; open; 2 calls"},
    {"QuickBooksNotRunning", [](QbSessionTest& t) {
       t.qb_->open_error = "If QuickBooks is not running, start it and try again.";
     },
     "error Your Quickbooks file is not open, please open your Quickbooks file and try again.; "
     "version 7; ticket ; closed; 1 calls"},
    {"AnotherOpenError", [](QbSessionTest& t) { t.qb_->open_error = "Could not start QuickBooks."; },
     "error Could not start QuickBooks.; version 7; ticket ; closed; 1 calls"},
    {"NoRequestProcessor", [](QbSessionTest& t) { t.env_.processor_factory = nullptr; },
     "error ActiveX component can't create object; version 7; ticket ; closed; 0 calls"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Contacts, FailedContactTest, ::testing::ValuesIn(kFailedContacts),
                         [](const auto& info) { return std::string(info.param.name); });

// The request's response is kept; an empty one for a request that is not
// empty, or a failure, sets the error pair.
TEST_F(QbSessionTest, SendKeepsTheResponseOrSetsTheErrorPair) {
  ctl_.ContactQuickBooks();
  const std::string parse_error =
      "QuickBooks found an error when parsing the provided XML text stream.";
  struct Case {
    const char* request;
    const char* response;
    std::optional<std::string> failure;
    std::optional<std::string> error;
  };
  const Case cases[] = {
      {"<QBXML/>", "<QBXML><QBXMLMsgsRs/></QBXML>", std::nullopt, std::nullopt},
      {"<QBXML/>", "", std::nullopt, "qbXML: no response!"},
      {"", "", std::nullopt, std::nullopt},
      {"<QBXML/>", "<QBXML/>", parse_error, parse_error},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.response);
    qb_->response = c.response;
    qb_->process_error = c.failure;
    state().strRequestXML = c.request;
    state().strResponseXML = "old";
    ctl_.SendQBXMLRequest();
    EXPECT_EQ(state().blnSyncError, c.error.has_value());
    EXPECT_EQ(state().strSyncError, c.error.value_or(""));
    EXPECT_EQ(state().strResponseXML, c.failure ? "" : c.response);
  }
}

// A failure of either sets the error pair; a connection that failed to
// close stays open.
TEST_F(QbSessionTest, EndAndCloseOnlyWhatIsOpen) {
  ctl_.CloseQBConnection();
  ctl_.EndQBSession();
  EXPECT_EQ(Left(), "no error; version 0; ticket ; closed; 0 calls");

  ctl_.ContactQuickBooks();
  ctl_.EndQBSession();
  ctl_.CloseQBConnection();
  ctl_.CloseQBConnection();
  EXPECT_EQ(qb_->calls[4], "EndSession({TICKET-1})");
  EXPECT_EQ(qb_->calls[5], "CloseConnection()");
  EXPECT_EQ(Left(), "no error; version 2; ticket {TICKET-1}; closed; 6 calls");

  ctl_.ContactQuickBooks();
  qb_->end_error = "stale ticket";
  qb_->close_error = "cannot close";
  ctl_.EndQBSession();
  EXPECT_EQ(state().strSyncError, "stale ticket");
  ctl_.CloseQBConnection();
  EXPECT_EQ(Left(), "error cannot close; version 2; ticket {TICKET-1}; open; 12 calls");
}

// A file the environment cannot look for is missing too.
TEST_F(QbSessionTest, CheckQBFileReportsAFileItCannotLookFor) {
  env_.find_file_throws = true;
  ctl_.QBFilePath = "bad";
  ctl_.CheckQBFile();
  EXPECT_TRUE(state().blnSyncError);
  EXPECT_EQ(state().strSyncError, "Cannot find 'bad'");
}

TEST(SystemEnvTest, FindFileMatchesNormalFilesWithWildCards) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir / "Sub.QBW");
  std::ofstream(dir / "Acme.QBW") << "x";
  platform::SystemEnv env;
  for (const char* name : {"Acme.QBW", "*.QBW", "Ac?e.QBW"}) EXPECT_TRUE(env.FindFile(dir / name));
  // Names match in their letter case; a folder is not a normal file.
  for (const char* name : {"acme.qbw", "Sub.QBW", "S*.QBW", "missing/*.QBW"}) {
    EXPECT_FALSE(env.FindFile(dir / name)) << name;
  }
  EXPECT_THROW(env.FindFile(""), platform::ComError);
  EXPECT_THROW(env.FindFile(dir / "*/Acme.QBW"), platform::ComError);
}

}  // namespace
}  // namespace vantrel
