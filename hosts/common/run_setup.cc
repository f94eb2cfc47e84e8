#include "common/run_setup.h"

#include <system_error>

#include "common/bag_loading.h"
#include "common/embedded_site.h"

namespace vantrel::host {

RunSetup::RunSetup(platform::RequestLogOptions options)
    : system_env_(quickbooks_.ProcessorFactory()),
      log_(std::move(options)),
      logging_env_(system_env_, log_) {}

RunSetup::~RunSetup() {
  StopSite();
  if (temporary_folder_.empty() || keep_temporary_) return;
  std::error_code error;
  std::filesystem::remove_all(temporary_folder_, error);
}

void RunSetup::StartSite(const std::string& db_path, const std::string& site_code,
                         const std::string& site_key) {
  StopSite();
  if (db_path.empty() && temporary_db_.empty()) {
    temporary_db_ = TemporarySiteDb();
    temporary_folder_ = std::filesystem::path(temporary_db_).parent_path();
  }
  site_db_ = db_path.empty() ? temporary_db_ : db_path;
  site_ = StartEmbeddedSite(site_db_, site_code, site_key);
  site_code_ = site_code;
  site_key_ = site_key;
}

void RunSetup::StopSite() {
  if (site_) site_->Stop();
  site_.reset();
}

void RunSetup::Load(VantrelCtl& ctl, const platform::PropertyBag& bag) {
  LoadBag(ctl, bag);
  if (site_ == nullptr) return;
  // The site answers only to the control's code and key.
  if (site_code_ != ctl.SiteCode || site_key_ != ctl.SiteKey) {
    StartSite(site_db_, ctl.SiteCode, ctl.SiteKey);
  }
  ctl.WGSecureServerURL = site_->base_url();
}

std::vector<std::string> RunSetup::PrepareRun(VantrelCtl& ctl, platform::PropertyBag bag,
                                              const KeepDate& keep) {
  log_.Clear();
  std::vector<std::string> taken;
  if (site_ != nullptr) {
    // A run against the site starts from its last-sync dates, as the
    // service's page gives them, so that it sends only what changed.
    try {
      taken = TakeSiteDates(*site_, bag, keep);
      LoadBag(ctl, bag);
    } catch (const UsageError&) {
      ctl.WGSecureServerURL = site_->base_url();
      log_.set_site_key(ctl.SiteKey);
      throw;
    }
    ctl.WGSecureServerURL = site_->base_url();
  } else if (log_.options().dry_run &&
             ctl.WGSecureServerURL.find_first_not_of(' ') == std::string::npos) {
    ctl.WGSecureServerURL = kDryRunAddress;
  }
  log_.set_site_key(ctl.SiteKey);
  return taken;
}

}  // namespace vantrel::host
