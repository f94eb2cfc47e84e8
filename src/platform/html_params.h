// The parameters of an object tag in a hosting page.
#ifndef VANTREL_PLATFORM_HTML_PARAMS_H_
#define VANTREL_PLATFORM_HTML_PARAMS_H_

#include <optional>
#include <string_view>

#include "platform/values.h"

namespace vantrel::platform {

// The <param name="..." value="..."> elements of the first <object> element of
// `html`, entities in values decoded, as a property bag. A param without a
// name is passed over; one without a value gives the empty text. nullopt when
// the page has no <object> element.
std::optional<PropertyBag> ReadObjectParams(std::string_view html);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_HTML_PARAMS_H_
