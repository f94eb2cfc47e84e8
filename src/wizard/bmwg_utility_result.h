// The result of every request to the server.
#ifndef VANTREL_WIZARD_BMWG_UTILITY_RESULT_H_
#define VANTREL_WIZARD_BMWG_UTILITY_RESULT_H_

#include <cstdint>

namespace vantrel {

enum BMWGUtilityResult : std::int32_t {
  wgurSuccess = 0,             // the server page replied with a text beginning with SUCCESS
  wgurAspFailed = 1,           // the server page replied with any other text
  wgurNoDataToUpload = 2,      // the server replied exactly "No data to upload. "
  wgurProcessInterrupted = 3,  // the user cancelled the transfer
  wgurSystemError = 4,         // a run-time error occurred while sending
  wgurUnknownError = 5,        // an unknown failure
};

}  // namespace vantrel

#endif  // VANTREL_WIZARD_BMWG_UTILITY_RESULT_H_
