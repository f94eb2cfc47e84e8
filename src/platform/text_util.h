// Small text helpers shared by the platform, the control and the tools.
#ifndef VANTREL_PLATFORM_TEXT_UTIL_H_
#define VANTREL_PLATFORM_TEXT_UTIL_H_

#include <string>
#include <string_view>

namespace vantrel::platform {

// `text` without leading and trailing blanks (spaces only).
std::string_view TrimSpaces(std::string_view text);
// `text` without leading and trailing white space (blanks, tabs, line breaks).
std::string_view TrimWhitespace(std::string_view text);
// True when `text` is empty or made only of spaces.
bool IsBlank(std::string_view text);
// ASCII letters compared without regard to case.
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_TEXT_UTIL_H_
