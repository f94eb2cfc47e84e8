#include "qb_standin/qb_standin.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/com_error.h"
#include "quickbooks/qbxml_request.h"

namespace vantrel::qb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kSamplePath = std::string(VANTREL_SOURCE_DIR) + "/samples/Acme.QBW";

// A request in the form the control sends, with `queries` inside the message set.
std::string Request(const std::string& queries, const std::string& on_error = "continueOnError") {
  return "<?xml version = \"1.0\"?>\r\n"
         "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 2.0//EN'>\r\n"
         "<QBXML>\r\n<QBXMLMsgsRq onError = \"" +
         on_error + "\">\r\n" + queries + "</QBXMLMsgsRq>\r\n</QBXML>";
}

std::string Query(const std::string& element, int id, const std::string& content = "") {
  return "<" + element + " requestID = \"" + std::to_string(id) + "\">\r\n" + content + "</" +
         element + ">\r\n";
}

std::string CompanyXml(const std::string& records, const std::string& attributes = "") {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<QuickBooksCompany" + attributes + ">\n" +
         records + "</QuickBooksCompany>\n";
}

std::string Record(const std::string& element, const std::string& list_id,
                   const std::string& more = "") {
  return "<" + element + "><ListID>" + list_id + "</ListID>" + more + "</" + element + ">\n";
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

// The text of the response element `name`, from its opening to its closing
// (or to the end of its empty-element tag); "" when it is absent.
std::string Section(const std::string& response, const std::string& name) {
  size_t start = response.find("<" + name + " ");
  if (start == std::string::npos) return "";
  size_t tag_end = response.find('>', start);
  if (response[tag_end - 1] == '/') return response.substr(start, tag_end + 1 - start);
  size_t end = response.find("</" + name + ">", start);
  if (end == std::string::npos) return "";
  return response.substr(start, end + name.size() + 3 - start);
}

// The ListID (or TxnID) of every `record` element in `text`, in order.
std::vector<std::string> RecordIds(const std::string& text, const std::string& record) {
  std::vector<std::string> ids;
  const std::regex id("<" + record + ">\\s*<(?:ListID|TxnID)>([^<]*)</");
  for (std::sregex_iterator it(text.begin(), text.end(), id), end; it != end; ++it) {
    ids.push_back((*it)[1]);
  }
  return ids;
}

// The opening tag's attributes of a response element, as one text.
std::string OpeningTag(const std::string& section) { return section.substr(0, section.find('>')); }

// ----------------------------------------------------------------- answers

struct QueryCase {
  const char* request;
  const char* record;
};

class StandinQueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(StandinQueryTest, AnswersWithTheMatchingRecordsInFileOrder) {
  const std::string record = GetParam().record;
  const std::string other = record == "ClassRet" ? "VendorRet" : "ClassRet";
  auto company = ParseCompany(CompanyXml(Record(record, "A-1") + Record(other, "X-1") +
                                         Record(record, "A-2") + Record(record, "A-3")),
                              "c.qbw");
  const std::string request = GetParam().request;
  const std::string response = AnswerRequest(*company, Request(Query(request, 7)));
  const std::string rs = request.substr(0, request.size() - 2) + "Rs";
  const std::string section = Section(response, rs);
  ASSERT_FALSE(section.empty()) << response;
  EXPECT_EQ(OpeningTag(section), "<" + rs +
                                     " requestID=\"7\" statusCode=\"0\" statusSeverity=\"Info\" "
                                     "statusMessage=\"Status OK\"");
  EXPECT_THAT(RecordIds(section, record), ElementsAre("A-1", "A-2", "A-3"));
  EXPECT_EQ(Count(response, "<" + other + ">"), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKnownQuery, StandinQueryTest,
    ::testing::Values(QueryCase{"CustomerQueryRq", "CustomerRet"},
                      QueryCase{"EmployeeQueryRq", "EmployeeRet"},
                      QueryCase{"VendorQueryRq", "VendorRet"},
                      QueryCase{"StandardTermsQueryRq", "StandardTermsRet"},
                      QueryCase{"AccountQueryRq", "AccountRet"},
                      QueryCase{"ItemServiceQueryRq", "ItemServiceRet"},
                      QueryCase{"ItemNonInventoryQueryRq", "ItemNonInventoryRet"},
                      QueryCase{"ItemOtherChargeQueryRq", "ItemOtherChargeRet"},
                      QueryCase{"PayrollItemWageQueryRq", "PayrollItemWageRet"},
                      QueryCase{"ClassQueryRq", "ClassRet"},
                      QueryCase{"SalesRepQueryRq", "SalesRepRet"},
                      QueryCase{"SalesTaxCodeQueryRq", "SalesTaxCodeRet"},
                      QueryCase{"TimeTrackingQueryRq", "TimeTrackingRet"},
                      QueryCase{"CheckQueryRq", "CheckRet"}, QueryCase{"BillQueryRq", "BillRet"}),
    [](const ::testing::TestParamInfo<QueryCase>& info) {
      return std::string(info.param.request);
    });

TEST(StandinAnswerTest, ResponseIsAQbxmlDocumentWithCrLfLines) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1", "<Name>Overhead</Name>")), "c");
  const std::string response = AnswerRequest(
      *company, Request(Query("ClassQueryRq", 1, "<ActiveStatus>All</ActiveStatus>")));
  EXPECT_THAT(response, StartsWith("<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n  <QBXMLMsgsRs>\r\n"));
  EXPECT_THAT(response, HasSubstr("</QBXMLMsgsRs>\r\n</QBXML>"));
  EXPECT_THAT(response, HasSubstr("<ClassRet>\r\n"));
  EXPECT_THAT(response, HasSubstr("<Name>Overhead</Name>\r\n"));
  for (size_t i = 0; i < response.size(); ++i) {
    if (response[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(response[i - 1], '\r') << "at " << i;
    }
  }
}

TEST(StandinAnswerTest, RecordTextIsCopiedFaithfully) {
  auto company = ParseCompany(
      CompanyXml(Record("CustomerRet", "C-1",
                        "<Name>O'Neil's Bistro &amp; Bar</Name><CompanyName>Müller Bäckerei"
                        "</CompanyName><JobDesc>   </JobDesc><Notes>a | b</Notes>")),
      "c");
  const std::string response = AnswerRequest(*company, Request(Query("CustomerQueryRq", 1)));
  EXPECT_THAT(response, HasSubstr("<Name>O'Neil's Bistro &amp; Bar</Name>"));
  EXPECT_THAT(response, HasSubstr("<CompanyName>Müller Bäckerei</CompanyName>"));
  EXPECT_THAT(response, HasSubstr("<JobDesc>   </JobDesc>"));
  EXPECT_THAT(response, HasSubstr("<Notes>a | b</Notes>"));
}

TEST(StandinAnswerTest, QueriesAreAnsweredInRequestOrder) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1") + Record("VendorRet", "V-1") +
                                         Record("CustomerRet", "P-1")),
                              "c");
  const std::string response = AnswerRequest(
      *company,
      Request(Query("VendorQueryRq", 1) + Query("CustomerQueryRq", 2) + Query("ClassQueryRq", 3)));
  const size_t vendor = response.find("<VendorQueryRs requestID=\"1\"");
  const size_t customer = response.find("<CustomerQueryRs requestID=\"2\"");
  const size_t klass = response.find("<ClassQueryRs requestID=\"3\"");
  ASSERT_NE(vendor, std::string::npos);
  ASSERT_NE(customer, std::string::npos);
  ASSERT_NE(klass, std::string::npos);
  EXPECT_LT(vendor, customer);
  EXPECT_LT(customer, klass);
}

TEST(StandinAnswerTest, QueryWithoutRequestIdAnswersWithoutOne) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  const std::string response =
      AnswerRequest(*company, Request("<ClassQueryRq></ClassQueryRq>\r\n"));
  EXPECT_THAT(response, HasSubstr("<ClassQueryRs statusCode=\"0\""));
}

// ----------------------------------------------------------------- filters

struct ActiveCase {
  const char* name;
  const char* content;  // the query's content
  std::vector<std::string> expected;
};

class StandinActiveStatusTest : public ::testing::TestWithParam<ActiveCase> {};

TEST_P(StandinActiveStatusTest, FiltersListRecords) {
  auto company =
      ParseCompany(CompanyXml(Record("CustomerRet", "on", "<IsActive>true</IsActive>") +
                              Record("CustomerRet", "off", "<IsActive>false</IsActive>") +
                              Record("CustomerRet", "none") +  // no IsActive: active
                              Record("CustomerRet", "zero", "<IsActive>0</IsActive>") +
                              Record("CustomerRet", "one", "<IsActive>1</IsActive>")),
                   "c");
  const std::string response =
      AnswerRequest(*company, Request(Query("CustomerQueryRq", 1, GetParam().content)));
  EXPECT_EQ(RecordIds(response, "CustomerRet"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, StandinActiveStatusTest,
    ::testing::Values(
        ActiveCase{"All", "<ActiveStatus>All</ActiveStatus>", {"on", "off", "none", "zero", "one"}},
        ActiveCase{"ActiveOnly", "<ActiveStatus>ActiveOnly</ActiveStatus>", {"on", "none", "one"}},
        ActiveCase{"InactiveOnly", "<ActiveStatus>InactiveOnly</ActiveStatus>", {"off", "zero"}},
        ActiveCase{"AbsentMeansActiveOnly", "", {"on", "none", "one"}}),
    [](const ::testing::TestParamInfo<ActiveCase>& info) { return std::string(info.param.name); });

TEST(StandinAnswerTest, OnlyInactiveRecordsAndActiveOnlyGiveNoMatch) {
  auto company =
      ParseCompany(CompanyXml(Record("VendorRet", "off", "<IsActive>false</IsActive>")), "c");
  const std::string response = AnswerRequest(*company, Request(Query("VendorQueryRq", 4)));
  EXPECT_THAT(response, HasSubstr("<VendorQueryRs requestID=\"4\" statusCode=\"1\""));
  EXPECT_EQ(Count(response, "<VendorRet>"), 0u);
}

const std::string kCheck =
    "<CheckRet><TxnID>T-1</TxnID><RefNumber>1001</RefNumber>"
    "<ExpenseLineRet><TxnLineID>L-1</TxnLineID><Amount>10.00</Amount></ExpenseLineRet>"
    "<ItemLineRet><TxnLineID>L-2</TxnLineID><Amount>5.00</Amount></ItemLineRet>"
    "<Memo>after the lines</Memo></CheckRet>\n";

const std::string kBill =
    "<BillRet><TxnID>T-2</TxnID><RefNumber>1001</RefNumber>"
    "<ExpenseLineRet><TxnLineID>L-3</TxnLineID><Amount>-4.00</Amount></ExpenseLineRet>"
    "<Memo>after the lines</Memo></BillRet>\n";

TEST(StandinAnswerTest, IncludeLineItemsTrueKeepsTheLines) {
  auto company = ParseCompany(CompanyXml(kCheck), "c");
  const std::string response = AnswerRequest(
      *company, Request(Query("CheckQueryRq", 1, "<IncludeLineItems>true</IncludeLineItems>")));
  EXPECT_EQ(Count(response, "<ExpenseLineRet>"), 1u);
  EXPECT_EQ(Count(response, "<ItemLineRet>"), 1u);
  EXPECT_THAT(response, HasSubstr("<TxnLineID>L-2</TxnLineID>"));
}

TEST(StandinAnswerTest, LinesAreLeftOutUnlessIncludeLineItemsIsTrue) {
  auto company = ParseCompany(CompanyXml(kCheck + kBill), "c");
  for (const std::string content : {"", "<IncludeLineItems>false</IncludeLineItems>"}) {
    const std::string response = AnswerRequest(
        *company, Request(Query("CheckQueryRq", 1, content) + Query("BillQueryRq", 2, content)));
    EXPECT_EQ(Count(response, "<CheckRet>"), 1u) << content;
    EXPECT_EQ(Count(response, "<BillRet>"), 1u) << content;
    EXPECT_EQ(Count(response, "LineRet>"), 0u) << content;
    EXPECT_EQ(Count(response, "<RefNumber>1001</RefNumber>"), 2u) << content;
    EXPECT_EQ(Count(response, "<Memo>after the lines</Memo>"), 2u) << content;
  }
}

TEST(StandinAnswerTest, ActiveStatusDoesNotApplyToTransactions) {
  auto company =
      ParseCompany(CompanyXml("<TimeTrackingRet><TxnID>T-1</TxnID></TimeTrackingRet>\n"), "c");
  const std::string response = AnswerRequest(
      *company,
      Request(Query("TimeTrackingQueryRq", 1, "<ActiveStatus>InactiveOnly</ActiveStatus>")));
  EXPECT_THAT(RecordIds(response, "TimeTrackingRet"), ElementsAre("T-1"));
}

// ----------------------------------------------------------------- statuses

TEST(StandinAnswerTest, NoMatchGivesStatusOneWithoutRecords) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  const std::string response = AnswerRequest(*company, Request(Query("EmployeeQueryRq", 3)));
  EXPECT_THAT(response,
              HasSubstr("<EmployeeQueryRs requestID=\"3\" statusCode=\"1\" statusSeverity=\"Info\" "
                        "statusMessage=\"A query request did not find a matching object in "
                        "QuickBooks\" />"));
  EXPECT_EQ(Count(response, "Ret>"), 0u);
}

TEST(StandinAnswerTest, UnknownRequestGetsStatusThreeAndTheRestIsAnswered) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  const std::string response =
      AnswerRequest(*company, Request(Query("InvoiceQueryRq", 1) + Query("ClassQueryRq", 2)));
  const std::string unknown = Section(response, "InvoiceQueryRs");
  ASSERT_FALSE(unknown.empty()) << response;
  EXPECT_THAT(unknown, StartsWith("<InvoiceQueryRs requestID=\"1\" statusCode=\"3\" "
                                  "statusSeverity=\"Error\" statusMessage=\""));
  EXPECT_THAT(response, HasSubstr("<ClassQueryRs requestID=\"2\" statusCode=\"0\""));
}

TEST(StandinAnswerTest, StopOnErrorSkipsTheRequestsAfterAnError) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  const std::string response = AnswerRequest(
      *company, Request(Query("ClassQueryRq", 1) + Query("FooRq", 2) + Query("ClassQueryRq", 3),
                        "stopOnError"));
  EXPECT_THAT(response, HasSubstr("<ClassQueryRs requestID=\"1\" statusCode=\"0\""));
  EXPECT_THAT(response, HasSubstr("<FooRs requestID=\"2\" statusCode=\"3\""));
  EXPECT_THAT(response, ::testing::Not(HasSubstr("requestID=\"3\"")));
}

// ----------------------------------------------------------------- request forms

TEST(StandinAnswerTest, AcceptsEveryRequestPrologTheControlWrites) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  SelectionFlags flags;
  flags.blnDoClasses = true;
  for (long code : {0L, 1L, 2L, 6L, 7L, 8L, 9L, 10L, 11L}) {
    const std::string response = AnswerRequest(*company, ComposeQBXMLRequest(flags, code));
    EXPECT_THAT(response, HasSubstr("<ClassQueryRs requestID=\"1\" statusCode=\"0\""))
        << "code " << code;
  }
}

struct BadRequestCase {
  const char* name;
  std::string text;
};

class StandinBadRequestTest : public ::testing::TestWithParam<BadRequestCase> {};

TEST_P(StandinBadRequestTest, FailsWithTheParsingError) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  try {
    AnswerRequest(*company, GetParam().text);
    FAIL() << "no error";
  } catch (const platform::ComError& e) {
    EXPECT_EQ(e.description(),
              "QuickBooks found an error when parsing the provided XML text stream.");
    EXPECT_EQ(e.number(), kErrXmlParse);
  }
}

INSTANTIATE_TEST_SUITE_P(
    NotQbxml, StandinBadRequestTest,
    ::testing::Values(
        BadRequestCase{"Empty", ""}, BadRequestCase{"PlainText", "hello"},
        BadRequestCase{"Unclosed", "<QBXML><QBXMLMsgsRq><ClassQueryRq></QBXMLMsgsRq></QBXML>"},
        BadRequestCase{"TwoRoots", "<QBXML><QBXMLMsgsRq/></QBXML><QBXML/>"},
        BadRequestCase{"TextAfterRoot", "<QBXML><QBXMLMsgsRq/></QBXML>trailing"},
        BadRequestCase{"TextBeforeRoot", "<?xml version = \"1.0\"?>x<QBXML><QBXMLMsgsRq/></QBXML>"},
        BadRequestCase{"WrongRoot", "<QBXMLX><QBXMLMsgsRq/></QBXMLX>"},
        BadRequestCase{"NoMessageSet", "<QBXML></QBXML>"}),
    [](const ::testing::TestParamInfo<BadRequestCase>& info) {
      return std::string(info.param.name);
    });

// ----------------------------------------------------------------- company files

TEST(StandinCompanyTest, DefaultsForFileNameAndVersions) {
  auto company = ParseCompany(CompanyXml(""), "C:\\Data\\Given Path.QBW");
  EXPECT_EQ(company->settings().file, "C:\\Data\\Given Path.QBW");
  EXPECT_THAT(company->settings().qbxml_versions, ElementsAre("1.0", "1.1", "2.0"));
  EXPECT_TRUE(company->settings().running);
  EXPECT_TRUE(company->settings().has_session);
  EXPECT_TRUE(company->settings().has_versions);
  EXPECT_FALSE(company->settings().empty_response);
  EXPECT_FALSE(company->settings().process_error.has_value());
}

TEST(StandinCompanyTest, RootAttributesSetFileNameAndVersions) {
  auto company = ParseCompany(
      CompanyXml("", " file=\"C:\\Data\\Acme.QBW\" qbxmlVersions=\"1.0, 2.0 ,CA2.0\""), "other");
  EXPECT_EQ(company->settings().file, "C:\\Data\\Acme.QBW");
  EXPECT_THAT(company->settings().qbxml_versions, ElementsAre("1.0", "2.0", "CA2.0"));
}

TEST(StandinCompanyTest, CountsRecordsPerElement) {
  auto company = ParseCompany(CompanyXml("<!-- classes -->\n" + Record("ClassRet", "1") +
                                         Record("ClassRet", "2") + Record("VendorRet", "3")),
                              "c");
  EXPECT_EQ(company->RecordCount("ClassRet"), 2u);
  EXPECT_EQ(company->RecordCount("VendorRet"), 1u);
  EXPECT_EQ(company->RecordCount("BillRet"), 0u);
}

class TempFile {
 public:
  explicit TempFile(const std::string& content) {
    path_ = (std::filesystem::temp_directory_path() /
             ("vantrel_qb_standin_" +
              std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
              std::to_string(reinterpret_cast<uintptr_t>(this)) + ".QBW"))
                .string();
    std::ofstream(path_, std::ios::binary) << content;
  }
  ~TempFile() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(StandinCompanyTest, LoadCompanyUsesThePathAsGivenForTheName) {
  TempFile file(CompanyXml(Record("ClassRet", "1")));
  auto company = LoadCompany(file.path());
  EXPECT_EQ(company->settings().file, file.path());
  EXPECT_EQ(company->RecordCount("ClassRet"), 1u);
}

TEST(StandinCompanyTest, LoadCompanyReportsAMissingFile) {
  const std::string path = "/nonexistent/vantrel/Missing.QBW";
  try {
    LoadCompany(path);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr(path));
    EXPECT_THAT(e.what(), HasSubstr("Cannot open company file"));
  }
}

TEST(StandinCompanyTest, LoadCompanyReportsAFileThatIsNotWellFormed) {
  TempFile file("<QuickBooksCompany><ClassRet></QuickBooksCompany>");
  try {
    LoadCompany(file.path());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr(file.path()));
    EXPECT_THAT(e.what(), HasSubstr("not well-formed"));
  }
}

TEST(StandinCompanyTest, LoadCompanyReportsAWrongRootElement) {
  TempFile file("<QBXML><ClassRet/></QBXML>");
  try {
    LoadCompany(file.path());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("'QBXML'"));
    EXPECT_THAT(e.what(), HasSubstr("QuickBooksCompany"));
  }
}

// ----------------------------------------------------------------- processor

const std::regex kTicketForm("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");

std::shared_ptr<const Company> SmallCompany(const std::string& attributes = "") {
  return ParseCompany(CompanyXml(Record("ClassRet", "C-1"), attributes), "C:\\Data\\Acme.QBW");
}

template <typename F>
std::string ComErrorOf(F&& call) {
  try {
    call();
  } catch (const platform::ComError& e) {
    return e.description().empty() ? "(empty)" : e.description();
  }
  return "";
}

TEST(StandinProcessorTest, NormalRunAndCallLog) {
  StandinProcessor processor(SmallCompany());
  processor.OpenConnection("app-id", "Brindlemark");
  EXPECT_TRUE(processor.connection_open());
  const std::string ticket = processor.BeginSession("", 2);
  EXPECT_TRUE(std::regex_match(ticket, kTicketForm)) << ticket;
  EXPECT_EQ(processor.GetCurrentCompanyFileName(ticket), "C:\\Data\\Acme.QBW");
  auto versions = processor.QBXMLVersionsForSession(ticket);
  ASSERT_TRUE(versions.has_value());
  EXPECT_THAT(*versions, ElementsAre("1.0", "1.1", "2.0"));
  const std::string request = Request(Query("ClassQueryRq", 1));
  EXPECT_THAT(processor.ProcessRequest(ticket, request),
              HasSubstr("<ClassQueryRs requestID=\"1\" statusCode=\"0\""));
  processor.EndSession(ticket);
  processor.CloseConnection();
  EXPECT_FALSE(processor.connection_open());
  EXPECT_THAT(
      processor.calls(),
      ElementsAre(ProcessorCall{"OpenConnection", {"app-id", "Brindlemark"}},
                  ProcessorCall{"BeginSession", {"", "2"}},
                  ProcessorCall{"GetCurrentCompanyFileName", {ticket}},
                  ProcessorCall{"QBXMLVersionsForSession", {ticket}},
                  ProcessorCall{"ProcessRequest", {ticket, request}},
                  ProcessorCall{"EndSession", {ticket}}, ProcessorCall{"CloseConnection", {}}));
}

TEST(StandinProcessorTest, SharedLogOutlivesTheProcessor) {
  auto log = std::make_shared<CallLog>();
  {
    std::unique_ptr<platform::RequestProcessor> processor =
        NewStandinProcessor(SmallCompany(), log);
    processor->OpenConnection("id", "Brindlemark");
    EXPECT_EQ(ComErrorOf([&] { processor->GetCurrentCompanyFileName("{bad}"); }),
              "The ticket parameter is invalid.");
  }
  ASSERT_EQ(log->size(), 2u);
  EXPECT_EQ((*log)[1], (ProcessorCall{"GetCurrentCompanyFileName", {"{bad}"}}));
}

TEST(StandinProcessorTest, EveryOperationNeedsAnOpenConnection) {
  StandinProcessor processor(SmallCompany());
  EXPECT_NE(ComErrorOf([&] { processor.BeginSession("", 2); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.GetCurrentCompanyFileName("t"); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.QBXMLVersionsForSession("t"); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.ProcessRequest("t", "<QBXML/>"); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.EndSession("t"); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.CloseConnection(); }), "");
  EXPECT_EQ(processor.calls().size(), 6u);
}

TEST(StandinProcessorTest, WrongTicketsAreRefused) {
  StandinProcessor processor(SmallCompany());
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  const std::string other = "{00000000-0000-0000-0000-000000000000}";
  EXPECT_EQ(ComErrorOf([&] { processor.GetCurrentCompanyFileName(other); }),
            "The ticket parameter is invalid.");
  EXPECT_NE(ComErrorOf([&] { processor.QBXMLVersionsForSession(""); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.ProcessRequest(other, Request("")); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.EndSession(other); }), "");
  // The real ticket still works, and not after the session ended.
  EXPECT_EQ(ComErrorOf([&] { processor.GetCurrentCompanyFileName(ticket); }), "");
  processor.EndSession(ticket);
  EXPECT_NE(ComErrorOf([&] { processor.GetCurrentCompanyFileName(ticket); }), "");
  EXPECT_NE(ComErrorOf([&] { processor.EndSession(ticket); }), "");
}

TEST(StandinProcessorTest, EndSessionAndCloseAfterCloseFail) {
  StandinProcessor processor(SmallCompany());
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  processor.CloseConnection();
  EXPECT_THAT(ComErrorOf([&] { processor.EndSession(ticket); }), HasSubstr("closed"));
  EXPECT_THAT(ComErrorOf([&] { processor.CloseConnection(); }), HasSubstr("closed"));
}

TEST(StandinProcessorTest, EachSessionGetsItsOwnTicket) {
  StandinProcessor processor(SmallCompany());
  processor.OpenConnection("id", "Brindlemark");
  const std::string first = processor.BeginSession("", 2);
  processor.EndSession(first);
  const std::string second = processor.BeginSession("", 2);
  EXPECT_NE(first, second);
  EXPECT_TRUE(std::regex_match(second, kTicketForm));
}

TEST(StandinProcessorTest, BeginSessionChecksTheNamedCompanyFile) {
  StandinProcessor processor(SmallCompany());
  processor.OpenConnection("id", "Brindlemark");
  EXPECT_NE(ComErrorOf([&] { processor.BeginSession("C:\\Data\\Other.QBW", 2); }), "");
  EXPECT_EQ(ComErrorOf([&] { processor.BeginSession(" c:\\data\\acme.qbw ", 2); }), "");
}

TEST(StandinProcessorTest, NullCompanyMeansQuickBooksIsNotRunning) {
  auto processor = NewStandinProcessor(nullptr);
  try {
    processor->OpenConnection("id", "Brindlemark");
    FAIL() << "no error";
  } catch (const platform::ComError& e) {
    EXPECT_EQ(e.description().substr(0, 28), "If QuickBooks is not running");
    EXPECT_EQ(e.number(), kErrNotRunning);
  }
  EXPECT_NE(ComErrorOf([&] { processor->BeginSession("", 2); }), "");
}

TEST(StandinFaultTest, RunningFalseFailsOpenConnection) {
  StandinProcessor processor(SmallCompany(" running=\"false\""));
  EXPECT_THAT(ComErrorOf([&] { processor.OpenConnection("id", "Brindlemark"); }),
              StartsWith("If QuickBooks is not running"));
  EXPECT_FALSE(processor.connection_open());
}

TEST(StandinFaultTest, SessionNoneGivesAnEmptyTicket) {
  StandinProcessor processor(SmallCompany(" session=\"none\""));
  processor.OpenConnection("id", "Brindlemark");
  EXPECT_EQ(processor.BeginSession("", 2), "");
  // A request sent with the empty ticket fails.
  EXPECT_NE(ComErrorOf([&] { processor.ProcessRequest("", Request(Query("ClassQueryRq", 1))); }),
            "");
  EXPECT_EQ(ComErrorOf([&] { processor.CloseConnection(); }), "");
}

TEST(StandinFaultTest, VersionsNoneGivesNoArray) {
  StandinProcessor processor(SmallCompany(" versions=\"none\""));
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  EXPECT_FALSE(processor.QBXMLVersionsForSession(ticket).has_value());
}

TEST(StandinFaultTest, VersionListComesFromTheCompany) {
  StandinProcessor processor(SmallCompany(" qbxmlVersions=\"1.0,1.1,2.0,UK2.0\""));
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  EXPECT_THAT(processor.QBXMLVersionsForSession(ticket),
              ::testing::Optional(ElementsAre("1.0", "1.1", "2.0", "UK2.0")));
}

TEST(StandinFaultTest, ResponseEmptyGivesAnEmptyText) {
  StandinProcessor processor(SmallCompany(" response=\"empty\""));
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  EXPECT_EQ(processor.ProcessRequest(ticket, Request(Query("ClassQueryRq", 1))), "");
}

TEST(StandinFaultTest, ProcessErrorFailsWithItsText) {
  StandinProcessor processor(SmallCompany(" processError=\"The data file is locked.\""));
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  EXPECT_EQ(
      ComErrorOf([&] { processor.ProcessRequest(ticket, Request(Query("ClassQueryRq", 1))); }),
      "The data file is locked.");
}

TEST(StandinProcessorTest, ProcessRequestRefusesARequestThatIsNotWellFormed) {
  StandinProcessor processor(SmallCompany());
  processor.OpenConnection("id", "Brindlemark");
  const std::string ticket = processor.BeginSession("", 2);
  EXPECT_EQ(ComErrorOf([&] { processor.ProcessRequest(ticket, "<QBXML><QBXMLMsgsRq>"); }),
            "QuickBooks found an error when parsing the provided XML text stream.");
}

// ----------------------------------------------------------------- sample company

const std::vector<std::pair<std::string, std::string>> kSampleKinds = {
    {"CustomerQueryRs", "CustomerRet"},
    {"EmployeeQueryRs", "EmployeeRet"},
    {"VendorQueryRs", "VendorRet"},
    {"StandardTermsQueryRs", "StandardTermsRet"},
    {"AccountQueryRs", "AccountRet"},
    {"ItemServiceQueryRs", "ItemServiceRet"},
    {"ItemNonInventoryQueryRs", "ItemNonInventoryRet"},
    {"ItemOtherChargeQueryRs", "ItemOtherChargeRet"},
    {"PayrollItemWageQueryRs", "PayrollItemWageRet"},
    {"ClassQueryRs", "ClassRet"},
    {"SalesRepQueryRs", "SalesRepRet"},
    {"TimeTrackingQueryRs", "TimeTrackingRet"},
    {"CheckQueryRs", "CheckRet"},
    {"BillQueryRs", "BillRet"},
};

TEST(StandinSampleTest, SampleCompanyLoadsWithDefaults) {
  auto company = LoadCompany(kSamplePath);
  EXPECT_EQ(company->settings().file, kSamplePath);
  EXPECT_THAT(company->settings().qbxml_versions, ElementsAre("1.0", "1.1", "2.0"));
  for (const auto& [rs, record] : kSampleKinds) {
    EXPECT_GE(company->RecordCount(record), 4u) << record;
  }
  EXPECT_GE(company->RecordCount("SalesTaxCodeRet"), 2u);
}

TEST(StandinSampleTest, FullRequestForEveryFlagIsAnsweredWithRecords) {
  auto company = LoadCompany(kSamplePath);
  SelectionFlags flags{true, true, true, true, true, true, true, true, true, true};
  const std::string response = AnswerRequest(*company, ComposeQBXMLRequest(flags, kQbXml20));
  size_t from = 0;
  for (size_t i = 0; i < kSampleKinds.size(); ++i) {
    const auto& [rs, record] = kSampleKinds[i];
    const std::string opening = "<" + rs + " requestID=\"" + std::to_string(i + 1) +
                                "\" statusCode=\"0\" statusSeverity=\"Info\"";
    const size_t at = response.find(opening, from);
    ASSERT_NE(at, std::string::npos) << opening;
    from = at;
    const std::string section = Section(response.substr(at), rs);
    // ActiveStatus All: every record of the kind, inactive ones included.
    EXPECT_EQ(RecordIds(section, record).size(), company->RecordCount(record)) << record;
  }
  // The check and bill queries ask for their lines.
  EXPECT_GT(Count(response, "<ExpenseLineRet>"), 0u);
  EXPECT_GT(Count(response, "<ItemLineRet>"), 0u);
}

TEST(StandinSampleTest, EachFlagAloneIsAnsweredWithItsRequestIds) {
  auto company = LoadCompany(kSamplePath);
  const std::vector<std::pair<bool SelectionFlags::*, std::vector<std::string>>> cases = {
      {&SelectionFlags::blnDoCustomers, {"CustomerQueryRs"}},
      {&SelectionFlags::blnDoEmployees, {"EmployeeQueryRs"}},
      {&SelectionFlags::blnDoVendors, {"VendorQueryRs"}},
      {&SelectionFlags::blnDoPayTerms, {"StandardTermsQueryRs"}},
      {&SelectionFlags::blnDoGLAccounts, {"AccountQueryRs"}},
      {&SelectionFlags::blnDoTasks,
       {"ItemServiceQueryRs", "ItemNonInventoryQueryRs", "ItemOtherChargeQueryRs",
        "PayrollItemWageQueryRs"}},
      {&SelectionFlags::blnDoClasses, {"ClassQueryRs"}},
      {&SelectionFlags::blnDoSalesReps, {"SalesRepQueryRs"}},
      {&SelectionFlags::blnDoTime, {"TimeTrackingQueryRs"}},
      {&SelectionFlags::blnDoExpense, {"CheckQueryRs", "BillQueryRs"}},
  };
  for (const auto& [flag, responses] : cases) {
    SelectionFlags flags;
    flags.*flag = true;
    for (long code : {kQbXml11, kQbXml20, kQbXmlCA20}) {
      const std::string response = AnswerRequest(*company, ComposeQBXMLRequest(flags, code));
      EXPECT_EQ(Count(response, "QueryRs requestID="), responses.size());
      for (size_t i = 0; i < responses.size(); ++i) {
        EXPECT_THAT(response, HasSubstr("<" + responses[i] + " requestID=\"" +
                                        std::to_string(i + 1) + "\" statusCode=\"0\""))
            << responses[i] << " code " << code;
      }
    }
  }
}

TEST(StandinSampleTest, SampleHoldsTheNotableRecords) {
  auto company = LoadCompany(kSamplePath);
  const std::string response = AnswerRequest(
      *company, Request(Query("CustomerQueryRq", 1, "<ActiveStatus>All</ActiveStatus>") +
                        Query("EmployeeQueryRq", 2, "<ActiveStatus>InactiveOnly</ActiveStatus>") +
                        Query("SalesTaxCodeQueryRq", 3, "<ActiveStatus>All</ActiveStatus>") +
                        Query("ItemServiceQueryRq", 4, "<ActiveStatus>All</ActiveStatus>") +
                        Query("TimeTrackingQueryRq", 5) +
                        Query("CheckQueryRq", 6, "<IncludeLineItems>true</IncludeLineItems>")));
  EXPECT_THAT(response, HasSubstr("<Name>O'Neil's Bistro</Name>"));
  EXPECT_THAT(response, HasSubstr("<Name>Müller Bäckerei</Name>"));
  EXPECT_THAT(response, HasSubstr("<FullName>Björk, Zoë:Sunroom</FullName>"));
  EXPECT_THAT(response, HasSubstr("<Sublevel>2</Sublevel>"));
  EXPECT_THAT(response, HasSubstr("<Name>Tom Rivers</Name>"));  // the inactive employee
  EXPECT_THAT(response, HasSubstr("<IsTaxable>true</IsTaxable>"));
  EXPECT_THAT(response, HasSubstr("<PricePercent>10.0</PricePercent>"));
  EXPECT_THAT(response, HasSubstr("<Desc>   </Desc>"));
  EXPECT_THAT(response, HasSubstr("<Duration>PT8H15M</Duration>"));
  EXPECT_THAT(response, HasSubstr("<Notes>Joists | blocking, weather delay</Notes>"));
  EXPECT_THAT(response, HasSubstr("<Amount>-25.00</Amount>"));
  EXPECT_THAT(response,
              HasSubstr("<Name>Pacific Northwest Regional Medical Center Foundation</Name>"));
}

TEST(StandinSampleTest, SampleReferencesPointAtRecordsOfTheFile) {
  std::ifstream in(kSamplePath, std::ios::binary);
  ASSERT_TRUE(in);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::string> ids;
  const std::regex record("<\\w+Ret>\\s*<(?:ListID|TxnID)>([^<]*)</");
  for (std::sregex_iterator it(text.begin(), text.end(), record), end; it != end; ++it) {
    EXPECT_TRUE(ids.insert((*it)[1]).second) << "duplicate " << (*it)[1];
  }
  EXPECT_GT(ids.size(), 150u);
  const std::regex reference("<(\\w+Ref)>\\s*<ListID>([^<]*)</ListID>");
  size_t references = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), reference), end; it != end; ++it) {
    ++references;
    EXPECT_EQ(ids.count((*it)[2]), 1u) << (*it)[1] << " " << (*it)[2];
  }
  EXPECT_GT(references, 200u);
}

TEST(StandinSampleTest, LargeCompanyIsAnsweredCompletely) {
  std::string records;
  constexpr int kCustomers = 20000;
  for (int i = 0; i < kCustomers; ++i) {
    records += Record("CustomerRet", std::to_string(i),
                      "<Name>Customer " + std::to_string(i) + "</Name><IsActive>" +
                          (i % 10 == 0 ? "false" : "true") + "</IsActive>");
  }
  auto company = ParseCompany(CompanyXml(records), "big");
  const std::string all = AnswerRequest(
      *company, Request(Query("CustomerQueryRq", 1, "<ActiveStatus>All</ActiveStatus>")));
  EXPECT_EQ(Count(all, "<CustomerRet>"), static_cast<size_t>(kCustomers));
  const std::string active = AnswerRequest(*company, Request(Query("CustomerQueryRq", 1)));
  EXPECT_EQ(Count(active, "<CustomerRet>"), static_cast<size_t>(kCustomers - kCustomers / 10));
  EXPECT_THAT(all, HasSubstr("<Name>Customer 19999</Name>"));
}

}  // namespace
}  // namespace vantrel::qb
