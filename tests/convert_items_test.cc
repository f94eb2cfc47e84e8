#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::CountOf;
using testing::HasSubstr;

// A record of one item kind: the common elements, then `body`.
std::string Item(const std::string& element, const std::string& list_id,
                 const std::string& body = "", const std::string& is_active = testing::kActive) {
  return "<" + element + "><ListID>" + list_id +
         "</ListID><TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
         "<TimeModified>2007-10-23T15:05:58-08:00</TimeModified>"
         "<EditSequence>1193155600</EditSequence><Name>" +
         list_id + "</Name><FullName>Full " + list_id + "</FullName>" + is_active + body + "</" +
         element + ">";
}
std::string Service(const std::string& id, const std::string& body = "") {
  return Item("ItemServiceRet", id, body);
}
std::string Payroll(const std::string& id, const std::string& wage_type,
                    const std::string& is_active = testing::kActive) {
  return Item("PayrollItemWageRet", id, wage_type, is_active);
}
std::string TaxCode(const std::string& name, const std::string& taxable) {
  return "<SalesTaxCodeRet><ListID>T</ListID>" + name + taxable + "</SalesTaxCodeRet>";
}

const char kDesignUpsert[] =
    "IF (SELECT Count(TaskID) FROM [TaskInfo] WHERE [QBListID] = 'I-1') <= 0\r\n"
    "\tINSERT INTO TaskInfo ([TaskID],[Name],[Description],[IsActive],[TaskType],[GLAccount],"
    "[Billable],[BillRate],[Taxable],[TaxRate],[DiscountPercentage],[SortOrder],[QBListID],"
    "[QBEditSequence],[QBModifiedDate],[CreatedBy],[CreatedDate],[UpdatedBy],[UpdatedDate],"
    "[TaskGroup],[SubLevel],[QBFullName],[ClassFullRefID],[BillAccount],[AllowExpense],"
    "[PurchaseDescription],[IsExpenseAccountAnItem],[BillingArrangement]) VALUES (9000000,"
    "'Full I-1','Design work',-1,1,'Income',-1,150,-1,0,0,0,'I-1','1193155600',"
    "'10/23/2007 3:05:58 PM','jsmith','10/23/2007 15:05:58','jsmith','10/23/2007 15:05:58','',1,"
    "'Full I-1','','',0,'',0,0)\r\n"
    "Else\r\n"
    "\tUPDATE TaskInfo SET [Name]='Full I-1',[Description]='Design work',[GLAccount]='Income',"
    "[BillRate]=150,[Taxable]=-1,[QBListID]='I-1',[QBEditSequence]='1193155600',"
    "[QBModifiedDate]='10/23/2007 3:05:58 PM',[UpdatedBy]='jsmith',"
    "[UpdatedDate]='10/23/2007 15:05:58',[SubLevel]=1,[QBFullName]='Full I-1' "
    "WHERE [QBListId] = 'I-1'\r\n";

const char kHourlyUpdate[] =
    "UPDATE TaskInfo SET [Name]='W-1',[Description]='HourlyRegular',[IsActive]=0,[QBListID]='W-1',"
    "[QBEditSequence]='1193155600',[QBModifiedDate]='10/23/2007 3:05:58 PM',[UpdatedBy]='jsmith',"
    "[UpdatedDate]='10/23/2007 15:05:58',[QBFullName]='W-1' WHERE [QBListId] = 'W-1'\r\n";

class ItemsTest : public ConvertTest {
 protected:
  std::string Convert(const testing::Parts& parts) { return Posted(EntityKind::kItems, parts); }
};

TEST_F(ItemsTest, AServiceItemAndAPayrollWageAreWrittenByteForByte) {
  const std::string design =
      Service("I-1",
              "<Sublevel>1</Sublevel><SalesTaxCodeRef><FullName>Tax</FullName></SalesTaxCodeRef>"
              "<SalesOrPurchase><Desc>Design work</Desc><Price>150.00</Price>"
              "<AccountRef><FullName>Income</FullName></AccountRef></SalesOrPurchase>");
  EXPECT_EQ(Convert({{"ItemServiceQueryRs", design},
                     {"SalesTaxCodeQueryRs",
                      TaxCode("<Name>Tax</Name>", "<IsTaxable>true</IsTaxable>")}}),
            kDesignUpsert);
  // Service items alone report once, after the empty kinds, which leave the
  // caption and their stores alone.
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"T"});
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Tasks from QB (1)");
  EXPECT_EQ(ctl_.stores().items[1].size(), 0u);
  EXPECT_EQ(Convert({{"PayrollItemWageQueryRs",
                      Payroll("W-1", "<WageType>HourlyRegular</WageType>", testing::kInactive)}}),
            kHourlyUpdate);
}

TEST_F(ItemsTest, TaskIdsCountOnAcrossTheKindsLeavingOneOut) {
  const std::string posted =
      Convert({{"ItemServiceQueryRs", Service("S1") + Service("S2") + Service("S3")},
               {"ItemNonInventoryQueryRs",
                Item("ItemNonInventoryRet", "N1") + Item("ItemNonInventoryRet", "N2")},
               {"ItemOtherChargeQueryRs", Item("ItemOtherChargeRet", "O1")},
               {"PayrollItemWageQueryRs",
                Payroll("P0", "<WageType>Bonus</WageType>") + Payroll("P1", "")}});
  for (const char* expected : {"(9000000,'Full S1'", "(9000001,'Full S2'", "(9000002,'Full S3'",
                               "(9000004,'Full N2'", "(9000007,'P1'"}) {
    EXPECT_THAT(posted, HasSubstr(expected)) << expected;
  }
  EXPECT_EQ(CountOf(posted, "INSERT INTO TaskInfo"), 7);
  EXPECT_THAT(posted, HasSubstr("(9000003,'Full N1','',-1,3,'',-1,0,0,"));
  EXPECT_THAT(posted, HasSubstr("(9000006,'Full O1','',-1,4,'',-1,0,0,"));
  // [Billable] is updated for the non-inventory and other-charge kinds only.
  EXPECT_EQ(CountOf(posted, "[Billable]=-1"), 3);
  EXPECT_EQ(ctl_.run().counts[EntityKind::kItems], 7);
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"T"});
  EXPECT_TRUE(StatusCameLast());
  for (const std::string& letter : PostLetters()) EXPECT_EQ(letter, "T");
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Payroll Items from QB (1)");
}

// Description, [GLAccount], [BillRate] and the cut columns of a sales item.
TEST_F(ItemsTest, TheSalesValuesComeFromSalesOrPurchaseElseSalesAndPurchase) {
  const std::string desc(400, 'd');
  // An item's body, and its values from [Description] to [BillRate].
  const std::pair<std::string, std::string> cases[] = {
      {"<SalesOrPurchase><Price>12.50</Price></SalesOrPurchase>", "'Full I-1',-1,1,'',-1,12.5"},
      {"<SalesOrPurchase><Desc>   </Desc><PricePercent>10</PricePercent></SalesOrPurchase>",
       "'Full I-1',-1,1,'',-1,10"},
      {"<SalesOrPurchase><Desc>Own</Desc><AccountRef><FullName>Fees</FullName></AccountRef>"
       "</SalesOrPurchase><SalesAndPurchase><SalesDesc>Other</SalesDesc>"
       "<SalesPrice>99</SalesPrice></SalesAndPurchase>",
       "'Own',-1,1,'Fees',-1,0"},
      {"<SalesAndPurchase><SalesDesc>Sold</SalesDesc><SalesPrice>0.50</SalesPrice>"
       "<IncomeAccountRef><FullName>Sales</FullName></IncomeAccountRef></SalesAndPurchase>",
       "'Sold',-1,1,'Sales',-1,0.5"},
      {"", "'',-1,1,'',-1,0"},
      {"<SalesOrPurchase><Desc>" + desc + "</Desc></SalesOrPurchase>",
       "'" + desc + "',-1,1,'',-1,0"},
      // A price that is no plain decimal number leaves the price at 0.
      {"<SalesOrPurchase><Price>1,500.00</Price></SalesOrPurchase>", "'Full I-1',-1,1,'',-1,0"},
      {"<SalesOrPurchase><Price>abc</Price></SalesOrPurchase>", "'Full I-1',-1,1,'',-1,0"},
      {"<SalesOrPurchase><AccountRef><ListID>A</ListID></AccountRef></SalesOrPurchase>",
       "'Full I-1',-1,1,'',-1,0"},
  };
  for (const auto& [body, values] : cases) {
    SCOPED_TRACE(body);
    EXPECT_THAT(Convert({{"ItemServiceQueryRs", Service("I-1", body)}}),
                HasSubstr("(9000000,'Full I-1'," + values + ","));
  }
  // [Name] and [QBFullName] are cuts of the FullName; the description that
  // falls back to it is not.
  const std::string name(300, 'n'), full = "Full " + name;
  const std::string posted =
      Convert({{"ItemServiceQueryRs",
                Service(name, "<SalesOrPurchase><Price>1</Price></SalesOrPurchase>")}});
  EXPECT_THAT(posted, HasSubstr("(9000000,'" + full.substr(0, 159) + "','" + full + "',"));
  EXPECT_THAT(posted, HasSubstr(",[QBFullName]='" + full.substr(0, 250) + "' WHERE"));
}

TEST_F(ItemsTest, TaxabilityComesFromTheFirstSalesTaxCodeOfItsName) {
  const std::string taxable = TaxCode("<Name>Tax</Name>", "<IsTaxable>true</IsTaxable>");
  const std::string exempt = TaxCode("<Name>Non</Name>", "<IsTaxable>false</IsTaxable>");
  const std::string nameless = TaxCode("", "<IsTaxable>true</IsTaxable>");
  // The item's sales tax code (null: no SalesTaxCodeRef), the codes of the
  // response and the item's [Taxable].
  const std::tuple<const char*, std::string, const char*> cases[] = {
      {nullptr, taxable, "0"},
      {"Tax", taxable, "-1"},
      {"Tax", TaxCode("<Name>Tax</Name>", "<IsTaxable>false</IsTaxable>") + taxable, "0"},
      {"tax", taxable, "0"},
      {"Non", exempt + taxable, "0"},
      {"Other", taxable + exempt, "0"},
      // A code without Name on the way makes the lookup fail: not taxable.
      {"Tax", nameless + taxable, "0"},
      {"Tax", taxable + nameless, "-1"},
      // No codes in the response: not taxable.
      {"Tax", "", "0"},
  };
  for (const auto& [code, codes, is_taxable] : cases) {
    SCOPED_TRACE(codes);
    const std::string ref =
        code ? std::string("<SalesTaxCodeRef><FullName>") + code + "</FullName></SalesTaxCodeRef>"
             : "";
    const std::string posted =
        Convert({{"ItemServiceQueryRs", Service("I-1", ref)}, {"SalesTaxCodeQueryRs", codes}});
    EXPECT_THAT(posted, HasSubstr(std::string(",[Taxable]=") + is_taxable + ","));
  }
}

TEST_F(ItemsTest, OnlySalaryAndHourlyWagesAreSent) {
  const std::string posted =
      Convert({{"PayrollItemWageQueryRs", Payroll("A", "<WageType>Bonus</WageType>") +
                                              Payroll("B", "<WageType>Commission</WageType>") +
                                              Payroll("C", "<WageType>SalaryRegular</WageType>") +
                                              Payroll("D", "<WageType>hourlyOvertime</WageType>") +
                                              Payroll("E", "") +
                                              Payroll("F", "<WageType>Hour</WageType>")}});
  EXPECT_EQ(CountOf(posted, "INSERT INTO TaskInfo"), 3);
  EXPECT_THAT(posted, HasSubstr("(9000001,'C','SalaryRegular',-1,5,'',0,0,0,"));
  EXPECT_THAT(posted, HasSubstr("(9000002,'D','hourlyOvertime',"));
  EXPECT_THAT(posted, HasSubstr("(9000003,'E','',-1,5,'',0,0,0,0,0,0,'E','1193155600',"));
  EXPECT_THAT(posted, HasSubstr("'',1,'E','','',0,'',0,0)"));
  EXPECT_EQ(ctl_.run().counts[EntityKind::kItems], 3);
}

TEST_F(ItemsTest, ARefusedUploadEndsEveryKind) {
  ScriptReplies({"Refused"});
  std::string many;
  for (int i = 0; i < 100; ++i) many += Service("S" + std::to_string(i));
  Convert({{"ItemServiceQueryRs", many},
           {"ItemNonInventoryQueryRs", Item("ItemNonInventoryRet", "N1")}});
  EXPECT_TRUE(ctl_.run().mStopRun);
  EXPECT_EQ(PostBodies().size(), 1u);
  EXPECT_TRUE(StatusLetters().empty());
  EXPECT_EQ(ctl_.stores().items[1].size(), 0u);
}

}  // namespace
}  // namespace vantrel
