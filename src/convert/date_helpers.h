// Dates of the converters: qbXML date-times and the two texts of the script.
#ifndef VANTREL_CONVERT_DATE_HELPERS_H_
#define VANTREL_CONVERT_DATE_HELPERS_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace vantrel {

// A qbXML date-time "2007-10-23T15:05:58-08:00" as the local date and time it
// writes; the UTC offset, whatever its form, is ignored. nullopt when the text
// does not have that form (too short, fields not numbers, not a date).
std::optional<platform::DateTime> ParseQBDateTime(std::string_view text);

// A qbXML date "2007-06-01" (or any text the text-to-date conversion reads)
// as a date-time at midnight; nullopt when it is not a date.
std::optional<platform::DateTime> ParseQBDate(std::string_view text);

// "mm/dd/yyyy hh:mm:ss" with a 24-hour clock: 10/23/2007 15:05:58.
inline std::string AuditDateText(platform::DateTime value) { return value.AuditText(); }

// The general date text: 10/23/2007 3:05:58 PM; the time left out at midnight.
inline std::string GeneralDateText(platform::DateTime value) { return value.GeneralText(); }

// `value` formatted as audit text and read back: whole seconds only.
platform::DateTime ToWholeSeconds(platform::DateTime value);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_DATE_HELPERS_H_
