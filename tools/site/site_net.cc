#include "site/site_net.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantrel::site {

std::string BindFailure(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (rc != 0) return std::string(gai_strerror(rc)) + " (give an address of this machine)";
  std::string reason = "the server library refused it";
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd < 0) {
      reason = std::strerror(errno);
      continue;
    }
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const int bound = bind(fd, a->ai_addr, a->ai_addrlen);
    const int error = errno;
    close(fd);
    if (bound == 0) continue;
    reason = std::strerror(error);
    if (error == EADDRINUSE) {
      reason += " (another program listens there: pick another port, or 0 for a free one)";
    } else if (error == EACCES) {
      reason += " (ports below 1024 need root: pick a higher port)";
    } else if (error == EADDRNOTAVAIL) {
      reason += " (give an address of this machine, such as 127.0.0.1)";
    }
    break;
  }
  freeaddrinfo(found);
  return reason;
}

}  // namespace vantrel::site
