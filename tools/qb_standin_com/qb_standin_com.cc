// The QuickBooks stand-in as an in-process COM server registered under the
// SDK's ProgID QBXMLRP2.RequestProcessor, for tests on a machine without
// QuickBooks. Its objects are late-bound only (IDispatch by name) and answer
// the seven calls the control makes, from the company file named by the
// environment variable VANTREL_QB_COMPANY (a Windows path; unset or
// unreadable: QuickBooks is not running), with the company file's fault
// switches (see qb_standin/qb_standin.h). Failures come back as
// DISP_E_EXCEPTION with the stand-in's error number and description.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/com_error.h"
#include "qb_standin/qb_standin.h"

#include "platform/windows/com_util.h"

#include <olectl.h>

namespace vantrel::qbcom {

using platform::win::FromBstr;
using platform::win::ToBstr;
using platform::win::Widen;

namespace {

// {08519D14-B02B-4149-A4E7-A018D4CEF25F}
constexpr CLSID kClsid = {
    0x08519d14, 0xb02b, 0x4149, {0xa4, 0xe7, 0xa0, 0x18, 0xd4, 0xce, 0xf2, 0x5f}};
constexpr wchar_t kProgId[] = L"QBXMLRP2.RequestProcessor";
constexpr wchar_t kSource[] = L"QBXMLRP2.RequestProcessor";

std::atomic<long> g_refs{0};
HINSTANCE g_module = nullptr;

enum Member : DISPID {
  kOpenConnection = 1,
  kBeginSession,
  kGetCurrentCompanyFileName,
  kQBXMLVersionsForSession,
  kProcessRequest,
  kEndSession,
  kCloseConnection,
};

struct MemberName {
  const wchar_t* name;
  DISPID id;
  UINT args;
};

constexpr MemberName kMembers[] = {
    {L"OpenConnection", kOpenConnection, 2},
    {L"BeginSession", kBeginSession, 2},
    {L"GetCurrentCompanyFileName", kGetCurrentCompanyFileName, 1},
    {L"QBXMLVersionsForSession", kQBXMLVersionsForSession, 1},
    {L"ProcessRequest", kProcessRequest, 2},
    {L"EndSession", kEndSession, 1},
    {L"CloseConnection", kCloseConnection, 0},
};

std::shared_ptr<const qb::Company> CompanyFromEnvironment() {
  const char* path = std::getenv("VANTREL_QB_COMPANY");
  if (path == nullptr || *path == '\0') return nullptr;
  try {
    return qb::LoadCompany(path);
  } catch (const std::exception&) {
    return nullptr;
  }
}

// The argument at `index` in natural order, as text.
std::string TextArg(const DISPPARAMS& params, UINT index) {
  return platform::win::VariantText(params.rgvarg[params.cArgs - 1 - index]).value_or("");
}

void SetText(VARIANT* result, const std::string& text) {
  if (result == nullptr) return;
  result->vt = VT_BSTR;
  result->bstrVal = ToBstr(text);
}

void SetStrings(VARIANT* result, const std::vector<std::string>& items) {
  if (result == nullptr) return;
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()));
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    BSTR item = ToBstr(items[i]);
    SafeArrayPutElement(array, &i, item);
    SysFreeString(item);
  }
  result->vt = VT_ARRAY | VT_BSTR;
  result->parray = array;
}

class Processor : public platform::win::LateBoundObject {
 public:
  Processor() : standin_(CompanyFromEnvironment()) { ++g_refs; }
  ~Processor() override { --g_refs; }

  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (const MemberName& m : kMembers) {
        if (i == 0 && lstrcmpiW(names[0], m.name) == 0) ids[0] = m.id;
      }
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT*) override;

 private:
  void Call(DISPID id, const DISPPARAMS& params, VARIANT* result);

  qb::StandinProcessor standin_;
};

STDMETHODIMP Processor::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, UINT*) {
  const MemberName* member = nullptr;
  for (const MemberName& m : kMembers) {
    if (m.id == id) member = &m;
  }
  if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr || params->cArgs != member->args) return DISP_E_BADPARAMCOUNT;
  if (result != nullptr) VariantInit(result);
  try {
    Call(id, *params, result);
    return S_OK;
  } catch (const platform::ComError& error) {
    if (exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->scode = static_cast<SCODE>(error.number());
      exception->bstrDescription = ToBstr(error.description());
      exception->bstrSource = SysAllocString(kSource);
    }
    return DISP_E_EXCEPTION;
  }
}

void Processor::Call(DISPID id, const DISPPARAMS& params, VARIANT* result) {
  switch (id) {
    case kOpenConnection:
      standin_.OpenConnection(TextArg(params, 0), TextArg(params, 1));
      break;
    case kBeginSession:
      SetText(result,
              standin_.BeginSession(TextArg(params, 0), std::atoi(TextArg(params, 1).c_str())));
      break;
    case kGetCurrentCompanyFileName:
      SetText(result, standin_.GetCurrentCompanyFileName(TextArg(params, 0)));
      break;
    case kQBXMLVersionsForSession:
      if (auto versions = standin_.QBXMLVersionsForSession(TextArg(params, 0))) {
        SetStrings(result, *versions);
      }
      break;
    case kProcessRequest:
      SetText(result, standin_.ProcessRequest(TextArg(params, 0), TextArg(params, 1)));
      break;
    case kEndSession:
      standin_.EndSession(TextArg(params, 0));
      break;
    case kCloseConnection:
      standin_.CloseConnection();
      break;
  }
}

class Factory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    Processor* processor = new Processor();
    const HRESULT hr = processor->QueryInterface(riid, object);
    processor->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    g_refs += lock ? 1 : -1;
    return S_OK;
  }
};

Factory g_factory;

std::wstring ClsidText() { return platform::win::GuidText(kClsid); }
constexpr auto SetKey = platform::win::SetClassesRootValue;

}  // namespace
}  // namespace vantrel::qbcom

using namespace vantrel::qbcom;  // NOLINT: the entry points are global

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return vantrel::platform::win::AttachModule(instance, reason, &g_module);
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  return vantrel::platform::win::ClassObject(clsid, kClsid, g_factory, riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_refs == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + ClsidText()).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
  return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  const std::wstring path = vantrel::platform::win::ModuleFileName(g_module);
  const std::wstring clsid = L"CLSID\\" + ClsidText();
  const bool ok = SetKey(clsid, nullptr, L"QuickBooks stand-in request processor") &&
                  SetKey(clsid + L"\\InprocServer32", nullptr, path) &&
                  SetKey(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                  SetKey(clsid + L"\\ProgID", nullptr, kProgId) &&
                  SetKey(kProgId, nullptr, L"QuickBooks stand-in request processor") &&
                  SetKey(std::wstring(kProgId) + L"\\CLSID", nullptr, ClsidText());
  if (ok) return S_OK;
  DllUnregisterServer();
  return SELFREG_E_CLASS;
}
