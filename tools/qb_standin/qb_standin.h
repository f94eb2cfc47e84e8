// A stand-in for QuickBooks with one company file open: it answers real qbXML
// requests from a company file that holds qbXML records, and plays the request
// processor the control talks to.
//
// Company file format (XML, UTF-8):
//
//   <?xml version="1.0" encoding="utf-8"?>
//   <QuickBooksCompany file="C:\Data\Acme.QBW" qbxmlVersions="1.0,1.1,2.0">
//     <CustomerRet>...</CustomerRet>
//     <ClassRet>...</ClassRet>
//     ... any qbXML *Ret elements, in list order
//   </QuickBooksCompany>
//
// Attributes of the root element:
//   file           the name GetCurrentCompanyFileName returns (default: the
//                  company file's path as it was given to LoadCompany)
//   qbxmlVersions  the comma-separated list QBXMLVersionsForSession returns
//                  (default "1.0,1.1,2.0")
// Fault switches, also attributes of the root element:
//   running="false"     OpenConnection fails: QuickBooks is not running
//   session="none"      BeginSession returns an empty ticket
//   versions="none"     QBXMLVersionsForSession returns no array
//   response="empty"    ProcessRequest returns ""
//   response="garbled"  ProcessRequest returns the answer with its closing
//                       </QBXMLMsgsRs> misspelt, so it is not well-formed
//   response="truncated" ProcessRequest returns the first half of the answer
//   processError="TEXT" ProcessRequest fails with the description TEXT
#ifndef VANTREL_QB_STANDIN_QB_STANDIN_H_
#define VANTREL_QB_STANDIN_QB_STANDIN_H_

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/request_processor.h"

namespace vantrel::qb {

// Error numbers the stand-in raises, as the QuickBooks SDK reports them.
inline constexpr long kErrXmlParse = static_cast<long>(static_cast<int>(0x80040400u));
inline constexpr long kErrNotRunning = static_cast<long>(static_cast<int>(0x80040408u));
inline constexpr long kErrBadTicket = static_cast<long>(static_cast<int>(0x80040403u));
inline constexpr long kErrNoConnection = static_cast<long>(static_cast<int>(0x80040404u));
inline constexpr long kErrWrongFile = static_cast<long>(static_cast<int>(0x80040410u));
inline constexpr long kErrProcess = static_cast<long>(static_cast<int>(0x80040401u));

// Description of a request that is not well-formed qbXML.
inline constexpr std::string_view kXmlParseMessage =
    "QuickBooks found an error when parsing the provided XML text stream.";
// Description of OpenConnection when QuickBooks is not running.
inline constexpr std::string_view kNotRunningMessage =
    "If QuickBooks is not running, start QuickBooks and open a company file, then try again.";

// The settings of a company file's root element.
struct CompanySettings {
  std::string file;                         // GetCurrentCompanyFileName
  std::vector<std::string> qbxml_versions;  // QBXMLVersionsForSession
  bool running = true;                      // running="false" clears it
  bool has_session = true;                  // session="none" clears it
  bool has_versions = true;                 // versions="none" clears it
  enum class Response { kWhole, kEmpty, kGarbled, kTruncated };
  Response response = Response::kWhole;      // response="empty|garbled|truncated"
  std::optional<std::string> process_error;  // processError="TEXT"
};

// A loaded company file. Immutable once loaded; safe to share between
// processors and threads.
class Company {
 public:
  ~Company();
  Company(const Company&) = delete;
  Company& operator=(const Company&) = delete;

  const CompanySettings& settings() const { return settings_; }
  // The number of records named `ret_element` ("CustomerRet", ...).
  std::size_t RecordCount(std::string_view ret_element) const;

  // The parsed file; opaque outside the stand-in.
  struct Impl;
  const Impl& impl() const { return *impl_; }

 private:
  friend std::shared_ptr<const Company> ParseCompany(std::string_view, std::string);
  friend std::shared_ptr<const Company> LoadCompany(const std::string&);
  Company();

  CompanySettings settings_;
  std::unique_ptr<Impl> impl_;
};

// Loads the company file at `path`. Throws std::runtime_error naming the file
// when it cannot be read, is not well-formed XML, or its root element is not
// QuickBooksCompany.
std::shared_ptr<const Company> LoadCompany(const std::string& path);

// Parses a company file's text; `path_for_default_name` is the file name used
// when the root has no `file` attribute. Throws std::runtime_error as
// LoadCompany does.
std::shared_ptr<const Company> ParseCompany(std::string_view xml_text,
                                            std::string path_for_default_name);

// The qbXML response to `request_text`: one response element per request of
// the message set, in order, each holding copies of the company's matching
// records in file order (an XxxQueryRq answers with the XxxRet records).
// List queries honour ActiveStatus (ActiveOnly when absent); Check and Bill
// queries leave their line elements out unless IncludeLineItems is "true".
// A query without matches has statusCode 1; a request the stand-in does not
// know has statusCode 3. With onError="stopOnError" the requests after an
// error are not answered. Lines end with CR LF.
// Throws platform::ComError(kErrXmlParse, kXmlParseMessage) when the request is
// not well-formed qbXML.
std::string AnswerRequest(const Company& company, std::string_view request_text);

// One call made on a StandinProcessor: the operation's name and its arguments
// as text (numbers in decimal).
struct ProcessorCall {
  std::string operation;
  std::vector<std::string> args;
  friend bool operator==(const ProcessorCall&, const ProcessorCall&) = default;
};

using CallLog = std::vector<ProcessorCall>;

// The request processor of a QuickBooks that has `company` open (a null
// company: QuickBooks is not running). Every operation but OpenConnection
// needs an open connection; ticket arguments must be the ticket of the session
// begun and not yet ended. Failures throw platform::ComError.
class StandinProcessor : public platform::RequestProcessor {
 public:
  // Calls are appended to `log`, which may be shared with the test that made
  // the processor so that it survives the processor; a fresh log when null.
  explicit StandinProcessor(std::shared_ptr<const Company> company,
                            std::shared_ptr<CallLog> log = nullptr);

  void OpenConnection(const std::string& app_id, const std::string& app_name) override;
  // A ticket of the form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; empty with
  // the session="none" fault. `company_file` must be empty or name the open
  // company file (letter case aside).
  std::string BeginSession(const std::string& company_file, int file_mode) override;
  std::string GetCurrentCompanyFileName(const std::string& ticket) override;
  std::optional<std::vector<std::string>> QBXMLVersionsForSession(
      const std::string& ticket) override;
  std::string ProcessRequest(const std::string& ticket, const std::string& request) override;
  void EndSession(const std::string& ticket) override;
  void CloseConnection() override;

  // When set, the processor lets go of the company once it has answered a
  // request: a host that makes one run frees the company's memory while the
  // run goes on. Later BeginSession and queries then find no company.
  void set_release_after_answer(bool release) { release_after_answer_ = release; }

  const CallLog& calls() const { return *log_; }
  std::shared_ptr<CallLog> shared_calls() const { return log_; }
  bool connection_open() const { return connection_open_; }
  // The ticket of the current session; empty when none.
  const std::string& ticket() const { return ticket_; }

 private:
  void Log(std::string operation, std::vector<std::string> args);
  void RequireConnection(const char* operation) const;
  void RequireCompany(const char* operation) const;
  void RequireTicket(const std::string& ticket) const;

  std::shared_ptr<const Company> company_;
  bool release_after_answer_ = false;
  std::shared_ptr<CallLog> log_;
  bool connection_open_ = false;
  bool was_closed_ = false;
  std::string ticket_;
};

// A new StandinProcessor for `company` (null: QuickBooks is not running).
std::unique_ptr<platform::RequestProcessor> NewStandinProcessor(
    std::shared_ptr<const Company> company, std::shared_ptr<CallLog> log = nullptr);

}  // namespace vantrel::qb

#endif  // VANTREL_QB_STANDIN_QB_STANDIN_H_
