// SystemEnv and EventPump on Windows: the local clock, FindFirstFileW, the
// WinHTTP browser, the COM request processor and the thread's message loop.
#include <algorithm>
#include <thread>

#include "platform/com_error.h"
#include "platform/env.h"
#include "platform/system_events.h"
#include "platform/windows/windows_platform.h"

#include "platform/windows/com_util.h"

namespace vantrel::platform {

DateTime SystemEnv::Now() {
  if (fixed_now_) return *fixed_now_;
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return DateTime::FromParts(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                             local.wSecond)
      .value_or(DateTime());
}

bool SystemEnv::FindFile(std::string_view pattern) {
  if (pattern.empty() || pattern.find('\0') != std::string_view::npos) {
    throw ComError(kErrBadFileName, "Bad file name or number");
  }
  const std::size_t slash = pattern.find_last_of("/\\");
  const std::string_view dir = slash == std::string_view::npos ? "" : pattern.substr(0, slash);
  if (dir.find_first_of("*?") != std::string_view::npos) {
    throw ComError(kErrBadFileName, "Bad file name or number");
  }
  if (slash + 1 == pattern.size()) return false;  // a folder, no file name
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(win::Widen(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME) {
      throw ComError(kErrBadFileName, "Bad file name or number");
    }
    return false;
  }
  bool file = false;
  do {
    // Normal files only: folders, hidden and system files are not found.
    constexpr DWORD kSkipped =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    file = (found.dwFileAttributes & kSkipped) == 0;
  } while (!file && FindNextFileW(search, &found));
  FindClose(search);
  return file;
}

std::unique_ptr<RequestProcessor> SystemEnv::CreateRequestProcessor() {
  if (processor_factory_) return processor_factory_();
  return NewComRequestProcessor();
}

std::unique_ptr<WebBrowser> SystemEnv::CreateWebBrowser() { return NewWinHttpWebBrowser(); }

bool PumpWindowMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return false;
}

void HandleSystemEvents() { PumpWindowMessages(); }

void IdleWait() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT); }

}  // namespace vantrel::platform
