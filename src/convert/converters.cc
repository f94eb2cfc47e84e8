#include "convert/converters.h"

#include "convert/list_converters.h"

namespace vantrel {

const Converters& AvailableConverters() {
  static const Converters kConverters{
      .employees = ConvertEmployees,
      .classes = ConvertClasses,
      .accounts = ConvertAccounts,
      .vendors = ConvertVendors,
  };
  return kConverters;
}

}  // namespace vantrel
