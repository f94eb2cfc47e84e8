// What a run asks QuickBooks for, set from the wizard's check boxes at the
// start of the query stage.
#ifndef VANTREL_WIZARD_SELECTION_FLAGS_H_
#define VANTREL_WIZARD_SELECTION_FLAGS_H_

namespace vantrel {

struct SelectionFlags {
  bool blnDoCustomers = false;
  bool blnDoEmployees = false;
  bool blnDoVendors = false;
  bool blnDoPayTerms = false;
  bool blnDoGLAccounts = false;
  bool blnDoTasks = false;
  bool blnDoClasses = false;
  bool blnDoSalesReps = false;
  bool blnDoTime = false;
  bool blnDoExpense = false;
  // The sales tax codes, for the items' taxability (the page opts in).
  bool blnDoSalesTaxCodes = false;
};

}  // namespace vantrel

#endif  // VANTREL_WIZARD_SELECTION_FLAGS_H_
