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
  return [this]() -> std::unique_ptr<platform::RequestProcessor> {
    if (!one_run_) return qb::NewStandinProcessor(company_);
    auto processor = std::make_unique<qb::StandinProcessor>(std::move(company_));
    processor->set_release_after_answer(true);
    return processor;
  };
}

}  // namespace vantrel::host
