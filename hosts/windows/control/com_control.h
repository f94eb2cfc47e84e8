// VantrelCtl as a COM object: the dual interface _VantrelCtl (IDispatch
// through the type library), IObjectSafety answered by the control itself,
// and IPersistPropertyBag, whose Load reads the object tag's parameters
// through VantrelCtl::ReadProperties.
//
// Include order: the core's headers come before any Windows header (see
// platform/windows/com_util.h).
#ifndef VANTREL_HOSTS_WINDOWS_CONTROL_COM_CONTROL_H_
#define VANTREL_HOSTS_WINDOWS_CONTROL_COM_CONTROL_H_

#include <atomic>
#include <memory>

#include "control/vantrel_ctl.h"
#include "platform/env.h"
#include "platform/forms.h"

#include "platform/windows/com_util.h"
#include "vantrel_ctl_idl.h"

namespace vantrel::win {

// Live objects and server locks of the library; DllCanUnloadNow reads it.
extern std::atomic<long> g_server_refs;

// The module's handle, set by DllMain.
extern HINSTANCE g_module;

// The type information of _VantrelCtl from the library's own embedded type
// library; null when it cannot be loaded. Not counted: do not release it.
ITypeInfo* ControlTypeInfo();

// Message boxes of the control: MessageBoxW with the library's name as title.
class MessageBoxHost : public platform::FormsHost {
 public:
  void ShowMessage(const std::string& text, platform::MessageStyle style) override;
};

class ComControl : public _VantrelCtl, public IObjectSafety, public IPersistPropertyBag {
 public:
  ComControl();
  virtual ~ComControl();

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch, through the type library.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;

  // _VantrelCtl: the properties (com_properties.cc) and the four methods.
#define VANTREL_PROPERTY(Name, Type)             \
  STDMETHODIMP get_##Name(Type* value) override; \
  STDMETHODIMP put_##Name(Type value) override;
#include "com_property_list.h"
#undef VANTREL_PROPERTY
  STDMETHODIMP ReplaceSingleQuotes(BSTR strParam, VARIANT* result) override;
  STDMETHODIMP UploadNow(VARIANT* myStream, ::BMWGUtilityResult* result) override;
  STDMETHODIMP ContactQuickBooks(LONG* result) override;
  STDMETHODIMP UpdateDataForWGRequirement(::BMWGUtilityResult* result) override;

  // IObjectSafety
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

  // IPersistPropertyBag
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP InitNew() override;
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;

  VantrelCtl& ctl() { return *ctl_; }

 private:
  std::atomic<ULONG> refs_{1};
  platform::SystemEnv env_;
  MessageBoxHost host_;
  std::unique_ptr<VantrelCtl> ctl_;
};

// Class factory of VantrelCtl.
class ControlFactory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;
};

}  // namespace vantrel::win

#endif  // VANTREL_HOSTS_WINDOWS_CONTROL_COM_CONTROL_H_
