#include <gtest/gtest.h>

#include "control/vantrel_ctl.h"
#include "fakes.h"
#include "upload/frm_wg_upload.h"
#include "wizard/mod_wizard.h"

namespace vantrel {
namespace {

using testing::Reply;

class UploadNowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModWizard();
    ctl_.WGSecureServerURL = "http://127.0.0.1:8080/site/";
    ctl_.SiteCode = "ABC";
    ctl_.SiteKey = "K3Y";
    ctl_.TessalyUser = "Anne";
    ctl_.nOptions = "V";
    ctl_.OpenFreshUploadScript();
  }
  testing::BrowserScript& browser() { return *env_.browser_script; }
  BMWGUtilityResult Upload(const std::string& script_text) {
    ctl_.run().mScript->WriteText(script_text);
    return ctl_.UploadNow(*ctl_.run().mScript);
  }

  testing::FakeEnv env_;
  testing::FakeHost host_;
  VantrelCtl ctl_{env_, host_};
};

TEST_F(UploadNowTest, PostsTheScriptWithItsAddressAndHeader) {
  EXPECT_EQ(Upload("line one\r\nline two\r\n"), wgurSuccess);
  ASSERT_EQ(browser().navigations.size(), 1u);
  const testing::Navigation& n = browser().navigations[0];
  EXPECT_EQ(n.url,
            "http://127.0.0.1:8080/site/vantrel.asp?sitecode=ABC&sitekey=K3Y&reset=0"
            "&bmclntver=4.06&options=V&upstarttime=12/4/2026 4:05:09 PM&usrnm=Anne"
            "&debugmode=False");
  EXPECT_EQ(n.flags, 6);
  EXPECT_EQ(n.headers, "Content-Type:text/plain\r\n");
  ASSERT_TRUE(n.post_data);
  EXPECT_EQ(n.body(), "line one\r\nline two\r\n");
  // The transfer indicator runs.
  EXPECT_TRUE(ctl_.screen().Timer1.enabled());
  EXPECT_EQ(ctl_.screen().Timer1.interval_ms(), 500);
  EXPECT_TRUE(ctl_.screen().lblTransfer2.visible());
  EXPECT_FALSE(ModuleUploadForm()->mSuccess);
}

TEST_F(UploadNowTest, ResetDebugAndOddCharactersGoInUnchanged) {
  ctl_.ResetTessaly = true;
  ctl_.DebugMode = true;
  ctl_.SiteCode = "A&B C#1";
  Upload("");
  const testing::Navigation& n = browser().navigations.at(0);
  EXPECT_NE(n.url.find("sitecode=A&B C#1&sitekey="), std::string::npos);
  EXPECT_NE(n.url.find("&reset=1&"), std::string::npos);
  EXPECT_TRUE(n.url.ends_with("&debugmode=True"));
  // An empty script is still a POST, with an empty body.
  ASSERT_TRUE(n.post_data);
  EXPECT_TRUE(n.post_data->empty());
}

TEST_F(UploadNowTest, NonAsciiLettersReachTheServerAsUsAscii) {
  Upload("M\xC3\xBCller Bj\xC3\xB6rk\r\n");
  EXPECT_EQ(browser().navigations.at(0).body(), "Muller Bjork\r\n");
}

struct ClassifyCase {
  Reply reply;
  BMWGUtilityResult result;
  const char* server_reply;  // expected strServerReply afterwards
};

TEST_F(UploadNowTest, ClassifiesTheReply) {
  const ClassifyCase cases[] = {
      {Reply::Text("SUCCESS"), wgurSuccess, "before"},
      {Reply::Text("   success and more"), wgurSuccess, "before"},
      {Reply::Text("SUCCES"), wgurAspFailed, "SUCCES"},
      {Reply::Text("Done: SUCCESS"), wgurAspFailed, "Done: SUCCESS"},
      {Reply::Text("No data to upload. "), wgurNoDataToUpload, "No data to upload. "},
      {Reply::Text("No data to upload."), wgurAspFailed, "No data to upload."},
      {Reply::Text("error"), wgurAspFailed, "error"},
      {Reply::Text(""), wgurAspFailed, ""},
  };
  for (const ClassifyCase& c : cases) {
    modWizard().strServerReply = "before";
    browser().replies.push_back(c.reply);
    EXPECT_EQ(Upload("x"), c.result) << c.reply.text.value_or("(none)");
    EXPECT_EQ(modWizard().strServerReply, c.server_reply);
    EXPECT_FALSE(ModuleUploadForm()->mSuccess);
    ctl_.OpenFreshUploadScript();
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(UploadNowTest, NoDocumentShowsItsMessageAndCountsAsSent) {
  browser().replies.push_back(Reply::NoDocument());
  modWizard().strServerReply = "before";
  EXPECT_EQ(Upload("x"), wgurSuccess);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "Could not sync QB's data with Tessaly. Please try later.");
  EXPECT_EQ(host_.messages[0].style, platform::MessageStyle::kInformation);
  EXPECT_EQ(modWizard().strServerReply, "before");
  EXPECT_EQ(ModuleUploadForm()->mReplyText, "Error");
}

TEST_F(UploadNowTest, ServerFlagsFromTheLastLetter) {
  struct Case {
    const char* reply;
    bool tasks;
    bool projects;
  };
  const Case cases[] = {
      {"SUCCESST", true, false},  {"SUCCESS P  ", false, true}, {"SUCCESSt", false, false},
      {"FAILED T", false, false}, {"SUCCESS", false, false},
  };
  for (const Case& c : cases) {
    modWizard().blnServerAddedTasks = false;
    modWizard().blnServerAddedProjects = false;
    browser().replies.push_back(Reply::Text(c.reply));
    Upload("x");
    ctl_.OpenFreshUploadScript();
    EXPECT_EQ(modWizard().blnServerAddedTasks, c.tasks) << c.reply;
    EXPECT_EQ(modWizard().blnServerAddedProjects, c.projects) << c.reply;
  }
}

TEST_F(UploadNowTest, CancelWhileWaitingInterruptsTheRequest) {
  browser().replies.push_back(Reply::Hang());
  browser().on_navigate = [this](const testing::Navigation&) {
    host_.pending.push_back([this] { ctl_.screen().cmdNav[1].Click(); });
  };
  EXPECT_EQ(Upload("x"), wgurProcessInterrupted);
  EXPECT_EQ(browser().stops, 1);
  EXPECT_TRUE(ModuleUploadForm()->mCancelled);
  EXPECT_FALSE(ModuleUploadForm()->mWaiting);
}

TEST_F(UploadNowTest, TheFormsOwnCancelInterruptsToo) {
  browser().replies.push_back(Reply::Hang());
  browser().on_navigate = [this](const testing::Navigation&) {
    host_.pending.push_back([] { ModuleUploadForm()->cmdClose.Click(); });
  };
  EXPECT_EQ(Upload("x"), wgurProcessInterrupted);
  EXPECT_FALSE(ModuleUploadForm()->form.visible());
}

TEST_F(UploadNowTest, AClosedStreamIsASystemError) {
  platform::TextStream closed;
  EXPECT_EQ(ctl_.UploadNow(closed), wgurSystemError);
  EXPECT_TRUE(modWizard().strServerReply.starts_with("Number : "));
  EXPECT_NE(modWizard().strServerReply.find("\r\nDescription : "), std::string::npos);
  EXPECT_NE(modWizard().strServerReply.find("\r\nASP Source : "), std::string::npos);
  EXPECT_TRUE(browser().navigations.empty());
}

TEST_F(UploadNowTest, StatusUpdateIsAGetWithItsOwnAddress) {
  EXPECT_EQ(ctl_.SendStatusUpdate("H"), wgurSuccess);
  ASSERT_EQ(browser().navigations.size(), 1u);
  const testing::Navigation& n = browser().navigations[0];
  EXPECT_EQ(n.url,
            "http://127.0.0.1:8080/site/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3Y"
            "&bmclntver=4.06&options=H&upstarttime=12/04/2026 16:05:09&usrnm=Anne");
  EXPECT_FALSE(n.post_data);
  EXPECT_EQ(n.flags, 6);
  EXPECT_EQ(n.headers, "Content-Type:text/plain\r\n");
}

TEST_F(UploadNowTest, StatusUpdateClassifiesLikeTheUpload) {
  browser().replies.push_back(Reply::Text("SUCCESSP"));
  browser().replies.push_back(Reply::Text("Invalid site code or site key. Kindly try again."));
  EXPECT_EQ(ctl_.SendStatusUpdate("P"), wgurSuccess);
  EXPECT_TRUE(modWizard().blnServerAddedProjects);
  EXPECT_EQ(ctl_.SendStatusUpdate("P"), wgurAspFailed);
  EXPECT_EQ(modWizard().strServerReply, "Invalid site code or site key. Kindly try again.");
}

TEST_F(UploadNowTest, FormIsCreatedOnceAndReloadedAfterUnload) {
  Upload("x");
  ctl_.OpenFreshUploadScript();
  UnloadUploadForm();
  EXPECT_FALSE(ModuleUploadForm()->loaded());
  Upload("y");
  EXPECT_TRUE(ModuleUploadForm()->loaded());
  EXPECT_EQ(env_.browsers_created, 1);
}

}  // namespace
}  // namespace vantrel
