#include "common/quickbooks_standin.h"

#include "common/host_args.h"

namespace vantrel::host {

void QuickBooksStandin::Open(const std::string& path) {
  try {
    company_ = qb::LoadCompany(path);
  } catch (const std::exception& e) {
    throw UsageError(e.what());
  }
  path_ = path;
}

void QuickBooksStandin::Close() {
  company_.reset();
  path_.clear();
}

platform::SystemEnv::ProcessorFactory QuickBooksStandin::ProcessorFactory() const {
  return [this] { return qb::NewStandinProcessor(company_); };
}

}  // namespace vantrel::host
