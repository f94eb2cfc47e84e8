// A host's view of the registered control library, under Wine or Windows:
// creation by CLSID and by ProgID, every property, the four methods,
// IObjectSafety, IPersistPropertyBag and the type library.
//
//   vantrel-com-client-test SITE_URL SITE_CODE SITE_KEY CLOSED_URL [COMPANY_FILE]
//
// SITE_URL is a running site stand-in's base address ("http://host:port/"),
// CLOSED_URL one where nothing listens. COMPANY_FILE, when given, is the
// company file that the registered QBXMLRP2.RequestProcessor has open. Prints one line per failed
// check and the summary "com-client-test: N checks, M failed"; exits 0 only when none failed.
#include <string>
#include <vector>

#include "com_test_support.h"
#include "vantrel_ctl_idl.h"

namespace vantrel::wintest {
namespace {

using platform::win::VariantText;

constexpr char kClsid[] = "{5B9C1E27-8A3F-4D61-9E0B-2C7F4A1D3E85}";
constexpr wchar_t kProgId[] = L"Vantrel.VantrelCtl";

struct Args {
  std::string site, code, key, closed, company;
};

enum class Kind { kText, kBool, kLong, kEnum, kDate };

struct PropertyCase {
  const wchar_t* name;
  Kind kind;
};

// The properties in member order.
constexpr PropertyCase kProperties[] = {
    {L"wgUtilitySet", Kind::kEnum},      {L"ResetTessaly", Kind::kBool},
    {L"WGSecureServerURL", Kind::kText}, {L"SiteCode", Kind::kText},
    {L"SiteKey", Kind::kText},           {L"BMClientVersion", Kind::kText},
    {L"CustLexicon", Kind::kText},       {L"EmpLexicon", Kind::kText},
    {L"ProjLexicon", Kind::kText},       {L"SILexicon", Kind::kText},
    {L"SubProjLexicon", Kind::kText},    {L"TessalyUser", Kind::kText},
    {L"QBFilePath", Kind::kText},        {L"WGLastUploadDate", Kind::kDate},
    {L"nOptions", Kind::kText},          {L"lngFailedCustCnt", Kind::kLong},
    {L"lngFailedEmpCnt", Kind::kLong},   {L"lngFailedProjCnt", Kind::kLong},
    {L"lngFailedItemCnt", Kind::kLong},  {L"lngFailedGLCnt", Kind::kLong},
    {L"lngFailedClassCnt", Kind::kLong}, {L"lngFailedVendCnt", Kind::kLong},
    {L"DebugMode", Kind::kBool},         {L"mDisplayTSError", Kind::kBool},
    {L"lngFailedTimeCnt", Kind::kLong},  {L"lngFailedExpCnt", Kind::kLong},
    {L"mDisplayEXPError", Kind::kBool},
};

std::string Name(const wchar_t* wide) { return platform::win::Narrow(wide); }

long Number(IDispatch* object, const wchar_t* name) {
  platform::win::Variant v;
  if (FAILED(GetProperty(object, name, v.get()))) return -999;
  VARIANT n;
  VariantInit(&n);
  if (FAILED(VariantChangeType(&n, v.get(), 0, VT_I4))) return -998;
  return n.lVal;
}

IDispatch* Create(Checks& c) {
  CLSID clsid{}, by_prog_id{};
  CHECK_THAT(c, SUCCEEDED(CLSIDFromString(platform::win::Widen(kClsid).c_str(), &clsid)),
             "the CLSID parses");
  CHECK_THAT(c, SUCCEEDED(CLSIDFromProgID(kProgId, &by_prog_id)), "the ProgID is registered");
  CHECK_EQ(c, GuidString(by_prog_id), kClsid, "the ProgID names the control's CLSID");
  IDispatch* by_id = nullptr;
  CHECK_THAT(c,
             SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&by_id))),
             "created by CLSID");
  IDispatch* by_name = nullptr;
  CHECK_THAT(c,
             SUCCEEDED(CoCreateInstance(by_prog_id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&by_name))),
             "created by ProgID");
  if (by_name != nullptr) {
    platform::win::Variant v;
    CHECK_THAT(c, SUCCEEDED(CallMethod(by_name, L"UpdateDataForWGRequirement", {}, v.get())),
               "the ProgID's object answers a method");
    by_name->Release();
  }
  return by_id;
}

void TestProperties(Checks& c, IDispatch* ctl) {
  for (const PropertyCase& p : kProperties) {
    const std::string name = Name(p.name);
    platform::win::Variant got;
    if (!CHECK_THAT(c, SUCCEEDED(GetProperty(ctl, p.name, got.get())), name + " reads")) continue;
    VARIANT value;
    switch (p.kind) {
      case Kind::kText:
        CHECK_EQ(c, VariantText(got.value()).value_or("?"), "", name + " starts empty");
        value = BstrVariant("x & y 'z' #1");
        break;
      case Kind::kBool:
        CHECK_EQ(c, got.value().vt, VT_BOOL, name + " is a Boolean");
        CHECK_EQ(c, got.value().boolVal, VARIANT_FALSE, name + " starts False");
        value = BoolVariant(true);
        break;
      case Kind::kDate:
        CHECK_EQ(c, got.value().vt, VT_DATE, name + " is a Date");
        CHECK_THAT(c, got.value().date == 0.0, name + " starts at the zero date");
        value = DateVariant(46360.75);  // 12/04/2026 18:00:00
        break;
      default:
        CHECK_EQ(c, Number(ctl, p.name), 0, name + " starts at 0");
        value = LongVariant(p.kind == Kind::kEnum ? 3 : 41);
    }
    CHECK_THAT(c, SUCCEEDED(PutProperty(ctl, p.name, value)), name + " is written");
    platform::win::Variant back;
    GetProperty(ctl, p.name, back.get());
    CHECK_THAT(c, VarCmp(back.get(), &value, LOCALE_USER_DEFAULT, 0) == VARCMP_EQ,
               name + " reads back what was written");
    VariantClear(&value);
  }
}

void TestMethods(Checks& c, IDispatch* ctl) {
  platform::win::Variant quoted;
  VARIANT arg = BstrVariant("O'Brien's 'x'");
  CHECK_THAT(c, SUCCEEDED(CallMethod(ctl, L"ReplaceSingleQuotes", {arg}, quoted.get())),
             "ReplaceSingleQuotes is called");
  VariantClear(&arg);
  CHECK_EQ(c, VariantText(quoted.value()).value_or(""), "O''Brien''s ''x''",
           "ReplaceSingleQuotes doubles each apostrophe");
  platform::win::Variant update;
  CHECK_THAT(c, SUCCEEDED(CallMethod(ctl, L"UpdateDataForWGRequirement", {}, update.get())),
             "UpdateDataForWGRequirement is called");
  CHECK_EQ(c, VariantText(update.value()).value_or(""), "0",
           "UpdateDataForWGRequirement returns wgurSuccess");
}

}  // namespace

void TestUploadNow(Checks& c, IDispatch* ctl, const std::string& site, const std::string& code,
                   const std::string& key, const std::string& closed);
void TestContactQuickBooks(Checks& c, IDispatch* ctl, const std::string& company_file);
void TestObjectSafety(Checks& c, IDispatch* ctl);
void TestPropertyBag(Checks& c, IDispatch* ctl);
void TestTypeLibrary(Checks& c, IDispatch* ctl);

int Run(const Args& args) {
  Checks c("com-client-test");
  IDispatch* ctl = Create(c);
  if (ctl != nullptr) {
    TestProperties(c, ctl);
    TestMethods(c, ctl);
    TestObjectSafety(c, ctl);
    TestTypeLibrary(c, ctl);
    ctl->Release();
  }
  // Fresh controls for the load and the requests: their defaults matter.
  if (IDispatch* fresh = Create(c)) {
    TestPropertyBag(c, fresh);
    fresh->Release();
  }
  if (IDispatch* fresh = Create(c)) {
    TestContactQuickBooks(c, fresh, args.company);
    fresh->Release();
  }
  if (IDispatch* fresh = Create(c)) {
    TestUploadNow(c, fresh, args.site, args.code, args.key, args.closed);
    fresh->Release();
  }
  return c.Summary();
}

}  // namespace vantrel::wintest

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::printf(
        "usage: vantrel-com-client-test SITE_URL SITE_CODE SITE_KEY CLOSED_URL "
        "[COMPANY_FILE]\n");
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  const int status =
      vantrel::wintest::Run({argv[1], argv[2], argv[3], argv[4], argc == 6 ? argv[5] : ""});
  CoUninitialize();
  return status;
}
