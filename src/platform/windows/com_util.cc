#include "platform/windows/com_util.h"

#include "platform/com_error.h"

namespace vantrel::platform::win {

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

BOOL AttachModule(HINSTANCE instance, DWORD reason, HINSTANCE* module) {
  if (reason == DLL_PROCESS_ATTACH) {
    *module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

::HRESULT ClassObject(REFCLSID asked, REFCLSID served, IClassFactory& factory, REFIID riid,
                      void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (asked != served) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(riid, object);
}

std::wstring ModuleFileName(HINSTANCE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

bool SetClassesRootValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

std::string FromBstr(BSTR bstr) {
  return bstr == nullptr ? std::string() : Narrow(std::wstring_view(bstr, SysStringLen(bstr)));
}

BSTR ToBstr(std::string_view utf8) {
  const std::wstring wide = Widen(utf8);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

Variant::Variant(std::string_view text) {
  VariantInit(&v_);
  v_.vt = VT_BSTR;
  v_.bstrVal = ToBstr(text);
}

Variant::Variant(long number) {
  VariantInit(&v_);
  v_.vt = VT_I4;
  v_.lVal = number;
}

std::optional<std::string> VariantText(const VARIANT& v) {
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&v), VARIANT_ALPHABOOL, VT_BSTR))) {
    return std::nullopt;
  }
  std::string out = FromBstr(text.bstrVal);
  VariantClear(&text);
  return out;
}

namespace {

// The array of `v` (held directly or by reference) when its elements are of
// `element`; null otherwise.
SAFEARRAY* ArrayOf(const VARIANT& v, VARTYPE element) {
  if ((v.vt & VT_ARRAY) == 0 || (v.vt & VT_TYPEMASK) != element) return nullptr;
  SAFEARRAY* array = (v.vt & VT_BYREF) ? (v.pparray ? *v.pparray : nullptr) : v.parray;
  if (array == nullptr || SafeArrayGetDim(array) != 1) return nullptr;
  return array;
}

}  // namespace

std::optional<std::vector<std::string>> VariantStrings(const VARIANT& v) {
  const bool of_bstr = ArrayOf(v, VT_BSTR) != nullptr;
  SAFEARRAY* array = of_bstr ? ArrayOf(v, VT_BSTR) : ArrayOf(v, VT_VARIANT);
  if (array == nullptr) return std::nullopt;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  std::vector<std::string> out;
  for (LONG i = low; i <= high; ++i) {
    if (of_bstr) {
      BSTR item = nullptr;
      if (SUCCEEDED(SafeArrayGetElement(array, &i, &item))) {
        out.push_back(FromBstr(item));
        SysFreeString(item);
      }
    } else {
      Variant item;
      if (SUCCEEDED(SafeArrayGetElement(array, &i, item.get()))) {
        out.push_back(VariantText(item.value()).value_or(""));
      }
    }
  }
  return out;
}

std::optional<std::vector<unsigned char>> VariantBytes(const VARIANT& v) {
  SAFEARRAY* array = ArrayOf(v, VT_UI1);
  if (array == nullptr) return std::nullopt;
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  std::vector<unsigned char> out;
  void* data = nullptr;
  if (high >= low && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    out.assign(bytes, bytes + (high - low + 1));
    SafeArrayUnaccessData(array);
  }
  return out;
}

std::string DescribeHresult(HRESULT hr) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n > 0 && text != nullptr) out = Narrow(std::wstring_view(text, n));
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
    out.pop_back();
  }
  if (out.empty()) {
    char hex[16];
    wsprintfA(hex, "0x%08lX", static_cast<unsigned long>(hr));
    out = std::string("Unknown error ") + hex;
  }
  return out;
}

void ThrowHresult(HRESULT hr, const char* what) {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK && info != nullptr) {
    BSTR description = nullptr, source = nullptr;
    info->GetDescription(&description);
    info->GetSource(&source);
    std::string text = FromBstr(description), from = FromBstr(source);
    SysFreeString(description);
    SysFreeString(source);
    info->Release();
    if (!text.empty()) throw ComError(hr, text, from.empty() ? what : from);
  }
  throw ComError(hr, DescribeHresult(hr), what);
}

void Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT*> args,
            VARIANT* result) {
  if (object == nullptr) throw ComError(kErrObjectRequired, "Object required");
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    throw ComError(438, "Object doesn't support this property or method (" + Narrow(name) + ")");
  }
  // DISPPARAMS holds the arguments last first.
  std::vector<VARIANTARG> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(**it);
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception{};
  UINT bad_arg = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception,
                      &bad_arg);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    const long number = exception.scode != 0 ? exception.scode : exception.wCode;
    std::string description = FromBstr(exception.bstrDescription);
    std::string source = FromBstr(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    if (description.empty()) description = DescribeHresult(number);
    throw ComError(number, description, source);
  }
  if (FAILED(hr)) throw ComError(hr, DescribeHresult(hr), Narrow(name));
}

}  // namespace vantrel::platform::win
