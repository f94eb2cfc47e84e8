// The visible text of a reply page, as a browser shows a document's body.
#ifndef VANTREL_PLATFORM_HTML_TEXT_H_
#define VANTREL_PLATFORM_HTML_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

// The text of the body of `content`, served with `content_type`: for HTML the
// body's text with markup, scripts and styles dropped; a plain-text reply as it
// is. nullopt when there is no body whose text can be read.
std::optional<std::string> VisibleText(std::string_view content, std::string_view content_type);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_HTML_TEXT_H_
