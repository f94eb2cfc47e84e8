// Small pieces of the site's network side: why an address cannot be bound,
// and addresses and texts with the site key masked.
#ifndef VANTREL_SITE_SITE_NET_H_
#define VANTREL_SITE_SITE_NET_H_

#include <string>
#include <string_view>

namespace vantrel::site {

// Why `host`:`port` cannot be bound, found by trying it with a socket of
// our own (the server library keeps its errno to itself), with what to do
// about it: "Address already in use (another program listens there: ...)".
std::string BindFailure(const std::string& host, int port);

// `target` with the value of its sitekey query key replaced by "***".
std::string MaskSiteKey(std::string_view target);

// `text` with the sitekey query value masked and, for a key of four
// characters or more, `key` masked wherever it stands (a key holding "&"
// runs past the query value).
std::string MaskKeyIn(std::string_view text, const std::string& key);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_NET_H_
