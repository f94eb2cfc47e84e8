#include <string>

#include "control/vantrel_ctl.h"

namespace vantrel {

namespace {

constexpr std::uint32_t kSafeForUntrustedCaller = 1;
constexpr std::uint32_t kSafeForUntrustedData = 2;

constexpr char kIID_IDispatch[] = "{00020400-0000-0000-C000-000000000046}";
constexpr char kIID_IPersistStorage[] = "{0000010A-0000-0000-C000-000000000046}";
constexpr char kIID_IPersistStream[] = "{00000109-0000-0000-C000-000000000046}";
constexpr char kIID_IPersistPropertyBag[] = "{37D84F60-42CB-11CE-8135-00AA004BB851}";

bool IsPersistence(const std::string& iid) {
  return iid == kIID_IPersistStorage || iid == kIID_IPersistStream ||
         iid == kIID_IPersistPropertyBag;
}

}  // namespace

// The braced, upper-case text of an interface identifier; empty for none.
std::string GuidToString(const platform::Guid* riid) {
  return riid == nullptr ? std::string() : riid->ToString();
}

platform::HRESULT VantrelCtl::GetInterfaceSafetyOptions(const platform::Guid* riid,
                                                        std::uint32_t* supported,
                                                        std::uint32_t* enabled) const {
  if (supported != nullptr) *supported = kSafeForUntrustedCaller | kSafeForUntrustedData;
  const std::string iid = GuidToString(riid);
  std::uint32_t options;
  if (iid == kIID_IDispatch) {
    options = kSafeForUntrustedCaller;
  } else if (IsPersistence(iid)) {
    options = kSafeForUntrustedData;
  } else {
    return platform::E_NOINTERFACE;
  }
  if (enabled != nullptr) *enabled = options;
  return platform::S_OK;
}

platform::HRESULT VantrelCtl::SetInterfaceSafetyOptions(const platform::Guid* riid,
                                                        std::uint32_t mask,
                                                        std::uint32_t enabled) const {
  const std::string iid = GuidToString(riid);
  std::uint32_t required;
  if (iid == kIID_IDispatch) {
    required = kSafeForUntrustedCaller;
  } else if (IsPersistence(iid)) {
    required = kSafeForUntrustedData;
  } else {
    return platform::E_NOINTERFACE;
  }
  return (mask & enabled) == required ? platform::S_OK : platform::E_FAIL;
}

}  // namespace vantrel
