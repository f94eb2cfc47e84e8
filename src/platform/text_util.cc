#include "platform/text_util.h"

#include <algorithm>
#include <cctype>

namespace vantrel::platform {

namespace {

int LowerAscii(char c) { return std::tolower(static_cast<unsigned char>(c)); }

}  // namespace

std::string_view TrimChars(std::string_view text, std::string_view chars) {
  const std::size_t first = text.find_first_not_of(chars);
  // An empty result still points into `text`, just past its end.
  if (first == std::string_view::npos) return text.substr(text.size());
  return text.substr(first, text.find_last_not_of(chars) - first + 1);
}

std::string_view TrimSpaces(std::string_view text) { return TrimChars(text, " "); }

// The characters std::isspace accepts in the "C" locale.
std::string_view TrimWhitespace(std::string_view text) { return TrimChars(text, " \t\n\v\f\r"); }

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

bool LessNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return LowerAscii(a[i]) < LowerAscii(b[i]);
  }
  return a.size() < b.size();
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(LowerAscii(c));
  return out;
}

}  // namespace vantrel::platform
