#include <gtest/gtest.h>

#include <string>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"
#include "platform/com_error.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::CountOf;
using testing::Response;

// The class of the documented example; `active` and `extra` vary it.
std::string ConsultingClass(const std::string& active = "<IsActive>true</IsActive>",
                            const std::string& name = "Consulting",
                            const std::string& sublevel = "<Sublevel>0</Sublevel>") {
  return "<ClassRet><ListID>80000001-1193155558</ListID>"
         "<TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
         "<TimeModified>2007-10-23T15:05:58-08:00</TimeModified>"
         "<EditSequence>1193155558</EditSequence><Name>" +
         name + "</Name><FullName>" + name + "</FullName>" + active + sublevel + "</ClassRet>";
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
  std::string ConvertOne(const std::string& record) {
    SetResponse(Response(record));
    Run(EntityKind::kClasses);
    const auto bodies = PostBodies();
    return bodies.size() == 1 ? bodies[0] : "<" + std::to_string(bodies.size()) + " posts>";
  }
};

TEST_F(ClassesTest, TheDocumentedClassIsWrittenByteForByte) {
  EXPECT_EQ(ConvertOne(ConsultingClass()), kConsultingUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"C"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"C"});
  EXPECT_TRUE(StatusCameLast());
  EXPECT_EQ(ctl_.run().counts.classes, 1);
  EXPECT_EQ(ctl_.nOptions, "C");
}

TEST_F(ClassesTest, AnInactiveClassIsOnlyUpdatedWithItsStatus) {
  EXPECT_EQ(ConvertOne(ConsultingClass("<IsActive>false</IsActive>")), kConsultingInactive);
}

TEST_F(ClassesTest, ActivityTextsDecideTheStatementForm) {
  struct Case {
    const char* is_active;
    bool full;
  };
  const Case cases[] = {{"<IsActive>1</IsActive>", true},      {"<IsActive>true</IsActive>", true},
                        {"<IsActive>True</IsActive>", false},  {"<IsActive>0</IsActive>", false},
                        {"<IsActive>false</IsActive>", false}, {"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.is_active);
    ResetModWizard();
    browser().navigations.clear();
    ctl_.OpenFreshUploadScript();
    const std::string statement = ConvertOne(ConsultingClass(c.is_active));
    EXPECT_EQ(statement.starts_with("IF (SELECT"), c.full);
    // Without the INSERT, the class never reaches a server that lacks it; its
    // update carries [Status]=0, a missing IsActive included.
    EXPECT_EQ(CountOf(statement, "[Status]=0"), c.full ? 0 : 1);
  }
}

TEST_F(ClassesTest, ApostrophesAreDoubledInBothLists) {
  const std::string statement = ConvertOne(ConsultingClass("<IsActive>true</IsActive>", "O'Neil"));
  EXPECT_EQ(CountOf(statement, "'O''Neil'"), 4);  // two values, two updates
}

TEST_F(ClassesTest, SublevelBecomesTheLevelInBothLists) {
  struct Case {
    const char* sublevel;
    const char* level;
  };
  const Case cases[] = {{"<Sublevel>2</Sublevel>", "3"},
                        {"<Sublevel>0</Sublevel>", "1"},
                        {"", "1"},
                        {"<Sublevel>x</Sublevel>", "1"},
                        {"<Sublevel>1.5</Sublevel>", "2.5"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sublevel);
    browser().navigations.clear();
    const std::string statement =
        ConvertOne(ConsultingClass("<IsActive>true</IsActive>", "Consulting", c.sublevel));
    EXPECT_NE(statement.find(std::string(",-1,'',") + c.level + ",'1193155558'"),
              std::string::npos);
    EXPECT_NE(statement.find(std::string("[SubLevel]=") + c.level + ","), std::string::npos);
  }
}

TEST_F(ClassesTest, NamesAreCutToTheirColumnsAndTheUserToEachAuditColumn) {
  const std::string name(40, 'n');
  const std::string full(200, 'f');
  ctl_.TessalyUser = std::string(60, 'u');
  SetResponse(Response("<ClassRet><ListID>L1</ListID><Name>" + name + "</Name><FullName>" + full +
                       "</FullName><IsActive>true</IsActive></ClassRet>"));
  Run(EntityKind::kClasses);
  const std::string body = PostBodies().at(0);
  EXPECT_NE(body.find(",'" + std::string(31, 'n') + "',"), std::string::npos);
  EXPECT_EQ(body.find(std::string(32, 'n')), std::string::npos);
  EXPECT_NE(body.find(",'" + std::string(159, 'f') + "',"), std::string::npos);
  EXPECT_EQ(body.find(std::string(160, 'f')), std::string::npos);
  // [CreatedBy] takes 30 characters, [UpdatedBy] 50.
  EXPECT_NE(body.find(",'" + std::string(30, 'u') + "','" + std::string(50, 'u') + "',"),
            std::string::npos);
  EXPECT_NE(body.find("[UpdatedBy]='" + std::string(50, 'u') + "',"), std::string::npos);
}

TEST_F(ClassesTest, EveryClassIsSentWhateverTheLastSyncDate) {
  modWizard().last_sync.ClassLastSyncDate = *platform::DateTime::FromParts(2030, 1, 1);
  EXPECT_EQ(ConvertOne(ConsultingClass()), kConsultingUpsert);
}

TEST_F(ClassesTest, NoClassRecordsLeaveEverythingAlone) {
  ctl_.run().counts.classes = 7;
  converterStores().classes.Size(3, "");
  SetResponse(Response("", "ClassQueryRs"));
  Run(EntityKind::kClasses);
  EXPECT_TRUE(browser().navigations.empty());
  EXPECT_EQ(ctl_.run().counts.classes, 7);
  EXPECT_EQ(converterStores().classes.size(), 0u);
  EXPECT_FALSE(ctl_.screen().fraProgress.visible());
  EXPECT_TRUE(host_.redraws.empty());
}

TEST_F(ClassesTest, TheFailureCounterIsClearedEvenWhenTheResponseDoesNotParse) {
  ctl_.lngFailedClassCnt = 5;
  SetResponse("<QBXML><ClassRet>");
  Run(EntityKind::kClasses);
  EXPECT_EQ(ctl_.lngFailedClassCnt, 0);
  EXPECT_TRUE(modWizard().blnSyncError);
  EXPECT_TRUE(browser().navigations.empty());
}

TEST_F(ClassesTest, TheStoreKeepsTheCommonFieldsOfEveryRow) {
  SetResponse(Response(ConsultingClass() + "<ClassRet><Name>No id</Name></ClassRet>"));
  Run(EntityKind::kClasses);
  const auto& store = converterStores().classes;
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(store.at(1).ListID, "80000001-1193155558");
  EXPECT_EQ(store.at(1).TimeCreated, *platform::DateTime::FromParts(2007, 10, 23, 15, 5, 58));
  EXPECT_TRUE(store.at(1).IsActive);
  EXPECT_EQ(store.at(2).ListID, "");
  EXPECT_TRUE(store.at(2).TimeModified.IsZero());
  // A class without a ListID updates the row whose ListID is empty.
  EXPECT_TRUE(PostBodies().at(0).ends_with(" WHERE [QBListId] = ''\r\n"));
}

TEST_F(ClassesTest, AStatusUpdateThatFailsToStartLeavesThePassToFinish) {
  SetResponse(Response(ConsultingClass()));
  browser().on_navigate = [](const testing::Navigation& n) {
    if (!n.post_data) throw platform::ComError(-2147467259, "Method 'Navigate2' failed");
  };
  ctl_.run().mLastResult = wgurUnknownError;
  ctl_.screen().fraProgress.set_visible(true);
  Run(EntityKind::kClasses);
  EXPECT_EQ(PostBodies().size(), 1u);
  EXPECT_EQ(browser().Gets().size(), 1u);
  EXPECT_EQ(ctl_.run().mLastResult, wgurSuccess);  // from the accepted post
  EXPECT_FALSE(ctl_.run().mStopRun);
  EXPECT_FALSE(modWizard().blnSyncError);
  EXPECT_FALSE(ctl_.screen().fraProgress.visible());
}

}  // namespace
}  // namespace vantrel
