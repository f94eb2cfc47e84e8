#include "com_test_support.h"

#include <cstdio>

namespace vantrel::wintest {

using platform::win::Narrow;
using platform::win::ToBstr;

bool Checks::That(bool ok, const std::string& what, int line) {
  ++run_;
  if (!ok) {
    ++failed_;
    std::printf("FAILED (line %d): %s\n", line, what.c_str());
  }
  return ok;
}

bool Checks::Equal(const std::string& got, const std::string& want, const std::string& what,
                   int line) {
  return That(got == want, what + ": got \"" + got + "\", want \"" + want + "\"", line);
}

bool Checks::Equal(long long got, long long want, const std::string& what, int line) {
  return That(got == want, what + ": got " + std::to_string(got) + ", want " + std::to_string(want),
              line);
}

int Checks::Summary() const {
  std::printf("%s: %d checks, %d failed\n", name_.c_str(), run_, failed_);
  std::fflush(stdout);
  return failed_ == 0 && run_ > 0 ? 0 : 1;
}

namespace {

HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT>& args,
             VARIANT* out) {
  VariantInit(out);
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception{};
  UINT bad = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                      flags == DISPATCH_PROPERTYPUT ? nullptr : out, &exception, &bad);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  return hr;
}

}  // namespace

HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARIANT* out) {
  std::vector<VARIANT> none;
  return Call(object, name, DISPATCH_PROPERTYGET, none, out);
}

HRESULT PutProperty(IDispatch* object, const wchar_t* name, const VARIANT& value) {
  std::vector<VARIANT> args{value};
  VARIANT ignored;
  return Call(object, name, DISPATCH_PROPERTYPUT, args, &ignored);
}

HRESULT CallMethod(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args,
                   VARIANT* out) {
  return Call(object, name, DISPATCH_METHOD, args, out);
}

VARIANT BstrVariant(const std::string& text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = ToBstr(text);
  return v;
}

VARIANT LongVariant(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

VARIANT BoolVariant(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT DateVariant(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DATE;
  v.date = value;
  return v;
}

std::string GuidString(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return Narrow(text);
}

namespace {

class PropertyBag : public platform::win::ComObject<IPropertyBag, IID_IPropertyBag> {
 public:
  explicit PropertyBag(std::map<std::wstring, std::wstring> values) : values_(std::move(values)) {}
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    auto it = values_.find(name);
    if (it == values_.end()) return E_INVALIDARG;
    VariantClear(value);
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(it->second.c_str());
    return S_OK;
  }
  STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

 private:
  std::map<std::wstring, std::wstring> values_;
};

// Position (1), Type (2), Read (3).
class ScriptStream : public platform::win::LateBoundObject {
 public:
  ScriptStream(std::string bytes, std::vector<std::string>* log)
      : bytes_(std::move(bytes)), log_(log) {}
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    const std::wstring name = names[0];
    ids[0] = name == L"Position" ? 1 : name == L"Type" ? 2 : name == L"Read" ? 3 : DISPID_UNKNOWN;
    return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT*) override {
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT arg;
    VariantInit(&arg);
    if (FAILED(VariantChangeType(&arg, &params->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    if ((id == 1 || id == 2) && (flags & DISPATCH_PROPERTYPUT)) {
      log_->push_back((id == 1 ? "Position=" : "Type=") + std::to_string(arg.lVal));
      return S_OK;
    }
    if (id != 3 || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    log_->push_back("Read(" + std::to_string(arg.lVal) + ")");
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes_.size()));
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    if (!bytes_.empty()) memcpy(data, bytes_.data(), bytes_.size());
    SafeArrayUnaccessData(array);
    VariantInit(result);
    result->vt = VT_ARRAY | VT_UI1;
    result->parray = array;
    return S_OK;
  }

 private:
  std::string bytes_;
  std::vector<std::string>* log_;
};

}  // namespace

IPropertyBag* NewPropertyBag(std::map<std::wstring, std::wstring> values) {
  return new PropertyBag(std::move(values));
}

IDispatch* NewScriptStream(std::string bytes, std::vector<std::string>* log) {
  return new ScriptStream(std::move(bytes), log);
}

}  // namespace vantrel::wintest
