// The stand-in request processor: connection, session and call log.
#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

#include "platform/com_error.h"
#include "platform/text_util.h"
#include "qb_standin/qb_standin.h"

namespace vantrel::qb {

namespace {

constexpr const char* kErrorSource = "QBXMLRP2.RequestProcessor";

[[noreturn]] void Fail(long number, std::string description) {
  throw platform::ComError(number, std::move(description), kErrorSource);
}

std::string NewTicket() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const unsigned long long high = random();
  const unsigned long long low = random();
  char text[40];
  std::snprintf(text, sizeof text, "{%08llX-%04llX-%04llX-%04llX-%012llX}", high >> 32,
                (high >> 16) & 0xFFFF, high & 0xFFFF, low >> 48, low & 0xFFFFFFFFFFFFull);
  return text;
}

}  // namespace

StandinProcessor::StandinProcessor(std::shared_ptr<const Company> company,
                                   std::shared_ptr<CallLog> log)
    : company_(std::move(company)), log_(log ? std::move(log) : std::make_shared<CallLog>()) {}

void StandinProcessor::Log(std::string operation, std::vector<std::string> args) {
  log_->push_back(ProcessorCall{std::move(operation), std::move(args)});
}

void StandinProcessor::RequireCompany(const char* operation) const {
  if (!company_) {
    Fail(kErrNoConnection,
         std::string(operation) + ": the company file was closed after the run's request.");
  }
}

void StandinProcessor::RequireConnection(const char* operation) const {
  if (connection_open_) return;
  if (was_closed_) {
    Fail(kErrNoConnection,
         std::string(operation) + ": the connection to QuickBooks has been closed.");
  }
  Fail(kErrNoConnection,
       std::string(operation) + ": OpenConnection must be called before this operation.");
}

void StandinProcessor::RequireTicket(const std::string& ticket) const {
  if (ticket.empty() || ticket != ticket_) Fail(kErrBadTicket, "The ticket parameter is invalid.");
}

void StandinProcessor::OpenConnection(const std::string& app_id, const std::string& app_name) {
  Log("OpenConnection", {app_id, app_name});
  if (!company_ || !company_->settings().running) {
    Fail(kErrNotRunning, std::string(kNotRunningMessage));
  }
  if (connection_open_) Fail(kErrProcess, "The connection to QuickBooks is already open.");
  connection_open_ = true;
  was_closed_ = false;
}

std::string StandinProcessor::BeginSession(const std::string& company_file, int file_mode) {
  Log("BeginSession", {company_file, std::to_string(file_mode)});
  RequireConnection("BeginSession");
  RequireCompany("BeginSession");
  if (!ticket_.empty()) Fail(kErrProcess, "A session with QuickBooks has already begun.");
  if (file_mode < 0 || file_mode > 2) Fail(kErrProcess, "The file mode parameter is invalid.");
  if (!company_file.empty() &&
      platform::ToUpperAscii(platform::TrimSpaces(company_file)) !=
          platform::ToUpperAscii(platform::TrimSpaces(company_->settings().file))) {
    Fail(kErrWrongFile,
         "A QuickBooks company data file is already open and it is different from the one "
         "requested.");
  }
  if (!company_->settings().has_session) return "";
  ticket_ = NewTicket();
  return ticket_;
}

std::string StandinProcessor::GetCurrentCompanyFileName(const std::string& ticket) {
  Log("GetCurrentCompanyFileName", {ticket});
  RequireConnection("GetCurrentCompanyFileName");
  RequireCompany("GetCurrentCompanyFileName");
  RequireTicket(ticket);
  return company_->settings().file;
}

std::optional<std::vector<std::string>> StandinProcessor::QBXMLVersionsForSession(
    const std::string& ticket) {
  Log("QBXMLVersionsForSession", {ticket});
  RequireConnection("QBXMLVersionsForSession");
  RequireCompany("QBXMLVersionsForSession");
  RequireTicket(ticket);
  if (!company_->settings().has_versions) return std::nullopt;
  return company_->settings().qbxml_versions;
}

std::string StandinProcessor::ProcessRequest(const std::string& ticket,
                                             const std::string& request) {
  Log("ProcessRequest", {ticket, request});
  RequireConnection("ProcessRequest");
  RequireCompany("ProcessRequest");
  RequireTicket(ticket);
  const CompanySettings& settings = company_->settings();
  if (settings.process_error) Fail(kErrProcess, *settings.process_error);
  std::string answer;
  switch (settings.response) {
    case CompanySettings::Response::kWhole:
      answer = AnswerRequest(*company_, request);
      break;
    case CompanySettings::Response::kEmpty:
      break;
    case CompanySettings::Response::kGarbled: {
      answer = AnswerRequest(*company_, request);
      const std::size_t end = answer.rfind("</QBXMLMsgsRs>");
      if (end != std::string::npos) answer.replace(end, 14, "</QBXMLMsgsRS>");
      break;
    }
    case CompanySettings::Response::kTruncated:
      answer = AnswerRequest(*company_, request);
      answer.resize(answer.size() / 2);
      break;
  }
  if (release_after_answer_) company_.reset();
  return answer;
}

void StandinProcessor::EndSession(const std::string& ticket) {
  Log("EndSession", {ticket});
  RequireConnection("EndSession");
  RequireTicket(ticket);
  ticket_.clear();
}

void StandinProcessor::CloseConnection() {
  Log("CloseConnection", {});
  RequireConnection("CloseConnection");
  connection_open_ = false;
  was_closed_ = true;
  ticket_.clear();
}

std::unique_ptr<platform::RequestProcessor> NewStandinProcessor(
    std::shared_ptr<const Company> company, std::shared_ptr<CallLog> log) {
  return std::make_unique<StandinProcessor>(std::move(company), std::move(log));
}

}  // namespace vantrel::qb
