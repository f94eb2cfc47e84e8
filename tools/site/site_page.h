// The hosting page the site serves at .../page.html: the object tag of the
// control, its parameters filled in from the site's own state.
#ifndef VANTREL_SITE_SITE_PAGE_H_
#define VANTREL_SITE_SITE_PAGE_H_

#include <map>
#include <string>
#include <string_view>

namespace vantrel::site {

// `text` with &, <, > and " as HTML entities; with `breaks`, each line break
// (CR LF, CR or LF) as "<br>" and CR LF.
std::string EscapeHtml(std::string_view text, bool breaks = false);

// A page whose object tag carries the placeholders {{WGSecureServerURL}},
// {{SiteCode}}, {{SiteKey}} and one {{...LastSyncDate}} per last-sync key.
extern const char kDefaultPageTemplate[];

// The last-sync parameter that the status updates of entity `letter` (any
// letter case) date: "P" gives "CustomerLastSyncDate"; "" for a letter that
// has none.
std::string_view LastSyncKeyOfLetter(std::string_view letter);

// The values of the placeholders: the site's address, code and key and, for
// each last-sync key, the time of the latest status update of its letter in
// `last_status` (by letter, as SiteDatabase::LastStatusTimes gives it), or ""
// when the entity has none yet.
std::map<std::string, std::string> PageValues(
    const std::string& base_url, const std::string& site_code, const std::string& site_key,
    const std::map<std::string, std::string>& last_status);

// `text` with every {{NAME}} of `values` replaced by its value, escaped for
// HTML; a placeholder of another name is left as it stands.
std::string FillPageTemplate(std::string_view text,
                             const std::map<std::string, std::string>& values);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_PAGE_H_
