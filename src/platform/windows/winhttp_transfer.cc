#include "platform/windows/winhttp_transfer.h"

#include "platform/windows/com_util.h"

#include <winhttp.h>

namespace vantrel::platform::win {

namespace {

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; Vantrel)";

// The parts of an address WinHTTP connects with; false when it is none.
struct UrlParts {
  bool secure = false;
  INTERNET_PORT port = 0;
  std::wstring host;
  std::wstring path;  // path and query
};

bool Crack(const std::string& url, UrlParts& parts) {
  const std::wstring wide = Widen(url);
  URL_COMPONENTS c{};
  c.dwStructSize = sizeof(c);
  c.dwSchemeLength = c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = 1;
  if (!WinHttpCrackUrl(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (c.dwHostNameLength == 0) return false;
  parts.secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  parts.port = c.nPort;
  parts.host.assign(c.lpszHostName, c.dwHostNameLength);
  parts.path.assign(c.lpszUrlPath, c.dwUrlPathLength);
  parts.path.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.path.empty() || parts.path[0] != L'/') parts.path.insert(0, L"/");
  return true;
}

TransferFailure FailureOf(DWORD error) {
  TransferFailure failure;
  const char* what = "the request failed";
  switch (error) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
      failure.kind = TransferFailure::Kind::kConnect;
      what = "could not connect to the server";
      break;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      failure.kind = TransferFailure::Kind::kConnect;
      what = "the server name was not resolved";
      break;
    case ERROR_WINHTTP_TIMEOUT:
      failure.kind = TransferFailure::Kind::kTimeout;
      what = "the operation timed out";
      break;
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      failure.kind = TransferFailure::Kind::kDropped;
      what = "the connection was reset or closed before a whole reply came";
      break;
    default:
      failure.kind = TransferFailure::Kind::kOther;
  }
  failure.text = std::string("WinHTTP error ") + std::to_string(error) + ": " + what;
  return failure;
}

std::string QueryText(HINTERNET request, DWORD what) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return std::string();
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX)) {
    return std::string();
  }
  text.resize(bytes / sizeof(wchar_t));
  return Narrow(text);
}

// The header fields of the reply, from WinHTTP's raw header block (its
// first line, the status line, left out).
WebBrowser::HeaderFields HeaderFieldsOf(const std::string& raw) {
  WebBrowser::HeaderFields fields;
  std::size_t pos = raw.find("\r\n");
  while (pos != std::string::npos && pos + 2 < raw.size()) {
    const std::size_t start = pos + 2;
    std::size_t end = raw.find("\r\n", start);
    if (end == std::string::npos) end = raw.size();
    const std::string line = raw.substr(start, end - start);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
      const std::size_t first = line.find_first_not_of(" \t", colon + 1);
      const std::size_t last = line.find_last_not_of(" \t");
      fields.emplace_back(line.substr(0, colon),
                          first == std::string::npos ? "" : line.substr(first, last - first + 1));
    }
    pos = end == raw.size() ? std::string::npos : end;
  }
  return fields;
}

// Reads the reply into `out`; false (with the failure set) when it broke off
// or grew past the limit.
bool ReadBody(HINTERNET request, std::size_t limit, TransferOutcome& out) {
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) {
      out.failure = FailureOf(GetLastError());
      return false;
    }
    if (available == 0) return true;
    if (out.body.size() + available > limit) {
      out.failure = TransferFailure{TransferFailure::Kind::kOther, "the reply is too long", ""};
      return false;
    }
    const std::size_t at = out.body.size();
    out.body.resize(at + available);
    DWORD read = 0;
    if (!WinHttpReadData(request, out.body.data() + at, available, &read)) {
      out.failure = FailureOf(GetLastError());
      return false;
    }
    out.body.resize(at + read);
    if (read == 0) return true;
  }
}

// Sends the request on `request` and reads the reply.
TransferOutcome Exchange(HINTERNET request, const TransferRequest& r) {
  TransferOutcome out;
  std::wstring headers;
  for (const std::string& line : r.header_lines) headers += Widen(line) + L"\r\n";
  const DWORD length = r.post_data ? static_cast<DWORD>(r.post_data->size()) : 0;
  void* body = r.post_data && !r.post_data->empty() ? const_cast<std::uint8_t*>(r.post_data->data())
                                                    : WINHTTP_NO_REQUEST_DATA;
  if (!WinHttpSendRequest(request,
                          headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                          static_cast<DWORD>(headers.size()), body, length, length, 0) ||
      !WinHttpReceiveResponse(request, nullptr)) {
    out.failure = FailureOf(GetLastError());
    return out;
  }
  DWORD status = 0, size = sizeof(status);
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  out.status = status;
  out.content_type = QueryText(request, WINHTTP_QUERY_CONTENT_TYPE);
  out.location = QueryText(request, WINHTTP_QUERY_LOCATION);
  out.headers = HeaderFieldsOf(QueryText(request, WINHTTP_QUERY_RAW_HEADERS_CRLF));
  ReadBody(request, r.max_body_bytes, out);
  return out;
}

void CloseIf(HINTERNET handle) {
  if (handle != nullptr) WinHttpCloseHandle(handle);
}

}  // namespace

bool IsWebAddress(const std::string& url) {
  UrlParts parts;
  return Crack(url, parts);
}

namespace {

struct Job {
  std::shared_ptr<Transfer> transfer;
  TransferRequest request;
  HMODULE module = nullptr;
};

// The worker holds a reference on the module whose code it runs (the control
// library, when it is one), so that the module stays loaded until the
// worker has ended, even when its host released every object meanwhile.
DWORD WINAPI RunJob(void* param) {
  auto* job = static_cast<Job*>(param);
  HMODULE module = job->module;
  job->transfer->Run(job->request);
  delete job;
  if (module != nullptr) FreeLibraryAndExitThread(module, 0);
  return 0;
}

}  // namespace

std::shared_ptr<Transfer> Transfer::Start(TransferRequest request) {
  auto transfer = std::make_shared<Transfer>();
  auto* job = new Job{transfer, std::move(request), nullptr};
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&RunJob),
                     &job->module);
  HANDLE thread = CreateThread(nullptr, 0, &RunJob, job, 0, nullptr);
  if (thread == nullptr) {
    if (job->module != nullptr) FreeLibrary(job->module);
    delete job;
    TransferOutcome outcome;
    outcome.failure =
        TransferFailure{TransferFailure::Kind::kOther, "no thread for the request", ""};
    transfer->Finish(std::move(outcome));
    return transfer;
  }
  CloseHandle(thread);
  return transfer;
}

void Transfer::Run(const TransferRequest& r) {
  UrlParts parts;
  if (!Crack(r.url, parts)) {
    TransferOutcome outcome;
    outcome.failure = TransferFailure{TransferFailure::Kind::kOther, "not a web address", ""};
    Finish(std::move(outcome));
    return;
  }
  HINTERNET session = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  const int connect_ms = static_cast<int>(std::max<long long>(1, r.connect_timeout.count()));
  const int stall_ms = static_cast<int>(std::max<long long>(1000, r.stall_timeout.count()));
  if (session != nullptr) WinHttpSetTimeouts(session, 0, connect_ms, stall_ms, stall_ms);
  HINTERNET connect =
      session != nullptr ? WinHttpConnect(session, parts.host.c_str(), parts.port, 0) : nullptr;
  const DWORD flags = (parts.secure ? WINHTTP_FLAG_SECURE : 0) | WINHTTP_FLAG_ESCAPE_DISABLE |
                      WINHTTP_FLAG_ESCAPE_DISABLE_QUERY;
  HINTERNET request =
      connect != nullptr
          ? WinHttpOpenRequest(connect, r.post_data ? L"POST" : L"GET", parts.path.c_str(), nullptr,
                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags)
          : nullptr;
  TransferOutcome outcome;
  if (request == nullptr) {
    outcome.failure = FailureOf(GetLastError());
  } else {
    // A redirect is never followed: a POST must not turn into a GET, nor
    // carry the script to another host.
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(request, WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof(never));
    DWORD no_redirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &no_redirects, sizeof(no_redirects));
    if (Track(request)) outcome = Exchange(request, r);
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (request_handle_ != nullptr) CloseIf(request);
    request_handle_ = nullptr;
  }
  CloseIf(connect);
  CloseIf(session);
  Finish(std::move(outcome));
}

bool Transfer::Track(void* handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (cancelled_) {
    WinHttpCloseHandle(handle);
    return false;
  }
  request_handle_ = handle;
  return true;
}

void Transfer::Finish(TransferOutcome outcome) {
  std::lock_guard<std::mutex> lock(mutex_);
  outcome_ = std::move(outcome);
  done_ = true;
  done_cv_.notify_all();
}

void Transfer::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = true;
  if (request_handle_ != nullptr) {
    // Closing the handle ends the worker's blocking call.
    WinHttpCloseHandle(request_handle_);
    request_handle_ = nullptr;
  }
}

std::optional<TransferOutcome> Transfer::Wait(std::chrono::milliseconds max_wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!done_cv_.wait_for(lock, max_wait, [this] { return done_; })) return std::nullopt;
  return std::move(outcome_);
}

}  // namespace vantrel::platform::win
