#include <gtest/gtest.h>

#include "control/vantrel_ctl.h"
#include "fakes.h"

namespace vantrel {
namespace {

using platform::Guid;

const Guid kIDispatch = *Guid::Parse("{00020400-0000-0000-C000-000000000046}");
const Guid kIPersistStorage = *Guid::Parse("{0000010A-0000-0000-C000-000000000046}");
const Guid kIPersistStream = *Guid::Parse("{00000109-0000-0000-C000-000000000046}");
const Guid kIPersistPropertyBag = *Guid::Parse("{37D84F60-42CB-11CE-8135-00AA004BB851}");
const Guid kIUnknown = *Guid::Parse("{00000000-0000-0000-C000-000000000046}");

class InterfaceSafetyTest : public ::testing::Test {
 protected:
  testing::FakeEnv env_;
  testing::FakeHost host_;
  VantrelCtl ctl_{env_, host_};
};

TEST_F(InterfaceSafetyTest, GetAnswersForTheFourInterfaces) {
  const std::pair<const Guid*, std::uint32_t> cases[] = {
      {&kIDispatch, 1}, {&kIPersistStorage, 2}, {&kIPersistStream, 2}, {&kIPersistPropertyBag, 2}};
  for (const auto& [iid, expected] : cases) {
    std::uint32_t supported = 0, enabled = 0;
    EXPECT_EQ(ctl_.GetInterfaceSafetyOptions(iid, &supported, &enabled), platform::S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, expected) << iid->ToString();
  }
}

TEST_F(InterfaceSafetyTest, GetRefusesOtherInterfaces) {
  std::uint32_t supported = 0, enabled = 77;
  EXPECT_EQ(ctl_.GetInterfaceSafetyOptions(&kIUnknown, &supported, &enabled),
            platform::E_NOINTERFACE);
  EXPECT_EQ(supported, 3u);
  EXPECT_EQ(enabled, 77u);
  EXPECT_EQ(ctl_.GetInterfaceSafetyOptions(nullptr, &supported, &enabled), platform::E_NOINTERFACE);
}

struct SetCase {
  const Guid* iid;
  std::uint32_t mask;
  std::uint32_t enabled;
  platform::HRESULT expected;
};

TEST_F(InterfaceSafetyTest, SetAcceptsOnlyTheExactCombination) {
  const SetCase cases[] = {
      {&kIDispatch, 1, 1, platform::S_OK},
      {&kIDispatch, 3, 3, platform::E_FAIL},
      {&kIDispatch, 1, 0, platform::E_FAIL},
      {&kIDispatch, 3, 1, platform::S_OK},
      {&kIPersistPropertyBag, 2, 2, platform::S_OK},
      {&kIPersistPropertyBag, 1, 1, platform::E_FAIL},
      {&kIPersistStream, 2, 3, platform::S_OK},
      {&kIPersistStorage, 3, 3, platform::E_FAIL},
      {&kIUnknown, 1, 1, platform::E_NOINTERFACE},
      {nullptr, 1, 1, platform::E_NOINTERFACE},
  };
  for (const SetCase& c : cases) {
    EXPECT_EQ(ctl_.SetInterfaceSafetyOptions(c.iid, c.mask, c.enabled), c.expected)
        << GuidToString(c.iid) << " " << c.mask << " " << c.enabled;
  }
}

TEST(GuidToStringTest, BracedUpperCaseOrEmpty) {
  const Guid g = *Guid::Parse("{37d84f60-42cb-11ce-8135-00aa004bb851}");
  EXPECT_EQ(GuidToString(&g), "{37D84F60-42CB-11CE-8135-00AA004BB851}");
  EXPECT_EQ(GuidToString(nullptr), "");
}

}  // namespace
}  // namespace vantrel
