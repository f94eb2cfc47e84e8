#include "com_control.h"

#include <string>
#include <vector>

#include "platform/com_error.h"
#include "platform/guid.h"
#include "platform/text_stream.h"
#include "platform/values.h"

namespace vantrel::win {

using platform::win::FromBstr;
using platform::win::Invoke;
using platform::win::ToBstr;
using platform::win::Variant;
using platform::win::VariantBytes;
using platform::win::VariantText;
using platform::win::Widen;

namespace {

platform::Guid ToGuid(REFIID riid) {
  platform::Guid g;
  g.data1 = riid.Data1;
  g.data2 = riid.Data2;
  g.data3 = riid.Data3;
  for (int i = 0; i < 8; ++i) g.data4[i] = riid.Data4[i];
  return g;
}

// The object a VARIANT holds (directly or by reference), AddRef'ed; null when
// it holds none.
IDispatch* DispatchOf(const VARIANT& v) {
  IUnknown* unknown = nullptr;
  switch (v.vt) {
    case VT_DISPATCH:
      unknown = v.pdispVal;
      break;
    case VT_UNKNOWN:
      unknown = v.punkVal;
      break;
    case VT_DISPATCH | VT_BYREF:
      unknown = v.ppdispVal ? *v.ppdispVal : nullptr;
      break;
    case VT_UNKNOWN | VT_BYREF:
      unknown = v.ppunkVal ? *v.ppunkVal : nullptr;
      break;
    case VT_VARIANT | VT_BYREF:
      return v.pvarVal ? DispatchOf(*v.pvarVal) : nullptr;
    default:
      return nullptr;
  }
  IDispatch* object = nullptr;
  if (unknown == nullptr ||
      FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)))) {
    return nullptr;
  }
  return object;
}

// The script held by the caller's stream object, as ADO gives it: position
// 0, type binary, everything read. A stream that cannot be read this way
// leaves `script` closed, so that the upload fails as with a closed stream.
void ReadCallerStream(const VARIANT& caller, platform::TextStream& script) {
  IDispatch* object = DispatchOf(caller);
  if (object == nullptr) return;
  try {
    Variant zero(0L), binary(1L), all(-1L), ignored, bytes;
    Invoke(object, L"Position", DISPATCH_PROPERTYPUT, {zero.get()}, ignored.get());
    Invoke(object, L"Type", DISPATCH_PROPERTYPUT, {binary.get()}, ignored.get());
    Invoke(object, L"Read", DISPATCH_METHOD, {all.get()}, bytes.get());
    if (auto data = VariantBytes(bytes.value())) {
      script.set_charset("utf-8");
      script.Open();
      script.WriteText(std::string(data->begin(), data->end()));
    }
  } catch (const platform::ComError&) {
  }
  object->Release();
}

// Reports `error` to the COM caller through the thread's error object.
HRESULT ReportError(const platform::ComError& error) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    std::wstring description = Widen(error.description()), source = Widen(error.source());
    create->SetDescription(description.data());
    create->SetSource(source.data());
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  const long n = error.number();
  return n < 0 ? static_cast<HRESULT>(n)
               : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<WORD>(n));
}

}  // namespace

void MessageBoxHost::ShowMessage(const std::string& text, platform::MessageStyle style) {
  const UINT icon = style == platform::MessageStyle::kCritical ? MB_ICONERROR : MB_ICONINFORMATION;
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), L"Vantrel", MB_OK | icon);
}

ComControl::ComControl() : ctl_(std::make_unique<VantrelCtl>(env_, host_)) { ++g_server_refs; }

ComControl::~ComControl() { --g_server_refs; }

STDMETHODIMP ComControl::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__VantrelCtl) {
    *object = static_cast<_VantrelCtl*>(this);
  } else if (riid == IID_IObjectSafety) {
    *object = static_cast<IObjectSafety*>(this);
  } else if (riid == IID_IPersistPropertyBag || riid == IID_IPersist) {
    *object = static_cast<IPersistPropertyBag*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ComControl::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) ComControl::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP ComControl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = ControlTypeInfo() != nullptr ? 1 : 0;
  return S_OK;
}

STDMETHODIMP ComControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* type = ControlTypeInfo();
  if (type == nullptr) return TYPE_E_CANTLOADLIBRARY;
  type->AddRef();
  *info = type;
  return S_OK;
}

STDMETHODIMP ComControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  ITypeInfo* type = ControlTypeInfo();
  if (type == nullptr) return TYPE_E_CANTLOADLIBRARY;
  return DispGetIDsOfNames(type, names, count, ids);
}

STDMETHODIMP ComControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  ITypeInfo* type = ControlTypeInfo();
  if (type == nullptr) return TYPE_E_CANTLOADLIBRARY;
  return DispInvoke(static_cast<_VantrelCtl*>(this), type, id, flags, params, result, exception,
                    arg_error);
}

STDMETHODIMP ComControl::ReplaceSingleQuotes(BSTR strParam, VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  result->vt = VT_BSTR;
  result->bstrVal = ToBstr(ctl_->ReplaceSingleQuotes(FromBstr(strParam)));
  return S_OK;
}

STDMETHODIMP ComControl::UploadNow(VARIANT* myStream, ::BMWGUtilityResult* result) {
  if (result == nullptr) return E_POINTER;
  platform::TextStream script;
  if (myStream != nullptr) ReadCallerStream(*myStream, script);
  *result = static_cast<::BMWGUtilityResult>(ctl_->UploadNow(script));
  return S_OK;
}

STDMETHODIMP ComControl::ContactQuickBooks(LONG* result) {
  if (result == nullptr) return E_POINTER;
  *result = ctl_->ContactQuickBooks();
  return S_OK;
}

STDMETHODIMP ComControl::UpdateDataForWGRequirement(::BMWGUtilityResult* result) {
  if (result == nullptr) return E_POINTER;
  *result = static_cast<::BMWGUtilityResult>(ctl_->UpdateDataForWGRequirement());
  return S_OK;
}

STDMETHODIMP ComControl::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_POINTER;
  const platform::Guid iid = ToGuid(riid);
  std::uint32_t s = 0, e = 0;
  const HRESULT hr = ctl_->GetInterfaceSafetyOptions(&iid, &s, &e);
  *supported = s;
  *enabled = e;
  return hr;
}

STDMETHODIMP ComControl::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  const platform::Guid iid = ToGuid(riid);
  return ctl_->SetInterfaceSafetyOptions(&iid, mask, enabled);
}

STDMETHODIMP ComControl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_VantrelCtl;
  return S_OK;
}

STDMETHODIMP ComControl::InitNew() { return S_OK; }

STDMETHODIMP ComControl::Load(IPropertyBag* bag, IErrorLog* log) {
  if (bag == nullptr) return E_POINTER;
  platform::PropertyBag values;
  for (std::string_view name : VantrelCtl::PropertyNames()) {
    const std::wstring key = Widen(name);
    Variant value;
    if (FAILED(bag->Read(key.c_str(), value.get(), log))) continue;
    if (value.value().vt == VT_EMPTY || value.value().vt == VT_NULL) continue;
    if (auto text = VariantText(value.value())) values.Set(std::string(name), *text);
  }
  try {
    ctl_->ReadProperties(values);
  } catch (const platform::ComError& error) {
    return ReportError(error);
  }
  return S_OK;
}

STDMETHODIMP ComControl::Save(IPropertyBag*, BOOL, BOOL) { return E_NOTIMPL; }

STDMETHODIMP ControlFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ControlFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  ComControl* control = nullptr;
  try {
    control = new ComControl();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = control->QueryInterface(riid, object);
  control->Release();
  return hr;
}

STDMETHODIMP ControlFactory::LockServer(BOOL lock) {
  if (lock) {
    ++g_server_refs;
  } else {
    --g_server_refs;
  }
  return S_OK;
}

}  // namespace vantrel::win
