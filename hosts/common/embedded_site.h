// The stand-in site served in process, for a run without a real server.
#ifndef VANTREL_HOSTS_COMMON_EMBEDDED_SITE_H_
#define VANTREL_HOSTS_COMMON_EMBEDDED_SITE_H_

#include <memory>
#include <string>
#include <vector>

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

}  // namespace vantrel::host

#endif  // VANTREL_HOSTS_COMMON_EMBEDDED_SITE_H_
