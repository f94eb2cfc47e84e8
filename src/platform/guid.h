// GUIDs and result codes.
#ifndef VANTREL_PLATFORM_GUID_H_
#define VANTREL_PLATFORM_GUID_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::platform {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  // The braced, upper-case, 38-character text:
  // "{00020400-0000-0000-C000-000000000046}".
  std::string ToString() const;

  // Parses the braced text in either letter case; nullopt when it is not a GUID.
  static std::optional<Guid> Parse(std::string_view text);

  friend bool operator==(const Guid&, const Guid&) = default;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_GUID_H_
