#include "request_lines.h"

#include <string>

#include "common/request_text.h"

namespace vantrel::cli {

platform::RequestLogHooks PrintingHooks(std::FILE* verbose, const platform::RequestLog& log) {
  platform::RequestLogHooks hooks;
  if (verbose != nullptr) {
    hooks.sent = [verbose](const platform::LoggedRequest& request) {
      std::fprintf(verbose, "%s\n", host::SentLine(request).c_str());
      std::fflush(verbose);
    };
    hooks.completed = [verbose, &log](const platform::LoggedRequest& request) {
      std::fprintf(verbose, "%s\n", host::ReplyLine(request, log).c_str());
      std::fflush(verbose);
    };
  }
  hooks.retrying = [&log](const platform::LoggedRequest& request,
                          const platform::TransferFailure& failure,
                          std::chrono::milliseconds wait) {
    std::fprintf(stderr, "note: %s\n",
                 host::RetryNote(request, failure, wait, log.options().retries).c_str());
  };
  hooks.file_failed = [](const std::string& path) {
    std::fprintf(stderr, "vantrel sync: cannot write '%s'\n", path.c_str());
  };
  return hooks;
}

}  // namespace vantrel::cli
