#include "convert/converters.h"

namespace vantrel {

const Converters& AvailableConverters() {
  static const Converters kConverters{};
  return kConverters;
}

}  // namespace vantrel
