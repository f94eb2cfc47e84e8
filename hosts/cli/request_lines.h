// What the command line prints of the run's requests as they go: a line for
// each request and its reply (--verbose), a note before a request is sent
// again, and a dry run's file that could not be written.
#ifndef VANTREL_HOSTS_CLI_REQUEST_LINES_H_
#define VANTREL_HOSTS_CLI_REQUEST_LINES_H_

#include <cstdio>

#include "platform/request_log.h"

namespace vantrel::cli {

// The hooks that print for `log`: the request and reply lines to `verbose`
// (none when null), the notes and errors to standard error. `log` must
// outlive the hooks.
platform::RequestLogHooks PrintingHooks(std::FILE* verbose, const platform::RequestLog& log);

}  // namespace vantrel::cli

#endif  // VANTREL_HOSTS_CLI_REQUEST_LINES_H_
