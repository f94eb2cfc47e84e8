#include "common/embedded_site.h"

#include <stdlib.h>

#include <filesystem>

#include "common/bag_loading.h"
#include "common/host_args.h"
#include "control/vantrel_ctl.h"
#include "platform/html_params.h"

namespace vantrel::host {

std::string TemporarySiteDb() {
  std::string dir_template =
      (std::filesystem::temp_directory_path() / "vantrel-site-XXXXXX").string();
  if (::mkdtemp(dir_template.data()) == nullptr) throw UsageError("cannot make a temporary folder");
  return dir_template + "/site.sqlite";
}

std::unique_ptr<site::SiteServer> StartEmbeddedSite(const std::string& db_path,
                                                    const std::string& site_code,
                                                    const std::string& site_key) {
  site::SiteOptions options;
  options.db_path = db_path;
  options.site_code = site_code;
  options.site_key = site_key;
  options.request_log_limit = 0;  // nobody reads it; a long run must not pile it up
  auto server = std::make_unique<site::SiteServer>(options);
  try {
    server->Start();
  } catch (const std::exception& e) {
    throw UsageError(std::string("cannot start the embedded site: ") + e.what());
  }
  return server;
}

std::vector<std::string> TakeSiteDates(const site::SiteServer& server, platform::PropertyBag& bag,
                                       const std::function<bool(std::string_view key)>& keep) {
  const std::string page = server.base_url() + "page.html";
  const auto params = platform::ReadObjectParams(ReadPage(page));
  if (!params) throw UsageError("the embedded site's page " + page + " has no <object>");
  std::vector<std::string> taken;
  for (const EntityRow* owner : LastSyncOwners()) {
    const std::string key(owner->last_sync_key);
    const auto value = params->Read(key);
    if (!value || value->find_first_not_of(" \t") == std::string::npos) continue;
    if (keep && keep(key)) continue;
    bag.Set(key, *value);
    taken.push_back(key);
  }
  return taken;
}

}  // namespace vantrel::host
