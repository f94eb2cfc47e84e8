// The conversion passes that the driver runs, in its fixed order. A pass that
// is not available yet is null and the driver passes over it.
#ifndef VANTREL_CONVERT_CONVERTERS_H_
#define VANTREL_CONVERT_CONVERTERS_H_

namespace vantrel {

class VantrelCtl;

using ConvertPass = void (*)(VantrelCtl&);
// mode 1: checks, mode 2: bills; returns the count of lines the pass wrote.
using ExpensePass = long (*)(VantrelCtl&, int mode);

struct Converters {
  ConvertPass employees = nullptr;
  ConvertPass customers = nullptr;
  ConvertPass projects = nullptr;
  ConvertPass classes = nullptr;
  ConvertPass accounts = nullptr;
  ConvertPass items = nullptr;
  ConvertPass vendors = nullptr;
  ConvertPass time = nullptr;
  ExpensePass expenses = nullptr;
};

// The passes this build provides.
const Converters& AvailableConverters();

}  // namespace vantrel

#endif  // VANTREL_CONVERT_CONVERTERS_H_
