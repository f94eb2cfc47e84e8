#include "qb_standin/qb_standin.h"

#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "gen/qbxml_gen.h"
#include "platform/com_error.h"
#include "quickbooks/qbxml_request.h"
#include "text_count.h"

namespace vantrel::qb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::vantrel::testing::CountOf;
using Ids = std::vector<std::string>;

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

// The IDs (ListID, TxnID, TxnLineID) and memos in `text`, in order.
Ids IdsIn(const std::string& text) {
  Ids ids;
  const std::regex id("<(?:ListID|TxnID|TxnLineID|Memo)>([^<]*)</");
  for (std::sregex_iterator it(text.begin(), text.end(), id), end; it != end; ++it) {
    ids.push_back((*it)[1]);
  }
  return ids;
}

// The description of the ComError that `call` throws; "" when it throws none.
template <typename F>
std::string ComErrorOf(F&& call) {
  try {
    call();
  } catch (const platform::ComError& e) {
    return e.description().empty() ? "(empty)" : e.description();
  }
  return "";
}

// Throws a ComError of `number` and `description`.
auto ThrowsComError(long number, const std::string& description) {
  return ::testing::Throws<platform::ComError>(
      ::testing::AllOf(::testing::Property(&platform::ComError::number, number),
                       ::testing::Property(&platform::ComError::description, description)));
}

// The record kinds the stand-in knows, in the order of the control's requests
// (the opt-in sales tax codes last).
const std::vector<std::string> kKinds = {
    "Customer",        "Employee",    "Vendor",           "StandardTerms",
    "Account",         "ItemService", "ItemNonInventory", "ItemOtherCharge",
    "PayrollItemWage", "Class",       "SalesRep",         "TimeTracking",
    "Check",           "Bill",        "SalesTaxCode"};

// ----------------------------------------------------------------- answers

// The whole response: its frame, CR LF lines, the records copied as they are,
// one response per request in request order, requestID only where the request
// has one, and the statuses of a query without matches and of an unknown request;
// with stopOnError no request after an unknown one is answered.
TEST(StandinAnswerTest, ResponseTextForEachRequestOfTheMessageSet) {
  const std::string records =
      Record("ClassRet", "C-1",
             "<Name>O'Neil's &amp; M\xC3\xBCller</Name>\n<Desc>   </Desc><Notes>a | b</Notes>") +
      Record("VendorRet", "V-1");
  const std::string queries = Query("VendorQueryRq", 1) + "<ClassQueryRq></ClassQueryRq>\r\n" +
                              Query("InvoiceQueryRq", 3) + Query("EmployeeQueryRq", 4);
  const std::string request = Request(queries);
  auto frame = [](const std::string& vendor, const std::string& klass) {
    return "<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n  <QBXMLMsgsRs>\r\n"
           "    <VendorQueryRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" "
           "statusMessage=\"Status OK\">\r\n" +
           vendor +
           "    </VendorQueryRs>\r\n"
           "    <ClassQueryRs statusCode=\"0\" statusSeverity=\"Info\" "
           "statusMessage=\"Status OK\">\r\n" +
           klass +
           "    </ClassQueryRs>\r\n"
           "    <InvoiceQueryRs requestID=\"3\" statusCode=\"3\" statusSeverity=\"Error\" "
           "statusMessage=\"The request InvoiceQueryRq is not supported by this QuickBooks.\" "
           "/>\r\n"
           "    <EmployeeQueryRs requestID=\"4\" statusCode=\"1\" statusSeverity=\"Info\" "
           "statusMessage=\"A query request did not find a matching object in QuickBooks\" "
           "/>\r\n"
           "  </QBXMLMsgsRs>\r\n</QBXML>\r\n";
  };
  // A plain company file: each record copied as the file holds it, its line
  // feeds made CR LF.
  const auto plain = ParseCompany(CompanyXml(records), "c");
  const std::string whole =
      frame("      <VendorRet><ListID>V-1</ListID></VendorRet>\r\n",
            "      <ClassRet><ListID>C-1</ListID><Name>O'Neil's &amp; M\xC3\xBCller</Name>"
            "\r\n<Desc>   </Desc><Notes>a | b</Notes></ClassRet>\r\n");
  EXPECT_EQ(AnswerRequest(*plain, request), whole);
  EXPECT_EQ(
      AnswerRequest(*plain, Request(queries, "stopOnError")),
      whole.substr(0, whole.find("    <EmployeeQueryRs")) + "  </QBXMLMsgsRs>\r\n</QBXML>\r\n");
  // One with a document type is parsed whole, and its records are printed.
  std::string typed = CompanyXml(records);
  typed.insert(typed.find("<QuickBooksCompany"), "<!DOCTYPE QuickBooksCompany>\n");
  EXPECT_EQ(AnswerRequest(*ParseCompany(typed, "c"), request),
            frame("      <VendorRet>\r\n        <ListID>V-1</ListID>\r\n      </VendorRet>\r\n",
                  "      <ClassRet>\r\n        <ListID>C-1</ListID>\r\n"
                  "        <Name>O'Neil's &amp; M\xC3\xBCller</Name>\r\n        <Desc>   "
                  "</Desc>\r\n        <Notes>a | b</Notes>\r\n      </ClassRet>\r\n"));
}

// ----------------------------------------------------------------- filters

struct FilterCase {
  const char* query;
  const char* content;
  Ids ids;  // the IDs and memos of the answer; none: status 1
};

TEST(StandinAnswerTest, ActiveStatusAndIncludeLineItemsFilterTheAnswer) {
  const std::string lines =
      "<ExpenseLineRet><TxnLineID>L-1</TxnLineID></ExpenseLineRet>"
      "<ItemLineRet><TxnLineID>L-2</TxnLineID></ItemLineRet><Memo>after</Memo>";
  auto company = ParseCompany(
      CompanyXml(Record("CustomerRet", "on", "<IsActive>true</IsActive>") +
                 Record("CustomerRet", "off", "<IsActive>false</IsActive>") +
                 Record("CustomerRet", "none") +  // no IsActive: active
                 Record("CustomerRet", "zero", "<IsActive>0</IsActive>") +
                 Record("CustomerRet", "one", "<IsActive>1</IsActive>") +
                 Record("VendorRet", "off", "<IsActive>false</IsActive>") +
                 "<TimeTrackingRet><TxnID>T-1</TxnID></TimeTrackingRet>\n"
                 "<CheckRet><TxnID>C-1</TxnID>" +
                 lines + "</CheckRet>\n<BillRet><TxnID>B-1</TxnID>" + lines + "</BillRet>\n"),
      "c");
  const FilterCase cases[] = {
      {"CustomerQueryRq", "<ActiveStatus>All</ActiveStatus>", {"on", "off", "none", "zero", "one"}},
      {"CustomerQueryRq", "<ActiveStatus>ActiveOnly</ActiveStatus>", {"on", "none", "one"}},
      {"CustomerQueryRq", "<ActiveStatus>InactiveOnly</ActiveStatus>", {"off", "zero"}},
      {"CustomerQueryRq", "", {"on", "none", "one"}},
      {"VendorQueryRq", "", {}},
      {"TimeTrackingQueryRq", "<ActiveStatus>InactiveOnly</ActiveStatus>", {"T-1"}},
      {"CheckQueryRq", "<IncludeLineItems>true</IncludeLineItems>", {"C-1", "L-1", "L-2", "after"}},
      {"CheckQueryRq", "", {"C-1", "after"}},
      {"BillQueryRq", "<IncludeLineItems>false</IncludeLineItems>", {"B-1", "after"}},
      {"BillQueryRq", "<IncludeLineItems>true</IncludeLineItems>", {"B-1", "L-1", "L-2", "after"}},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(std::string(c.query) + " " + c.content);
    const std::string response = AnswerRequest(*company, Request(Query(c.query, 1, c.content)));
    EXPECT_EQ(IdsIn(response), c.ids);
    EXPECT_THAT(response, HasSubstr(c.ids.empty() ? "statusCode=\"1\"" : "statusCode=\"0\""));
  }
}

// ----------------------------------------------------------------- refusals

TEST(StandinAnswerTest, TextThatIsNotAQbxmlRequestFailsWithTheParsingError) {
  auto company = ParseCompany(CompanyXml(Record("ClassRet", "C-1")), "c");
  for (const std::string text :
       {"", "hello", "<QBXML><QBXMLMsgsRq><ClassQueryRq></QBXMLMsgsRq></QBXML>",
        "<QBXML><QBXMLMsgsRq/></QBXML><QBXML/>", "<QBXML><QBXMLMsgsRq/></QBXML>trailing",
        "<?xml version = \"1.0\"?>x<QBXML><QBXMLMsgsRq/></QBXML>",
        "<QBXMLX><QBXMLMsgsRq/></QBXMLX>", "<QBXML></QBXML>"}) {
    EXPECT_THAT([&] { AnswerRequest(*company, text); },
                ThrowsComError(kErrXmlParse,
                               "QuickBooks found an error when parsing the provided XML text "
                               "stream."))
        << text;
  }
}

// ----------------------------------------------------------------- company files

// The root's attributes give the settings, or the defaults without them (the
// switches' defaults run every whole run of the sample); a generated company
// file holds the generated records under its name.
TEST(StandinCompanyTest, RootAttributesOrDefaultsGiveTheSettings) {
  auto plain = ParseCompany(CompanyXml("<!-- classes -->\n" + Record("ClassRet", "1") +
                                       Record("ClassRet", "2") + Record("VendorRet", "3")),
                            "C:\\Data\\Given Path.QBW");
  EXPECT_EQ(plain->settings().file, "C:\\Data\\Given Path.QBW");
  EXPECT_THAT(plain->settings().qbxml_versions, ElementsAre("1.0", "1.1", "2.0"));
  EXPECT_EQ(plain->RecordCount("ClassRet"), 2u);
  EXPECT_EQ(plain->RecordCount("BillRet"), 0u);

  auto named = ParseCompany(
      CompanyXml("", " file=\"C:\\Data\\Acme.QBW\" qbxmlVersions=\"1.0, 2.0 ,CA2.0\""), "other");
  EXPECT_EQ(named->settings().file, "C:\\Data\\Acme.QBW");
  EXPECT_THAT(named->settings().qbxml_versions, ElementsAre("1.0", "2.0", "CA2.0"));

  gen::GenOptions options;
  options.classes = 3;
  options.customers = 2;
  options.jobs_per_customer = 2;
  options.checks = 1;
  auto generated = ParseCompany(gen::GenerateCompany(options, "C:\\Data\\Gen & Co.QBW"), "x");
  EXPECT_EQ(generated->settings().file, "C:\\Data\\Gen & Co.QBW");
  EXPECT_EQ(generated->RecordCount("ClassRet"), 3u);
  EXPECT_EQ(generated->RecordCount("CustomerRet"), 6u);
  EXPECT_EQ(generated->RecordCount("CheckRet"), 1u);
  EXPECT_EQ(ParseCompany(gen::GenerateCompany(options, ""), "given")->settings().file, "given");
}

// A file that is no company file is refused by its name.
TEST(StandinCompanyTest, LoadCompanyRefusesAFileItCannotUseAndNamesIt) {
  using ::testing::ThrowsMessage;
  // (A missing file: see the command line's usage errors.)
  const std::string schema = std::string(VANTREL_SOURCE_DIR) + "/samples/qbxml-mini.xsd";
  EXPECT_THAT([&] { LoadCompany(schema); },
              ThrowsMessage<std::runtime_error>(
                  "Company file '" + schema +
                  "' has the root element 'xs:schema'; expected 'QuickBooksCompany'"));
  EXPECT_THAT([] { ParseCompany("<QuickBooksCompany><ClassRet></QuickBooksCompany>", "B"); },
              ThrowsMessage<std::runtime_error>(
                  ::testing::StartsWith("Company file 'B' is not well-formed XML: ")));
}

// ----------------------------------------------------------------- processor

const std::regex kTicketForm("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");

std::shared_ptr<const Company> SmallCompany(const std::string& attributes = "") {
  return ParseCompany(CompanyXml(Record("ClassRet", "C-1"), attributes), "C:\\Data\\Acme.QBW");
}

// A processor with an open connection and a begun session.
struct Session {
  explicit Session(const std::string& attributes = "") : processor(SmallCompany(attributes)) {
    processor.OpenConnection("id", "Brindlemark");
    ticket = processor.BeginSession("", 2);
  }
  StandinProcessor processor;
  std::string ticket;
};

TEST(StandinProcessorTest, NormalRunIsLoggedInASharedLogThatOutlivesTheProcessor) {
  auto log = std::make_shared<CallLog>();
  const std::string request = Request(Query("ClassQueryRq", 1));
  std::string ticket;
  {
    std::unique_ptr<platform::RequestProcessor> processor =
        NewStandinProcessor(SmallCompany(" qbxmlVersions=\"1.0,1.1,2.0,UK2.0\""), log);
    processor->OpenConnection("app-id", "Brindlemark");
    ticket = processor->BeginSession("", 2);
    EXPECT_TRUE(std::regex_match(ticket, kTicketForm)) << ticket;
    EXPECT_EQ(processor->GetCurrentCompanyFileName(ticket), "C:\\Data\\Acme.QBW");
    EXPECT_THAT(processor->QBXMLVersionsForSession(ticket),
                ::testing::Optional(ElementsAre("1.0", "1.1", "2.0", "UK2.0")));
    EXPECT_EQ(processor->ProcessRequest(ticket, request), AnswerRequest(*SmallCompany(), request));
    processor->EndSession(ticket);
    const std::string second = processor->BeginSession("", 2);
    EXPECT_NE(second, ticket);
    EXPECT_TRUE(std::regex_match(second, kTicketForm)) << second;
    processor->CloseConnection();
  }
  EXPECT_THAT(*log, ElementsAre(ProcessorCall{"OpenConnection", {"app-id", "Brindlemark"}},
                                ProcessorCall{"BeginSession", {"", "2"}},
                                ProcessorCall{"GetCurrentCompanyFileName", {ticket}},
                                ProcessorCall{"QBXMLVersionsForSession", {ticket}},
                                ProcessorCall{"ProcessRequest", {ticket, request}},
                                ProcessorCall{"EndSession", {ticket}},
                                ProcessorCall{"BeginSession", {"", "2"}},
                                ProcessorCall{"CloseConnection", {}}));
}

TEST(StandinProcessorTest, CallsOutOfTurnAreRefused) {
  StandinProcessor closed(SmallCompany());
  for (const auto& call : std::vector<std::function<void()>>{
           [&] { closed.BeginSession("", 2); }, [&] { closed.GetCurrentCompanyFileName("t"); },
           [&] { closed.QBXMLVersionsForSession("t"); },
           [&] { closed.ProcessRequest("t", "<QBXML/>"); }, [&] { closed.EndSession("t"); },
           [&] { closed.CloseConnection(); }}) {
    EXPECT_THAT(ComErrorOf(call), HasSubstr("OpenConnection must be called"));
  }
  EXPECT_EQ(closed.calls().size(), 6u);

  Session s;
  StandinProcessor& p = s.processor;
  const std::string other = "{00000000-0000-0000-0000-000000000000}";
  EXPECT_EQ(ComErrorOf([&] { p.GetCurrentCompanyFileName(other); }),
            "The ticket parameter is invalid.");
  EXPECT_NE(ComErrorOf([&] { p.QBXMLVersionsForSession(""); }), "");
  EXPECT_NE(ComErrorOf([&] { p.ProcessRequest(other, Request("")); }), "");
  EXPECT_NE(ComErrorOf([&] { p.EndSession(other); }), "");
  EXPECT_EQ(ComErrorOf([&] { p.ProcessRequest(s.ticket, "<QBXML><QBXMLMsgsRq>"); }),
            std::string(kXmlParseMessage));
  // The real ticket (see the normal run) works until its session ends.
  p.EndSession(s.ticket);
  EXPECT_NE(ComErrorOf([&] { p.GetCurrentCompanyFileName(s.ticket); }), "");
  EXPECT_NE(ComErrorOf([&] { p.EndSession(s.ticket); }), "");

  // A company file other than the open one; the open one, case and blanks aside.
  EXPECT_NE(ComErrorOf([&] { p.BeginSession("C:\\Data\\Other.QBW", 2); }), "");
  const std::string again = p.BeginSession(" c:\\data\\acme.qbw ", 2);
  p.CloseConnection();
  EXPECT_THAT(ComErrorOf([&] { p.EndSession(again); }), HasSubstr("closed"));
  EXPECT_THAT(ComErrorOf([&] { p.CloseConnection(); }), HasSubstr("closed"));
}

TEST(StandinFaultTest, NoCompanyAndRootSwitchesChangeTheirOperation) {
  // QuickBooks is not running: no company at all, or one whose root says so.
  StandinProcessor none(nullptr);
  StandinProcessor stopped(SmallCompany(" running=\"false\""));
  for (StandinProcessor* p : {&none, &stopped}) {
    EXPECT_THAT([&] { p->OpenConnection("id", "Brindlemark"); },
                ThrowsComError(kErrNotRunning, std::string(kNotRunningMessage)));
    EXPECT_NE(ComErrorOf([&] { p->BeginSession("", 2); }), "");
  }

  // The switches of the answer (session, response, processError) are tested
  // by the whole runs of the fault matrix; the versions here, and a switch's
  // value in any letter case.
  Session no_versions(" versions=\"none\"");
  EXPECT_FALSE(no_versions.processor.QBXMLVersionsForSession(no_versions.ticket).has_value());
  EXPECT_EQ(SmallCompany(" response=\"Garbled\"")->settings().response,
            CompanySettings::Response::kGarbled);

  // A processor of a one-run host lets go of the company after answering; the
  // run still ends its session and closes, and nothing later finds a company.
  const std::string request = Request(Query("ClassQueryRq", 1));
  auto held = SmallCompany();
  const std::weak_ptr<const Company> company = held;
  StandinProcessor once(std::move(held));
  once.OpenConnection("id", "Brindlemark");
  const std::string ticket = once.BeginSession("", 2);
  once.set_release_after_answer(true);
  EXPECT_NE(once.ProcessRequest(ticket, request), "");
  EXPECT_TRUE(company.expired());
  EXPECT_THAT(ComErrorOf([&] { once.ProcessRequest(ticket, request); }),
              HasSubstr("the company file was closed after the run's request"));
  EXPECT_EQ(ComErrorOf([&] { once.EndSession(ticket); }), "");
  EXPECT_EQ(ComErrorOf([&] { once.CloseConnection(); }), "");
}

// ----------------------------------------------------------------- sample company

// Each composed request, whatever its version's prefix, is answered query by
// query with every record of its kind; the check and bill queries with their
// lines.
TEST(StandinSampleTest, EveryComposedRequestIsAnsweredWithAllRecordsOfEachKind) {
  auto company = LoadCompany(std::string(VANTREL_SOURCE_DIR) + "/samples/Acme.QBW");
  const SelectionFlags all{true, true, true, true, true, true, true, true, true, true, true};
  for (long code : {0L, 1L, 2L, 6L, 7L, 8L, 9L, 10L, 11L}) {
    SCOPED_TRACE(code);
    const std::string response = AnswerRequest(*company, ComposeQBXMLRequest(all, code));
    size_t from = 0;
    for (size_t i = 0; i < kKinds.size(); ++i) {
      const std::string& kind = kKinds[i];
      const std::string opening =
          "<" + kind + "QueryRs requestID=\"" + std::to_string(i + 1) + "\" statusCode=\"0\"";
      const size_t at = response.find(opening, from);
      ASSERT_NE(at, std::string::npos) << opening;
      from = response.find("</" + kind + "QueryRs>", at);
      ASSERT_NE(from, std::string::npos) << opening;
      // ActiveStatus All: every record of the kind, inactive ones included.
      const long records = CountOf(response.substr(at, from - at), "<" + kind + "Ret>");
      EXPECT_EQ(records, static_cast<long>(company->RecordCount(kind + "Ret"))) << kind;
      EXPECT_GE(records, 3) << kind;
    }
    EXPECT_GT(CountOf(response, "<ExpenseLineRet>"), 0);
    EXPECT_GT(CountOf(response, "<ItemLineRet>"), 0);
  }
}

}  // namespace
}  // namespace vantrel::qb
