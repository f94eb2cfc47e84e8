// The QuickBooks request processor: the seven operations the control calls.
#ifndef VANTREL_PLATFORM_REQUEST_PROCESSOR_H_
#define VANTREL_PLATFORM_REQUEST_PROCESSOR_H_

#include <optional>
#include <string>
#include <vector>

namespace vantrel::platform {

// Every operation throws ComError with a description on failure.
class RequestProcessor {
 public:
  virtual ~RequestProcessor() = default;
  virtual void OpenConnection(const std::string& app_id, const std::string& app_name) = 0;
  // Returns the session ticket; empty when no session could be begun.
  virtual std::string BeginSession(const std::string& company_file, int file_mode) = 0;
  // The full path of the company file open in QuickBooks.
  virtual std::string GetCurrentCompanyFileName(const std::string& ticket) = 0;
  // The qbXML versions the session accepts; nullopt when the result is not an array.
  virtual std::optional<std::vector<std::string>> QBXMLVersionsForSession(
      const std::string& ticket) = 0;
  // The qbXML response to `request`.
  virtual std::string ProcessRequest(const std::string& ticket, const std::string& request) = 0;
  virtual void EndSession(const std::string& ticket) = 0;
  virtual void CloseConnection() = 0;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_REQUEST_PROCESSOR_H_
