#include <gtest/gtest.h>

#include "convert_fixture.h"
#include "upload/frm_wg_upload.h"

namespace vantrel {
namespace {

using testing::Reply;

class UploadNowTest : public testing::ConvertTest {
 protected:
  void SetUp() override {
    ConvertTest::SetUp();
    ctl_.TessalyUser = "Anne";
    ctl_.nOptions = "V";
  }
  BMWGUtilityResult Upload(const std::string& script_text) {
    ctl_.run().mScript->WriteText(script_text);
    return ctl_.UploadNow(*ctl_.run().mScript);
  }
};

// Non-ASCII letters reach the server as US-ASCII; the status update is a GET
// with its own page and time format.
TEST_F(UploadNowTest, PostsTheScriptAndGetsTheStatusUpdate) {
  EXPECT_EQ(Upload("line one\r\nM\xC3\xBCller Bj\xC3\xB6rk\r\n"), wgurSuccess);
  EXPECT_EQ(ctl_.SendStatusUpdate("H"), wgurSuccess);
  ASSERT_EQ(browser().navigations.size(), 2u);
  const testing::Navigation& post = browser().navigations[0];
  EXPECT_EQ(post.url,
            "http://127.0.0.1:8080/site/vantrel.asp?sitecode=ABC&sitekey=K3Y&reset=0"
            "&bmclntver=4.06&options=V&upstarttime=12/4/2026 4:05:09 PM&usrnm=Anne"
            "&debugmode=False");
  EXPECT_EQ(post.body(), "line one\r\nMuller Bjork\r\n");
  const testing::Navigation& status = browser().navigations[1];
  EXPECT_EQ(status.url,
            "http://127.0.0.1:8080/site/vantrelupdatestatus.asp?sitecode=ABC&sitekey=K3Y"
            "&bmclntver=4.06&options=H&upstarttime=12/04/2026 16:05:09&usrnm=Anne");
  EXPECT_FALSE(status.post_data);
  for (const testing::Navigation& n : browser().navigations) {
    EXPECT_EQ(n.flags, 6);
    EXPECT_EQ(n.headers, "Content-Type:text/plain\r\n");
  }
  // The transfer indicator runs.
  EXPECT_TRUE(ctl_.screen().Timer1.enabled());
  EXPECT_EQ(ctl_.screen().Timer1.interval_ms(), 500);
  EXPECT_TRUE(ctl_.screen().lblTransfer2.visible());
  EXPECT_FALSE(ctl_.upload_form()->mSuccess);

  // Reset, debug mode and odd characters go into the address unchanged.
  ctl_.OpenFreshUploadScript();
  ctl_.ResetTessaly = true;
  ctl_.DebugMode = true;
  ctl_.SiteCode = "A&B C#1";
  Upload("");
  const testing::Navigation& n = browser().navigations.at(2);
  EXPECT_NE(n.url.find("sitecode=A&B C#1&sitekey="), std::string::npos);
  EXPECT_NE(n.url.find("&reset=1&"), std::string::npos);
  EXPECT_TRUE(n.url.ends_with("&debugmode=True"));
  // An empty script is still a POST, with an empty body.
  ASSERT_TRUE(n.post_data);
  EXPECT_TRUE(n.post_data->empty());
}

// The upload and the status update turn the reply's verdict alike into their
// result, the reply kept for the message, and the server's mark of added
// tasks or projects. A reply without a readable page shows its message and
// is never taken as accepted.
TEST_F(UploadNowTest, ClassifiesTheReply) {
  struct Case {
    std::optional<std::string> reply;  // nullopt: no document
    BMWGUtilityResult result;
    const char* server_reply;  // strServerReply afterwards
    bool tasks = false, projects = false;
  };
  const Case cases[] = {
      {"   success and more", wgurSuccess, "before"},
      {"No data to upload. ", wgurNoDataToUpload, "No data to upload. "},
      {"SUCCESST", wgurSuccess, "before", true, false},
      {"SUCCESS P  ", wgurSuccess, "before", false, true},
      {"FAILED T", wgurAspFailed, "FAILED T"},
      {std::nullopt, wgurUnknownError, "before"},
  };
  for (const Case& c : cases) {
    for (const bool status : {false, true}) {
      SCOPED_TRACE((status ? "status: " : "upload: ") + c.reply.value_or("no document"));
      host_.messages.clear();
      modWizard().strServerReply = "before";
      modWizard().blnServerAddedTasks = false;
      modWizard().blnServerAddedProjects = false;
      browser().replies.push_back(c.reply ? Reply::Text(*c.reply) : Reply::NoDocument());
      EXPECT_EQ(status ? ctl_.SendStatusUpdate("P") : Upload("x"), c.result);
      EXPECT_EQ(modWizard().strServerReply, c.server_reply);
      EXPECT_EQ(modWizard().blnServerAddedTasks, c.tasks);
      EXPECT_EQ(modWizard().blnServerAddedProjects, c.projects);
      EXPECT_FALSE(ctl_.upload_form()->mSuccess);
      EXPECT_EQ(ctl_.upload_form()->mReplyText, c.reply.value_or("Error"));
      std::vector<testing::ShownMessage> shown;
      if (!c.reply) {
        shown.push_back({"Could not sync QB's data with Tessaly. Please try later.",
                         platform::MessageStyle::kInformation});
      }
      EXPECT_EQ(host_.messages, shown);
      ctl_.OpenFreshUploadScript();
    }
  }
}

// The wizard's Cancel and the upload form's own stop the waiting request;
// the form's own also hides the form.
TEST_F(UploadNowTest, CancelWhileWaitingInterruptsTheRequest) {
  for (const bool form_button : {false, true}) {
    SCOPED_TRACE(form_button ? "the form's Cancel" : "the wizard's Cancel");
    browser().replies.push_back(Reply::Hang());
    browser().on_navigate = [this, form_button](const testing::Navigation&) {
      host_.pending.push_back([this, form_button] {
        ctl_.upload_form()->form.set_visible(true);
        ctl_.upload_form()->mCancelled = false;
        if (form_button) {
          ctl_.upload_form()->cmdClose.Click();
        } else {
          ctl_.screen().cmdNav[1].Click();
        }
      });
    };
    const int stops = browser().stops;
    EXPECT_EQ(Upload("x"), wgurProcessInterrupted);
    EXPECT_EQ(browser().stops, stops + 1);
    EXPECT_TRUE(ctl_.upload_form()->mCancelled);
    EXPECT_FALSE(ctl_.upload_form()->mWaiting);
    EXPECT_EQ(ctl_.upload_form()->form.visible(), !form_button);
    ctl_.OpenFreshUploadScript();
  }
}

TEST_F(UploadNowTest, AClosedStreamIsASystemError) {
  platform::TextStream closed;
  EXPECT_EQ(ctl_.UploadNow(closed), wgurSystemError);
  EXPECT_TRUE(modWizard().strServerReply.starts_with("Number : "));
  EXPECT_NE(modWizard().strServerReply.find("\r\nDescription : "), std::string::npos);
  EXPECT_NE(modWizard().strServerReply.find("\r\nASP Source : "), std::string::npos);
  EXPECT_TRUE(browser().navigations.empty());
}

TEST_F(UploadNowTest, FormIsCreatedOnceAndReloadedAfterUnload) {
  Upload("x");
  ctl_.OpenFreshUploadScript();
  ctl_.upload_form()->Form_Unload();
  EXPECT_FALSE(ctl_.upload_form()->loaded());
  Upload("y");
  EXPECT_TRUE(ctl_.upload_form()->loaded());
  EXPECT_EQ(env_.browsers_created, 1);
}

using ResultMessagesTest = testing::ControlTest;

struct MessageCase {
  long code;
  const char* reply;
  long direction;
  const char* message;
};

// Each result code's message, the success words by the sync direction (out
// of range: none), and the texts of the server's replies that pick a message.
TEST_F(ResultMessagesTest, EveryCode) {
  const MessageCase cases[] = {
      {0, "", 1, "Upload Completed."},
      {0, "", 0, "None Completed."},
      {0, "", 2, "Download Completed."},
      {0, "", 7, " Completed."},
      {0, "", -1, " Completed."},
      {1, "Invalid site code or site key. Kindly try again.", 1,
       "Could not connect to the Wellgate. Your account has not been setup or has expired. Go "
       "to Maintain | Wellgate | Setup; to setup or renew your account."},
      {1, "invalid site code or site key. kindly try again.", 1,
       "The following error occured while executing ASP.\r\n\r\ninvalid site code or site key. "
       "kindly try again."},
      {1, "Invalid site code or site key. Kindly try again. ", 1,
       "The following error occured while executing ASP.\r\n\r\nInvalid site code or site key. "
       "Kindly try again. "},
      {1, "Action cancelled", 1,
       "Could not connect to the Wellgate. Please check if you have an internet connection and "
       "it is properly setup."},
      {1, "", 1, "The following error occured while executing ASP.\r\n\r\n"},
      {1, "SUCCES", 1, "The following error occured while executing ASP.\r\n\r\nSUCCES"},
      {2, "No data to upload. ", 1, "There are no employees in this database with web access."},
      {3, "", 1, "Sync process cancelled on user request."},
      {4, "Number : 0\r\nDescription : x\r\nASP Source : y", 1,
       "Could not connect to the Wellgate. Please check if you are connected to internet."},
      {4, "Number : 53\r\nDescription : File not found", 1,
       "The following system error occured while processing.\r\n\r\nNumber : 53\r\nDescription "
       ": File not found"},
      {4, "Number : ", 1, "The following system error occured while processing.\r\n\r\nNumber : "},
      {5, "", 1, "An unknown error has occured. Kindly contact the system administrator."},
      {6, "", 1, ""},
      {-1, "", 1, ""},
  };
  for (const MessageCase& c : cases) {
    ResetModWizard();
    modWizard().strServerReply = c.reply;
    modWizard().lngSyncDirection = c.direction;
    EXPECT_EQ(ctl_.GetResultMessage(c.code), c.message) << c.code << " " << c.reply;
  }
}

}  // namespace
}  // namespace vantrel
