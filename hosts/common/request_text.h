// How the hosts write the run's requests as they go: a line for each request
// sent and for its reply, and a note before one is sent again. The command
// line prints them (-v), the desktop wizard shows them in its log.
#ifndef VANTREL_HOSTS_COMMON_REQUEST_TEXT_H_
#define VANTREL_HOSTS_COMMON_REQUEST_TEXT_H_

#include <chrono>
#include <string>

#include "platform/request_log.h"

namespace vantrel::host {

// "> POST ADDRESS (N bytes)" ("GET" for a status update); the address as
// the log keeps it, the site key masked.
std::string SentLine(const platform::LoggedRequest& request);

// "< WHAT (N ms)": the reply's first 200 characters on one line in quotes,
// the failure (after "Action cancelled: " unless the reply had no page), or
// "no readable document"; the site key masked with `log`.
std::string ReplyLine(const platform::LoggedRequest& request, const platform::RequestLog& log);

// "the upload C failed (REASON); sending it again in 1.0 s (retry 1 of 2)".
std::string RetryNote(const platform::LoggedRequest& request,
                      const platform::TransferFailure& failure, std::chrono::milliseconds wait,
                      int retries);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_REQUEST_TEXT_H_
