// The hosts' page fetch over WinHTTP (redirects are not followed here either).
#include "platform/http_get.h"
#include "platform/web_browser.h"
#include "platform/windows/winhttp_transfer.h"

namespace vantrel::platform {

FetchedPage HttpGet(const std::string& url, std::chrono::milliseconds timeout) {
  FetchedPage page;
  const std::string address = BrowserAddress(url);
  if (!win::IsWebAddress(address)) {
    page.error = "not an http or https address";
    return page;
  }
  win::TransferRequest request;
  request.url = address;
  request.connect_timeout = timeout;
  request.stall_timeout = timeout;
  request.max_body_bytes = 64 * 1024 * 1024;
  std::shared_ptr<win::Transfer> transfer = win::Transfer::Start(std::move(request));
  std::optional<win::TransferOutcome> outcome = transfer->Wait(timeout);
  if (!outcome) {
    transfer->Cancel();
    page.error = "the request timed out";
    return page;
  }
  if (outcome->failure) {
    page.error = outcome->failure->text;
    return page;
  }
  page.status = static_cast<long>(outcome->status);
  page.body = std::move(outcome->body);
  page.ok = page.status >= 200 && page.status < 300;
  if (!page.ok) page.error = "HTTP " + std::to_string(page.status);
  return page;
}

}  // namespace vantrel::platform
