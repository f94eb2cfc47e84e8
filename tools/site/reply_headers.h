// What the upload and status pages tell in header fields of their replies,
// beside the reply text (which stays as the pages' contract has it), so that
// a client can count what its run did without reading the site's tables:
//
//   X-Vantrel-Rows: TABLE=INSERTED/UPDATED;TABLE=INSERTED/UPDATED
//     On every reply of the two pages: per table the request changed, in
//     name order, the rows it inserted and the rows its updates reached (for
//     lines: lines stored over earlier ones). "none" when it changed no
//     table: a status update, a refused, forced or "No data to upload. "
//     reply.
//   X-Vantrel-Line-Warning: LETTER;LINE;KEY;KIND;LISTID
//     One field per reference of a stored line that the site lacks
//     (LineWarning in site/site_database.h), in order: the upload's options
//     letter, the line's number from 1, its key, the kind of record
//     ("employee/vendor", "customer/project", "item") and the ListID.
//   X-Vantrel-Line-Warnings-Untold: N
//     Only when the warning fields would pass kMostWarningBytes: the N
//     warnings after the ones told.
//
// The line warnings keep their order among themselves; fields of different
// names may go out in any order.
// Table names, letters, keys, kinds and ListIDs are cut to kMostTextBytes
// and then written with PercentEncode (platform/text_util.h) with "%", ";"
// and "=" reserved: every value is printable ASCII without blanks, so that
// no text from an upload can break or forge a header field.
#ifndef VANTREL_SITE_REPLY_HEADERS_H_
#define VANTREL_SITE_REPLY_HEADERS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "site/site_database.h"

namespace vantrel::site {

inline constexpr char kRowsHeader[] = "X-Vantrel-Rows";
inline constexpr char kLineWarningHeader[] = "X-Vantrel-Line-Warning";
inline constexpr char kUntoldHeader[] = "X-Vantrel-Line-Warnings-Untold";
inline constexpr std::size_t kMostTextBytes = 100;
inline constexpr std::size_t kMostWarningBytes = 32 * 1024;

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

// The header fields above for a request to one of the pages under
// `letter` (its options value) that changed `rows` and stored lines with
// `warnings`.
HeaderFields ReplyHeaders(std::string_view letter, const RowTally& rows,
                          const std::vector<LineWarning>& warnings);

}  // namespace vantrel::site

#endif  // VANTREL_SITE_REPLY_HEADERS_H_
