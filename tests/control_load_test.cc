#include <gtest/gtest.h>

#include <tuple>

#include "convert_fixture.h"
#include "platform/com_error.h"

namespace vantrel {
namespace {

using platform::DateTime;
using platform::Guid;
using platform::PropertyBag;

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return *DateTime::FromParts(y, mo, d, h, mi, s);
}

using ControlLoadTest = testing::ControlTest;

// A control fresh from its creation (no bag loaded): no site, user, last
// upload or last-sync dates yet; the method the page may call before a run
// has nothing to do.
TEST_F(ControlLoadTest, ACreatedControlHasTheDefaults) {
  EXPECT_EQ(ctl_.WGSecureServerURL, "");
  EXPECT_EQ(ctl_.TessalyUser, "");
  EXPECT_TRUE(ctl_.WGLastUploadDate.IsZero());
  EXPECT_TRUE(modWizard().last_sync.TimeLastSyncDate.IsZero());
  EXPECT_EQ(ctl_.UpdateDataForWGRequirement(), wgurSuccess);
}

TEST_F(ControlLoadTest, ReadsEveryKeyIntoItsProperty) {
  const std::tuple<const char*, const char*, std::string VantrelCtl::*> texts[] = {
      {"SiteCode", "ABC", &VantrelCtl::SiteCode},
      {"SiteKey", "K3Y", &VantrelCtl::SiteKey},
      {"BMClientVersion", "9.9", &VantrelCtl::BMClientVersion},
      {"CustLexicon", "Client", &VantrelCtl::CustLexicon},
      {"EmpLexicon", "Worker", &VantrelCtl::EmpLexicon},
      {"ProjLexicon", "Job", &VantrelCtl::ProjLexicon},
      {"SILexicon", "Task", &VantrelCtl::SILexicon},
      {"SubProjLexicon", "Sub Job", &VantrelCtl::SubProjLexicon},
      {"TessalyUser", "jsmith", &VantrelCtl::TessalyUser},
      {"QBFilePath", "C:\\Data\\Acme.QBW", &VantrelCtl::QBFilePath},
  };
  PropertyBag bag;
  for (const auto& [key, value, field] : texts) bag.Set(key, value);
  bag.Set("ResetTessaly", "True");
  bag.Set("WGSecureServerURL", "https://tessaly.example/site");
  ctl_.ReadProperties(bag);

  for (const auto& [key, value, field] : texts) EXPECT_EQ(ctl_.*field, value) << key;
  EXPECT_TRUE(ctl_.ResetTessaly);
  EXPECT_EQ(ctl_.WGSecureServerURL, "https://tessaly.example/site/");
  EXPECT_EQ(ctl_.screen().Label2.caption(), "Workers");
  EXPECT_EQ(ctl_.screen().Label3.caption(), "Clients:Jobs");
}

TEST_F(ControlLoadTest, BaseAddressGainsOneTrailingSlash) {
  const std::pair<const char*, const char*> cases[] = {
      {"http://h/x", "http://h/x/"},     {"http://h/x/", "http://h/x/"}, {"   ", "   "}, {"", ""},
      {" http://h/x ", " http://h/x /"},
  };
  for (const auto& [given, stored] : cases) {
    PropertyBag bag;
    bag.Set("WGSecureServerURL", given);
    ctl_.ReadProperties(bag);
    EXPECT_EQ(ctl_.WGSecureServerURL, stored) << "'" << given << "'";
  }
  ctl_.ReadProperties(PropertyBag());
  EXPECT_EQ(ctl_.WGSecureServerURL, "");
}

TEST_F(ControlLoadTest, EachLastSyncKeyFillsItsOwnDateAndAbsentOrBlankOnesTakeTheDefault) {
  const std::pair<const char*, DateTime LastSyncDates::*> keys[] = {
      {"CustomerLastSyncDate", &LastSyncDates::CustomerLastSyncDate},
      {"EmployeeLastSyncDate", &LastSyncDates::EmployeeLastSyncDate},
      {"GLAccountsLastSyncDate", &LastSyncDates::GLAccountsLastSyncDate},
      {"TasksLastSyncDate", &LastSyncDates::TasksLastSyncDate},
      {"ClassLastSyncDate", &LastSyncDates::ClassLastSyncDate},
      {"VendorsLastSyncDate", &LastSyncDates::VendorsLastSyncDate},
      {"TimeLastSyncDate", &LastSyncDates::TimeLastSyncDate},
      {"ExpenseLastSyncDate", &LastSyncDates::ExpenseLastSyncDate},
  };
  const DateTime fallback = At(2000, 1, 1, 1, 1, 1);
  for (const auto& [key, field] : keys) {
    PropertyBag bag;
    bag.Set(key, "03/15/2008 11:22:33 PM");
    ctl_.ReadProperties(bag);
    for (const auto& [other, other_field] : keys) {
      EXPECT_EQ(modWizard().last_sync.*other_field,
                other_field == field ? At(2008, 3, 15, 23, 22, 33) : fallback)
          << key << " " << other;
    }
    for (const char* blank : {"", "   "}) {
      bag.Set(key, blank);
      ctl_.ReadProperties(bag);
      EXPECT_EQ(modWizard().last_sync.*field, fallback) << key << " '" << blank << "'";
    }
  }
}

TEST_F(ControlLoadTest, ListCountersResetTimeAndExpenseCountersKept) {
  long VantrelCtl::*const lists[] = {&VantrelCtl::lngFailedCustCnt, &VantrelCtl::lngFailedEmpCnt,
                                     &VantrelCtl::lngFailedProjCnt, &VantrelCtl::lngFailedItemCnt,
                                     &VantrelCtl::lngFailedGLCnt,   &VantrelCtl::lngFailedClassCnt,
                                     &VantrelCtl::lngFailedVendCnt};
  for (long VantrelCtl::*counter : lists) ctl_.*counter = 5;
  ctl_.lngFailedTimeCnt = 8;
  ctl_.lngFailedExpCnt = 9;
  ctl_.ReadProperties(PropertyBag());
  for (long VantrelCtl::*counter : lists) EXPECT_EQ(ctl_.*counter, 0);
  EXPECT_EQ(ctl_.lngFailedTimeCnt, 8);
  EXPECT_EQ(ctl_.lngFailedExpCnt, 9);
}

TEST_F(ControlLoadTest, AnUnconvertibleValueKeepsWhatWasReadBefore) {
  PropertyBag first;
  first.Set("VendorsLastSyncDate", "05/05/2005");
  first.Set("TimeLastSyncDate", "06/06/2006");
  ctl_.ReadProperties(first);
  ctl_.lngFailedCustCnt = 4;

  PropertyBag bag;
  bag.Set("SiteCode", "ABC");
  bag.Set("EmpLexicon", "Worker");
  bag.Set("CustomerLastSyncDate", "01/02/2003");
  bag.Set("ClassLastSyncDate", "not a date");
  bag.Set("VendorsLastSyncDate", "07/07/2007");
  try {
    ctl_.ReadProperties(bag);
    FAIL() << "the load should fail";
  } catch (const platform::ComError& e) {
    EXPECT_EQ(e.description(), "Type mismatch");
    EXPECT_EQ(e.source(), "ClassLastSyncDate");
  }
  EXPECT_EQ(ctl_.SiteCode, "ABC");
  EXPECT_EQ(modWizard().last_sync.CustomerLastSyncDate, At(2003, 1, 2));
  EXPECT_EQ(modWizard().last_sync.VendorsLastSyncDate, At(2005, 5, 5));
  EXPECT_EQ(modWizard().last_sync.TimeLastSyncDate, At(2006, 6, 6));
  // The steps after the dates did not run.
  EXPECT_EQ(ctl_.lngFailedCustCnt, 4);
  EXPECT_EQ(ctl_.screen().Label2.caption(), "s");  // from the first load, not "Workers"

  // ResetTessaly is read first: a value that is no Boolean stops the load
  // before any other key.
  bag.Set("ResetTessaly", "maybe");
  bag.Set("SiteCode", "XYZ");
  EXPECT_THROW(ctl_.ReadProperties(bag), platform::ComError);
  EXPECT_EQ(ctl_.SiteCode, "ABC");
}

TEST_F(ControlLoadTest, LastSyncDatesAreSharedByControlsOfTheThread) {
  PropertyBag bag;
  bag.Set("ExpenseLastSyncDate", "02/03/2004");
  ctl_.ReadProperties(bag);
  VantrelCtl second(env_, host_);
  EXPECT_EQ(modWizard().last_sync.ExpenseLastSyncDate, At(2004, 2, 3));
  second.ReadProperties(PropertyBag());
  EXPECT_EQ(modWizard().last_sync.ExpenseLastSyncDate, At(2000, 1, 1, 1, 1, 1));
}

// The two opt-in page parameters, IncludeSalesTaxCodes and SafeLines, are
// read last, as Booleans, each into its own property.
TEST_F(ControlLoadTest, TheOptInParametersAreReadLastAsBooleans) {
  for (auto [key, field] : {std::pair{"IncludeSalesTaxCodes", &VantrelCtl::IncludeSalesTaxCodes},
                            std::pair{"SafeLines", &VantrelCtl::SafeLines}}) {
    SCOPED_TRACE(key);
    platform::PropertyBag bag;
    ctl_.ReadProperties(bag);
    EXPECT_FALSE(ctl_.IncludeSalesTaxCodes || ctl_.SafeLines);
    for (const char* on : {"True", "true", "-1", " 1 "}) {
      bag.Set(key, on);
      ctl_.ReadProperties(bag);
      EXPECT_TRUE(ctl_.*field) << on;
      EXPECT_EQ(ctl_.IncludeSalesTaxCodes && ctl_.SafeLines, false) << "the other one stays off";
    }
    bag.Set(key, "False");
    ctl_.ReadProperties(bag);
    EXPECT_FALSE(ctl_.*field);

    // A value that is no Boolean is refused by name, after every other key.
    bag.Set(key, "maybe");
    bag.Set("CustLexicon", "Client");
    try {
      ctl_.ReadProperties(bag);
      ADD_FAILURE() << "no error";
    } catch (const platform::ComError& e) {
      EXPECT_EQ(e.source(), key);
      EXPECT_EQ(e.description(), "Type mismatch");
    }
    EXPECT_EQ(ctl_.CustLexicon, "Client");
    EXPECT_EQ(ctl_.screen().Label3.caption(), "Clients:s");
  }
}

TEST_F(ControlLoadTest, ReplaceSingleQuotesDoublesEveryApostrophe) {
  EXPECT_EQ(ctl_.ReplaceSingleQuotes("O'Neil"), "O''Neil");
  EXPECT_EQ(ctl_.ReplaceSingleQuotes("''"), "''''");
  EXPECT_EQ(ctl_.ReplaceSingleQuotes("plain"), "plain");
  EXPECT_EQ(ctl_.ReplaceSingleQuotes(""), "");
}

// ---- The interface safety the control declares ----

const Guid kIDispatch = *Guid::Parse("{00020400-0000-0000-C000-000000000046}");
const Guid kIPersistStorage = *Guid::Parse("{0000010A-0000-0000-C000-000000000046}");
const Guid kIPersistStream = *Guid::Parse("{00000109-0000-0000-C000-000000000046}");
const Guid kIPersistPropertyBag = *Guid::Parse("{37D84F60-42CB-11CE-8135-00AA004BB851}");
const Guid kIUnknown = *Guid::Parse("{00000000-0000-0000-C000-000000000046}");

using InterfaceSafetyTest = testing::ControlTest;

// The four interfaces answer with their options; any other is refused, and
// the enabled options stay as they were (77).
TEST_F(InterfaceSafetyTest, GetAnswersForTheFourInterfacesOnly) {
  using platform::E_NOINTERFACE, platform::S_OK;
  const std::tuple<const Guid*, platform::HRESULT, std::uint32_t> cases[] = {
      {&kIDispatch, S_OK, 1},          {&kIPersistStorage, S_OK, 2},
      {&kIPersistStream, S_OK, 2},     {&kIPersistPropertyBag, S_OK, 2},
      {&kIUnknown, E_NOINTERFACE, 77}, {nullptr, E_NOINTERFACE, 77}};
  for (const auto& [iid, result, expected] : cases) {
    std::uint32_t supported = 0, enabled = 77;
    EXPECT_EQ(ctl_.GetInterfaceSafetyOptions(iid, &supported, &enabled), result);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, expected) << GuidToString(iid);
  }
}

TEST_F(InterfaceSafetyTest, SetAcceptsOnlyTheExactCombination) {
  using platform::E_FAIL, platform::E_NOINTERFACE, platform::S_OK;
  const std::tuple<const Guid*, std::uint32_t, std::uint32_t, platform::HRESULT> cases[] = {
      {&kIDispatch, 1, 1, S_OK},           {&kIDispatch, 3, 3, E_FAIL},
      {&kIDispatch, 1, 0, E_FAIL},         {&kIDispatch, 3, 1, S_OK},
      {&kIPersistPropertyBag, 2, 2, S_OK}, {&kIPersistPropertyBag, 1, 1, E_FAIL},
      {&kIPersistStream, 2, 3, S_OK},      {&kIPersistStorage, 3, 3, E_FAIL},
      {&kIUnknown, 1, 1, E_NOINTERFACE},   {nullptr, 1, 1, E_NOINTERFACE},
  };
  for (const auto& [iid, mask, enabled, expected] : cases) {
    EXPECT_EQ(ctl_.SetInterfaceSafetyOptions(iid, mask, enabled), expected)
        << GuidToString(iid) << " " << mask << " " << enabled;
  }
}

}  // namespace
}  // namespace vantrel
