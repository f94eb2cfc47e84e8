#include "convert/converters.h"

#include "convert/list_converters.h"

namespace vantrel {

const Converters& AvailableConverters() {
  static const Converters kConverters{
      .employees = ConvertEmployees,
      .customers = ConvertCustomers,
      .projects = ConvertProjects,
      .classes = ConvertClasses,
      .accounts = ConvertAccounts,
      .items = ConvertItems,
      .vendors = ConvertVendors,
      .time = ConvertTime,
      .expenses = ConvertExpenses,
  };
  return kConverters;
}

}  // namespace vantrel
