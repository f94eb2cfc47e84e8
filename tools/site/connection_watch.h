// The connections of the site's HTTP server, watched so that no client holds
// a worker for long while it sends its request: the server library bounds
// each single read, not a whole request, so a client that sends a byte now
// and then would keep a worker for ever.
#ifndef VANTREL_SITE_CONNECTION_WATCH_H_
#define VANTREL_SITE_CONNECTION_WATCH_H_

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class TaskQueue;
struct Request;
}  // namespace httplib

namespace vantrel::site {

// A connected socket of this process, with both of its ends.
struct SocketEnds {
  int fd = -1;
  std::string local_addr;
  int local_port = -1;
  std::string peer_addr;
  int peer_port = -1;
};

// The connected sockets of this process whose local port is `local_port`
// (a server's side of its connections), read from /proc/self/fd.
std::vector<SocketEnds> ConnectedSockets(int local_port);

struct RequestLimits {
  // Threads that serve connections; further connections wait for one.
  size_t workers = 8;
  // The time a client has for its request line and headers, from when a
  // worker takes up its connection (or, on a kept connection, from its
  // previous reply). Its body then has this time again, plus its length
  // (for a body of unknown length, `max_body`) at `min_body_rate`, but never
  // more than `max_body_time` in all: the length is the client's word, and a
  // client that declares 64 MiB and sends a byte now and then must not hold
  // a worker for half an hour.
  std::chrono::milliseconds request_timeout{10000};
  size_t min_body_rate = 32 * 1024;  // bytes per second
  size_t max_body = size_t{64} << 20;
  std::chrono::milliseconds max_body_time{30000};
};

// Serves a server's connections on a pool of its own and shuts down each
// connection whose request is overdue. The hooks below tell it where each
// request stands; they are called from the server's workers.
class ConnectionWatch {
 public:
  explicit ConnectionWatch(const RequestLimits& limits) : limits_(limits) {}
  ~ConnectionWatch();  // Stop()
  ConnectionWatch(const ConnectionWatch&) = delete;
  ConnectionWatch& operator=(const ConnectionWatch&) = delete;

  // Starts watching the connections the server accepts on `port`.
  void Start(int port);
  // A task queue for httplib::Server::new_task_queue: `workers` threads,
  // each connection's task watched. The server deletes it.
  httplib::TaskQueue* NewTaskQueue();

  // The request's headers were read; its body comes next.
  void HeadersRead(const httplib::Request& req);
  // The request was read whole and is being handled: no limit applies.
  void Handling(const httplib::Request& req);
  // Its reply was sent; the client's next request may follow.
  void Replied(const httplib::Request& req);

  // Shuts down every connection that is still sending its request or waits
  // for a worker, so that the server's workers end at once.
  void CloseWaiting();
  // Stops watching.
  void Stop();

  // How many connections were shut down for an overdue request.
  long closed() const;

 private:
  class Pool;
  enum class Phase { kQueued, kRequest, kHandling, kClosed };
  struct Connection {
    SocketEnds ends;
    Phase phase = Phase::kQueued;
    std::chrono::steady_clock::time_point deadline;
  };

  uint64_t Accepted();
  void Started(uint64_t id);
  void Finished(uint64_t id);
  // The connection of `req`, or nullptr; mu_ held.
  Connection* Find(const httplib::Request& req);
  void ShutDown(Connection& c);  // mu_ held
  void Watch();

  const RequestLimits limits_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mu_;  // guards what follows
  std::condition_variable cv_;
  bool stopping_ = false;
  uint64_t next_id_ = 1;
  std::map<uint64_t, Connection> connections_;  // by task, while it runs or waits
  long closed_ = 0;
};

}  // namespace vantrel::site

#endif  // VANTREL_SITE_CONNECTION_WATCH_H_
