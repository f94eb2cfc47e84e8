#include "request_watch.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/accepting_browser.h"
#include "platform/text_util.h"
#include "wizard/reply_verdict.h"

namespace vantrel::cli {

namespace {

// The value of query key `key` in `url` ("" when missing).
std::string QueryValue(const std::string& url, const std::string& key) {
  for (const char* lead : {"?", "&"}) {
    const std::size_t at = url.find(lead + key + "=");
    if (at == std::string::npos) continue;
    const std::size_t begin = at + key.size() + 2;
    const std::size_t end = url.find('&', begin);
    return url.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  }
  return "";
}

bool Retryable(const platform::TransferFailure& failure) {
  return failure.kind == platform::TransferFailure::Kind::kConnect ||
         failure.kind == platform::TransferFailure::Kind::kDropped;
}

std::string OneLine(const std::string& text, std::size_t limit) {
  std::string line;
  for (char c : text.substr(0, limit)) line += (c == '\r' || c == '\n') ? ' ' : c;
  return text.size() > limit ? line + "..." : line;
}

// The browser the control gets: the real one (or the dry run's) inside,
// with the watch's lines, retries and record around it.
class WatchedBrowser final : public platform::WebBrowser {
 public:
  WatchedBrowser(RequestWatch& watch, std::unique_ptr<platform::WebBrowser> inner)
      : watch_(watch), inner_(std::move(inner)) {
    inner_->set_on_document_complete(
        [this](const std::optional<std::string>& text) { OnComplete(text); });
  }

  void Navigate2(const std::string& url, int flags,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& headers) override {
    retry_at_.reset();
    index_ = watch_.requests().size();
    SeenRequest& request = watch_.Begin(url, post_data);
    if (watch_.cancelled()) {
      // After a cancel nothing more goes out: the request waits until the
      // host clicks Cancel for it, and the run ends.
      request.not_sent = true;
      return;
    }
    if (watch_.options().dry_run) watch_.WriteDryRunFile(request, url, post_data);
    started_ = std::chrono::steady_clock::now();
    if (std::FILE* out = watch_.options().verbose) {
      std::fprintf(out, "> %s %s (%zu bytes)\n", post_data ? "POST" : "GET",
                   request.address.c_str(), request.bytes);
      std::fflush(out);
    }
    // The request is kept: it may have to go again.
    url_ = url;
    flags_ = flags;
    post_data_ = post_data;
    headers_ = headers;
    ++request.attempts;
    inner_->Navigate2(url, flags, post_data, headers);
  }

  void Stop() override {
    retry_at_.reset();
    inner_->Stop();
  }

  bool Busy() const override { return retry_at_.has_value() || inner_->Busy(); }

  void Poll(std::chrono::milliseconds max_wait) override {
    if (!retry_at_) return inner_->Poll(max_wait);
    const auto now = std::chrono::steady_clock::now();
    if (now < *retry_at_) {
      std::this_thread::sleep_for(
          std::min<std::chrono::steady_clock::duration>(*retry_at_ - now, max_wait));
      return;
    }
    retry_at_.reset();
    ++Request().attempts;
    inner_->Navigate2(url_, flags_, post_data_, headers_);
  }

  std::optional<platform::TransferFailure> LastFailure() const override {
    return inner_->LastFailure();
  }

  HeaderFields LastReplyHeaders() const override { return inner_->LastReplyHeaders(); }

 private:
  SeenRequest& Request() { return watch_.request(index_); }

  void OnComplete(const std::optional<std::string>& text) {
    SeenRequest& request = Request();
    const auto failure = text == platform::kActionCancelled || !text
                             ? inner_->LastFailure()
                             : std::optional<platform::TransferFailure>();
    if (!request.completed && failure && Retryable(*failure) &&
        request.attempts <= watch_.retries_left()) {
      const auto wait = watch_.options().retry_wait * (1 << (request.attempts - 1));
      std::fprintf(stderr, "note: %s %s failed (%s); sending it again in %.1f s (retry %d of %d)\n",
                   request.upload ? "the upload" : "the status update", request.letter.c_str(),
                   failure->text.c_str(), std::chrono::duration<double>(wait).count(),
                   request.attempts, watch_.options().retries);
      retry_at_ = std::chrono::steady_clock::now() + wait;
      return;
    }
    if (!request.completed) {
      // A server that did not answer all the tries is not tried again and
      // again for every later request.
      if (failure && Retryable(*failure)) watch_.GiveUpRetries();
      request.completed = true;
      request.reply = text.value_or("");
      request.no_document = !text;
      request.failure = failure;
      request.reply_headers = inner_->LastReplyHeaders();
      request.seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
      if (std::FILE* out = watch_.options().verbose) {
        const std::string said =
            failure ? (text ? std::string(platform::kActionCancelled) + ": " : std::string()) +
                          watch_.Masked(failure->text)
            : text ? "\"" + watch_.Masked(OneLine(*text, 200)) + "\""
                   : std::string("no readable document");
        std::fprintf(out, "< %s (%.0f ms)\n", said.c_str(), request.seconds * 1000);
        std::fflush(out);
      }
    }
    FireDocumentComplete(text);
  }

  RequestWatch& watch_;
  std::unique_ptr<platform::WebBrowser> inner_;
  std::size_t index_ = 0;
  std::chrono::steady_clock::time_point started_{};
  std::optional<std::chrono::steady_clock::time_point> retry_at_;
  std::string url_;
  int flags_ = 0;
  std::optional<std::vector<std::uint8_t>> post_data_;
  std::string headers_;
};

}  // namespace

std::string DryRunFileName(const SeenRequest& request) {
  char name[64];
  std::snprintf(name, sizeof name, "%04d-%s-%s.txt", request.order,
                request.letter.empty() ? "none" : request.letter.c_str(),
                request.upload ? "upload" : "status");
  return name;
}

bool Failed(const SeenRequest& request) {
  return !request.completed || request.not_sent || request.failure ||
         !JudgeReply(request.reply).accepted;
}

std::string RequestWatch::Masked(std::string text) const {
  return platform::MaskKeyIn(text, site_key_);
}

SeenRequest& RequestWatch::Begin(const std::string& url,
                                 const std::optional<std::vector<std::uint8_t>>& body) {
  SeenRequest request;
  request.order = static_cast<int>(requests_.size()) + 1;
  request.upload = body.has_value();
  request.letter = QueryValue(url, "options");
  request.address = Masked(platform::BrowserAddress(url));
  request.bytes = body ? body->size() : 0;
  requests_.push_back(std::move(request));
  return requests_.back();
}

void RequestWatch::WriteDryRunFile(const SeenRequest& request, const std::string& url,
                                   const std::optional<std::vector<std::uint8_t>>& body) {
  if (options_.script_dir.empty()) return;
  const std::string path =
      (std::filesystem::path(options_.script_dir) / DryRunFileName(request)).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (body) {
    out.write(reinterpret_cast<const char*>(body->data()),
              static_cast<std::streamsize>(body->size()));
  } else {
    out << platform::BrowserAddress(url);
  }
  if (!out) {
    std::fprintf(stderr, "vantrel sync: cannot write '%s'\n", path.c_str());
    return;
  }
  files_.push_back(path);
}

std::unique_ptr<platform::WebBrowser> RequestWatch::Watch(
    std::unique_ptr<platform::WebBrowser> inner) {
  if (options_.dry_run) inner = std::make_unique<platform::AcceptingBrowser>(nullptr);
  return std::make_unique<WatchedBrowser>(*this, std::move(inner));
}

std::unique_ptr<platform::WebBrowser> WatchedEnv::CreateWebBrowser() {
  if (watch_.options().dry_run) return watch_.Watch(nullptr);
  return watch_.Watch(SystemEnv::CreateWebBrowser());
}

}  // namespace vantrel::cli
