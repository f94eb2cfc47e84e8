#include "platform/date_time.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/text_util.h"

namespace vantrel::platform {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

namespace chrono = std::chrono;

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
constexpr std::int64_t DaysFromCivil(int year, int month, int day) {
  return chrono::sys_days(chrono::year(year) / month / day).time_since_epoch().count();
}

struct Civil {
  int year;
  int month;
  int day;
};

Civil CivilFromDays(std::int64_t days) {
  const chrono::year_month_day date{chrono::sys_days(chrono::days(days))};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day()))};
}

// Days from 1970-01-01 to the zero date-time, 1899-12-30.
constexpr std::int64_t kZeroDay = DaysFromCivil(1899, 12, 30);

// The number of days of `month` (1 to 12) of `year`.
int DaysInMonth(int year, int month) {
  return static_cast<int>(static_cast<unsigned>((chrono::year(year) / month / chrono::last).day()));
}

// A small scanner over the text of a date.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void SkipBlanks() {
    while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }
  // Reads 1 to `max_digits` digits.
  bool Number(int* value, int* digits, int max_digits = 4) {
    int v = 0;
    int n = 0;
    while (!AtEnd() && n < max_digits && std::isdigit(static_cast<unsigned char>(text_[pos_]))) {
      v = v * 10 + (text_[pos_] - '0');
      ++pos_;
      ++n;
    }
    if (n == 0) return false;
    if (!AtEnd() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) return false;
    *value = v;
    *digits = n;
    return true;
  }
  bool Accept(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  // Accepts "AM" or "PM" in any letter case; sets *pm.
  bool AmPm(bool* pm) {
    const std::string_view marker = text_.substr(pos_, 2);
    if (EqualsNoCase(marker, "PM")) {
      *pm = true;
    } else if (EqualsNoCase(marker, "AM")) {
      *pm = false;
    } else {
      return false;
    }
    pos_ += 2;
    return true;
  }
  std::size_t pos() const { return pos_; }
  void set_pos(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

int ExpandYear(int year, int digits) {
  if (digits > 2) return year;
  return year < 30 ? 2000 + year : 1900 + year;
}

// Parses "h:mm[:ss][ ][AM|PM]" at the scanner's position.
bool ParseTime(Scanner& s, int* hour, int* minute, int* second) {
  int h = 0, mi = 0, se = 0, digits = 0;
  if (!s.Number(&h, &digits, 2)) return false;
  if (!s.Accept(':')) return false;
  if (!s.Number(&mi, &digits, 2)) return false;
  if (s.Accept(':')) {
    if (!s.Number(&se, &digits, 2)) return false;
  }
  const std::size_t before = s.pos();
  s.SkipBlanks();
  bool pm = false;
  if (s.AmPm(&pm)) {
    // A 24-hour value keeps its hour whatever the marker says.
    if (h <= 12) {
      if (pm && h < 12) h += 12;
      if (!pm && h == 12) h = 0;
    }
  } else {
    s.set_pos(before);
  }
  if (h > 23 || mi > 59 || se > 59) return false;
  *hour = h;
  *minute = mi;
  *second = se;
  return true;
}

}  // namespace

std::optional<DateTime> DateTime::FromParts(int year, int month, int day, int hour, int minute,
                                            int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59) {
    return std::nullopt;
  }
  const std::int64_t days = DaysFromCivil(year, month, day) - kZeroDay;
  return DateTime(days * kSecondsPerDay + hour * 3600 + minute * 60 + second);
}

namespace {
// The day of `seconds` counted from the zero day, rounded down (so the
// seconds before the zero date-time fall on negative days).
std::int64_t DayNumber(std::int64_t seconds) {
  return chrono::floor<chrono::days>(chrono::seconds(seconds)).count();
}
std::int64_t TimeOfDay(std::int64_t seconds) {
  return seconds - DayNumber(seconds) * kSecondsPerDay;
}
}  // namespace

int DateTime::Year() const { return CivilFromDays(DayNumber(seconds_) + kZeroDay).year; }
int DateTime::Month() const { return CivilFromDays(DayNumber(seconds_) + kZeroDay).month; }
int DateTime::Day() const { return CivilFromDays(DayNumber(seconds_) + kZeroDay).day; }
int DateTime::Hour() const { return static_cast<int>(TimeOfDay(seconds_) / 3600); }
int DateTime::Minute() const { return static_cast<int>(TimeOfDay(seconds_) % 3600 / 60); }
int DateTime::Second() const { return static_cast<int>(TimeOfDay(seconds_) % 60); }

DateTime DateTime::DatePart() const { return DateTime(DayNumber(seconds_) * kSecondsPerDay); }

namespace {

// Digits appended by hand: these texts are written several times per record.
void AppendDigits(std::string& out, int value, int width) {
  char buf[12];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 || n < width);
  while (n > 0) out += buf[--n];
}

}  // namespace

void DateTime::AppendAuditText(std::string& out) const {
  const Civil c = CivilFromDays(DayNumber(seconds_) + kZeroDay);
  AppendDigits(out, c.month, 2);
  out += '/';
  AppendDigits(out, c.day, 2);
  out += '/';
  AppendDigits(out, c.year, 4);
  out += ' ';
  AppendDigits(out, Hour(), 2);
  out += ':';
  AppendDigits(out, Minute(), 2);
  out += ':';
  AppendDigits(out, Second(), 2);
}

void DateTime::AppendGeneralText(std::string& out) const {
  const bool has_date = DayNumber(seconds_) != 0;
  const bool has_time = TimeOfDay(seconds_) != 0;
  if (has_date) {
    const Civil c = CivilFromDays(DayNumber(seconds_) + kZeroDay);
    AppendDigits(out, c.month, 1);
    out += '/';
    AppendDigits(out, c.day, 1);
    out += '/';
    AppendDigits(out, c.year, 4);
    if (!has_time) return;
    out += ' ';
  }
  const int h = Hour();
  AppendDigits(out, h % 12 == 0 ? 12 : h % 12, 1);
  out += ':';
  AppendDigits(out, Minute(), 2);
  out += ':';
  AppendDigits(out, Second(), 2);
  out += h < 12 ? " AM" : " PM";
}

std::string DateTime::AuditText() const {
  std::string text;
  AppendAuditText(text);
  return text;
}

std::string DateTime::GeneralText() const {
  std::string text;
  AppendGeneralText(text);
  return text;
}

std::optional<DateTime> ParseDateText(std::string_view text) {
  Scanner s(text);
  s.SkipBlanks();
  const std::size_t start = s.pos();
  int year = 1899, month = 12, day = 30;
  bool have_date = false;

  int a = 0, a_digits = 0;
  if (s.Number(&a, &a_digits, 4)) {
    const char sep = s.Peek();
    if (sep == '/' || sep == '-') {
      s.Accept(sep);
      int b = 0, b_digits = 0, c = 0, c_digits = 0;
      if (!s.Number(&b, &b_digits, 2) || !s.Accept(sep) || !s.Number(&c, &c_digits, 4)) {
        return std::nullopt;
      }
      if (a_digits == 4) {  // year first: yyyy-mm-dd
        year = a;
        month = b;
        day = c;
      } else {  // month first: m/d/yyyy
        if (a_digits > 2) return std::nullopt;
        month = a;
        day = b;
        year = ExpandYear(c, c_digits);
      }
      have_date = true;
    } else {
      s.set_pos(start);  // a time alone
    }
  }

  int hour = 0, minute = 0, second = 0;
  if (have_date) {
    const std::size_t before = s.pos();
    s.SkipBlanks();
    if (s.AtEnd()) {
      s.set_pos(before);
    } else if (s.pos() == before || !ParseTime(s, &hour, &minute, &second)) {
      return std::nullopt;
    }
  } else if (!ParseTime(s, &hour, &minute, &second)) {
    return std::nullopt;
  }
  s.SkipBlanks();
  if (!s.AtEnd()) return std::nullopt;
  if (!have_date) {
    return DateTime::FromSeconds(hour * 3600 + minute * 60 + second);
  }
  return DateTime::FromParts(year, month, day, hour, minute, second);
}

}  // namespace vantrel::platform
