// The conversion passes that the driver runs. A pass that is not available
// yet is null and the driver passes over it.
#ifndef VANTREL_CONVERT_CONVERTERS_H_
#define VANTREL_CONVERT_CONVERTERS_H_

#include "convert/pass_context.h"

namespace vantrel {

using ConvertPass = void (*)(PassContext& pass);

struct Converters {
  ConvertPass employees = nullptr;
  ConvertPass customers = nullptr;
  ConvertPass projects = nullptr;
  ConvertPass classes = nullptr;
  ConvertPass accounts = nullptr;
  ConvertPass items = nullptr;
  ConvertPass vendors = nullptr;
  ConvertPass time = nullptr;
  // Both expense passes, checks then bills, and the one status update.
  ConvertPass expenses = nullptr;
};

// The passes this build provides.
const Converters& AvailableConverters();

}  // namespace vantrel

#endif  // VANTREL_CONVERT_CONVERTERS_H_
