// A stand-in for the site's web server: the upload page and the status page
// over a SQLite database, served over HTTP on a loopback or other address.
//
// Pages, at the site's path (SiteOptions::path) and nowhere else, so that a
// client with a wrong base address fails as it would against the real site:
//   .../vantrel.asp              upload page, GET or POST. Query keys sitecode,
//                                sitekey, reset, bmclntver, options,
//                                upstarttime, usrnm, debugmode; the body is the
//                                upload script (SiteDatabase::ApplyUpload).
//   .../vantrelupdatestatus.asp  status page, GET (or POST); records options,
//                                upstarttime and usrnm and replies "SUCCESS".
//   .../vantrelframe.asp         the frame documents of the frames reply.
//   .../page.html                the hosting page (site/site_page.h): the
//                                control's object tag with the site's
//                                address, code and key and each entity's
//                                last-sync date, by the rule of
//                                site/site_page.h (a run's first request
//                                less a margin).
// Replies of both pages carry header fields telling the rows the request
// changed and the lines it could not file (site/reply_headers.h).
// Both pages reply "Invalid site code or site key. Kindly try again." when the
// site code or key differs from the server's; the status page refuses, with a
// reply that names it, an upstarttime that is not a date. Anything else is a
// 404.
#ifndef VANTREL_SITE_SITE_SERVER_H_
#define VANTREL_SITE_SITE_SERVER_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "site/site_page.h"

namespace vantrel::site {

// How the pages' reply text is served.
enum class ReplyFormat {
  kPlain,   // the text alone, Content-Type text/plain
  kHtml,    // an HTML page with a title, a script and markup around the text
  kFrames,  // a frameset of two frames of this server; the first frame's body
            // is the text, the second one's is a banner, sent only after the
            // first frame has been sent
};

// Test switches; each can be changed while the server runs. They act on the
// two pages, not on frame documents.
struct SiteSwitches {
  // Wait before the page is handled (0: none).
  std::chrono::milliseconds delay{0};
  // The next `forced_reply_count` requests get `forced_reply` as their reply
  // text without being applied to the database.
  std::string forced_reply;
  int forced_reply_count = 0;
  ReplyFormat format = ReplyFormat::kPlain;
  // The next `drop_count` requests are not handled: their connection is shut
  // down without any reply.
  int drop_count = 0;
  // The forced replies and the drops wait until this many more page requests
  // have been handled as usual (so that, say, the second upload is refused).
  int faults_after = 0;
};

struct SiteOptions {
  std::string host = "127.0.0.1";
  int port = 0;  // 0: any free port
  // SQLite database file; empty for a private in-memory database.
  std::string db_path;
  std::string site_code;
  std::string site_key;
  SiteSwitches switches;
  // The largest request body accepted; a larger one is refused (status 413,
  // with a text that says so) before it is read.
  size_t max_body = size_t{64} << 20;
  // How long the server waits for a client to send the next part of a
  // request, or to take the next part of a reply, before it closes the
  // connection: a stalled client does not hold a worker past it.
  std::chrono::milliseconds io_timeout{10000};
  // How long a client may take to send its request line and headers, from
  // when a worker takes up its connection; its body gets that time again
  // plus its length at `min_body_rate` bytes a second, 30 s at most. A
  // client past it is closed: clients that trickle their requests cannot
  // hold every worker for long.
  std::chrono::milliseconds request_timeout{10000};
  size_t min_body_rate = 32 * 1024;
  std::chrono::milliseconds max_body_time{30000};
  // Threads that serve connections; further connections wait for one.
  size_t workers = 8;
  // How long a connection is kept open for the client's next request.
  // Stop() does not wait it out.
  std::chrono::seconds keep_alive{1};
  // How many requests requests() keeps, the latest ones (bodies included).
  size_t request_log_limit = SIZE_MAX;
  // The hosting page's template (site/site_page.h); empty for the default.
  std::string page_template;
  // The words the hosting page gives the control (site/site_page.h).
  SiteLexicons lexicons;
  // The folder of the site's pages on the server, with a "/" at each end:
  // "/" serves http://HOST:PORT/vantrel.asp, "/tessaly/" serves
  // http://HOST:PORT/tessaly/vantrel.asp. Any other path is a 404.
  std::string path = "/";
  // When set, gets one line per request: the client, the request line with
  // the site key masked, and what became of it. It is called from the
  // server's worker threads, several at once.
  std::function<void(const std::string& line)> log_line;
};

// What became of a request to one of the two pages.
enum class Handling {
  kPending,  // still being handled, or not a page request
  kApplied,  // handled by the page (an upload applied or refused by the database)
  kForced,   // answered with the forced reply, nothing applied
  kDropped,  // its connection was shut down without a reply
};

// A request as the server received it.
struct LoggedRequest {
  std::string method;
  std::string target;  // path and query exactly as on the request line
  std::vector<std::pair<std::string, std::string>> headers;  // names as sent
  std::string body;
  Handling handling = Handling::kPending;
  std::string reply;    // the reply text (before any HTML around it)
  int remote_port = 0;  // the client's port: requests of one connection share it

  // The value of the first header named `name` (any letter case); "" when
  // there is none.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
};

class SiteServer {
 public:
  explicit SiteServer(SiteOptions options);
  ~SiteServer();  // stops the server
  SiteServer(const SiteServer&) = delete;
  SiteServer& operator=(const SiteServer&) = delete;

  // Opens the database, binds the address and starts serving on a thread of
  // its own. Returns the port. Throws std::runtime_error when the database
  // cannot be opened, when the address cannot be bound (naming the reason
  // and what to do about it), or when started twice.
  int Start();
  // Stops serving: waiting requests are released, the thread is joined.
  void Stop();

  int port() const;
  // "http://HOST:PORT/".
  std::string base_url() const;
  const std::string& db_path() const { return options_.db_path; }

  SiteSwitches switches() const;
  void set_switches(const SiteSwitches& switches);
  void set_delay(std::chrono::milliseconds delay);
  void ForceReply(std::string text, int count = 1);
  void set_reply_format(ReplyFormat format);
  void DropConnections(int count = 1);

  // The requests received so far, in order (frame documents included), at
  // most the latest `request_log_limit`.
  std::vector<LoggedRequest> requests() const;
  void ClearRequests();

  // Every table of the database with its row count, by name. Throws
  // std::runtime_error on an error or when the server has not been started.
  std::vector<std::pair<std::string, long long>> TableCounts() const;

  // Runs `sql` on the database with `params` bound to its ? and returns the
  // rows as text (NULL as ""). Throws std::runtime_error on an error or when
  // the server has not been started.
  std::vector<std::vector<std::string>> Query(const std::string& sql,
                                              const std::vector<std::string>& params = {}) const;

 private:
  struct Impl;
  void Modify(const std::function<void(SiteSwitches&)>& change);
  SiteOptions options_;
  std::unique_ptr<Impl> impl_;
};

// Reads a reply format name: "plain", "html" or "frames".
bool ParseReplyFormat(const std::string& name, ReplyFormat* format);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_SERVER_H_
