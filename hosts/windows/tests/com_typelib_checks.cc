// The type library as a host reads it: library, coclass, interfaces, member
// order and the result enumeration, with their fixed GUIDs.
#include <set>
#include <string>
#include <vector>

#include "com_test_support.h"

namespace vantrel::wintest {

using platform::win::FromBstr;

namespace {

constexpr char kLibId[] = "{31AE884E-052C-4A6C-AB24-200DF58EECFD}";
constexpr char kCoclassId[] = "{5B9C1E27-8A3F-4D61-9E0B-2C7F4A1D3E85}";
constexpr char kInterfaceId[] = "{B3264911-738E-45B0-A164-1CFDF0E22784}";
constexpr char kEventsId[] = "{DEBEA111-3805-4CF7-B21E-975A8B91A363}";
constexpr char kEnumId[] = "{502723D2-FA74-4538-B13D-40AEB8DBC2A4}";

// The members of _VantrelCtl in order; the four methods stand between
// QBFilePath and WGLastUploadDate.
const std::vector<std::string> kMembers = {"wgUtilitySet",
                                           "ResetTessaly",
                                           "WGSecureServerURL",
                                           "SiteCode",
                                           "SiteKey",
                                           "BMClientVersion",
                                           "CustLexicon",
                                           "EmpLexicon",
                                           "ProjLexicon",
                                           "SILexicon",
                                           "SubProjLexicon",
                                           "TessalyUser",
                                           "QBFilePath",
                                           "ReplaceSingleQuotes",
                                           "UploadNow",
                                           "ContactQuickBooks",
                                           "UpdateDataForWGRequirement",
                                           "WGLastUploadDate",
                                           "nOptions",
                                           "lngFailedCustCnt",
                                           "lngFailedEmpCnt",
                                           "lngFailedProjCnt",
                                           "lngFailedItemCnt",
                                           "lngFailedGLCnt",
                                           "lngFailedClassCnt",
                                           "lngFailedVendCnt",
                                           "DebugMode",
                                           "mDisplayTSError",
                                           "lngFailedTimeCnt",
                                           "lngFailedExpCnt",
                                           "mDisplayEXPError"};

std::string Join(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ",") + n;
  return out;
}

std::string MemberName(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  UINT count = 0;
  info->GetNames(id, &name, 1, &count);
  std::string out = FromBstr(name);
  SysFreeString(name);
  return out;
}

std::string TypeName(ITypeInfo* info) {
  BSTR name = nullptr;
  info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  std::string out = FromBstr(name);
  SysFreeString(name);
  return out;
}

// The functions of `info` in order, without IUnknown's and IDispatch's,
// each name once (a property's get and put stand together).
std::vector<std::string> OwnMembers(ITypeInfo* info, const TYPEATTR& attr) {
  static const std::set<std::string> inherited = {
      "QueryInterface", "AddRef",        "Release", "GetTypeInfoCount",
      "GetTypeInfo",    "GetIDsOfNames", "Invoke"};
  std::vector<std::string> names;
  for (UINT i = 0; i < attr.cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    const std::string name = MemberName(info, f->memid);
    info->ReleaseFuncDesc(f);
    if (inherited.count(name) != 0) continue;
    if (names.empty() || names.back() != name) names.push_back(name);
  }
  return names;
}

std::string Documentation(ITypeLib* library, int index, std::string* doc) {
  BSTR name = nullptr, text = nullptr;
  library->GetDocumentation(index, &name, &text, nullptr, nullptr);
  std::string out = FromBstr(name);
  if (doc != nullptr) *doc = FromBstr(text);
  SysFreeString(name);
  SysFreeString(text);
  return out;
}

void CheckCoclass(Checks& c, ITypeLib* library) {
  ITypeInfo* coclass = nullptr;
  GUID id{};
  CLSIDFromString(platform::win::Widen(kCoclassId).c_str(), &id);
  if (!CHECK_THAT(c, SUCCEEDED(library->GetTypeInfoOfGuid(id, &coclass)), "coclass VantrelCtl")) {
    return;
  }
  TYPEATTR* attr = nullptr;
  coclass->GetTypeAttr(&attr);
  CHECK_EQ(c, attr->typekind, TKIND_COCLASS, "VantrelCtl is a coclass");
  CHECK_THAT(c, (attr->wTypeFlags & TYPEFLAG_FCONTROL) != 0, "VantrelCtl is marked a control");
  CHECK_THAT(c, (attr->wTypeFlags & TYPEFLAG_FCANCREATE) != 0, "VantrelCtl is creatable");
  CHECK_EQ(c, attr->cImplTypes, 3, "VantrelCtl implements three interfaces");
  const char* names[] = {"_VantrelCtl", "IObjectSafety", "__VantrelCtl"};
  const int flags[] = {IMPLTYPEFLAG_FDEFAULT, 0, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
  for (UINT i = 0; i < attr->cImplTypes && i < 3; ++i) {
    HREFTYPE ref = 0;
    ITypeInfo* impl = nullptr;
    INT impl_flags = 0;
    coclass->GetRefTypeOfImplType(i, &ref);
    coclass->GetImplTypeFlags(i, &impl_flags);
    if (FAILED(coclass->GetRefTypeInfo(ref, &impl))) continue;
    CHECK_EQ(c, TypeName(impl), names[i], "implemented interface in order");
    CHECK_EQ(c, impl_flags, flags[i], std::string("flags of ") + names[i]);
    if (i == 2) {
      TYPEATTR* events = nullptr;
      impl->GetTypeAttr(&events);
      CHECK_EQ(c, GuidString(events->guid), kEventsId, "__VantrelCtl's GUID");
      CHECK_EQ(c, Join(OwnMembers(impl, *events)), "", "__VantrelCtl has no members");
      impl->ReleaseTypeAttr(events);
    }
    impl->Release();
  }
  coclass->ReleaseTypeAttr(attr);
  coclass->Release();
}

void CheckEnumeration(Checks& c, ITypeLib* library) {
  ITypeInfo* info = nullptr;
  GUID id{};
  CLSIDFromString(platform::win::Widen(kEnumId).c_str(), &id);
  if (!CHECK_THAT(c, SUCCEEDED(library->GetTypeInfoOfGuid(id, &info)), "BMWGUtilityResult")) {
    return;
  }
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  CHECK_EQ(c, attr->typekind, TKIND_ENUM, "BMWGUtilityResult is an enumeration");
  CHECK_EQ(c, attr->cbSizeInstance, 4, "BMWGUtilityResult is 32-bit");
  std::string values;
  for (UINT i = 0; i < attr->cVars; ++i) {
    VARDESC* v = nullptr;
    if (FAILED(info->GetVarDesc(i, &v))) continue;
    VARIANT n;
    VariantInit(&n);
    VariantChangeType(&n, v->lpvarValue, 0, VT_I4);
    values +=
        (values.empty() ? "" : ",") + MemberName(info, v->memid) + "=" + std::to_string(n.lVal);
    info->ReleaseVarDesc(v);
  }
  CHECK_EQ(c, values,
           "wgurSuccess=0,wgurAspFailed=1,wgurNoDataToUpload=2,wgurProcessInterrupted=3,"
           "wgurSystemError=4,wgurUnknownError=5",
           "the result values");
  info->ReleaseTypeAttr(attr);
  info->Release();
}

}  // namespace

void TestTypeLibrary(Checks& c, IDispatch* ctl) {
  ITypeInfo* info = nullptr;
  if (!CHECK_THAT(c, SUCCEEDED(ctl->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info,
                  "the control gives its type information")) {
    return;
  }
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  CHECK_EQ(c, GuidString(attr->guid), kInterfaceId, "_VantrelCtl's GUID");
  CHECK_EQ(c, TypeName(info), "_VantrelCtl", "the interface's name");
  const WORD wanted = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
  CHECK_EQ(c, attr->wTypeFlags & wanted, wanted, "_VantrelCtl is hidden, dual, non-extensible");
  CHECK_EQ(c, Join(OwnMembers(info, *attr)), Join(kMembers), "_VantrelCtl's members in order");
  info->ReleaseTypeAttr(attr);
  ITypeLib* library = nullptr;
  UINT index = 0;
  if (SUCCEEDED(info->GetContainingTypeLib(&library, &index))) {
    TLIBATTR* lib = nullptr;
    library->GetLibAttr(&lib);
    CHECK_EQ(c, GuidString(lib->guid), kLibId, "the library's GUID");
    CHECK_EQ(c, std::to_string(lib->wMajorVerNum) + "." + std::to_string(lib->wMinorVerNum), "1.4",
             "the library's version");
    library->ReleaseTLibAttr(lib);
    std::string doc;
    CHECK_EQ(c, Documentation(library, -1, &doc), "Vantrel", "the library's name");
    CHECK_EQ(c, doc, "Tessaly QB Sync Wizard", "the library's help string");
    CheckCoclass(c, library);
    CheckEnumeration(c, library);
    library->Release();
  }
  info->Release();
  // The registered library is the same one.
  ITypeLib* registered = nullptr;
  GUID lib_id{};
  CLSIDFromString(platform::win::Widen(kLibId).c_str(), &lib_id);
  CHECK_THAT(c, SUCCEEDED(LoadRegTypeLib(lib_id, 1, 4, LOCALE_NEUTRAL, &registered)),
             "the type library 1.4 is registered");
  if (registered != nullptr) registered->Release();
}

}  // namespace vantrel::wintest
