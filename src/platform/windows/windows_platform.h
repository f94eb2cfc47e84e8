// The Windows services behind the platform seam: the WinHTTP browser and the
// QuickBooks SDK's request processor reached through COM. SystemEnv (see
// platform/env.h) uses both on Windows; the clock and the file search are
// the system's own (GetLocalTime, FindFirstFileW), and the event pump runs
// the thread's message loop.
#ifndef VANTREL_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H_
#define VANTREL_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H_

#include <memory>
#include <string>

#include "platform/request_processor.h"
#include "platform/web_browser.h"

namespace vantrel::platform {

// The browser over WinHTTP. Each navigation runs on a worker thread of its
// own; Poll hands its document to the calling thread. It follows the rules of
// the libcurl browser (see NewCurlWebBrowser) with these differences: frames
// of a frameset page are not loaded (the page completes with nullopt), and
// connections are not kept between navigations. Redirects are never followed;
// the whole-request time of `options` is enforced by Poll, the connect time
// and the stall time by WinHTTP's own timeouts.
std::unique_ptr<WebBrowser> NewWinHttpWebBrowser(const CurlBrowserOptions& options = {});

// The ProgID of the QuickBooks SDK's request processor.
inline constexpr wchar_t kRequestProcessorProgId[] = L"QBXMLRP2.RequestProcessor";

// A new request processor: an instance of the COM class registered under
// `prog_id`, called late-bound (IDispatch by name). The calling thread must
// have initialized COM. Throws ComError(429, "ActiveX component can't create
// object") when the class is not registered or cannot be created; the
// operations throw ComError with the error's number, description and source
// as the object raised it.
std::unique_ptr<RequestProcessor> NewComRequestProcessor(
    const wchar_t* prog_id = kRequestProcessorProgId);

// Lets the thread's pending window messages run once (the message loop's
// share of a wait); returns whether a WM_QUIT was seen (it is posted again).
bool PumpWindowMessages();

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_WINDOWS_WINDOWS_PLATFORM_H_
