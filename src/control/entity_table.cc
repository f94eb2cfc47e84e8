#include "control/entity_table.h"

#include "control/vantrel_ctl.h"

namespace vantrel {

namespace {

using S = WizardScreen;
using V = VantrelCtl;

constexpr EntityBinding kBindings[] = {
    {&S::chkQBEmployee, &V::lngFailedEmpCnt, &V::EmpLexicon},
    {&S::chkQBCustomers, &V::lngFailedCustCnt, &V::CustLexicon},
    {&S::chkQBCustomers, &V::lngFailedProjCnt, &V::ProjLexicon},
    {&S::chkQBClasses, &V::lngFailedClassCnt, nullptr},
    {&S::chkQBCOA, &V::lngFailedGLCnt, nullptr},
    {&S::chkQBTasks, &V::lngFailedItemCnt, &V::SILexicon},
    {&S::chkQBVendors, &V::lngFailedVendCnt, nullptr},
    {&S::chkQBTimesheet, &V::lngFailedTimeCnt, nullptr, &V::mDisplayTSError},
    {&S::chkQBExpense, &V::lngFailedExpCnt, nullptr, &V::mDisplayEXPError},
};
static_assert(std::size(kBindings) == kEntityCount, "one binding per entity, in pass order");

}  // namespace

const EntityBinding& Binding(EntityKind kind) { return kBindings[static_cast<std::size_t>(kind)]; }

std::string SummaryName(const VantrelCtl& ctl, const EntityRow& entity) {
  const EntityBinding& binding = Binding(entity.kind);
  if (binding.word == nullptr) return std::string(entity.label);
  return ctl.*binding.word + "s";
}

}  // namespace vantrel
