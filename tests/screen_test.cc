#include <gtest/gtest.h>

#include "convert_fixture.h"
#include "upload/frm_wg_upload.h"

namespace vantrel {
namespace {

using ScreenTest = testing::ControlTest;

// "Select All" ticks the lists but not time and expenses; "Uncheck All"
// clears those too. Under any other caption the button does nothing.
TEST_F(ScreenTest, SelectAllAndUncheckAll) {
  const std::vector<platform::CheckBox*> lists = {&s_.chkQBEmployee, &s_.chkQBCustomers,
                                                  &s_.chkQBCOA,      &s_.chkQBClasses,
                                                  &s_.chkQBTasks,    &s_.chkQBVendors};
  auto expect_boxes = [&](int lists_value, const char* caption) {
    for (const platform::CheckBox* box : lists) EXPECT_EQ(box->value(), lists_value) << box->name();
    EXPECT_EQ(s_.chkQBTimesheet.value(), 0);
    EXPECT_EQ(s_.chkQBExpense.value(), 0);
    EXPECT_EQ(s_.cmdSelectAll.caption(), caption);
  };
  s_.cmdSelectAll.Click();
  expect_boxes(1, "Uncheck All");
  s_.chkQBTimesheet.set_value(1);
  s_.chkQBExpense.set_value(1);
  s_.cmdSelectAll.Click();
  expect_boxes(0, "Select All");
  s_.cmdSelectAll.set_caption("Pick");
  s_.cmdSelectAll.Click();
  EXPECT_EQ(s_.chkQBEmployee.value(), 0);
  EXPECT_EQ(s_.cmdSelectAll.caption(), "Pick");
}

// Turning debug mode on, by a click or by code, selects "Stop on error";
// turning it off hides the choice but keeps it.
TEST_F(ScreenTest, DebugModeToggleSelectsStopAndKeepsTheChoice) {
  s_.chkDebugMode.set_value(1);
  EXPECT_EQ(s_.chkDebugMode.caption(), "Debug mode on");
  EXPECT_TRUE(ctl_.DebugMode);
  EXPECT_TRUE(s_.optStop.visible() && s_.optContinue.visible());
  EXPECT_TRUE(s_.optStop.value());
  EXPECT_FALSE(s_.optContinue.value());

  s_.optContinue.set_value(true);
  EXPECT_FALSE(s_.optStop.value());
  s_.chkDebugMode.set_value(1);  // no change, no toggle
  EXPECT_TRUE(s_.optContinue.value());
  s_.chkDebugMode.Click();
  EXPECT_EQ(s_.chkDebugMode.caption(), "Debug mode off");
  EXPECT_FALSE(ctl_.DebugMode);
  EXPECT_FALSE(s_.optStop.visible() || s_.optContinue.visible());
  EXPECT_TRUE(s_.optContinue.value());
}

// The timer blinks the wait label, and ticks through the pump only while
// enabled.
TEST_F(ScreenTest, TheTimerBlinksTheWaitLabel) {
  const int refreshes = s_.lblTransfer2.refresh_count();
  ctl_.Timer1_Timer();
  EXPECT_FALSE(s_.lblTransfer2.visible());
  ctl_.Timer1_Timer();
  EXPECT_TRUE(s_.lblTransfer2.visible());
  EXPECT_EQ(s_.lblTransfer2.refresh_count(), refreshes + 2);

  s_.Timer1.set_interval_ms(1);
  const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  EXPECT_FALSE(s_.Timer1.TickIfDue(later));
  s_.Timer1.set_enabled(true);
  EXPECT_TRUE(s_.Timer1.TickIfDue(later));
  EXPECT_FALSE(s_.lblTransfer2.visible());
}

// The reset clears every box, the progress strip and the list entities'
// counts and failure counters; time and expenses keep theirs.
TEST_F(ScreenTest, ResetBringsTheScreenBackToIdle) {
  const std::vector<platform::CheckBox*> boxes = {
      &s_.chkQBEmployee, &s_.chkQBCustomers, &s_.chkQBClasses,  &s_.chkQBCOA,
      &s_.chkQBTasks,    &s_.chkQBVendors,   &s_.chkContactQB,  &s_.chkQBTimesheet,
      &s_.chkQBExpense,  &s_.chkWaitRes,     &s_.chkProcessing, &s_.chkDebugMode};
  for (platform::CheckBox* box : boxes) box->set_value(1);
  s_.cmdSelectAll.set_caption("Uncheck All");
  for (platform::Control* c : std::vector<platform::Control*>{&s_.frameComm, &s_.fraProgress,
                                                              &s_.lblProcess, &s_.ProgressBar1}) {
    c->set_visible(true);
  }
  s_.lblProcess.set_caption("Getting Classes from QB (3)");
  s_.ProgressBar1.set_value(3);
  s_.Timer1.set_enabled(true);
  s_.lblTransfer1.set_caption("Transferred data");
  s_.lblProcessing.set_caption("Response Processed");  // left as it is
  s_.screen.set_mouse_pointer(platform::MousePointer::kHourglass);
  ctl_.lngFailedClassCnt = 2;
  ctl_.lngFailedTimeCnt = 3;
  ctl_.lngFailedExpCnt = 4;
  ctl_.run().counts = {1, 2, 3, 4, 5, 6, 7, 8, 9};

  ctl_.ResetWizardScreen();

  for (const platform::CheckBox* box : boxes) EXPECT_EQ(box->value(), 0) << box->name();
  EXPECT_EQ(s_.screen.mouse_pointer(), platform::MousePointer::kDefault);
  EXPECT_EQ(s_.ProgressBar1.value(), 0);
  for (const platform::Control* c :
       std::vector<platform::Control*>{&s_.lblProcess, &s_.ProgressBar1, &s_.fraProgress,
                                       &s_.lblTransfer2, &s_.frameComm, &s_.optStop}) {
    EXPECT_FALSE(c->visible()) << c->name();
  }
  EXPECT_FALSE(s_.Timer1.enabled());
  const std::pair<platform::Control*, const char*> captions[] = {
      {&s_.lblProcess, ""},
      {&s_.lblTransfer1, "Transfering data"},
      {&s_.lblContacting, "Contacting QuickBooks"},
      {&s_.lblWaiting, "Waiting for response"},
      {&s_.lblProcessing, "Response Processed"},
      {&s_.cmdSelectAll, "Select All"},
      {&s_.chkDebugMode, "Debug mode off"}};
  for (const auto& [control, caption] : captions) EXPECT_EQ(control->caption(), caption);
  EXPECT_TRUE(s_.cmdSelectAll.visible());
  EXPECT_EQ(ctl_.lngFailedClassCnt, 0);
  EXPECT_EQ(ctl_.lngFailedTimeCnt, 3);
  EXPECT_EQ(ctl_.lngFailedExpCnt, 4);
  EXPECT_FALSE(ctl_.DebugMode);
  EntityCounts kept;
  kept[EntityKind::kTime] = 8;
  kept[EntityKind::kExpenses] = 9;
  EXPECT_EQ(ctl_.run().counts, kept);
}

// Help shows its message; Back, and Cancel with no request waiting, do nothing.
TEST_F(ScreenTest, TheNavigationButtons) {
  s_.cmdNav[2].Click();
  s_.cmdNav[1].Click();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(ctl_.upload_form(), nullptr);
  s_.cmdNav[0].Click();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            "This wizard helps you sync your QB data with the Tessaly.\r\nYou can either select "
            "all the entities for sync or select one by one depending upon the requirement and "
            "hit the 'Start Sync' button.");
  EXPECT_EQ(host_.messages[0].style, platform::MessageStyle::kInformation);
}

}  // namespace
}  // namespace vantrel
