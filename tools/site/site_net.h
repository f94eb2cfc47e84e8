// Small pieces of the site's network side: why an address cannot be bound.
#ifndef VANTREL_SITE_SITE_NET_H_
#define VANTREL_SITE_SITE_NET_H_

#include <string>

#include "platform/text_util.h"

namespace vantrel::site {

// Why `host`:`port` cannot be bound, found by trying it with a socket of
// our own (the server library keeps its errno to itself), with what to do
// about it: "Address already in use (another program listens there: ...)".
std::string BindFailure(const std::string& host, int port);

// The site masks keys in its log as the hosts do: platform/text_util.h.
using platform::MaskKeyIn;
using platform::MaskSiteKey;

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_NET_H_
