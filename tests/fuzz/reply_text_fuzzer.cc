// Fuzzes the reading of a reply page: the input's first line (up to LF) is
// the Content-Type header value, the rest the content.
//
// Beyond crashes, it checks the reader's contract: a page with a body text
// loads no frames, and the text of an HTML page is UTF-8.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "platform/html_text.h"
#include "platform/text_util.h"

namespace {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, min = 0x80, code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, min = 0x800, code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, min = 0x10000, code = lead & 0x07u;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

// True when the type of `content_type` (before its parameters, blanks and
// tabs around it, letter case aside) is text/html.
bool IsHtmlType(std::string_view content_type) {
  const std::string_view type = content_type.substr(0, content_type.find(';'));
  return vantrel::platform::EqualsNoCase(vantrel::platform::TrimChars(type, " \t"), "text/html");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view content_type = input.substr(0, newline);
  const std::string_view content =
      newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  const vantrel::platform::ReplyPage page = vantrel::platform::ReadReplyPage(content, content_type);
  // The shortcut for trivial pages reads what the parser reads.
  const vantrel::platform::ReplyPage parsed =
      vantrel::platform::ReadReplyPageParsed(content, content_type);
  Require(page.body_text == parsed.body_text && page.frame_sources == parsed.frame_sources);
  if (page.body_text) {
    Require(page.frame_sources.empty());
    if (IsHtmlType(content_type)) Require(IsUtf8(*page.body_text));
  }
  return 0;
}
