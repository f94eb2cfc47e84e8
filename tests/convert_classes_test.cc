#include <gtest/gtest.h>

#include <string>

#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::Response;

// The class of the documented example; `active` varies it.
std::string ConsultingClass(const std::string& active = "<IsActive>true</IsActive>") {
  return "<ClassRet><ListID>80000001-1193155558</ListID>"
         "<TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
         "<TimeModified>2007-10-23T15:05:58-08:00</TimeModified>"
         "<EditSequence>1193155558</EditSequence><Name>Consulting</Name>"
         "<FullName>Consulting</FullName>" +
         active + "<Sublevel>0</Sublevel></ClassRet>";
}

const char kConsultingUpsert[] =
    "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = '80000001-1193155558') "
    "<= 0\r\n"
    "\tINSERT INTO ClassInfo ([ClassRowID],[ClassID],[ClassName],[ClassCode],[ClassFullCode],"
    "[ClassFullName],[ClassFullRefID],[ParentFullRefID],[ParentFullName],[Status],[ParentRefID],"
    "[SubLevel],[QBEditSequence],[QBModifiedDate],[QBListID],[CreatedDate],[CreatedBy],"
    "[UpdatedBy],[UpdatedDate]) VALUES (9000000,'','Consulting','','','Consulting','','','',-1,"
    "'',1,'1193155558','10/23/2007 3:05:58 PM','80000001-1193155558','10/23/2007 15:05:58',"
    "'jsmith','jsmith','10/23/2007 15:05:58')\r\n"
    "Else\r\n"
    "\tUPDATE ClassInfo SET [ClassName]='Consulting',[ClassFullName]='Consulting',[SubLevel]=1,"
    "[QBEditSequence]='1193155558',[QBModifiedDate]='10/23/2007 3:05:58 PM',"
    "[QBListID]='80000001-1193155558',[UpdatedBy]='jsmith',[UpdatedDate]='10/23/2007 15:05:58'"
    " WHERE [QBListId] = '80000001-1193155558'\r\n";

const char kConsultingInactive[] =
    "UPDATE ClassInfo SET [ClassName]='Consulting',[ClassFullName]='Consulting',[Status]=0,"
    "[SubLevel]=1,[QBEditSequence]='1193155558',[QBModifiedDate]='10/23/2007 3:05:58 PM',"
    "[QBListID]='80000001-1193155558',[UpdatedBy]='jsmith',[UpdatedDate]='10/23/2007 15:05:58'"
    " WHERE [QBListId] = '80000001-1193155558'\r\n";

class ClassesTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    browser().navigations.clear();
    SetResponse(Response(records));
    Run(EntityKind::kClasses);
    return AllPosted();
  }
};

TEST_F(ClassesTest, TheDocumentedClassIsWrittenByteForByte) {
  EXPECT_EQ(Convert(ConsultingClass()), kConsultingUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"C"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"C"});
  EXPECT_EQ(ctl_.run().counts.classes, 1);
  EXPECT_EQ(ctl_.nOptions, "C");
  EXPECT_EQ(Captions(),
            (std::vector<std::string>{"Getting Classes from QB", "Getting Classes from QB (1)"}));
}

// Without IsActive a class counts as inactive: its update carries [Status]=0.
TEST_F(ClassesTest, AnInactiveOrUnmarkedClassIsOnlyUpdatedWithItsStatus) {
  EXPECT_EQ(Convert(ConsultingClass("<IsActive>false</IsActive>")), kConsultingInactive);
  EXPECT_EQ(Convert(ConsultingClass("")), kConsultingInactive);
}

TEST_F(ClassesTest, EveryClassIsSentWhateverTheLastSyncDate) {
  modWizard().last_sync.ClassLastSyncDate = *platform::DateTime::FromParts(2030, 1, 1);
  EXPECT_EQ(Convert(ConsultingClass()), kConsultingUpsert);
}

// The user goes into [CreatedBy] cut to 30 characters and into [UpdatedBy]
// cut to 50.
TEST_F(ClassesTest, NamesAndTheUserAreCutToTheirColumns) {
  ctl_.TessalyUser = std::string(60, 'u');
  const std::string posted =
      Convert("<ClassRet><ListID>L1</ListID><Name>" + std::string(40, 'n') + "</Name><FullName>" +
              std::string(200, 'f') + "</FullName><IsActive>true</IsActive></ClassRet>");
  EXPECT_NE(posted.find("[ClassName]='" + std::string(31, 'n') + "',"), std::string::npos);
  EXPECT_NE(posted.find("[ClassFullName]='" + std::string(159, 'f') + "',"), std::string::npos);
  EXPECT_NE(posted.find(",'" + std::string(30, 'u') + "','" + std::string(50, 'u') + "',"),
            std::string::npos);
  EXPECT_NE(posted.find("[UpdatedBy]='" + std::string(50, 'u') + "',"), std::string::npos);
}

// A forged ListID stays inside its literal in both conditions; the value
// list cuts it to the column's 50 characters like any text.
TEST_F(ClassesTest, AnApostropheInTheListIdIsDoubledInBothConditions) {
  EXPECT_EQ(Convert("<ClassRet><ListID>80'); DROP TABLE ClassInfo;--</ListID>"
                    "<IsActive>false</IsActive></ClassRet>"),
            "UPDATE ClassInfo SET [ClassName]='',[ClassFullName]='',[Status]=0,[SubLevel]=1,"
            "[QBEditSequence]='',[QBModifiedDate]='"
            "12:00:00 AM',[QBListID]='80''); DROP TABLE ClassInfo;--',[UpdatedBy]='jsmith',"
            "[UpdatedDate]='12/30/1899 00:00:00' WHERE [QBListId] = '80''); DROP TABLE "
            "ClassInfo;--'\r\n");
  const std::string posted = Convert(
      "<ClassRet><ListID>80'); DROP TABLE ClassInfo;--</ListID><IsActive>true</IsActive>"
      "</ClassRet>");
  EXPECT_EQ(posted.substr(0, posted.find("\r\n")),
            "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = '80''); DROP TABLE "
            "ClassInfo;--') <= 0");
}

}  // namespace
}  // namespace vantrel
