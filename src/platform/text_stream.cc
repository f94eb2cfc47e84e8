#include "platform/text_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/com_error.h"
#include "platform/text_util.h"

namespace vantrel::platform {

namespace {

// Errors of the stream object, with the numbers and texts its library uses.
constexpr char kStreamSource[] = "ADODB.Stream";
constexpr long kErrInvalidArgument = 3001;
constexpr long kErrIllegalOperation = 3219;
constexpr long kErrObjectClosed = 3704;
constexpr long kErrObjectOpen = 3705;

[[noreturn]] void Raise(long number, const char* description) {
  throw ComError(number, description, kStreamSource);
}

[[noreturn]] void RaiseInvalidArgument() {
  Raise(kErrInvalidArgument,
        "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
        "with one another.");
}

[[noreturn]] void RaiseClosed() {
  Raise(kErrObjectClosed, "Operation is not allowed when the object is closed.");
}

[[noreturn]] void RaiseIllegal() {
  Raise(kErrIllegalOperation, "Operation is not allowed in this context.");
}

bool IsUsAscii(std::string_view charset) {
  return EqualsNoCase(charset, "us-ascii") || EqualsNoCase(charset, "ascii");
}

bool IsUtf8(std::string_view charset) { return EqualsNoCase(charset, "utf-8"); }

// Length of the leading run of bytes below 0x80, eight bytes at a time.
size_t AsciiPrefixLength(std::string_view text) {
  const char* p = text.data();
  size_t n = text.size();
  size_t i = 0;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & kHighBits) break;
  }
  while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
  return i;
}

// clang-format off
// Plain letters for U+00C0..U+00FF; nullptr where the character is no letter.
constexpr const char* kLatin1Letters[64] = {
    "A", "A", "A", "A", "A", "A", "AE", "C",     "E", "E", "E", "E", "I", "I", "I",  "I",   // C0
    "D", "N", "O", "O", "O", "O", "O",  nullptr, "O", "U", "U", "U", "U", "Y", "TH", "ss",  // D0
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",   // E0
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y",   // F0
};

// Plain letters for U+0100..U+017F (Latin Extended-A).
constexpr const char* kLatinExtendedA[128] = {
    "A", "a", "A",  "a",  "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",  // 0100
    "D", "d", "E",  "e",  "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",  // 0110
    "G", "g", "G",  "g",  "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",  // 0120
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",  // 0130
    "l", "L", "l",  "N",  "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",  // 0140
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",  // 0150
    "S", "s", "T",  "t",  "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",  // 0160
    "U", "u", "U",  "u",  "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s",  // 0170
};
// clang-format on

// The US-ASCII text of one code point above 0x7F: a plain letter, nothing for
// a combining mark (the letter before it stands for both), else "?".
const char* AsciiFor(char32_t c) {
  if (c >= 0xC0 && c <= 0xFF) {
    const char* letters = kLatin1Letters[c - 0xC0];
    return letters ? letters : "?";
  }
  if (c >= 0x100 && c <= 0x17F) {
    return kLatinExtendedA[c - 0x100];
  }
  if (c >= 0x300 && c <= 0x36F) return "";
  return "?";
}

// Decodes one well-formed UTF-8 sequence of 2 to 4 bytes at `p` (the lead
// byte is >= 0x80). Returns its length, or 0 when the bytes are not one.
size_t DecodeSequence(const unsigned char* p, size_t left, char32_t* out) {
  unsigned char b0 = p[0];
  auto cont = [&](size_t i) { return i < left && (p[i] & 0xC0) == 0x80; };
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (!cont(1)) return 0;
    *out = (char32_t{b0} & 0x1F) << 6 | (p[1] & 0x3F);
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (left < 2) return 0;
    unsigned char b1 = p[1];
    unsigned char lo = b0 == 0xE0 ? 0xA0 : 0x80;
    unsigned char hi = b0 == 0xED ? 0x9F : 0xBF;  // no surrogates
    if (b1 < lo || b1 > hi || !cont(2)) return 0;
    *out = (char32_t{b0} & 0x0F) << 12 | (char32_t{b1} & 0x3F) << 6 | (p[2] & 0x3F);
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 2) return 0;
    unsigned char b1 = p[1];
    unsigned char lo = b0 == 0xF0 ? 0x90 : 0x80;
    unsigned char hi = b0 == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    if (b1 < lo || b1 > hi || !cont(2) || !cont(3)) return 0;
    *out = (char32_t{b0} & 0x07) << 18 | (char32_t{b1} & 0x3F) << 12 |
           (char32_t{p[2]} & 0x3F) << 6 | (p[3] & 0x3F);
    return 4;
  }
  return 0;
}

void AppendUsAscii(std::string_view utf8, std::string* out) {
  while (!utf8.empty()) {
    size_t run = AsciiPrefixLength(utf8);
    out->append(utf8.data(), run);
    utf8.remove_prefix(run);
    if (utf8.empty()) break;
    char32_t c = 0;
    size_t len =
        DecodeSequence(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size(), &c);
    if (len == 0) {
      out->push_back('?');
      utf8.remove_prefix(1);
    } else {
      out->append(AsciiFor(c));
      utf8.remove_prefix(len);
    }
  }
}

}  // namespace

std::string ToUsAscii(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  AppendUsAscii(utf8, &out);
  return out;
}

void TextStream::set_type(Type type) {
  if (type != Type::kBinary && type != Type::kText) RaiseInvalidArgument();
  if (open_ && position_ != 0) RaiseInvalidArgument();
  type_ = type;
}

void TextStream::Open() {
  if (open_) Raise(kErrObjectOpen, "Operation is not allowed when the object is open.");
  if (!IsUsAscii(charset_) && !IsUtf8(charset_)) RaiseInvalidArgument();
  open_ = true;
  bytes_.clear();
  position_ = 0;
}

void TextStream::Close() {
  if (!open_) RaiseClosed();
  open_ = false;
  bytes_.clear();
  position_ = 0;
}

void TextStream::WriteText(std::string_view text) {
  if (!open_) RaiseClosed();
  if (type_ != Type::kText) RaiseIllegal();
  if (IsUtf8(charset_) || AsciiPrefixLength(text) == text.size()) {
    bytes_.append(text);
  } else {
    AppendUsAscii(text, &bytes_);
  }
  position_ = size();
}

void TextStream::set_position(std::int64_t position) {
  if (!open_) RaiseClosed();
  if (position < 0 || position > size()) RaiseInvalidArgument();
  position_ = position;
}

std::vector<std::uint8_t> TextStream::Read(std::int64_t count) {
  std::vector<std::uint8_t> out;
  Read(count, out);
  return out;
}

void TextStream::Read(std::int64_t count, std::vector<std::uint8_t>& out) {
  if (!open_) RaiseClosed();
  if (type_ != Type::kBinary) RaiseIllegal();
  if (count < -1) RaiseInvalidArgument();
  std::int64_t left = size() - position_;
  std::int64_t n = count == -1 ? left : std::min(count, left);
  out.assign(bytes_.begin() + position_, bytes_.begin() + position_ + n);
  position_ += n;
}

}  // namespace vantrel::platform
