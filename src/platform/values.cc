#include "platform/values.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/com_error.h"
#include "platform/text_util.h"

namespace vantrel::platform {

namespace {

[[noreturn]] void ThrowTypeMismatch() { throw ComError(kErrTypeMismatch, "Type mismatch"); }

}  // namespace

bool PropertyBag::LessNoCase::operator()(std::string_view a, std::string_view b) const {
  return platform::LessNoCase(a, b);
}

void PropertyBag::Set(std::string name, std::string value) {
  auto it = values_.find(name);
  if (it != values_.end()) {
    it->second = std::move(value);
  } else {
    values_.emplace(std::move(name), std::move(value));
  }
}

std::optional<std::string> PropertyBag::Read(std::string_view name) const {
  auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

bool TextToBoolean(std::string_view text) {
  const std::string_view t = TrimWhitespace(text);
  if (EqualsNoCase(t, "true")) return true;
  if (EqualsNoCase(t, "false")) return false;
  if (auto number = TextToNumber(t)) return *number != 0.0;
  ThrowTypeMismatch();
}

DateTime TextToDate(std::string_view text) {
  if (auto date = ParseDateText(text)) return *date;
  ThrowTypeMismatch();
}

std::string NumberToText(double value) {
  if (value == 0.0 || !std::isfinite(value)) return "0";
  // to_chars writes the C locale's form whatever the user's regional
  // settings: a point, never a comma.
  char buf[64];
  const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  std::string text(buf, written.ptr);
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return text;
  // Scientific form as the general number conversion writes it: 1E+16, 1.5E-07.
  std::string mantissa = text.substr(0, e);
  const int exponent = std::atoi(text.c_str() + e + 1);
  char exp_buf[16];
  std::snprintf(exp_buf, sizeof exp_buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return mantissa + exp_buf;
}

std::optional<double> TextToNumber(std::string_view text) {
  const std::string_view t = TrimWhitespace(text);
  if (t.empty()) return std::nullopt;
  std::size_t i = 0;
  if (t[i] == '+' || t[i] == '-') ++i;
  bool digits = false;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  // from_chars reads a point as the decimal separator under any locale; it
  // takes no plus sign.
  const std::string_view number = t.front() == '+' ? t.substr(1) : t;
  double value = 0.0;
  const auto read = std::from_chars(number.data(), number.data() + number.size(), value);
  if (read.ec != std::errc() || read.ptr != number.data() + number.size()) return std::nullopt;
  return value;
}

}  // namespace vantrel::platform
