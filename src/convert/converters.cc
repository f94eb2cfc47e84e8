#include "convert/converters.h"

#include "convert/list_converters.h"

namespace vantrel {

const Converters& AvailableConverters() {
  // In pass order, as the registry lists the entities.
  static const Converters kConverters{{
      ConvertEmployees,
      ConvertCustomers,
      ConvertProjects,
      ConvertClasses,
      ConvertAccounts,
      ConvertItems,
      ConvertVendors,
      ConvertTime,
      ConvertExpenses,
  }};
  return kConverters;
}

}  // namespace vantrel
