// The library's entry points: DllMain, the class object, unloading, and the
// registration of the control, its ProgID, categories and type library.
#include <mutex>
#include <string>

#include "com_control.h"

#include <olectl.h>

namespace vantrel::win {

std::atomic<long> g_server_refs{0};
HINSTANCE g_module = nullptr;

namespace {

constexpr wchar_t kProgId[] = L"Vantrel.VantrelCtl";
constexpr wchar_t kDescription[] = L"Tessaly QB Sync Wizard";
// Component categories: a control; safe for scripting; safe for
// initializing from persistent data.
constexpr const wchar_t* kCategories[] = {
    L"{40FC6ED4-2438-11CF-A3DB-080036F12502}",
    L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}",
    L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}",
};
// The miscellaneous status bits of an ActiveX control (OLEMISC_...).
constexpr wchar_t kMiscStatus[] = L"131473";

ControlFactory g_factory;

std::wstring ModulePath() { return platform::win::ModuleFileName(g_module); }

using platform::win::GuidText;
constexpr auto SetKey = platform::win::SetClassesRootValue;

bool RegisterClassKeys() {
  const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_VantrelCtl);
  bool ok = SetKey(clsid, nullptr, kDescription) &&
            SetKey(clsid + L"\\InprocServer32", nullptr, ModulePath()) &&
            SetKey(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
            SetKey(clsid + L"\\ProgID", nullptr, kProgId) &&
            SetKey(clsid + L"\\VersionIndependentProgID", nullptr, kProgId) &&
            SetKey(clsid + L"\\Control", nullptr, L"") &&
            SetKey(clsid + L"\\TypeLib", nullptr, GuidText(LIBID_Vantrel)) &&
            SetKey(clsid + L"\\Version", nullptr, L"1.4") &&
            SetKey(clsid + L"\\MiscStatus", nullptr, L"0") &&
            SetKey(clsid + L"\\MiscStatus\\1", nullptr, kMiscStatus) &&
            SetKey(kProgId, nullptr, kDescription) &&
            SetKey(std::wstring(kProgId) + L"\\CLSID", nullptr, GuidText(CLSID_VantrelCtl));
  for (const wchar_t* category : kCategories) {
    ok = ok && SetKey(clsid + L"\\Implemented Categories\\" + category, nullptr, L"");
  }
  return ok;
}

}  // namespace

ITypeInfo* ControlTypeInfo() {
  static std::once_flag once;
  static ITypeInfo* info = nullptr;
  std::call_once(once, [] {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library))) return;
    library->GetTypeInfoOfGuid(IID__VantrelCtl, &info);
    library->Release();
  });
  return info;
}

}  // namespace vantrel::win

using vantrel::win::g_module;
using vantrel::win::g_server_refs;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return vantrel::platform::win::AttachModule(instance, reason, &g_module);
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  return vantrel::platform::win::ClassObject(clsid, CLSID_VantrelCtl, vantrel::win::g_factory, riid,
                                             object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_server_refs.load() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer();

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  ITypeLib* library = nullptr;
  const std::wstring path = vantrel::win::ModulePath();
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (SUCCEEDED(hr)) {
    hr = RegisterTypeLib(library, const_cast<wchar_t*>(path.c_str()), nullptr);
    library->Release();
  }
  if (SUCCEEDED(hr) && !vantrel::win::RegisterClassKeys()) hr = SELFREG_E_CLASS;
  if (FAILED(hr)) DllUnregisterServer();
  return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  using vantrel::win::GuidText;
  const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  UnRegisterTypeLib(LIBID_Vantrel, 1, 4, LOCALE_NEUTRAL, kind);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(CLSID_VantrelCtl)).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, vantrel::win::kProgId);
  // The interfaces, should the type library have left any.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"Interface\\" + GuidText(IID__VantrelCtl)).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"Interface\\" + GuidText(DIID___VantrelCtl)).c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + GuidText(LIBID_Vantrel)).c_str());
  return S_OK;
}
