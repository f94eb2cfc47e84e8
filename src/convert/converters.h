// The conversion passes that the driver runs. A pass that is not available
// yet is null and the driver passes over it.
#ifndef VANTREL_CONVERT_CONVERTERS_H_
#define VANTREL_CONVERT_CONVERTERS_H_

#include "convert/pass_context.h"
#include "wizard/entities.h"

namespace vantrel {

using ConvertPass = void (*)(PassContext& pass);

// The pass of each entity; the expenses' pass runs both expense passes,
// checks then bills, and makes the one status update.
using Converters = PerEntity<ConvertPass>;

// The passes this build provides.
const Converters& AvailableConverters();

}  // namespace vantrel

#endif  // VANTREL_CONVERT_CONVERTERS_H_
