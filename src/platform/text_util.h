// Small text helpers shared by the platform, the control and the tools.
#ifndef VANTREL_PLATFORM_TEXT_UTIL_H_
#define VANTREL_PLATFORM_TEXT_UTIL_H_

#include <string>
#include <string_view>

namespace vantrel::platform {

// `text` without the leading and trailing characters that `chars` holds.
std::string_view TrimChars(std::string_view text, std::string_view chars);
// `text` without leading and trailing blanks (spaces only).
std::string_view TrimSpaces(std::string_view text);
// `text` without leading and trailing white space (blanks, tabs, line feeds,
// vertical tabs, form feeds and carriage returns).
std::string_view TrimWhitespace(std::string_view text);
// True when `text` is empty or made only of spaces.
bool IsBlank(std::string_view text);
// ASCII letters compared without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, ASCII letters compared without regard
// to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// True when `text` ends with `suffix`, ASCII letters compared without regard
// to case.
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// True when `a` sorts before `b`: byte by byte with ASCII letters taken as
// lower case, a text before the longer texts it begins.
bool LessNoCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

// `text` with '&', '<', '>' and '"' as HTML character references; with
// `breaks`, each line break (CR LF, CR or LF) becomes "<br>" CR LF.
std::string EscapeHtml(std::string_view text, bool breaks = false);

// `text` with every byte from 0x00 to 0x20 (the blank included), every byte
// from 0x7F up and every byte that `reserved` holds as %XX (upper-case hex);
// every other byte, "%" included unless reserved, as it is.
std::string PercentEncode(std::string_view text, std::string_view reserved = "");
// `text` with each "%" followed by two hex digits decoded to its byte, and
// with `plus_is_blank` each "+" read as a blank; any other "%" stays.
std::string PercentDecode(std::string_view text, bool plus_is_blank = false);

// `target` (an address or request target) with the value of its sitekey
// query key (any letter case) replaced by "***".
std::string MaskSiteKey(std::string_view target);
// `text` with the sitekey query value masked and, for a key of four
// characters or more, `key` masked wherever it stands (a key holding "&"
// runs past the query value).
std::string MaskKeyIn(std::string_view text, const std::string& key);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_TEXT_UTIL_H_
