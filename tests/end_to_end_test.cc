// Whole runs: the control with the QuickBooks stand-in holding the sample
// company, posting over real HTTP on loopback to the stand-in site server.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "convert/date_helpers.h"
#include "end_to_end_fixture.h"
#include "platform/xml_document.h"

namespace vantrel::testing {
namespace {

using platform::XmlNode;

// The sample company, read once.
const platform::XmlDocument& Sample() {
  static const platform::XmlDocument* doc = [] {
    auto* d = new platform::XmlDocument;
    EXPECT_TRUE(d->LoadXml(ReadFile(kSampleCompany)));
    return d;
  }();
  return *doc;
}

// The elements `element` of the sample that `keep` takes (every one without).
long SampleCount(const std::string& element,
                 const std::function<bool(const XmlNode&)>& keep = nullptr) {
  long n = 0;
  for (const XmlNode& node : Sample().GetElementsByTagName(element)) n += !keep || keep(node);
  return n;
}

// Created or modified at or after `since`.
std::function<bool(const XmlNode&)> ChangedSince(platform::DateTime since) {
  return [=](const XmlNode& node) {
    return ParseQBDateTime(node.SelectSingleNode("TimeCreated").Text()).value() >= since ||
           ParseQBDateTime(node.SelectSingleNode("TimeModified").Text()).value() >= since;
  };
}

// A second run over the same site sends the same statements and changes
// nothing.
TEST_F(EndToEndTest, ASecondRunOfTheFourListsChangesNothing) {
  TickFour();
  Start();
  EXPECT_EQ(ctl_->last_run_end(), RunEnd::kCompleted);
  const std::vector<std::string> first = PostBodies();
  ASSERT_FALSE(first.empty());

  auto dump = [this] {
    return Dump("ClassInfo") + Dump("GLChartOfAccounts") + Dump("EmployeeInfo") + Dump("Vendors");
  };
  const std::string before = dump();
  server_->ClearRequests();
  TickFour();
  Start();
  EXPECT_EQ(PostBodies(), first);
  EXPECT_EQ(dump(), before);
}

// Classes are sent whole every run; the other lists only when changed since
// their dates, and a sub-job unchanged since then only under a changed job.
TEST_F(EndToEndTest, LaterLastSyncDatesSendOnlyWhatChanged) {
  const platform::DateTime since = *platform::DateTime::FromParts(2008, 1, 1);
  LoadPage("01/01/2008 12:00:00 AM");
  TickFour();
  ctl_->screen().chkQBCustomers.set_value(1);
  Start();
  // The entity counts are cleared by the reset at the end of the run: count
  // the statements the server received instead.
  long statements = 0;
  for (const auto& r : server_->requests()) {
    if (r.method == "POST" && r.target.find("options=P") == std::string::npos) {
      statements += CountOf(r.body, "UPDATE ");
    }
  }
  EXPECT_EQ(statements, SampleCount("ClassRet") + SampleCount("AccountRet", ChangedSince(since)) +
                            SampleCount("EmployeeRet", ChangedSince(since)) +
                            SampleCount("VendorRet", ChangedSince(since)));
  EXPECT_LT(SampleCount("AccountRet", ChangedSince(since)), SampleCount("AccountRet"));

  // Of Brian Cook's jobs the changed one and its sub-job went, not the
  // kitchen and its cabinets.
  EXPECT_EQ(server_->Query("SELECT QBFullName FROM CustProjInfo WHERE QBFullName LIKE "
                           "'Cook, Brian:%' ORDER BY 1"),
            (std::vector<std::vector<std::string>>{{"Cook, Brian:2nd story addition"},
                                                   {"Cook, Brian:2nd story addition:Framing"}}));
}

}  // namespace
}  // namespace vantrel::testing
