// The checks of com_client_test.cc that go past plain properties: the
// requests, IObjectSafety, the property bag and the type library.
#include <objsafe.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "com_test_support.h"
#include "vantrel_ctl_idl.h"

namespace vantrel::wintest {

using platform::win::FromBstr;
using platform::win::Variant;
using platform::win::VariantText;

namespace {

long UploadResult(IDispatch* ctl, VARIANT stream) {
  Variant result;
  if (FAILED(CallMethod(ctl, L"UploadNow", {stream}, result.get()))) return -1;
  return result.value().vt == VT_I4 ? result.value().lVal : -2;
}

void Put(IDispatch* ctl, const wchar_t* name, const std::string& value) {
  VARIANT v = BstrVariant(value);
  PutProperty(ctl, name, v);
  VariantClear(&v);
}

std::string Read(IDispatch* ctl, const wchar_t* name) {
  Variant v;
  if (FAILED(GetProperty(ctl, name, v.get()))) return "<error>";
  return VariantText(v.value()).value_or("<none>");
}

}  // namespace

void TestUploadNow(Checks& c, IDispatch* ctl, const std::string& site, const std::string& code,
                   const std::string& key, const std::string& closed) {
  Put(ctl, L"WGSecureServerURL", site);
  Put(ctl, L"SiteCode", code);
  Put(ctl, L"SiteKey", key);
  Put(ctl, L"TessalyUser", "Anne");
  Put(ctl, L"nOptions", "C");
  std::vector<std::string> log;
  VARIANT stream;
  VariantInit(&stream);
  stream.vt = VT_DISPATCH;
  stream.pdispVal = NewScriptStream("", &log);
  CHECK_EQ(c, UploadResult(ctl, stream), 2, "an empty script is answered No data to upload");
  CHECK_EQ(c, log.size() == 3 ? log[0] + " " + log[1] + " " + log[2] : "",
           "Position=0 Type=1 Read(-1)",
           "UploadNow rewinds the stream, makes it binary and reads it all");
  Put(ctl, L"SiteKey", key + "-wrong");
  CHECK_EQ(c, UploadResult(ctl, stream), 1, "a refused key is wgurAspFailed");
  CHECK_THAT(c, !Read(ctl, L"SiteKey").empty(), "the key stays as set");
  Put(ctl, L"WGSecureServerURL", closed);
  CHECK_EQ(c, UploadResult(ctl, stream), 1, "no server: the browser's page is wgurAspFailed");
  VariantClear(&stream);
  VARIANT not_a_stream = LongVariant(7);
  CHECK_EQ(c, UploadResult(ctl, not_a_stream), 4, "a value that is no stream is wgurSystemError");
}

void TestContactQuickBooks(Checks& c, IDispatch* ctl, const std::string& company_file) {
  Put(ctl, L"QBFilePath", "C:\\nowhere\\none.QBW");
  Variant result;
  CHECK_THAT(c, SUCCEEDED(CallMethod(ctl, L"ContactQuickBooks", {}, result.get())),
             "ContactQuickBooks is called");
  CHECK_EQ(c, result.value().vt, VT_I4, "ContactQuickBooks returns a Long");
  CHECK_EQ(c, result.value().lVal, 0, "without the expected company file open it returns 0");
  if (company_file.empty()) return;
  // The request processor registered as QBXMLRP2.RequestProcessor has
  // `company_file` open; letter case and blanks around the name do not count.
  std::string upper;
  for (char ch : company_file) upper += static_cast<char>(toupper(static_cast<unsigned char>(ch)));
  Put(ctl, L"QBFilePath", "  " + upper + " ");
  Variant matched;
  CallMethod(ctl, L"ContactQuickBooks", {}, matched.get());
  CHECK_EQ(c, matched.value().lVal, 1, "with the company file open it returns 1");
}

void TestObjectSafety(Checks& c, IDispatch* ctl) {
  IObjectSafety* safety = nullptr;
  if (!CHECK_THAT(
          c, SUCCEEDED(ctl->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety))),
          "the control has IObjectSafety")) {
    return;
  }
  struct GetCase {
    REFIID iid;
    HRESULT hr;
    DWORD enabled;
    const char* what;
  };
  const GetCase gets[] = {
      {IID_IDispatch, S_OK, 1, "IDispatch: safe for untrusted callers"},
      {IID_IPersistStorage, S_OK, 2, "IPersistStorage: safe for untrusted data"},
      {IID_IPersistStream, S_OK, 2, "IPersistStream: safe for untrusted data"},
      {IID_IPersistPropertyBag, S_OK, 2, "IPersistPropertyBag: safe for untrusted data"},
      {IID_IUnknown, E_NOINTERFACE, 0, "IUnknown is refused"},
  };
  for (const GetCase& g : gets) {
    DWORD supported = 0, enabled = 0;
    const HRESULT hr = safety->GetInterfaceSafetyOptions(g.iid, &supported, &enabled);
    CHECK_EQ(c, hr, g.hr, std::string("Get ") + g.what);
    CHECK_EQ(c, supported, 3, std::string("supported options, ") + g.what);
    if (g.hr == S_OK) CHECK_EQ(c, enabled, g.enabled, std::string("enabled options, ") + g.what);
  }
  struct SetCase {
    REFIID iid;
    DWORD mask, enabled;
    HRESULT hr;
    const char* what;
  };
  const SetCase sets[] = {
      {IID_IDispatch, 1, 1, S_OK, "IDispatch 1/1"},
      {IID_IDispatch, 3, 3, E_FAIL, "IDispatch 3/3"},
      {IID_IDispatch, 1, 0, E_FAIL, "IDispatch 1/0"},
      {IID_IPersistPropertyBag, 2, 2, S_OK, "IPersistPropertyBag 2/2"},
      {IID_IPersistPropertyBag, 1, 1, E_FAIL, "IPersistPropertyBag 1/1"},
      {IID_IUnknown, 1, 1, E_NOINTERFACE, "IUnknown 1/1"},
  };
  for (const SetCase& s : sets) {
    CHECK_EQ(c, safety->SetInterfaceSafetyOptions(s.iid, s.mask, s.enabled), s.hr,
             std::string("Set ") + s.what);
  }
  safety->Release();
}

void TestPropertyBag(Checks& c, IDispatch* ctl) {
  IPersistPropertyBag* persist = nullptr;
  if (!CHECK_THAT(c,
                  SUCCEEDED(ctl->QueryInterface(IID_IPersistPropertyBag,
                                                reinterpret_cast<void**>(&persist))),
                  "the control has IPersistPropertyBag")) {
    return;
  }
  CLSID clsid{};
  persist->GetClassID(&clsid);
  CHECK_EQ(c, GuidString(clsid), GuidString(CLSID_VantrelCtl), "GetClassID names the control");
  VARIANT five = LongVariant(5), three = LongVariant(3);
  PutProperty(ctl, L"lngFailedTimeCnt", five);
  PutProperty(ctl, L"lngFailedCustCnt", three);
  IPropertyBag* bag = NewPropertyBag({{L"ResetTessaly", L"True"},
                                      {L"WGSecureServerURL", L"http://example.test/tessaly"},
                                      {L"SiteCode", L"ABC"},
                                      {L"EmpLexicon", L"Worker"},
                                      {L"TessalyUser", L"Anne"},
                                      {L"TimeLastSyncDate", L"12/4/2026 4:05:09 PM"}});
  CHECK_EQ(c, persist->Load(bag, nullptr), S_OK, "the page's parameters load");
  bag->Release();
  CHECK_EQ(c, Read(ctl, L"ResetTessaly"), "True", "ResetTessaly is read as a Boolean");
  CHECK_EQ(c, Read(ctl, L"WGSecureServerURL"), "http://example.test/tessaly/",
           "the base address gains its slash");
  CHECK_EQ(c, Read(ctl, L"SiteCode"), "ABC", "SiteCode is read");
  CHECK_EQ(c, Read(ctl, L"EmpLexicon"), "Worker", "EmpLexicon is read");
  CHECK_EQ(c, Read(ctl, L"SiteKey"), "", "an absent key gives the empty string");
  CHECK_EQ(c, Read(ctl, L"lngFailedCustCnt"), "0", "the load clears the list failure counters");
  CHECK_EQ(c, Read(ctl, L"lngFailedTimeCnt"), "5", "the load keeps the time failure counter");
  IPropertyBag* bad = NewPropertyBag({{L"ResetTessaly", L"maybe"}, {L"SiteCode", L"XYZ"}});
  const HRESULT hr = persist->Load(bad, nullptr);
  bad->Release();
  CHECK_THAT(c, FAILED(hr), "a ResetTessaly that is no Boolean fails the load");
  IErrorInfo* info = nullptr;
  std::string description;
  if (GetErrorInfo(0, &info) == S_OK && info != nullptr) {
    BSTR text = nullptr;
    info->GetDescription(&text);
    description = FromBstr(text);
    SysFreeString(text);
    info->Release();
  }
  CHECK_EQ(c, description, "Type mismatch", "the failed load reports the conversion error");
  CHECK_EQ(c, Read(ctl, L"SiteCode"), "ABC", "the keys after the failed one are not read");
  CHECK_EQ(c, persist->Save(nullptr, FALSE, FALSE), E_NOTIMPL, "the control never saves");
  persist->Release();
}

}  // namespace vantrel::wintest
