#include "platform/http_get.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace vantrel::platform {

namespace {

constexpr std::size_t kMaxPageBytes = std::size_t{16} << 20;

size_t Append(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<std::string*>(user);
  const size_t n = size * count;
  if (body->size() + n > kMaxPageBytes) return 0;
  body->append(data, n);
  return n;
}

struct EasyFree {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

}  // namespace

FetchedPage HttpGet(const std::string& url, std::chrono::milliseconds timeout) {
  FetchedPage page;
  std::unique_ptr<CURL, EasyFree> easy(curl_easy_init());
  if (!easy) {
    page.error = "no transfer handle";
    return page;
  }
  char error[CURL_ERROR_SIZE] = {};
  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, 20L);
  curl_easy_setopt(e, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS,
                   static_cast<long>(std::max<long long>(1, timeout.count())));
  curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &page.body);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, error);
  const CURLcode result = curl_easy_perform(e);
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &page.status);
  if (result != CURLE_OK) {
    // libcurl's detail often ends with its own description: say it once.
    const std::string description = curl_easy_strerror(result);
    page.error = error[0] != '\0' ? std::string(error) : description;
    if (!page.error.starts_with(description) && !page.error.ends_with(description)) {
      page.error = description + ": " + page.error;
    }
    return page;
  }
  page.ok = page.status >= 200 && page.status < 300;
  if (!page.ok) page.error = "HTTP " + std::to_string(page.status);
  return page;
}

}  // namespace vantrel::platform
