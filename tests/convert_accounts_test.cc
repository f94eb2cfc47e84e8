#include <gtest/gtest.h>

#include <string>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::CountOf;
using testing::Response;

struct Account {
  std::string list_id = "80000025-1193155600";
  std::string created = "2007-10-23T15:10:00-08:00";
  std::string modified = "2007-10-23T15:10:00-08:00";
  std::string edit_sequence = "1193155600";
  std::string full_name = "Utilities:Electric";
  std::string is_active = "<IsActive>true</IsActive>";
  std::string sublevel = "<Sublevel>1</Sublevel>";
  std::string type = "<AccountType>Expense</AccountType>";
  std::string number = "<AccountNumber>6000</AccountNumber>";
  std::string desc = "<Desc>Power bills</Desc>";
  std::string balance = "<Balance>0.00</Balance>";
  std::string total = "<TotalBalance>1250.75</TotalBalance>";

  std::string Xml() const {
    return "<AccountRet><ListID>" + list_id + "</ListID><TimeCreated>" + created +
           "</TimeCreated><TimeModified>" + modified + "</TimeModified><EditSequence>" +
           edit_sequence + "</EditSequence><Name>Electric</Name><FullName>" + full_name +
           "</FullName>" + is_active + sublevel + type + number + desc + balance + total +
           "</AccountRet>";
  }
};

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const std::size_t start = text.find(from);
  if (start == std::string::npos) return "<missing " + from + ">";
  const std::size_t end = text.find(to, start + from.size());
  if (end == std::string::npos) return "<missing " + to + ">";
  return text.substr(start + from.size(), end - start - from.size());
}

class AccountsTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    SetResponse(Response(records, "AccountQueryRs"));
    Run(EntityKind::kAccounts);
    return AllPosted();
  }
  static std::string Values(const std::string& statement) {
    return Between(statement, ") VALUES (", ")\r\nElse\r\n");
  }
  static std::string Updates(const std::string& statement) {
    return Between(statement, "UPDATE GLChartOfAccounts SET ", " WHERE [QBListId] = ");
  }
};

TEST_F(AccountsTest, TheDocumentedAccountGivesItsValueAndUpdateLists) {
  // Four other accounts come first, so this one is at position 4.
  std::string records;
  for (int i = 0; i < 4; ++i) {
    Account other;
    other.list_id = "OTHER-" + std::to_string(i);
    records += other.Xml();
  }
  const Account account;
  records += account.Xml();
  const std::string posted = Convert(records);
  const std::string last = posted.substr(posted.rfind("IF (SELECT"));
  EXPECT_TRUE(last.starts_with(
      "IF (SELECT Count(AccRowID) FROM [GLChartOfAccounts] WHERE [QBListID] = "
      "'80000025-1193155600') <= 0\r\n\tINSERT INTO GLChartOfAccounts ([AccRowID],"
      "[AccountNumber],[AccountName],[AssetType],[BalanceType],[Notes],[ReportLevel],"
      "[ReportingLevel],[AccountBalance],[InActiveYN],[BeginningBalance],[QBModifiedDate],"
      "[QBEditSequence],[QBListID],[Description],[CreatedBy],[CreatedDate],[UpdatedBy],"
      "[UpdatedDate],[ClassFullRefID],[AllowExpense],[InvoiceItemCode],[ShowQty],[DefaultRate],"
      "[LockDefaultRate],[DefaultBillRate],[LockDefaultBillRate],[MinQty],[MaxQty]) VALUES ("));
  EXPECT_EQ(Values(last),
            "9000004,'6000','Utilities:Electric','Expense','','',0,1,1250.75,-1,0.00,"
            "'10/23/2007 3:10:00 PM','1193155600','80000025-1193155600','Power bills','jsmith',"
            "'10/23/2007 15:10:00','jsmith','10/23/2007 15:10:00','',-1,'',0,0,0,0,0,0,0");
  EXPECT_EQ(Updates(last),
            "[AccountNumber]='6000',[AccountName]='Utilities:Electric',[AssetType]='Expense',"
            "[ReportingLevel]=1,[AccountBalance]=1250.75,[BeginningBalance]=0.00,"
            "[QBModifiedDate]='10/23/2007 3:10:00 PM',[QBEditSequence]='1193155600',"
            "[QBListID]='80000025-1193155600',[Description]='Power bills',[UpdatedBy]='jsmith',"
            "[UpdatedDate]='10/23/2007 15:10:00'");
  EXPECT_TRUE(last.ends_with(" WHERE [QBListId] = '80000025-1193155600'\r\n"));
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"G"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"G"});
  EXPECT_EQ(ctl_.run().counts.accounts, 5);
}

TEST_F(AccountsTest, OnlyTheTypeExpenseAllowsExpenses) {
  struct Case {
    const char* type;
    const char* allow;
  };
  const Case cases[] = {{"<AccountType>Expense</AccountType>", "-1"},
                        {"<AccountType>OtherExpense</AccountType>", "0"},
                        {"<AccountType>CostOfGoodsSold</AccountType>", "0"},
                        {"<AccountType>expense</AccountType>", "0"},
                        {"", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    browser().navigations.clear();
    Account account;
    account.type = c.type;
    const std::string values = Values(Convert(account.Xml()));
    EXPECT_TRUE(values.ends_with(std::string(",'',") + c.allow + ",'',0,0,0,0,0,0,0")) << values;
  }
}

TEST_F(AccountsTest, AccountsUntouchedSinceTheLastSyncAreNotSent) {
  modWizard().last_sync.GLAccountsLastSyncDate =
      *platform::DateTime::FromParts(2007, 10, 23, 15, 10, 0);
  Account old;
  old.list_id = "OLD";
  old.created = old.modified = "2007-10-23T15:09:59-08:00";
  Account changed;
  changed.list_id = "CHANGED";
  changed.created = "2007-01-01T00:00:00-08:00";
  const std::string posted = Convert(old.Xml() + changed.Xml());
  EXPECT_EQ(CountOf(posted, "INSERT INTO"), 1);
  EXPECT_EQ(posted.find("'OLD'"), std::string::npos);
  EXPECT_NE(posted.find("VALUES (9000001,"), std::string::npos);
  EXPECT_EQ(ctl_.run().counts.accounts, 1);
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting GLs from QB (1)");

  // None changed: nothing sent, no status.
  browser().navigations.clear();
  Convert(old.Xml());
  EXPECT_TRUE(browser().navigations.empty());
  EXPECT_EQ(ctl_.run().counts.accounts, 0);
}

TEST_F(AccountsTest, TheReportingLevelIsTheSublevelAsReceived) {
  struct Case {
    const char* sublevel;
    const char* level;
  };
  const Case cases[] = {{"<Sublevel>0</Sublevel>", "0"},
                        {"<Sublevel>1</Sublevel>", "1"},
                        {"<Sublevel>3</Sublevel>", "3"},
                        {"", "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sublevel);
    browser().navigations.clear();
    Account account;
    account.sublevel = c.sublevel;
    const std::string posted = Convert(account.Xml());
    EXPECT_NE(Values(posted).find(std::string("'','',0,") + c.level + ",1250.75,"),
              std::string::npos);
    EXPECT_NE(Updates(posted).find(std::string("[ReportingLevel]=") + c.level + ","),
              std::string::npos);
  }
}

TEST_F(AccountsTest, BalancesAreWrittenAsReceivedWithoutQuotes) {
  Account account;
  account.total = "<TotalBalance>-1500.25</TotalBalance>";
  account.balance = "";
  const std::string posted = Convert(account.Xml());
  EXPECT_NE(Values(posted).find(",1,-1500.25,-1,0,'"), std::string::npos);
  EXPECT_NE(Updates(posted).find("[AccountBalance]=-1500.25,[BeginningBalance]=0,"),
            std::string::npos);

  browser().navigations.clear();
  account.total = "";
  EXPECT_NE(Values(Convert(account.Xml())).find(",1,0,-1,0,'"), std::string::npos);
}

TEST_F(AccountsTest, DescriptionAndTypeAreCutWhileTheStoreKeepsTheWholeType) {
  const std::string type(40, 't');
  Account account;
  account.type = "<AccountType>" + type + "</AccountType>";
  account.desc = "<Desc>" + std::string(60, 'd') + "</Desc>";
  const std::string values = Values(Convert(account.Xml()));
  EXPECT_NE(values.find(",'" + std::string(30, 't') + "',''"), std::string::npos);
  EXPECT_NE(values.find(",'" + std::string(50, 'd') + "','jsmith'"), std::string::npos);
  EXPECT_EQ(values.find(std::string(51, 'd')), std::string::npos);
  EXPECT_EQ(converterStores().accounts.at(1).AccountType, type);
}

TEST_F(AccountsTest, AnInactiveAccountOnlyUpdatesItsFlag) {
  Account account;
  account.is_active = "<IsActive>false</IsActive>";
  const std::string posted = Convert(account.Xml());
  EXPECT_TRUE(posted.starts_with("UPDATE GLChartOfAccounts SET [AccountNumber]='6000',"));
  EXPECT_NE(posted.find(",[AccountBalance]=1250.75,[InActiveYN]=0,[BeginningBalance]=0.00,"),
            std::string::npos);
  EXPECT_EQ(CountOf(posted, "\r\n"), 1);
}

TEST_F(AccountsTest, TheFailureCounterIsClearedOnlyOnceRecordsAreShown) {
  ctl_.lngFailedGLCnt = 4;
  Convert("");
  EXPECT_EQ(ctl_.lngFailedGLCnt, 4);
  SetResponse("<QBXML>");
  Run(EntityKind::kAccounts);
  EXPECT_EQ(ctl_.lngFailedGLCnt, 4);
  EXPECT_TRUE(modWizard().blnSyncError);
  modWizard().blnSyncError = false;
  Convert(Account().Xml());
  EXPECT_EQ(ctl_.lngFailedGLCnt, 0);
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"G"});
}

TEST_F(AccountsTest, TheProgressTextsNameTheChartOfAccounts) {
  Convert(Account().Xml());
  std::vector<std::string> captions;
  for (const std::string& redraw : host_.redraws) {
    if (redraw.starts_with("lblProcess:")) captions.push_back(redraw.substr(11));
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Getting Chart of Accounts from QB",
                                                "Getting GLs from QB (1)"}));
}

}  // namespace
}  // namespace vantrel
