#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::CountOf;
using testing::HasSubstr;
using testing::Not;

// When the records are created and changed unless told otherwise.
const std::string kWhen = "2007-10-23T15:05:58-08:00";

// A CustomerRet of the customer list: a customer, or a job with its parent.
struct Customer {
  std::string list_id = "80000002-1193155600";
  std::string name = "Smith Construction";
  std::string sublevel = "0";
  std::string created = kWhen;
  std::string modified = kWhen;
  std::string is_active = testing::kActive;
  std::string full_name{};  // empty: the name
  std::string parent{};     // the parent's ListID; none for a customer
  std::string extra{};      // further elements, after Sublevel
  // When set, stands for the whole Sublevel element (an empty text: none).
  std::optional<std::string> sublevel_markup{};

  std::string Xml() const {
    std::string xml = "<CustomerRet><ListID>" + list_id + "</ListID><TimeCreated>" + created +
                      "</TimeCreated><TimeModified>" + modified +
                      "</TimeModified><EditSequence>1193155600</EditSequence><Name>" + name +
                      "</Name><FullName>" + (full_name.empty() ? name : full_name) + "</FullName>" +
                      is_active;
    if (!parent.empty()) {
      xml += "<ParentRef><ListID>" + parent + "</ListID><FullName>Parent</FullName></ParentRef>";
    }
    return xml + sublevel_markup.value_or("<Sublevel>" + sublevel + "</Sublevel>") + extra +
           "</CustomerRet>";
  }
};

// The worked example: a customer with a contact, a sales tax code and a
// sales rep, as the customer list returns it.
std::string SmithConstruction(const std::string& is_active = testing::kActive) {
  Customer smith;
  smith.is_active = is_active;
  smith.extra =
      "<CompanyName>Smith Construction Inc</CompanyName>"
      "<FirstName>Ann</FirstName><LastName>Smith</LastName>"
      "<BillAddress><Addr1>1 Main Street</Addr1><City>Springfield</City></BillAddress>"
      "<Phone>555-0100</Phone><Email>ann@smith.example</Email><Contact>Ann Smith</Contact>"
      "<SalesRepRef><ListID>80000001-1193155500</ListID><FullName>JS</FullName></SalesRepRef>"
      "<SalesTaxCodeRef><ListID>20000-1</ListID><FullName>Tax</FullName></SalesTaxCodeRef>";
  return smith.Xml();
}

// A job (or a sub-job) under `parent`, created and changed `when`.
Customer Job(const std::string& list_id, const std::string& parent, const std::string& when = kWhen,
             const std::string& sublevel = "1") {
  return {.list_id = list_id,
          .name = list_id,
          .sublevel = sublevel,
          .created = when,
          .modified = when,
          .parent = parent};
}

// The update of the worked example; `active` goes in after [LastName].
std::string SmithUpdate(const std::string& active) {
  return "UPDATE Customers SET [Customer]='Smith Construction',[CompanyName]='Smith Construction "
         "Inc',[Salutation]='',[FirstName]='Ann',[MI]='',[LastName]='Smith'," +
         active +
         "[QBModifiedDate]='10/23/2007 3:05:58 PM',[QBListID]='80000002-1193155600',"
         "[QBEditSequence]='1193155600',[ContactName]='Ann Smith',[AccountNumber]='',"
         "[TaxID]='Tax',[TaxGroup]='',[UpdatedDate]='10/23/2007 15:05:58',[UpdatedBy]='jsmith',"
         "[SalesRepID]='80000001-1193155500' WHERE [QBListId] = '80000002-1193155600'\r\n";
}

const std::string kSmithUpsert =
    "IF (SELECT Count(CustomerID) FROM [Customers] WHERE [QBListID] = '80000002-1193155600') "
    "<= 0\r\n"
    "\tINSERT INTO Customers ([CustomerID],[CustID],[Customer],[CompanyName],[Salutation],"
    "[FirstName],[MI],[LastName],[Active],[SubLevel],[QBModifiedDate],[QBListID],"
    "[QBEditSequence],[CustomerGroup],[ContactName],[PhoneNumber],[PExtno],[AltPhoneNumber],"
    "[AltExtno],[FaxNumber],[Email],[WebSite],[Reference],[BSAManager],[SiteAddress1],"
    "[SiteAddress2],[SiteAddress3],[SiteAddress4],[SiteCity],[SiteState],[SiteZipCode],"
    "[SiteCountry],[BillAddress1],[BillAddress2],[BillAddress3],[BillAddress4],[BillCity],"
    "[BillState],[BillZipCode],[BillCountry],[BankName],[AccountNumber],[PaymentMode],"
    "[PaymentTerms],[CreditLimit],[CreditUsed],[AvgDaysToPay],[TaxID],[TaxGroup],[FederalID],"
    "[DBNumber],[CreditRating],[OverdueInvoices],[FinanceChargeYN],[MonthlyInterestRate],"
    "[DiscountPercentage],[GLAccount],[TimesheetFrequency],[LastDayOfWeek],"
    "[CombinedOrSeperate],[InvoicingTerms],[GroupingType],[Notes],[CreatedDate],[CreatedBy],"
    "[UpdatedDate],[UpdatedBy],[InvoiceDetailLevel],[InvoiceTemplate],[CombineProjects],"
    "[BwTsStDate],[ExpenseGrouping],[InvoiceTemplateID],[RatesheetHeaderID],[SalesRepID]) "
    "VALUES (9000000,'','Smith Construction','Smith Construction Inc','','Ann','','Smith',-1,0,"
    "'10/23/2007 3:05:58 PM','80000002-1193155600','1193155600','','Ann Smith','','','','','',"
    "'','','','','','','','','','','','','','','','','','','','','','','','',0,0,0,'Tax','','',"
    "'','',0,0,0,0,'',0,0,0,0,0,'','10/23/2007 15:05:58','jsmith','10/23/2007 15:05:58',"
    "'jsmith',0,0,0,'',0,0,0,'80000001-1193155500')\r\n"
    "Else\r\n\t" +
    SmithUpdate("");

class CustomersTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records, EntityKind kind = EntityKind::kCustomers) {
    return Posted(kind, "CustomerQueryRs", records);
  }
  ListStoreOf<ListRow>& store() { return ctl_.stores().customers; }
};

// An inactive customer, or one without IsActive, is only updated.
TEST_F(CustomersTest, TheWorkedExampleIsWrittenByteForByte) {
  EXPECT_EQ(Convert(SmithConstruction()), kSmithUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"P"});
  EXPECT_TRUE(StatusLetters().empty());  // the projects pass reports for customers
  EXPECT_EQ(ctl_.run().counts[EntityKind::kCustomers], 1);
  EXPECT_EQ(Convert(SmithConstruction(testing::kInactive)), SmithUpdate("[Active]=0,"));
  EXPECT_EQ(Convert(SmithConstruction("")), SmithUpdate("[Active]=0,"));
}

TEST_F(CustomersTest, TextsAreCutAndTheUserAndSalesRepKeepTheirApostrophesDoubled) {
  ctl_.TessalyUser = "O'Hara";
  const std::string posted = Convert(
      Customer{.name = std::string(30, 'n') + "'" + std::string(19, 'n') + "O'Neil",
               .extra = "<SalesRepRef><ListID>8000'0001-1193155500000099</ListID></SalesRepRef>"}
          .Xml());
  const std::string cut = std::string(30, 'n') + "''" + std::string(10, 'n');
  EXPECT_THAT(posted, HasSubstr("[Customer]='" + cut + "',"));
  EXPECT_THAT(posted, HasSubstr(",'O''Hara','10/23/2007 15:05:58','O''Hara',"));
  EXPECT_THAT(posted, HasSubstr("[SalesRepID]='8000''0001-11931555000000' WHERE"));
}

// Jobs are left out but count in the row numbers, and their rows are left
// untouched. The store keeps the records walked, also when a refusal stops
// the pass; a pass without records, or a response that does not parse,
// empties it.
TEST_F(CustomersTest, JobsAreLeftOutAndTheStoreKeepsTheRecordsWalked) {
  const std::string posted = Convert(Customer().Xml() + Job("J-1", "80000002-1193155600").Xml() +
                                     Customer{.list_id = "C-2", .name = "Second"}.Xml());
  EXPECT_EQ(CountOf(posted, "INSERT INTO Customers"), 2);
  EXPECT_THAT(posted, HasSubstr("VALUES (9000002,'','Second'"));
  EXPECT_THAT(posted, Not(HasSubstr("'J-1'")));
  EXPECT_EQ(ctl_.run().counts[EntityKind::kCustomers], 2);
  ASSERT_EQ(store().size(), 3u);
  EXPECT_EQ(store().at(1).ListID, "80000002-1193155600");
  EXPECT_EQ(store().at(2).ListID, "");

  Convert("");
  EXPECT_EQ(store().size(), 0u);
  Convert(Customer().Xml());
  SetResponse("<QBXML><CustomerRet>");
  Run(EntityKind::kCustomers);
  EXPECT_TRUE(modWizard().blnSyncError);
  EXPECT_EQ(store().size(), 0u);

  ScriptReplies({"Refused"});
  std::string records;
  for (int i = 0; i < 120; ++i) records += Customer().Xml();
  Convert(records);
  EXPECT_TRUE(ctl_.run().mStopRun);
  EXPECT_EQ(store().size(), 120u);
}

// Sublevel decides between the two passes: customers take 0 and below,
// projects anything but 0 (so a negative one goes to both). One that is no
// number, or missing, is read by neither test, so both passes take the
// record. Most records are told apart by a quick look before they are
// parsed; markup the quick look is not sure of is read by the parser.
TEST_F(CustomersTest, SublevelSplitsCustomersFromProjects) {
  const auto sublevel = [](const char* text) {
    return std::string("<Sublevel>") + text + "</Sublevel>";
  };
  // The markup for Sublevel, and whether the customers and the projects take the record.
  const std::tuple<std::string, bool, bool> cases[] = {
      {sublevel("0"), true, false},
      {sublevel("-1"), true, true},
      {sublevel("1"), false, true},
      {sublevel("3"), false, true},
      {sublevel("0.4"), true, false},
      {sublevel("0.5"), true, false},
      {sublevel("1.5"), false, true},
      {sublevel("abc"), true, true},
      {sublevel(" 1 "), false, true},
      {sublevel("0<!-- a comment -->"), true, false},
      {sublevel("<![CDATA[1]]>"), false, true},
      {sublevel("&#49;"), false, true},
      {sublevel("0") + sublevel("1"), true, false},
      {"<Sublevel a=\"&gt;\">1</Sublevel>", false, true},
      {"<Sublevel/>", true, true},
      {"<Notes><Sublevel>1</Sublevel></Notes>", true, true},
      {"", true, true},
  };
  for (const auto& [markup, customer, project] : cases) {
    SCOPED_TRACE(markup);
    const std::string record = Customer{.sublevel_markup = markup}.Xml();
    EXPECT_EQ(!Convert(record).empty(), customer);
    EXPECT_EQ(!Convert(record, EntityKind::kProjects).empty(), project);
  }
}

// ---- Projects ----

const char kKitchenUpsert[] =
    "IF (SELECT Count(ProjID) FROM [CustProjInfo] WHERE [QBListID] = 'J-1') <= 0\r\n"
    "\tINSERT INTO CustProjInfo ([ProjID],[CustomerID],[ProjectID],[ProjectName],"
    "[ProjectManager],[Title],[PONumber],[BeginDate],[EndDate],[Status],[Address1],[Address2],"
    "[Address3],[Address4],[City],[State],[ZipCode],[Country],[Email],[Phone],[AltPhone],"
    "[FaxNumber],[UpdateDate],[CreatedDate],[CreatedBy],[UpdatedBy],[QBModifiedDate],[QBListID],"
    "[QBEditSequence],[InvoiceDetailLevel],[InvoiceTemplate],[SubLevel],[QBFullName],"
    "[Description],[ActualEndDate],[ProjectType],[InvoiceTemplateID],[RatesheetHeaderID],"
    "[AllowBillableExpense],[MarkupValue],[UseBillAddress],[BillAddress1],[BillAddress2],"
    "[BillAddress3],[BillAddress4],[BillCity],[BillState],[BillZipCode],[BillCountry],"
    "[BudgetID],[ProjectCode],[ContractAmount],[StopAtContractAmount],[MinBillAmount],"
    "[BilledAmount],[ProjectStage],[ClassFullRefID],[TimeApprover],[AssignmentOptional],"
    "[ParentID],[ProjectPercentage],[LockRateSheet],[SalesRepID],[SalesTaxCode],[Custom1],"
    "[Custom2],[BillType],[SalesTaxItem],[ContractInclExp],[CloseReason],[Custom3],[Custom4],"
    "[Custom5]) VALUES (9000001,0,2,'Kitchen','Ann Smith','','','03/15/2008 00:00:00',"
    "'12:00:00 AM',-1,'','','','','','','','','','','','','10/23/2007 15:05:58',"
    "'10/23/2007 15:05:58','jsmith','jsmith','10/23/2007 3:05:58 PM','J-1','1193155600',0,'',1,"
    "'Smith Construction:Kitchen','Remodel','12:00:00AM',0,0,0,0,'',-1,'','','','','','','','',"
    "0,'',0,0,0,0,0,'','',1,0,0,0,'','','','',0,'',0,'','','','')\r\n"
    "Else\r\n"
    "\tUPDATE CustProjInfo SET [ProjectName]='Kitchen',[ProjectManager]='Ann Smith',"
    "[BeginDate]='03/15/2008 00:00:00',[EndDate]='12:00:00 AM',"
    "[UpdateDate]='10/23/2007 15:05:58',[UpdatedBy]='jsmith',"
    "[QBModifiedDate]='10/23/2007 3:05:58 PM',[QBListID]='J-1',[QBEditSequence]='1193155600',"
    "[SubLevel]=1,[QBFullName]='Smith Construction:Kitchen',[Description]='Remodel',"
    "[ActualEndDate]='12:00:00AM' WHERE [QBListId] = 'J-1'\r\n";

using ProjectsTest = CustomersTest;

TEST_F(ProjectsTest, AJobIsWrittenByteForByteAfterItsCustomer) {
  env_.now = *platform::DateTime::FromParts(2026, 12, 6, 10, 0, 0);
  Customer job = Job("J-1", "80000002-1193155600");
  job.name = "Kitchen";
  job.full_name = "Smith Construction:Kitchen";
  job.extra =
      "<Contact>Ann Smith</Contact><JobStartDate>2008-03-15</JobStartDate>"
      "<JobProjectedEndDate>2008-06-01</JobProjectedEndDate>"
      "<JobEndDate>2008-07-01</JobEndDate><JobDesc>Remodel</JobDesc>";
  EXPECT_EQ(Convert(Customer().Xml() + job.Xml(), EntityKind::kProjects), kKitchenUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"P"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"P"});
  EXPECT_EQ(ctl_.run().counts[EntityKind::kProjects], 1);
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Projects from QB (1)");
  // The store keeps the records walked, with their start dates.
  ASSERT_EQ(ctl_.stores().projects.size(), 2u);
  EXPECT_EQ(ctl_.stores().projects.at(2).JobStartDate, *platform::DateTime::FromParts(2008, 3, 15));
  Convert("", EntityKind::kProjects);
  EXPECT_EQ(ctl_.stores().projects.size(), 0u);
  EXPECT_TRUE(StatusLetters().empty());
}

TEST_F(ProjectsTest, AnUnchangedJobGoesOutOnlyUnderAJobSentEarlierInThePass) {
  modWizard().last_sync.CustomerLastSyncDate = *platform::DateTime::FromParts(2007, 6, 1);
  const std::string unchanged = "2007-01-01T00:00:00-08:00";
  Customer parent_without_id = Job("S-5", "", unchanged, "2");
  parent_without_id.extra = "<ParentRef><FullName>J-1 Kitchen</FullName></ParentRef>";
  const std::string posted = Convert(
      Customer().Xml() + Job("J-1", "80000002-1193155600").Xml() +
          Job("S-1", "J-1", unchanged, "2").Xml() +
          Job("J-2", "80000002-1193155600", unchanged).Xml() +
          Job("S-2", "J-2", unchanged, "2").Xml() + Job("S-4", "J-4", unchanged, "2").Xml() +
          Job("J-4", "80000002-1193155600").Xml() + parent_without_id.Xml(),
      EntityKind::kProjects);
  // The first word of a ParentRef without ListID is its FullName's: J-1 here.
  EXPECT_EQ(CountOf(posted, "WHERE [QBListId]"), 4);
  for (const char* id : {"J-1", "S-1", "J-4", "S-5"}) {
    EXPECT_THAT(posted, HasSubstr(std::string("WHERE [QBListId] = '") + id + "'"));
  }
}

TEST_F(ProjectsTest, TheBeginDateHasItsDefaultAndItsOwnUpdateRule) {
  env_.now = *platform::DateTime::FromParts(2026, 12, 6, 10, 0, 0);
  // The JobStartDate element, the [BeginDate] written and whether it is updated.
  const std::tuple<const char*, std::string, bool> cases[] = {
      {"<JobStartDate>2008-03-15</JobStartDate>", "'03/15/2008 00:00:00'", true},
      {"", "'01/01/2026 00:00:00'", false},
      {"<JobStartDate>12:00:00AM</JobStartDate>", "'01/01/2026 00:00:00'", false},
      {"<JobStartDate>soon</JobStartDate>", "'01/01/2026 00:00:00'", true},
  };
  for (const auto& [element, value, updated] : cases) {
    SCOPED_TRACE(element);
    Customer job = Job("J-1", "C");
    job.extra = element;
    const std::string posted = Convert(job.Xml(), EntityKind::kProjects);
    EXPECT_THAT(posted, HasSubstr(",'',''," + value + ",'12:00:00 AM',"));
    EXPECT_EQ(posted.find("[BeginDate]=" + value) != std::string::npos, updated);
  }
}

TEST_F(ProjectsTest, ABlankDescriptionAndAnInactiveJob) {
  Customer job = Job("J-1", "C");
  job.is_active = testing::kInactive;
  job.extra = "<JobDesc>   </JobDesc>";
  const std::string posted = Convert(job.Xml(), EntityKind::kProjects);
  EXPECT_TRUE(
      posted.starts_with("UPDATE CustProjInfo SET [ProjectName]='J-1',"
                         "[ProjectManager]='',[EndDate]='12:00:00 AM',[Status]=0,"));
  EXPECT_THAT(posted, HasSubstr(",[Description]='',[ActualEndDate]='12:00:00AM' WHERE"));
}

// The one status update for "P": customers or projects went out without
// failures. A debug-mode failure of the projects' one post counts against them.
TEST_F(ProjectsTest, TheStatusUpdateSpeaksForCustomersAndProjects) {
  struct Case {
    long customers, customer_failures;
    bool job_changed, job_refused, reported;
  };
  const Case cases[] = {
      {1, 0, false, false, true}, {0, 0, true, false, true},   {1, 1, true, false, true},
      {1, 1, true, true, false},  {0, 0, false, false, false}, {2, 0, true, true, true},
      {0, 0, true, true, false},
  };
  modWizard().last_sync.CustomerLastSyncDate = *platform::DateTime::FromParts(2007, 6, 1);
  SetDebugMode(true, /*stop_on_error=*/false);
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases));
    ctl_.run().counts[EntityKind::kCustomers] = c.customers;
    ctl_.lngFailedCustCnt = c.customer_failures;
    browser().replies.clear();
    if (c.job_refused) ScriptReplies({"Refused"});
    Convert(Job("J-1", "C", c.job_changed ? kWhen : "2007-01-01T00:00:00").Xml(),
            EntityKind::kProjects);
    EXPECT_EQ(StatusLetters().size(), c.reported ? 1u : 0u);
    EXPECT_EQ(ctl_.lngFailedProjCnt, c.job_refused ? 1 : 0);
  }
}

}  // namespace
}  // namespace vantrel
