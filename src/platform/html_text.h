// The visible text of a reply page, as a browser shows a document's body.
#ifndef VANTREL_PLATFORM_HTML_TEXT_H_
#define VANTREL_PLATFORM_HTML_TEXT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

// What a browser makes of one reply: the visible text of its body, and the
// frames it loads when the page is a frameset.
struct ReplyPage {
  // nullopt when the reply has no body whose text can be read.
  std::optional<std::string> body_text;
  // The src of every <frame> of a frameset page (nested framesets included),
  // in document order, entities decoded, not resolved; frames without a src
  // are left out. Empty for any other page.
  std::vector<std::string> frame_sources;
};

// Reads `content` served with `content_type` (a Content-Type header value,
// parameters allowed, empty when the server sent none):
//
// - text/html and application/xhtml+xml, or no type and content that starts
//   like HTML ("<html", "<!DOCTYPE html", "<body", "<p", "<!--", ...): parsed
//   as HTML (libxml2, forgiving). The body text follows the rules of a
//   browser's innerText: script, style, noscript, template, iframe and the head
//   (with its title) are dropped, as are elements marked hidden or
//   display:none; each run of whitespace in text becomes one blank, and a blank
//   at the start of a line is dropped (a blank at the end of the text is kept,
//   so "No data to upload. " keeps its final blank); block elements (div, li,
//   tr, h1..h6, table, ...) stand on lines of their own, a p is set off by an
//   empty line, br breaks the line, table cells are separated by a TAB; lines
//   break with CR LF; <pre> text keeps its whitespace; entities are decoded.
//   A page with an empty body, or empty content, has the text "". A frameset
//   page has no body: nullopt, with its frames in frame_sources. The charset
//   of the type (or of a meta tag) is honoured; the text is UTF-8 (a byte the
//   parser leaves that is not, reads as U+FFFD).
// - text/plain and other text types but XML: the content as it is (bytes of a
//   Latin-1 / windows-1252 charset are turned into UTF-8).
// - no type and content that is not HTML: the content as plain text, unless
//   it is empty or holds control bytes (a binary reply): then nullopt.
// - anything else (images, XML, octet streams): nullopt.
// A trivial page (<html>, an optional head with a title, and a body of
// plain text) is read without building its tree, with the same result.
ReplyPage ReadReplyPage(std::string_view content, std::string_view content_type);

// ReadReplyPage with every HTML page parsed; the fuzzer holds the two to the
// same answer.
ReplyPage ReadReplyPageParsed(std::string_view content, std::string_view content_type);

// The body text of ReadReplyPage: the visible text of the body of `content`,
// served with `content_type`; nullopt when there is no body whose text can be
// read.
std::optional<std::string> VisibleText(std::string_view content, std::string_view content_type);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_HTML_TEXT_H_
