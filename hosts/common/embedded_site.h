// The stand-in site served in process, for a run without a real server.
#ifndef VANTREL_HOSTS_COMMON_EMBEDDED_SITE_H_
#define VANTREL_HOSTS_COMMON_EMBEDDED_SITE_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/values.h"
#include "site/site_server.h"

namespace vantrel::host {

// A new, empty temporary folder's "site.sqlite". Throws UsageError when the
// folder cannot be made.
std::string TemporarySiteDb();

// The site's pages served on a free loopback port over the database at
// `db_path`, answering to `site_code` and `site_key`; started. Throws
// UsageError("cannot start the embedded site: ...") when it cannot start.
std::unique_ptr<site::SiteServer> StartEmbeddedSite(const std::string& db_path,
                                                    const std::string& site_code,
                                                    const std::string& site_key);

// Reads the site's own hosting page over HTTP, as the service's page would be
// read, and puts each last-sync date it gives into `bag`, except for the keys
// `keep` holds on to. Returns the keys taken. Throws UsageError when the page
// cannot be read.
std::vector<std::string> TakeSiteDates(const site::SiteServer& server, platform::PropertyBag& bag,
                                       const std::function<bool(std::string_view key)>& keep);

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_EMBEDDED_SITE_H_
