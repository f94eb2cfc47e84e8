// What the COM tests share: checks that count and report their failures,
// late-bound property and method calls, and two small COM objects a host
// hands to the control (a property bag, and a stream with the ADO members
// UploadNow reads).
#ifndef VANTREL_HOSTS_WINDOWS_TESTS_COM_TEST_SUPPORT_H_
#define VANTREL_HOSTS_WINDOWS_TESTS_COM_TEST_SUPPORT_H_

#include <map>
#include <string>
#include <vector>

#include "platform/windows/com_util.h"

namespace vantrel::wintest {

// Counts every check and prints each failure with its line.
class Checks {
 public:
  explicit Checks(std::string name) : name_(std::move(name)) {}
  bool That(bool ok, const std::string& what, int line);
  bool Equal(const std::string& got, const std::string& want, const std::string& what, int line);
  bool Equal(long long got, long long want, const std::string& what, int line);
  // Prints "NAME: N checks, M failed" and returns the exit status (0 when
  // none failed and at least one check ran).
  int Summary() const;

 private:
  std::string name_;
  int run_ = 0;
  int failed_ = 0;
};

#define CHECK_THAT(c, cond, what) (c).That((cond), (what), __LINE__)
#define CHECK_EQ(c, got, want, what) (c).Equal((got), (want), (what), __LINE__)

// Late-bound calls by name; each returns the HRESULT and leaves the result
// in `out` (cleared first).
HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARIANT* out);
HRESULT PutProperty(IDispatch* object, const wchar_t* name, const VARIANT& value);
HRESULT CallMethod(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* out);

// A VARIANT of each kind (the caller clears BSTRs it keeps).
VARIANT BstrVariant(const std::string& text);
VARIANT LongVariant(long value);
VARIANT BoolVariant(bool value);
VARIANT DateVariant(double value);

// The text of a GUID, braced and upper case.
std::string GuidString(REFGUID guid);

// An IPropertyBag over name/value texts; Read of a name it lacks fails with
// E_INVALIDARG, as a page's parameters do.
IPropertyBag* NewPropertyBag(std::map<std::wstring, std::wstring> values);

// An IDispatch with Position and Type (put) and Read(count) returning a
// byte array of `bytes`, as an ADO text stream gives its script. `log`
// receives each member called, in order.
IDispatch* NewScriptStream(std::string bytes, std::vector<std::string>* log);

}  // namespace vantrel::wintest

#endif  // VANTREL_HOSTS_WINDOWS_TESTS_COM_TEST_SUPPORT_H_
