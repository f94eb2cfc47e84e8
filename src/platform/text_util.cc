#include "platform/text_util.h"

#include <algorithm>
#include <cstring>

namespace vantrel::platform {

namespace {

// ASCII only, whatever the locale: a byte from 0x80 up never changes.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

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

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool LessNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    // Bytes compare as unsigned: a byte from 0x80 up sorts after ASCII.
    const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperAscii(c);
  return out;
}

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

std::string EscapeHtml(std::string_view text, bool breaks) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else if (breaks && (c == '\r' || c == '\n')) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += "<br>\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string PercentEncode(std::string_view text, std::string_view reserved) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F || reserved.find(ch) != std::string_view::npos) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string PercentDecode(std::string_view text, bool plus_is_blank) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (plus_is_blank && text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string MaskSiteKey(std::string_view target) {
  std::string out(target);
  const std::string lower = ToLowerAscii(target);
  for (const char* key : {"?sitekey=", "&sitekey="}) {
    const std::size_t at = lower.find(key);
    if (at == std::string::npos) continue;
    const std::size_t begin = at + std::strlen(key);
    const std::size_t end = out.find('&', begin);
    out.replace(begin, (end == std::string::npos ? out.size() : end) - begin, "***");
    break;
  }
  return out;
}

std::string MaskKeyIn(std::string_view text, const std::string& key) {
  std::string out(text);
  if (key.size() >= 4) {
    for (std::size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + 3)) {
      out.replace(at, key.size(), "***");
    }
  }
  return MaskSiteKey(out);
}

}  // namespace vantrel::platform
