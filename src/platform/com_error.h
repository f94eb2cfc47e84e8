// Run-time errors of the platform stand-ins.
#ifndef VANTREL_PLATFORM_COM_ERROR_H_
#define VANTREL_PLATFORM_COM_ERROR_H_

#include <stdexcept>
#include <string>

namespace vantrel::platform {

// A run-time error as the host platform reports it: an error number, a
// description and the name of the object that raised it. Platform operations
// throw it; the callers above the platform catch it where the system traps
// errors and read the three parts.
class ComError : public std::runtime_error {
 public:
  ComError(long number, std::string description, std::string source = "Vantrel")
      : std::runtime_error(description),
        number_(number),
        description_(std::move(description)),
        source_(std::move(source)) {}

  long number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& source() const { return source_; }

 private:
  long number_;
  std::string description_;
  std::string source_;
};

// Error numbers of the conversions and calls that the platform raises.
inline constexpr long kErrTypeMismatch = 13;
inline constexpr long kErrFileNotFound = 53;
inline constexpr long kErrBadFileName = 52;
inline constexpr long kErrObjectRequired = 424;
inline constexpr long kErrAutomation = 440;

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_COM_ERROR_H_
