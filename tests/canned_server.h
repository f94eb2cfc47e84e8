// A loopback server for tests that answers each connection with a fixed
// reply chosen by the request's path, then closes it: the replies a real
// site never gives (redirects, pages without a document, drips, resets).
#ifndef VANTREL_TESTS_CANNED_SERVER_H_
#define VANTREL_TESTS_CANNED_SERVER_H_

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

// The whole HTTP reply as it goes on the wire. After the head (up to the
// blank line) the rest goes one byte at a time with a pause of `drip`
// between bytes (0 sends it at once); with `reset` the connection is reset
// instead of closed after the bytes.
struct CannedReply {
  CannedReply(std::string bytes = "", std::chrono::milliseconds drip = {}, bool reset = false)
      : bytes(std::move(bytes)), drip(drip), reset(reset) {}
  CannedReply(const char* bytes) : bytes(bytes), drip(0), reset(false) {}
  std::string bytes;
  std::chrono::milliseconds drip;
  bool reset;
};

// An HTTP reply with a Content-Length that matches `body`.
inline std::string HttpReply(const std::string& status, const std::string& type,
                             const std::string& body, const std::string& extra = "") {
  std::string head = "HTTP/1.1 " + status + "\r\n";
  if (!type.empty()) head += "Content-Type: " + type + "\r\n";
  return head + extra + "Content-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

class CannedServer {
 public:
  // Serves on `ip` (a loopback address) at a free port; a path without a
  // reply gets a 404.
  explicit CannedServer(std::map<std::string, CannedReply> replies, const char* ip = "127.0.0.1")
      : replies_(std::move(replies)), ip_(ip) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    inet_pton(AF_INET, ip, &addr.sin_addr);
    addr.sin_port = 0;
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(listen(fd_, 16), 0);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~CannedServer() {
    stop_ = true;
    thread_.join();
    close(fd_);
  }

  // The request lines received so far.
  std::vector<std::string> request_lines() const {
    std::lock_guard<std::mutex> lock(mu_);
    return request_lines_;
  }

  std::string url(const std::string& path) const {
    return "http://" + ip_ + ":" + std::to_string(port_) + path;
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      int conn = accept(fd_, nullptr, nullptr);
      if (conn < 0) continue;
      // A browser may open a connection it then leaves unused; one at a time
      // is served, so an idle one is given up on.
      timeval idle{0, 200000};
      setsockopt(conn, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
      std::string request;
      char buf[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(conn, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<size_t>(n));
      }
      size_t sp1 = request.find(' ');
      size_t sp2 = request.find(' ', sp1 + 1);
      std::string path = sp1 == std::string::npos ? "" : request.substr(sp1 + 1, sp2 - sp1 - 1);
      {
        std::lock_guard<std::mutex> lock(mu_);
        request_lines_.push_back(request.substr(0, request.find("\r\n")));
      }
      size_t q = path.find('?');
      if (q != std::string::npos) path.resize(q);
      auto it = replies_.find(path);
      Answer(conn, it != replies_.end()
                       ? it->second
                       : CannedReply{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"});
    }
  }

  void Answer(int conn, const CannedReply& reply) {
    const std::string& bytes = reply.bytes;
    std::size_t sent = reply.drip.count() > 0 ? bytes.find("\r\n\r\n") + 4 : bytes.size();
    send(conn, bytes.data(), sent, MSG_NOSIGNAL);
    while (sent < bytes.size() && !stop_) {
      std::this_thread::sleep_for(reply.drip);
      if (send(conn, bytes.data() + sent, 1, MSG_NOSIGNAL) != 1) break;
      ++sent;
    }
    if (reply.reset) {
      linger hard{1, 0};
      setsockopt(conn, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
      close(conn);
      return;
    }
    shutdown(conn, SHUT_WR);
    // Let the client read everything before the socket goes away.
    char buf[4096];
    while (recv(conn, buf, sizeof buf, 0) > 0) {
    }
    close(conn);
  }

  std::map<std::string, CannedReply> replies_;
  std::string ip_;
  mutable std::mutex mu_;
  std::vector<std::string> request_lines_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_CANNED_SERVER_H_
