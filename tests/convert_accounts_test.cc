#include <gtest/gtest.h>

#include <string>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::Response;

struct Account {
  std::string is_active = "<IsActive>true</IsActive>";
  std::string type = "Expense";
  std::string desc = "Power bills";

  std::string Xml() const {
    return "<AccountRet><ListID>80000025-1193155600</ListID>"
           "<TimeCreated>2007-10-23T15:10:00-08:00</TimeCreated>"
           "<TimeModified>2007-10-23T15:10:00-08:00</TimeModified>"
           "<EditSequence>1193155600</EditSequence><Name>Electric</Name>"
           "<FullName>Utilities:Electric</FullName>" +
           is_active + "<Sublevel>1</Sublevel><AccountType>" + type +
           "</AccountType><AccountNumber>6000</AccountNumber><Desc>" + desc +
           "</Desc>"
           "<Balance>0.00</Balance><TotalBalance>1250.75</TotalBalance></AccountRet>";
  }
};

// The update of the documented account; `flag` goes in after [AccountBalance].
std::string ElectricUpdate(const std::string& flag) {
  return "UPDATE GLChartOfAccounts SET [AccountNumber]='6000',[AccountName]='Utilities:Electric',"
         "[AssetType]='Expense',[ReportingLevel]=1,[AccountBalance]=1250.75," +
         flag +
         "[BeginningBalance]=0.00,[QBModifiedDate]='10/23/2007 3:10:00 PM',"
         "[QBEditSequence]='1193155600',[QBListID]='80000025-1193155600',"
         "[Description]='Power bills',[UpdatedBy]='jsmith',[UpdatedDate]='10/23/2007 15:10:00'"
         " WHERE [QBListId] = '80000025-1193155600'\r\n";
}

const std::string kElectricUpsert =
    "IF (SELECT Count(AccRowID) FROM [GLChartOfAccounts] WHERE [QBListID] = "
    "'80000025-1193155600') <= 0\r\n\tINSERT INTO GLChartOfAccounts ([AccRowID],"
    "[AccountNumber],[AccountName],[AssetType],[BalanceType],[Notes],[ReportLevel],"
    "[ReportingLevel],[AccountBalance],[InActiveYN],[BeginningBalance],[QBModifiedDate],"
    "[QBEditSequence],[QBListID],[Description],[CreatedBy],[CreatedDate],[UpdatedBy],"
    "[UpdatedDate],[ClassFullRefID],[AllowExpense],[InvoiceItemCode],[ShowQty],[DefaultRate],"
    "[LockDefaultRate],[DefaultBillRate],[LockDefaultBillRate],[MinQty],[MaxQty]) VALUES ("
    "9000000,'6000','Utilities:Electric','Expense','','',0,1,1250.75,-1,0.00,"
    "'10/23/2007 3:10:00 PM','1193155600','80000025-1193155600','Power bills','jsmith',"
    "'10/23/2007 15:10:00','jsmith','10/23/2007 15:10:00','',-1,'',0,0,0,0,0,0,0)\r\n"
    "Else\r\n\t" +
    ElectricUpdate("");

class AccountsTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    browser().navigations.clear();
    SetResponse(Response(records, "AccountQueryRs"));
    Run(EntityKind::kAccounts);
    return AllPosted();
  }
  // The value list of the one statement written.
  std::string Values(const std::string& records) {
    const std::string posted = Convert(records);
    const std::size_t at = posted.find(") VALUES (");
    if (at == std::string::npos) return "<no values>";
    return posted.substr(at + 10, posted.find(")\r\nElse") - at - 10);
  }
};

TEST_F(AccountsTest, TheDocumentedAccountIsWrittenByteForByte) {
  EXPECT_EQ(Convert(Account().Xml()), kElectricUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"G"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"G"});
  EXPECT_EQ(ctl_.run().counts.accounts, 1);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Getting Chart of Accounts from QB",
                                                  "Getting GLs from QB (1)"}));
}

TEST_F(AccountsTest, AnInactiveAccountIsOnlyUpdatedWithItsFlag) {
  Account account;
  account.is_active = "<IsActive>false</IsActive>";
  EXPECT_EQ(Convert(account.Xml()), ElectricUpdate("[InActiveYN]=0,"));
}

// [ReportingLevel] is the Sublevel as received (1 without one), the balances
// are 0 without theirs, and no type allows no expenses.
TEST_F(AccountsTest, AnAccountWithoutItsElementsTakesTheDefaults) {
  EXPECT_EQ(Values("<AccountRet><ListID>L</ListID><IsActive>true</IsActive></AccountRet>"),
            "9000000,'','','','','',0,1,0,-1,0,'12:00:00 AM','','L','','jsmith',"
            "'12/30/1899 00:00:00','jsmith','12/30/1899 00:00:00','',0,'',0,0,0,0,0,0,0");
}

TEST_F(AccountsTest, OnlyTheTypeExpenseAllowsExpenses) {
  for (const char* type : {"OtherExpense", "CostOfGoodsSold", "expense", "Expenses"}) {
    SCOPED_TRACE(type);
    Account account;
    account.type = type;
    EXPECT_TRUE(Values(account.Xml()).ends_with(",'',0,'',0,0,0,0,0,0,0"));
  }
}

// [AssetType] takes 30 characters and [Description] 50; the row keeps the
// whole type.
TEST_F(AccountsTest, TypeAndDescriptionAreCutToTheirColumns) {
  Account account;
  account.type = std::string(40, 't');
  account.desc = std::string(60, 'd');
  const std::string values = Values(account.Xml());
  EXPECT_NE(values.find(",'Utilities:Electric','" + std::string(30, 't') + "','',"),
            std::string::npos);
  EXPECT_NE(values.find(",'" + std::string(50, 'd') + "','jsmith',"), std::string::npos);
  EXPECT_EQ(converterStores().accounts.at(1).AccountType, account.type);
}

}  // namespace
}  // namespace vantrel
