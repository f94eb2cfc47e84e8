// The hosting page the site serves at .../page.html: the object tag of the
// control, its parameters filled in from the site's own state.
#ifndef VANTREL_SITE_SITE_PAGE_H_
#define VANTREL_SITE_SITE_PAGE_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::site {

// A page whose object tag carries the placeholders {{WGSecureServerURL}},
// {{SiteCode}}, {{SiteKey}}, the five lexicons ({{CustLexicon}},
// {{EmpLexicon}}, {{ProjLexicon}}, {{SubProjLexicon}}, {{SILexicon}}) and
// one {{...LastSyncDate}} per last-sync key.
extern const char kDefaultPageTemplate[];

// The site's words for what it keeps, as its page gives them to the control
// (which shows them in its list and its messages): the service's own words
// unless the site has others.
struct SiteLexicons {
  std::string CustLexicon = "Customer";
  std::string EmpLexicon = "Employee";
  std::string ProjLexicon = "Project";
  std::string SubProjLexicon = "Sub Project";
  std::string SILexicon = "Service Item";
};

// Sets the lexicon named `name` ("CustLexicon", ...) to `word`; false for a
// name that is none of the five.
bool SetLexicon(SiteLexicons& lexicons, std::string_view name, std::string word);

// The last-sync parameter that the status updates of entity `letter` (any
// letter case) date: "P" gives "CustomerLastSyncDate"; "" for a letter that
// has none.
std::string_view LastSyncKeyOfLetter(std::string_view letter);

// The last-sync rule. An entity's last-sync date is the earliest
// upstarttime among the requests of the run that sent the latest status
// update of its letter (SiteDatabase::LastRunStartTimes: every upload and
// status update recorded after the letter's previous status update), less
// kLastSyncMarginSeconds. Why no record is lost: a run reads QuickBooks
// before it sends any request, and the run that sent the status update began
// after the previous status update of the letter, so its first request is
// among these and no earlier than its read; the margin covers the time from
// the read to that first request (reading the response, walking to the
// first batch). A record changed after the read is thus changed after the
// date, and the next run sends it. The date is at worst earlier than needed,
// which only resends unchanged records: uploads are upserts and keyed lines.
// (The upstarttime of the status update itself is taken when it is sent,
// after the read: dating by it would skip the records changed meanwhile.)
inline constexpr int kLastSyncMarginSeconds = 600;

// The last-sync date that `upstarttimes` (a run's upstarttime texts, uploads
// in the general date form "12/7/2026 5:30:00 AM", status updates as
// "12/04/2026 16:05:09") give by the rule above, as "mm/dd/yyyy hh:mm:ss".
// Texts that are not dates are passed over; "" when none is one (or when the
// date would not be one: a page must never carry a date the control refuses).
std::string LastSyncDate(const std::vector<std::string>& upstarttimes);

// How far ahead of the site's clock a request's upstarttime may be before
// the site takes the time it received the request instead: a client whose
// clock runs days ahead, or a request forged with a date in the future,
// must not date a sync after records it never sent.
inline constexpr int kClockAheadToleranceSeconds = 7 * 24 * 60 * 60;

// The time a request counts with in the rule above: its `upstarttime`, or
// `received_at` (the site's own "mm/dd/yyyy hh:mm:ss") when the upstarttime
// is more than kClockAheadToleranceSeconds later. A text that is not a date
// is returned as it is (and passed over by LastSyncDate).
std::string RequestTime(const std::string& upstarttime, const std::string& received_at);

// The values of the placeholders: the site's address, code, key and
// `lexicons` and, for each last-sync key, the LastSyncDate of its letter's
// last run in `last_runs` (by letter, as SiteDatabase::LastRunStartTimes
// gives them), or "" when the entity has none yet.
std::map<std::string, std::string> PageValues(
    const std::string& base_url, const std::string& site_code, const std::string& site_key,
    const std::map<std::string, std::vector<std::string>>& last_runs,
    const SiteLexicons& lexicons = {});

// `text` with every {{NAME}} of `values` replaced by its value, escaped for
// HTML; a placeholder of another name is left as it stands.
std::string FillPageTemplate(std::string_view text,
                             const std::map<std::string, std::string>& values);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_PAGE_H_
