#include <gtest/gtest.h>

#include "convert_fixture.h"

namespace vantrel {
namespace {

struct MessageCase {
  long code;
  const char* reply;
  long direction;
  const char* message;
};

using ResultMessagesTest = testing::ControlTest;

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
