// COM helpers for the Windows code: text between UTF-8 and BSTR, VARIANT and
// SAFEARRAY ownership, and late-bound calls by name. Includes the Windows
// headers: include it after every header of the core (the core's
// platform/guid.h names S_OK and E_FAIL, which windows.h defines as macros).
#ifndef VANTREL_PLATFORM_WINDOWS_COM_UTIL_H_
#define VANTREL_PLATFORM_WINDOWS_COM_UTIL_H_

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform::win {

// IUnknown for an object that offers one interface, `Interface` with the
// identifier `iid`, besides IUnknown: references counted from 1 (the
// creator's) on any thread, the object deleted when the last is released.
template <typename Interface, const IID& iid>
class ComObject : public Interface {
 public:
  virtual ~ComObject() = default;
  ::HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == iid) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// An object called late-bound by name only: IDispatch without type
// information; GetIDsOfNames and Invoke are the object's own. (The global
// HRESULT: platform/guid.h has one of its own in this namespace.)
class LateBoundObject : public ComObject<IDispatch, IID_IDispatch> {
 public:
  ::HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  ::HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
};

std::wstring Widen(std::string_view utf8);
// The braced text of `guid`: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::wstring GuidText(REFGUID guid);
// Sets the value `name` (null: the key's default value) of
// HKEY_CLASSES_ROOT\`key`, making the key when it is missing; false when the
// registry refuses.
bool SetClassesRootValue(const std::wstring& key, const wchar_t* name, const std::wstring& value);

// The entry points' work for an in-process server of one class.
// DllMain: at process attach keeps `instance` in `*module` and turns off
// the thread notices. Returns TRUE.
BOOL AttachModule(HINSTANCE instance, DWORD reason, HINSTANCE* module);
// DllGetClassObject: `factory`'s interface `riid` when `asked` is the class
// `served`; the factory lives as long as the library.
::HRESULT ClassObject(REFCLSID asked, REFCLSID served, IClassFactory& factory, REFIID riid,
                      void** object);
// The path of the library `module` was loaded from.
std::wstring ModuleFileName(HINSTANCE module);
std::string Narrow(std::wstring_view wide);
// "" for a null BSTR.
std::string FromBstr(BSTR bstr);
// A new BSTR holding `utf8`; the caller frees it. Null when out of memory.
BSTR ToBstr(std::string_view utf8);

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  explicit Variant(std::string_view text);
  explicit Variant(long number);
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT& value() const { return v_; }

 private:
  VARIANT v_;
};

// The text of `v` by the system's conversion; nullopt when it does not convert.
std::optional<std::string> VariantText(const VARIANT& v);
// The strings of a one-dimensional SAFEARRAY of BSTR or VARIANT (in `v`,
// directly or by reference); nullopt when `v` holds no array.
std::optional<std::vector<std::string>> VariantStrings(const VARIANT& v);
// The bytes of a one-dimensional SAFEARRAY of bytes; nullopt when `v` holds none.
std::optional<std::vector<unsigned char>> VariantBytes(const VARIANT& v);

// The description the system gives for `hr` ("Unknown error 0x8004..." when
// it has none), without a trailing line break.
std::string DescribeHresult(HRESULT hr);

// Calls `name` on `object` late-bound with `flags` (DISPATCH_METHOD,
// DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT) and the arguments in their
// natural order. Returns the result. Throws ComError: for DISP_E_EXCEPTION
// with the exception's code, description and source; otherwise with the
// HRESULT and its description.
void Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT*> args,
            VARIANT* result);

// Throws ComError for a failed `hr` as Invoke does, taking the description
// and source from the thread's error object when `object` (supporting
// ISupportErrorInfo or not) left one.
[[noreturn]] void ThrowHresult(HRESULT hr, const char* what);

}  // namespace vantrel::platform::win

#endif  // VANTREL_PLATFORM_WINDOWS_COM_UTIL_H_
