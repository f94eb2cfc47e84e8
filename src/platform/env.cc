#include "platform/env.h"

#include "platform/system_events.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <thread>

#include "platform/com_error.h"

namespace vantrel::platform {

DateTime SystemEnv::Now() {
  if (fixed_now_) return *fixed_now_;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateTime::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                             local.tm_min, local.tm_sec)
      .value_or(DateTime());
}

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

bool SystemEnv::FindFile(std::string_view pattern) {
  if (pattern.empty() || pattern.find('\0') != std::string_view::npos) {
    throw ComError(kErrBadFileName, "Bad file name or number");
  }
  const std::string path(pattern);
  const std::size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  if (dir.find_first_of("*?") != std::string::npos) {
    throw ComError(kErrBadFileName, "Bad file name or number");
  }
  if (name.find_first_of("*?") == std::string::npos) return IsRegularFile(path);

  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return false;
  bool found = false;
  while (dirent* entry = ::readdir(d)) {
    if (::fnmatch(name.c_str(), entry->d_name, FNM_PERIOD) != 0) continue;
    if (IsRegularFile(dir + (dir.back() == '/' ? "" : "/") + entry->d_name)) {
      found = true;
      break;
    }
  }
  ::closedir(d);
  return found;
}

std::unique_ptr<RequestProcessor> SystemEnv::CreateRequestProcessor() {
  if (!processor_factory_) {
    throw ComError(kErrAutomation, "ActiveX component can't create object");
  }
  return processor_factory_();
}

std::unique_ptr<WebBrowser> SystemEnv::CreateWebBrowser() {
  return NewCurlWebBrowser(browser_options_);
}

void HandleSystemEvents() {}

void IdleWait() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

}  // namespace vantrel::platform
