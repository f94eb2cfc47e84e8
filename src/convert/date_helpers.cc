#include "convert/date_helpers.h"

#include <cctype>

namespace vantrel {

namespace {

// Reads the digits of text[pos, pos + n) as a number; -1 when any is not a digit.
int Digits(std::string_view text, std::size_t pos, std::size_t n) {
  int value = 0;
  for (std::size_t i = pos; i < pos + n; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::optional<platform::DateTime> ParseQBDateTime(std::string_view text) {
  // yyyy-mm-ddThh:mm:ss followed by the offset; the fields are read from their
  // positions, so the result does not depend on any day or month order.
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const int year = Digits(text, 0, 4);
  const int month = Digits(text, 5, 2);
  const int day = Digits(text, 8, 2);
  const int hour = Digits(text, 11, 2);
  const int minute = Digits(text, 14, 2);
  const int second = Digits(text, 17, 2);
  if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0) {
    return std::nullopt;
  }
  return platform::DateTime::FromParts(year, month, day, hour, minute, second);
}

std::optional<platform::DateTime> ParseQBDate(std::string_view text) {
  return platform::ParseDateText(text);
}

platform::DateTime ToWholeSeconds(platform::DateTime value) {
  return platform::ParseDateText(value.AuditText()).value_or(value);
}

}  // namespace vantrel
