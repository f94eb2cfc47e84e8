#include "site/site_server.h"

#include <httplib.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "platform/date_time.h"
#include "platform/text_util.h"
#include "site/connection_watch.h"
#include "site/reply_headers.h"
#include "site/site_database.h"
#include "site/site_net.h"
#include "site/site_page.h"
#include "site/sqlite_db.h"

namespace vantrel::site {

namespace {

constexpr char kUploadPage[] = "/vantrel.asp";
constexpr char kStatusPage[] = "/vantrelupdatestatus.asp";
constexpr char kFramePage[] = "/vantrelframe.asp";
constexpr char kHostingPage[] = "/page.html";
constexpr size_t kFramesKept = 64;
constexpr auto kBannerWait = std::chrono::seconds(10);

// The query of a request target: keys in lower case, first value wins.
std::map<std::string, std::string> ParseQuery(std::string_view target) {
  std::map<std::string, std::string> out;
  size_t q = target.find('?');
  if (q == std::string_view::npos) return out;
  std::string_view query = target.substr(q + 1);
  while (!query.empty()) {
    size_t amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    size_t eq = pair.find('=');
    // Decoded the way the server's pages read a query: %XX and "+".
    std::string key = platform::ToLowerAscii(platform::PercentDecode(pair.substr(0, eq), true));
    std::string value =
        eq == std::string_view::npos ? "" : platform::PercentDecode(pair.substr(eq + 1), true);
    out.emplace(std::move(key), std::move(value));
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return out;
}

std::string Get(const std::map<std::string, std::string>& query, const std::string& key) {
  auto it = query.find(key);
  return it == query.end() ? "" : it->second;
}

std::string HtmlPage(std::string_view text) {
  return "<html><head><title>Vantrel upload reply</title>\r\n"
         "<script type=\"text/javascript\">var replyState = \"script text is not shown\";"
         "</script>\r\n"
         "<style>body { font-family: Arial, sans-serif; }</style></head>\r\n"
         "<body><script>document.title = \"Vantrel\";</script><div id=\"reply\">" +
         platform::EscapeHtml(text, true) + "</div></body></html>\r\n";
}

std::string FramesetPage(int id) {
  std::string src = "vantrelframe.asp?id=" + std::to_string(id) + "&amp;part=";
  return "<html><head><title>Vantrel upload reply</title></head>\r\n"
         "<frameset rows=\"*,40\">\r\n"
         "<frame name=\"reply\" src=\"" +
         src + "reply\">\r\n<frame name=\"banner\" src=\"" + src +
         "banner\">\r\n"
         "<noframes><body>This page needs frames.</body></noframes>\r\n"
         "</frameset></html>\r\n";
}

std::string FramePage(std::string_view text) {
  return "<html><head><title>Vantrel</title></head><body>" + platform::EscapeHtml(text, true) +
         "</body></html>\r\n";
}

// Shuts down the server side of the connection that carried `req`, so that
// the client gets no reply at all. False when the socket is not found.
bool ShutDownConnection(const httplib::Request& req) {
  for (const SocketEnds& ends : ConnectedSockets(req.local_port)) {
    if (ends.peer_port == req.remote_port && ends.peer_addr == req.remote_addr) {
      shutdown(ends.fd, SHUT_RDWR);
      return true;
    }
  }
  return false;
}

bool IsInternalHeader(const std::string& name) {
  return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
         name == "LOCAL_PORT";
}

}  // namespace

std::string LoggedRequest::Header(const std::string& name) const {
  for (const auto& [key, value] : headers) {
    if (platform::EqualsNoCase(key, name)) return value;
  }
  return "";
}

bool LoggedRequest::HasHeader(const std::string& name) const {
  for (const auto& header : headers) {
    if (platform::EqualsNoCase(header.first, name)) return true;
  }
  return false;
}

bool ParseReplyFormat(const std::string& name, ReplyFormat* format) {
  if (name == "plain") {
    *format = ReplyFormat::kPlain;
  } else if (name == "html") {
    *format = ReplyFormat::kHtml;
  } else if (name == "frames") {
    *format = ReplyFormat::kFrames;
  } else {
    return false;
  }
  return true;
}

struct SiteServer::Impl {
  struct FrameReply {
    std::string text;
    bool reply_sent = false;
  };

  explicit Impl(const SiteOptions& options) : options(options), switches(options.switches) {}

  void Handle(const httplib::Request& req, httplib::Response& res) {
    watch->Handling(req);
    const uint64_t id = Log(req);
    const std::string& path = req.path;
    if (IsPage(path, kFramePage)) return HandleFrame(req, res);
    if (IsPage(path, kHostingPage)) {
      res.set_content(HostingPage(req), "text/html");
      Note(req, "served the page");
      return;
    }
    bool upload = IsPage(path, kUploadPage);
    bool status = IsPage(path, kStatusPage);
    if (!upload && !status) {
      res.status = 404;
      res.set_content("Not found", "text/plain");
      Note(req, "404 not found");
      return;
    }

    bool drop = false;
    bool normal = false;  // the faults wait for a later request
    std::chrono::milliseconds delay{0};
    ReplyFormat format;
    {
      std::lock_guard<std::mutex> lock(mu);
      if (switches.faults_after > 0) {
        --switches.faults_after;
        normal = true;
      } else if (switches.drop_count > 0) {
        --switches.drop_count;
        drop = true;
      }
      delay = switches.delay;
    }
    if (drop) {
      Record(id, Handling::kDropped, "");
      Note(req, "dropped without a reply");
      if (!ShutDownConnection(req)) {
        // Not found: send the headers and break off before the body.
        res.set_content_provider(16, "text/plain",
                                 [](size_t, size_t, httplib::DataSink&) { return false; });
      }
      return;
    }
    if (delay.count() > 0) {
      std::unique_lock<std::mutex> lock(mu);
      cv.wait_for(lock, delay, [this] { return stopping; });
    }

    std::string reply;
    bool forced = false;
    HeaderFields told = ReplyHeaders("", {}, {});  // nothing applied
    {
      std::lock_guard<std::mutex> lock(mu);
      format = switches.format;
      if (!normal && switches.forced_reply_count > 0) {
        --switches.forced_reply_count;
        reply = switches.forced_reply;
        forced = true;
      }
    }
    if (!forced) reply = upload ? Upload(req, &told) : Status(req);
    Record(id, forced ? Handling::kForced : Handling::kApplied, reply);
    Note(req, std::string(forced ? "forced reply " : "reply ") + "\"" + reply.substr(0, 120) +
                  (reply.size() > 120 ? "...\"" : "\""));
    for (const auto& [name, value] : told) res.set_header(name, value);
    Serve(reply, format, res);
  }

  // Whether `path` is `page` ("/vantrel.asp") in the site's folder; the
  // letter case does not count, as on the service's own server.
  bool IsPage(const std::string& path, const char* page) const {
    return platform::EqualsNoCase(path, options.path + (page + 1));
  }

  // The hosting page as it stands now, naming the server as the client
  // reached it (a server listening on every address has no one name).
  std::string HostingPage(const httplib::Request& req) {
    std::map<std::string, std::vector<std::string>> last_runs;
    try {
      last_runs = db->LastRunStartTimes();
    } catch (const std::exception&) {
      // A page without dates sends everything: nothing is lost.
    }
    const std::string host = req.get_header_value("Host");
    const std::string base = "http://" +
                             (host.empty() ? options.host + ":" + std::to_string(port) : host) +
                             options.path;
    return FillPageTemplate(
        options.page_template.empty() ? kDefaultPageTemplate : options.page_template,
        PageValues(base, options.site_code, options.site_key, last_runs, options.lexicons));
  }

  // One line of the request log, when one is kept.
  void Note(const httplib::Request& req, const std::string& outcome) {
    if (!options.log_line) return;
    options.log_line(req.remote_addr + ":" + std::to_string(req.remote_port) + " " + req.method +
                     " " + platform::MaskKeyIn(req.target, options.site_key) + " " +
                     std::to_string(req.body.size()) + " bytes: " + outcome);
  }

  // Applies the upload and returns its reply; `told` gets what it did.
  std::string Upload(const httplib::Request& req, HeaderFields* told) {
    auto query = ParseQuery(req.target);
    if (!SiteMatches(query)) return kReplyInvalidSite;
    RowTally rows;
    std::vector<LineWarning> warnings;
    // The journal is the server's own: the upload's reply stands whatever
    // becomes of its record.
    const std::string upstarttime = Get(query, "upstarttime");
    const std::string user = Get(query, "usrnm");
    const std::string debug_mode = Get(query, "debugmode");
    const SiteDatabase::UploadRecord record{upstarttime, user, debug_mode};
    std::string reply =
        db->ApplyAndRecordUpload(req.body, Get(query, "options"), record, &rows, &warnings);
    *told = ReplyHeaders(Get(query, "options"), rows, warnings);
    return reply;
  }

  std::string Status(const httplib::Request& req) {
    auto query = ParseQuery(req.target);
    if (!SiteMatches(query)) return kReplyInvalidSite;
    // The hosting page dates the entities from these times: one that is not
    // a date would be no use there.
    const std::string upstarttime = Get(query, "upstarttime");
    if (!platform::ParseDateText(upstarttime)) {
      return "Error: the upstarttime \"" + upstarttime.substr(0, 100) +
             "\" is not a date; the status update was not recorded.";
    }
    try {
      db->RecordStatus(Get(query, "options"), upstarttime, Get(query, "usrnm"));
    } catch (const std::exception& e) {
      return std::string("Error: ") + e.what();
    }
    return kReplySuccess;
  }

  bool SiteMatches(const std::map<std::string, std::string>& query) const {
    auto code = query.find("sitecode");
    auto key = query.find("sitekey");
    return code != query.end() && key != query.end() && code->second == options.site_code &&
           key->second == options.site_key;
  }

  void Serve(const std::string& text, ReplyFormat format, httplib::Response& res) {
    switch (format) {
      case ReplyFormat::kPlain:
        res.set_content(text, "text/plain");
        return;
      case ReplyFormat::kHtml:
        res.set_content(HtmlPage(text), "text/html");
        return;
      case ReplyFormat::kFrames: {
        int id;
        {
          std::lock_guard<std::mutex> lock(mu);
          id = next_frame_id++;
          frames[id] = FrameReply{text, false};
          while (frames.size() > kFramesKept) frames.erase(frames.begin());
        }
        res.set_content(FramesetPage(id), "text/html");
        return;
      }
    }
  }

  void HandleFrame(const httplib::Request& req, httplib::Response& res) {
    auto query = ParseQuery(req.target);
    int id = std::atoi(Get(query, "id").c_str());
    std::string part = Get(query, "part");
    std::unique_lock<std::mutex> lock(mu);
    auto it = frames.find(id);
    if (it == frames.end() || (part != "reply" && part != "banner")) {
      res.status = 404;
      res.set_content("Not found", "text/plain");
      return;
    }
    if (part == "reply") {
      auto page = std::make_shared<std::string>(FramePage(it->second.text));
      lock.unlock();
      res.set_content_provider(
          page->size(), "text/html",
          [page](size_t offset, size_t length, httplib::DataSink& sink) {
            sink.write(page->data() + offset, length);
            return true;
          },
          [this, id](bool) {
            std::lock_guard<std::mutex> guard(mu);
            auto f = frames.find(id);
            if (f != frames.end()) f->second.reply_sent = true;
            cv.notify_all();
          });
      return;
    }
    // The banner follows the reply frame, so that the reply is the first
    // frame document a browser completes.
    cv.wait_for(lock, kBannerWait, [&] {
      auto f = frames.find(id);
      return stopping || f == frames.end() || f->second.reply_sent;
    });
    lock.unlock();
    res.set_content(FramePage("Vantrel site"), "text/html");
  }

  // Logs `req` and returns the id under which Record() completes its entry.
  uint64_t Log(const httplib::Request& req) {
    LoggedRequest entry;
    entry.method = req.method;
    entry.target = req.target;
    for (const auto& [name, value] : req.headers) {
      if (!IsInternalHeader(name)) entry.headers.emplace_back(name, value);
    }
    entry.body = req.body;
    entry.remote_port = req.remote_port;
    std::lock_guard<std::mutex> lock(mu);
    const uint64_t id = next_log_id++;
    if (options.request_log_limit == 0) return id;
    if (log.size() >= options.request_log_limit) {
      log.pop_front();
      ++first_log_id;
    }
    log.push_back(std::move(entry));
    return id;
  }

  void Record(uint64_t id, Handling handling, const std::string& reply) {
    std::lock_guard<std::mutex> lock(mu);
    if (id < first_log_id || id - first_log_id >= log.size()) return;
    LoggedRequest& entry = log[id - first_log_id];
    entry.handling = handling;
    entry.reply = reply;
  }

  SiteOptions options;
  std::unique_ptr<SiteDatabase> db;
  std::unique_ptr<ConnectionWatch> watch;  // before the server, which uses it to the end
  httplib::Server http;
  std::thread thread;
  std::atomic<bool> thread_done{false};
  int port = 0;

  mutable std::mutex mu;  // guards what follows
  std::condition_variable cv;
  bool stopping = false;
  SiteSwitches switches;
  std::deque<LoggedRequest> log;
  uint64_t first_log_id = 0;  // the id of log.front()
  uint64_t next_log_id = 0;
  std::map<int, FrameReply> frames;
  int next_frame_id = 1;
};

SiteServer::SiteServer(SiteOptions options) : options_(std::move(options)) {}

SiteServer::~SiteServer() { Stop(); }

int SiteServer::Start() {
  if (impl_) throw std::runtime_error("the site server is already started");
  if (options_.path.empty() || options_.path.front() != '/' || options_.path.back() != '/') {
    throw std::runtime_error("the site's path must begin and end with \"/\": '" + options_.path +
                             "'");
  }
  auto impl = std::make_unique<Impl>(options_);
  impl->db = std::make_unique<SiteDatabase>(options_.db_path);
  Impl* p = impl.get();
  auto handler = [p](const httplib::Request& req, httplib::Response& res) { p->Handle(req, res); };
  p->http.Get(".*", handler);
  p->http.Post(".*", handler);
  p->http.set_keep_alive_timeout(options_.keep_alive.count());
  // A run posts its batches one after another on one connection: a new
  // connection every few requests would cost each of them a handshake and
  // the watch a look at the process's sockets.
  p->http.set_keep_alive_max_count(1000);
  // A reply's parts go out at once: on a kept connection, waiting for the
  // client's acknowledgement of the headers would hold every reply back.
  p->http.set_tcp_nodelay(true);
  p->http.set_read_timeout(options_.io_timeout);
  p->http.set_write_timeout(options_.io_timeout);
  p->http.set_payload_max_length(options_.max_body);
  // The whole request is bounded too, by a watch over the server's workers.
  p->watch = std::make_unique<ConnectionWatch>(
      RequestLimits{options_.workers, options_.request_timeout, options_.min_body_rate,
                    options_.max_body, options_.max_body_time});
  p->http.new_task_queue = [p] { return p->watch->NewTaskQueue(); };
  p->http.set_pre_routing_handler([p](const httplib::Request& req, httplib::Response&) {
    p->watch->HeadersRead(req);
    return httplib::Server::HandlerResponse::Unhandled;
  });
  p->http.set_logger(
      [p](const httplib::Request& req, const httplib::Response&) { p->watch->Replied(req); });
  const size_t max_body = options_.max_body;
  p->http.set_error_handler(httplib::Server::HandlerWithResponse(
      [max_body](const httplib::Request&, httplib::Response& res) {
        if (res.status != 413) return httplib::Server::HandlerResponse::Unhandled;
        for (const auto& [name, value] : ReplyHeaders("", {}, {})) res.set_header(name, value);
        res.set_content("Error: the upload is larger than the " + std::to_string(max_body) +
                            " bytes this server accepts in one request; nothing of it was applied.",
                        "text/plain");
        return httplib::Server::HandlerResponse::Handled;
      }));
  // Address reuse only: two servers must not share a port.
  p->http.set_socket_options([](int sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  int port = options_.port == 0
                 ? p->http.bind_to_any_port(options_.host)
                 : (p->http.bind_to_port(options_.host, options_.port) ? options_.port : -1);
  if (port <= 0) {
    throw std::runtime_error("cannot listen on " + options_.host + ":" +
                             std::to_string(options_.port) + ": " +
                             BindFailure(options_.host, options_.port));
  }
  p->port = port;
  p->watch->Start(port);
  p->thread = std::thread([p] {
    // Writes to a connection the client has closed must not end the process.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    p->http.listen_after_bind();
    p->thread_done = true;
  });
  // stop() only acts on a server that is running.
  while (!p->http.is_running() && !p->thread_done) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  impl_ = std::move(impl);
  return port;
}

void SiteServer::Stop() {
  if (!impl_) return;
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->stopping = true;
  }
  impl_->cv.notify_all();
  impl_->http.stop();
  impl_->watch->CloseWaiting();  // requests still coming in hold no worker up
  if (impl_->thread.joinable()) impl_->thread.join();
  impl_->watch->Stop();
  impl_.reset();
}

int SiteServer::port() const { return impl_ ? impl_->port : 0; }

std::string SiteServer::base_url() const {
  return "http://" + options_.host + ":" + std::to_string(port()) + options_.path;
}

SiteSwitches SiteServer::switches() const {
  if (!impl_) return options_.switches;
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->switches;
}

void SiteServer::Modify(const std::function<void(SiteSwitches&)>& change) {
  change(options_.switches);
  if (!impl_) return;
  std::lock_guard<std::mutex> lock(impl_->mu);
  change(impl_->switches);
}

void SiteServer::set_switches(const SiteSwitches& switches) {
  Modify([&](SiteSwitches& s) { s = switches; });
}

void SiteServer::set_delay(std::chrono::milliseconds delay) {
  Modify([&](SiteSwitches& s) { s.delay = delay; });
}

void SiteServer::ForceReply(std::string text, int count) {
  Modify([&](SiteSwitches& s) {
    s.forced_reply = text;
    s.forced_reply_count = count;
  });
}

void SiteServer::set_reply_format(ReplyFormat format) {
  Modify([&](SiteSwitches& s) { s.format = format; });
}

void SiteServer::DropConnections(int count) {
  Modify([&](SiteSwitches& s) { s.drop_count = count; });
}

std::vector<LoggedRequest> SiteServer::requests() const {
  if (!impl_) return {};
  std::lock_guard<std::mutex> lock(impl_->mu);
  return {impl_->log.begin(), impl_->log.end()};
}

void SiteServer::ClearRequests() {
  if (!impl_) return;
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->first_log_id = impl_->next_log_id;
  impl_->log.clear();
}

std::vector<std::pair<std::string, long long>> SiteServer::TableCounts() const {
  std::vector<std::pair<std::string, long long>> counts;
  for (const auto& row :
       Query("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")) {
    const auto count = Query("SELECT COUNT(*) FROM " + sqlite::Quote(row.at(0)));
    counts.emplace_back(row.at(0), std::stoll(count.at(0).at(0)));
  }
  return counts;
}

std::vector<std::vector<std::string>> SiteServer::Query(
    const std::string& sql, const std::vector<std::string>& params) const {
  if (!impl_) throw std::runtime_error("the site server is not started");
  return impl_->db->Query(sql, params);
}

}  // namespace vantrel::site
