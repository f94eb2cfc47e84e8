#include "platform/request_log.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#include "platform/accepting_browser.h"
#include "platform/text_util.h"

namespace vantrel::platform {

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

bool Retryable(const TransferFailure& failure) {
  return failure.kind == TransferFailure::Kind::kConnect ||
         failure.kind == TransferFailure::Kind::kDropped;
}

}  // namespace

// The browser the control gets: the real one (or the dry run's) inside, with
// the log's record, retries and cancel probe around it.
class LoggedBrowser final : public WebBrowser {
 public:
  LoggedBrowser(RequestLog& log, std::unique_ptr<WebBrowser> inner)
      : log_(log), inner_(std::move(inner)) {
    inner_->set_on_document_complete(
        [this](const std::optional<std::string>& text) { OnComplete(text); });
  }

  void Navigate2(const std::string& url, int flags,
                 const std::optional<std::vector<std::uint8_t>>& post_data,
                 const std::string& headers) override {
    retry_at_.reset();
    index_ = log_.requests_.size();
    LoggedRequest& request = log_.Begin(url, post_data);
    if (log_.cancelled()) {
      // After a cancel nothing more goes out: the request waits until the
      // host clicks Cancel for it, and the run ends.
      request.not_sent = true;
      return;
    }
    if (log_.options_.dry_run) log_.WriteDryRunFile(request, url, post_data);
    started_ = std::chrono::steady_clock::now();
    if (log_.hooks_.sent) log_.hooks_.sent(request);
    // The request is kept: it may have to go again. Its body stays the
    // caller's until the navigation ends.
    url_ = url;
    flags_ = flags;
    post_data_ = &post_data;
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
    inner_->Navigate2(url_, flags_, *post_data_, headers_);
  }

  std::optional<TransferFailure> LastFailure() const override { return inner_->LastFailure(); }

  HeaderFields LastReplyHeaders() const override { return inner_->LastReplyHeaders(); }

 private:
  LoggedRequest& Request() { return log_.requests_[index_]; }

  void OnComplete(const std::optional<std::string>& text) {
    LoggedRequest& request = Request();
    const auto failure = text == kActionCancelled || !text ? inner_->LastFailure()
                                                           : std::optional<TransferFailure>();
    if (!request.completed && failure && Retryable(*failure) &&
        request.attempts <= log_.retries_left()) {
      const auto wait = log_.options_.retry_wait * (1 << (request.attempts - 1));
      if (log_.hooks_.retrying) log_.hooks_.retrying(request, *failure, wait);
      retry_at_ = std::chrono::steady_clock::now() + wait;
      return;
    }
    if (!request.completed) {
      if (failure && Retryable(*failure)) log_.gave_up_ = true;
      request.completed = true;
      request.reply = text.value_or("");
      request.no_document = !text;
      request.failure = failure;
      request.reply_headers = inner_->LastReplyHeaders();
      request.seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
      if (log_.hooks_.completed) log_.hooks_.completed(request);
    }
    FireDocumentComplete(text);
  }

  RequestLog& log_;
  std::unique_ptr<WebBrowser> inner_;
  std::size_t index_ = 0;
  std::chrono::steady_clock::time_point started_{};
  std::optional<std::chrono::steady_clock::time_point> retry_at_;
  std::string url_;
  int flags_ = 0;
  const std::optional<std::vector<std::uint8_t>>* post_data_ = nullptr;
  std::string headers_;
};

std::string DryRunFileName(const LoggedRequest& request) {
  char name[64];
  std::snprintf(name, sizeof name, "%04d-%s-%s.txt", request.order,
                request.letter.empty() ? "none" : request.letter.c_str(),
                request.upload ? "upload" : "status");
  return name;
}

void RequestLog::Clear() {
  requests_.clear();
  files_.clear();
  gave_up_ = false;
}

std::string RequestLog::Masked(std::string_view text) const { return MaskKeyIn(text, site_key_); }

LoggedRequest& RequestLog::Begin(const std::string& url,
                                 const std::optional<std::vector<std::uint8_t>>& body) {
  LoggedRequest request;
  request.order = static_cast<int>(requests_.size()) + 1;
  request.upload = body.has_value();
  request.letter = QueryValue(url, "options");
  request.address = Masked(BrowserAddress(url));
  request.bytes = body ? body->size() : 0;
  requests_.push_back(std::move(request));
  return requests_.back();
}

void RequestLog::WriteDryRunFile(const LoggedRequest& request, const std::string& url,
                                 const std::optional<std::vector<std::uint8_t>>& body) {
  if (options_.script_dir.empty()) return;
  const std::string path =
      (std::filesystem::path(options_.script_dir) / DryRunFileName(request)).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  // The address carries the site's key: the file is its owner's alone.
  std::error_code ignored;
  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
      std::filesystem::perm_options::replace, ignored);
  if (body) {
    out.write(reinterpret_cast<const char*>(body->data()),
              static_cast<std::streamsize>(body->size()));
  } else {
    out << BrowserAddress(url);
  }
  if (!out) {
    if (hooks_.file_failed) hooks_.file_failed(path);
    return;
  }
  files_.push_back(path);
}

std::unique_ptr<WebBrowser> RequestLog::Wrap(std::unique_ptr<WebBrowser> inner) {
  if (options_.dry_run) inner = std::make_unique<AcceptingBrowser>(nullptr);
  return std::make_unique<LoggedBrowser>(*this, std::move(inner));
}

std::unique_ptr<WebBrowser> LoggingEnv::CreateWebBrowser() {
  return log_.Wrap(log_.options().dry_run ? nullptr : inner_.CreateWebBrowser());
}

}  // namespace vantrel::platform
