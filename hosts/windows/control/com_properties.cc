// The property accessors of _VantrelCtl: each a plain get/put of the
// control's field, converted between the COM type and the core's type.
#include <cmath>
#include <cstdint>

#include "com_control.h"

namespace vantrel::win {

using platform::win::FromBstr;
using platform::win::ToBstr;

namespace {

constexpr double kSecondsPerDay = 86400.0;

// An OLE date counts days from 12/30/1899; before it, the fraction is still
// the time of day (-1.25 is 12/29/1899 06:00).
DATE ToOleDate(platform::DateTime t) {
  const std::int64_t s = t.seconds();
  const std::int64_t day = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
  const double time = static_cast<double>(s - day * 86400) / kSecondsPerDay;
  return day >= 0 ? day + time : day - time;
}

platform::DateTime FromOleDate(DATE d) {
  const double day = std::trunc(d);
  const double time = std::fabs(d - day);
  return platform::DateTime::FromSeconds(static_cast<std::int64_t>(day) * 86400 +
                                         std::llround(time * kSecondsPerDay));
}

void Get(const std::string& from, BSTR* to) { *to = ToBstr(from); }
void Get(bool from, VARIANT_BOOL* to) { *to = from ? VARIANT_TRUE : VARIANT_FALSE; }
void Get(long from, LONG* to) { *to = from; }
void Get(vantrel::BMWGUtilityResult from, ::BMWGUtilityResult* to) {
  *to = static_cast<::BMWGUtilityResult>(from);
}
void Get(platform::DateTime from, DATE* to) { *to = ToOleDate(from); }

void Put(BSTR from, std::string& to) { to = FromBstr(from); }
void Put(VARIANT_BOOL from, bool& to) { to = from != VARIANT_FALSE; }
void Put(LONG from, long& to) { to = from; }
void Put(::BMWGUtilityResult from, vantrel::BMWGUtilityResult& to) {
  to = static_cast<vantrel::BMWGUtilityResult>(from);
}
void Put(DATE from, platform::DateTime& to) { to = FromOleDate(from); }

}  // namespace

#define VANTREL_PROPERTY(Name, Type)                 \
  STDMETHODIMP ComControl::get_##Name(Type* value) { \
    if (value == nullptr) return E_POINTER;          \
    Get(ctl_->Name, value);                          \
    return S_OK;                                     \
  }                                                  \
  STDMETHODIMP ComControl::put_##Name(Type value) {  \
    Put(value, ctl_->Name);                          \
    return S_OK;                                     \
  }
#include "com_property_list.h"
#undef VANTREL_PROPERTY

}  // namespace vantrel::win
