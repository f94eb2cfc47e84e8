// The texts that the list converters write as the values of their statements:
// quoted and cut texts, the two date texts, and the level of a record.
// Everything appends to a caller's buffer so that a statement is built in
// place, without temporaries.
#ifndef VANTREL_CONVERT_SQL_VALUES_H_
#define VANTREL_CONVERT_SQL_VALUES_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace vantrel {

// The longest text that the apostrophe doubling accepts, in characters; an
// uncut text beyond it cannot be quoted and is written as ''.
inline constexpr std::size_t kMaxQuotedCharacters = 32767;

// The number of characters of UTF-8 `text` as the platform's strings count
// them (UTF-16 units: a character beyond the basic plane counts two).
std::size_t CharacterCount(std::string_view text);

// The first `limit` characters of UTF-8 `text` (counted as CharacterCount
// does; a character that does not fit whole is left out).
std::string_view CutToCharacters(std::string_view text, std::size_t limit);

// Appends an apostrophe, `text` cut to `limit` characters (0: not cut) with
// every apostrophe in it doubled, and an apostrophe. The cut comes first, so
// a doubled apostrophe never counts against the limit. An uncut text longer
// than kMaxQuotedCharacters is written as ''.
void AppendQuotedText(std::string& out, std::string_view text, std::size_t limit);

// Appends an apostrophe, `text` cut to `limit` characters (0: not cut) with
// every apostrophe in it doubled, and an apostrophe, whatever the text's
// length. For the values that are written without the quoting call (ListIDs
// and the raw columns): they skip its length limit, but a text from
// QuickBooks or the host must never end the literal it stands in.
void AppendQuotedTextUnlimited(std::string& out, std::string_view text, std::size_t limit);

// True when `text` is a plain decimal number: an optional sign, digits, and
// an optional "." with digits (at least one digit in all), as QuickBooks
// writes amounts and counts.
bool IsPlainDecimal(std::string_view text);

// Appends `value` in decimal digits, with a minus sign when negative.
void AppendNumber(std::string& out, long long value);

// Appends `value` as "mm/dd/yyyy hh:mm:ss" with a 24-hour clock.
void AppendAuditDate(std::string& out, platform::DateTime value);

// Appends `value` in the general date form: short date, a blank and the long
// time ("10/23/2007 3:05:58 PM"); the time left out at midnight, the date on
// the zero day ("12:00:00 AM" for the zero date-time).
void AppendGeneralDate(std::string& out, platform::DateTime value);

// Appends the level of a record: the numeric value of `sublevel` plus one as a
// plain number; a text that is no number counts as 0 (so it gives 1).
void AppendLevel(std::string& out, std::string_view sublevel);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_SQL_VALUES_H_
