// QuickBooks as both hosts run it: the stand-in with a company file open, or
// not running at all.
#ifndef VANTREL_HOSTS_COMMON_QUICKBOOKS_STANDIN_H_
#define VANTREL_HOSTS_COMMON_QUICKBOOKS_STANDIN_H_

#include <memory>
#include <string>

#include "platform/env.h"
#include "qb_standin/qb_standin.h"

namespace vantrel::host {

class QuickBooksStandin {
 public:
  // Opens the company file at `path` in place of the one open before. Throws
  // UsageError naming the file when it cannot be loaded; the company open
  // before stays open then.
  void Open(const std::string& path);
  // QuickBooks stops running.
  void Close();

  bool running() const { return company_ != nullptr; }
  // The path the open company was loaded from; empty when not running.
  const std::string& path() const { return path_; }

  // Request processors of QuickBooks as it is when each one is created: later
  // Open and Close calls reach the processors made after them. The factory
  // must not outlive this object.
  platform::SystemEnv::ProcessorFactory ProcessorFactory() const;

  // For a host that makes one run: the first processor made takes the company
  // over and lets go of it once it has answered the run's request, so that
  // the company's memory is freed while the run goes on.
  void set_one_run(bool one_run) { one_run_ = one_run; }

 private:
  mutable std::shared_ptr<const qb::Company> company_;
  bool one_run_ = false;
  std::string path_;
};

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_QUICKBOOKS_STANDIN_H_
