// A plain HTTP GET for the hosts: the page that carries the control's
// parameters, read from a server.
#ifndef VANTREL_PLATFORM_HTTP_GET_H_
#define VANTREL_PLATFORM_HTTP_GET_H_

#include <chrono>
#include <string>

namespace vantrel::platform {

struct FetchedPage {
  bool ok = false;    // a reply with a 2xx status came
  long status = 0;    // the HTTP status; 0 when no reply came
  std::string body;   // the reply's body as received
  std::string error;  // when not ok: libcurl's description, or "HTTP 404"
};

// GETs `url` (http or https only), following redirects, giving up after
// `timeout`. Never throws.
FetchedPage HttpGet(const std::string& url,
                    std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_HTTP_GET_H_
