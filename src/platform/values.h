// The property bag of the hosting page and the value conversions the control
// applies when it loads it, under fixed US English regional settings.
#ifndef VANTREL_PLATFORM_VALUES_H_
#define VANTREL_PLATFORM_VALUES_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/date_time.h"

namespace vantrel::platform {

// Name-to-text parameters of the object tag. Names compare without regard to
// letter case, as the page's parameters do.
class PropertyBag {
 public:
  void Set(std::string name, std::string value);
  // The value of `name`, or nullopt when the bag does not hold it.
  std::optional<std::string> Read(std::string_view name) const;
  bool empty() const { return values_.empty(); }

 private:
  struct LessNoCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::map<std::string, std::string, LessNoCase> values_;
};

// Text to Boolean: "True"/"False" in any letter case, or a number (non-zero is
// True, so "-1" and "1" are True). Surrounding blanks are ignored. Throws
// ComError(kErrTypeMismatch, "Type mismatch") for anything else.
bool TextToBoolean(std::string_view text);

// Text to date-time by ParseDateText. Throws ComError(kErrTypeMismatch,
// "Type mismatch") when the text is not a date.
DateTime TextToDate(std::string_view text);

// Text of a number the way the general number conversion writes it: plain
// decimal with a point, no exponent, no trailing zeros: 1.5, 8, 0.333, -20.5.
std::string NumberToText(double value);

// Reads a plain decimal number ("1500.00", "-20.5", " 8 "); nullopt when the
// text is not one.
std::optional<double> TextToNumber(std::string_view text);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_VALUES_H_
