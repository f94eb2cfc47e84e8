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
// True when `a` sorts before `b`: byte by byte with ASCII letters taken as
// lower case, a text before the longer texts it begins.
bool LessNoCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_TEXT_UTIL_H_
