// Date-time values counted from the zero date-time, 30 December 1899 00:00:00,
// to the second, with the texts of US English regional settings.
#ifndef VANTREL_PLATFORM_DATE_TIME_H_
#define VANTREL_PLATFORM_DATE_TIME_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

class DateTime {
 public:
  // The zero date-time, 12/30/1899 00:00:00.
  DateTime() = default;

  // A valid calendar date and time of day (years 100 to 9999); nullopt otherwise.
  static std::optional<DateTime> FromParts(int year, int month, int day, int hour = 0,
                                           int minute = 0, int second = 0);
  static DateTime FromSeconds(std::int64_t seconds) { return DateTime(seconds); }

  // Seconds since the zero date-time (negative before it).
  std::int64_t seconds() const { return seconds_; }
  bool IsZero() const { return seconds_ == 0; }

  int Year() const;
  int Month() const;
  int Day() const;
  int Hour() const;
  int Minute() const;
  int Second() const;

  // The date alone, at midnight.
  DateTime DatePart() const;

  // "mm/dd/yyyy hh:mm:ss" with a 24-hour clock: 10/23/2007 15:05:58.
  std::string AuditText() const;
  // The general date: the short date "m/d/yyyy", a blank and the long time
  // "h:mm:ss AM"; the time is left
  // out at midnight and the date on the zero day (so the zero date-time reads
  // "12:00:00 AM"): 10/23/2007 3:05:58 PM, 10/23/2007.
  std::string GeneralText() const;
  // AuditText and GeneralText appended to `out`, without a text of their own.
  void AppendAuditText(std::string& out) const;
  void AppendGeneralText(std::string& out) const;

  friend auto operator<=>(const DateTime&, const DateTime&) = default;

 private:
  explicit DateTime(std::int64_t seconds) : seconds_(seconds) {}
  std::int64_t seconds_ = 0;
};

// The text-to-date conversion of US English settings. Accepts a month-first
// date "m/d/yyyy" (or with "-"), an ISO date "yyyy-mm-dd", either followed by a
// time, or a time alone ("h:mm[:ss]" with an optional AM or PM, blank before it
// optional), which gives that time on the zero day. Leading and trailing blanks
// are ignored. nullopt when the text is not a date.
std::optional<DateTime> ParseDateText(std::string_view text);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_DATE_TIME_H_
