#include "control/public_properties.h"

namespace vantrel {

std::vector<PublicProperty> PublicProperties(const VantrelCtl& ctl) {
  return {
      {"wgUtilitySet", static_cast<long>(ctl.wgUtilitySet)},
      {"ResetTessaly", ctl.ResetTessaly},
      {"WGSecureServerURL", ctl.WGSecureServerURL},
      {"SiteCode", ctl.SiteCode},
      {"SiteKey", ctl.SiteKey},
      {"BMClientVersion", ctl.BMClientVersion},
      {"CustLexicon", ctl.CustLexicon},
      {"EmpLexicon", ctl.EmpLexicon},
      {"ProjLexicon", ctl.ProjLexicon},
      {"SILexicon", ctl.SILexicon},
      {"SubProjLexicon", ctl.SubProjLexicon},
      {"TessalyUser", ctl.TessalyUser},
      {"QBFilePath", ctl.QBFilePath},
      {"WGLastUploadDate", ctl.WGLastUploadDate},
      {"nOptions", ctl.nOptions},
      {"lngFailedCustCnt", ctl.lngFailedCustCnt},
      {"lngFailedEmpCnt", ctl.lngFailedEmpCnt},
      {"lngFailedProjCnt", ctl.lngFailedProjCnt},
      {"lngFailedItemCnt", ctl.lngFailedItemCnt},
      {"lngFailedGLCnt", ctl.lngFailedGLCnt},
      {"lngFailedClassCnt", ctl.lngFailedClassCnt},
      {"lngFailedVendCnt", ctl.lngFailedVendCnt},
      {"DebugMode", ctl.DebugMode},
      {"mDisplayTSError", ctl.mDisplayTSError},
      {"lngFailedTimeCnt", ctl.lngFailedTimeCnt},
      {"lngFailedExpCnt", ctl.lngFailedExpCnt},
      {"mDisplayEXPError", ctl.mDisplayEXPError},
      {"IncludeSalesTaxCodes", ctl.IncludeSalesTaxCodes},
      {"SafeLines", ctl.SafeLines},
  };
}

}  // namespace vantrel
