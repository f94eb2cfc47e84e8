#include "convert/sql_values.h"

#include <charconv>
#include <cstdint>

#include "platform/values.h"

namespace vantrel {

namespace {

// UTF-16 units of the character whose UTF-8 form starts with `lead`; 0 for a
// continuation byte, which belongs to the character before it.
std::size_t UnitsOfLead(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC0) return 0;
  if (lead < 0xF0) return 1;
  return 2;
}

}  // namespace

bool IsPlainDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  std::size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits > 0;
}

void AppendNumber(std::string& out, long long value) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, result.ptr);
}

std::size_t CharacterCount(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) units += UnitsOfLead(static_cast<unsigned char>(c));
  return units;
}

std::string_view CutToCharacters(std::string_view text, std::size_t limit) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t add = UnitsOfLead(static_cast<unsigned char>(text[i]));
    if (add == 0) continue;
    if (units + add > limit) return text.substr(0, i);
    units += add;
  }
  return text;
}

void AppendQuotedText(std::string& out, std::string_view text, std::size_t limit) {
  if (limit == 0 && text.size() > kMaxQuotedCharacters &&
      CharacterCount(text) > kMaxQuotedCharacters) {
    out += "''";
    return;
  }
  AppendQuotedTextUnlimited(out, text, limit);
}

void AppendQuotedTextUnlimited(std::string& out, std::string_view text, std::size_t limit) {
  if (limit > 0) text = CutToCharacters(text, limit);
  out += '\'';
  std::size_t start = 0;
  for (std::size_t quote = text.find('\''); quote != std::string_view::npos;
       quote = text.find('\'', start)) {
    out.append(text.data() + start, quote + 1 - start);
    out += '\'';
    start = quote + 1;
  }
  out.append(text.data() + start, text.size() - start);
  out += '\'';
}

void AppendAuditDate(std::string& out, platform::DateTime value) { value.AppendAuditText(out); }

void AppendGeneralDate(std::string& out, platform::DateTime value) { value.AppendGeneralText(out); }

void AppendLevel(std::string& out, std::string_view sublevel) {
  // The usual case, a small whole number, without going through floating point.
  if (!sublevel.empty() && sublevel.size() <= 9) {
    long long whole = 0;
    const auto result = std::from_chars(sublevel.data(), sublevel.data() + sublevel.size(), whole);
    if (result.ec == std::errc() && result.ptr == sublevel.data() + sublevel.size()) {
      AppendNumber(out, whole + 1);
      return;
    }
  }
  const double level = platform::TextToNumber(sublevel).value_or(0.0) + 1.0;
  out += platform::NumberToText(level);
}

}  // namespace vantrel
