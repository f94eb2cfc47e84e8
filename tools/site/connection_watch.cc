#include "site/connection_watch.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>

namespace vantrel::site {

namespace {

using Clock = std::chrono::steady_clock;

std::string AddressText(const sockaddr_storage& addr, int* port) {
  char buf[INET6_ADDRSTRLEN] = {0};
  if (addr.ss_family == AF_INET) {
    const auto* a = reinterpret_cast<const sockaddr_in*>(&addr);
    inet_ntop(AF_INET, &a->sin_addr, buf, sizeof buf);
    *port = ntohs(a->sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto* a = reinterpret_cast<const sockaddr_in6*>(&addr);
    inet_ntop(AF_INET6, &a->sin6_addr, buf, sizeof buf);
    *port = ntohs(a->sin6_port);
  } else {
    *port = -1;
  }
  return buf;
}

// Both ends of socket `fd`; nullopt when it is no connected socket.
std::optional<SocketEnds> EndsOf(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) return std::nullopt;
  sockaddr_storage local{}, peer{};
  socklen_t local_len = sizeof local, peer_len = sizeof peer;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_len) != 0 ||
      getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_len) != 0) {
    return std::nullopt;
  }
  SocketEnds ends;
  ends.fd = fd;
  ends.local_addr = AddressText(local, &ends.local_port);
  ends.peer_addr = AddressText(peer, &ends.peer_port);
  return ends;
}

bool SamePeer(const SocketEnds& a, const SocketEnds& b) {
  return a.fd == b.fd && a.peer_port == b.peer_port && a.peer_addr == b.peer_addr;
}

}  // namespace

std::vector<SocketEnds> ConnectedSockets(int local_port) {
  std::vector<SocketEnds> out;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return out;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    const long fd = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || fd == dirfd(dir)) continue;
    std::optional<SocketEnds> ends = EndsOf(static_cast<int>(fd));
    if (ends && ends->local_port == local_port) out.push_back(std::move(*ends));
  }
  closedir(dir);
  return out;
}

// The workers: a queue of connection tasks, each registered with the watch
// when it is queued (right after its accept, on the server's thread) and
// watched from when a worker takes it up until it ends.
class ConnectionWatch::Pool : public httplib::TaskQueue {
 public:
  Pool(ConnectionWatch& watch, size_t workers) : watch_(watch) {
    for (size_t i = 0; i < std::max<size_t>(workers, 1); ++i)
      threads_.emplace_back([this] { Work(); });
  }

  void enqueue(std::function<void()> fn) override {
    const uint64_t id = watch_.Accepted();
    {
      std::lock_guard<std::mutex> lock(mu_);
      jobs_.push_back([this, id, fn = std::move(fn)] {
        watch_.Started(id);
        fn();
        watch_.Finished(id);
      });
    }
    cv_.notify_one();
  }

  // Runs the tasks still queued, then ends the workers.
  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(mu_);
      stopping_ = true;
    }
    cv_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  ConnectionWatch& watch_;
  std::vector<std::thread> threads_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
};

ConnectionWatch::~ConnectionWatch() { Stop(); }

void ConnectionWatch::Start(int port) {
  port_ = port;
  thread_ = std::thread([this] { Watch(); });
}

httplib::TaskQueue* ConnectionWatch::NewTaskQueue() { return new Pool(*this, limits_.workers); }

uint64_t ConnectionWatch::Accepted() {
  const std::vector<SocketEnds> sockets = ConnectedSockets(port_);
  std::lock_guard<std::mutex> lock(mu_);
  for (const SocketEnds& s : sockets) {
    const bool known =
        std::any_of(connections_.begin(), connections_.end(),
                    [&](const auto& entry) { return SamePeer(entry.second.ends, s); });
    if (known) continue;
    const uint64_t id = next_id_++;
    connections_[id] = Connection{s, Phase::kQueued, {}};
    return id;
  }
  return 0;  // not found: the connection goes unwatched
}

void ConnectionWatch::Started(uint64_t id) {
  std::lock_guard<std::mutex> lock(mu_);
  const auto it = connections_.find(id);
  if (it == connections_.end() || it->second.phase == Phase::kClosed) return;
  it->second.phase = Phase::kRequest;
  it->second.deadline = Clock::now() + limits_.request_timeout;
}

void ConnectionWatch::Finished(uint64_t id) {
  std::lock_guard<std::mutex> lock(mu_);
  connections_.erase(id);
}

ConnectionWatch::Connection* ConnectionWatch::Find(const httplib::Request& req) {
  Connection* same_port = nullptr;
  for (auto& [id, c] : connections_) {
    if (c.phase == Phase::kClosed || c.ends.peer_port != req.remote_port) continue;
    if (c.ends.peer_addr == req.remote_addr) return &c;
    same_port = &c;  // the library may write the address otherwise (IPv6 scopes)
  }
  return same_port;
}

void ConnectionWatch::HeadersRead(const httplib::Request& req) {
  size_t body = 0;
  if (req.has_header("Content-Length")) {
    body = std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10);
  } else if (req.has_header("Transfer-Encoding")) {
    body = limits_.max_body;
  }
  body = std::min(body, limits_.max_body);
  std::chrono::milliseconds allowance = limits_.request_timeout;
  if (limits_.min_body_rate > 0) {
    allowance += std::min<std::chrono::milliseconds>(
        std::chrono::milliseconds(uint64_t{body} * 1000 / limits_.min_body_rate),
        limits_.max_body_time);
  }
  std::lock_guard<std::mutex> lock(mu_);
  if (Connection* c = Find(req)) {
    c->phase = Phase::kRequest;
    c->deadline = Clock::now() + allowance;
  }
}

void ConnectionWatch::Handling(const httplib::Request& req) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Connection* c = Find(req)) c->phase = Phase::kHandling;
}

void ConnectionWatch::Replied(const httplib::Request& req) {
  std::lock_guard<std::mutex> lock(mu_);
  if (Connection* c = Find(req)) {
    c->phase = Phase::kRequest;
    c->deadline = Clock::now() + limits_.request_timeout;
  }
}

void ConnectionWatch::ShutDown(Connection& c) {
  // The descriptor may have been closed and taken by a newer connection.
  const std::optional<SocketEnds> now = EndsOf(c.ends.fd);
  if (now && now->local_port == port_ && SamePeer(*now, c.ends)) shutdown(c.ends.fd, SHUT_RDWR);
  c.phase = Phase::kClosed;
}

void ConnectionWatch::CloseWaiting() {
  std::lock_guard<std::mutex> lock(mu_);
  for (auto& [id, c] : connections_) {
    if (c.phase == Phase::kQueued || c.phase == Phase::kRequest) ShutDown(c);
  }
}

void ConnectionWatch::Stop() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stopping_ = true;
  }
  cv_.notify_all();
  if (thread_.joinable()) thread_.join();
}

long ConnectionWatch::closed() const {
  std::lock_guard<std::mutex> lock(mu_);
  return closed_;
}

void ConnectionWatch::Watch() {
  const auto tick = std::clamp<std::chrono::milliseconds>(
      limits_.request_timeout / 4, std::chrono::milliseconds(10), std::chrono::milliseconds(250));
  std::unique_lock<std::mutex> lock(mu_);
  while (!stopping_) {
    cv_.wait_for(lock, tick, [this] { return stopping_; });
    const Clock::time_point now = Clock::now();
    for (auto& [id, c] : connections_) {
      if (c.phase != Phase::kRequest || c.deadline > now) continue;
      ShutDown(c);
      ++closed_;
    }
  }
}

}  // namespace vantrel::site
