// The converters of the classes, the chart of accounts, the employees and the
// vendors: each list's documented record byte for byte, its inactive forms,
// and the defaults and cuts of its own columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::HasSubstr;
using testing::kActive;
using testing::kInactive;
using testing::Not;

// ---- The records and the statements they give ----

// The class of the documented example; `active` varies it.
std::string ConsultingClass(const std::string& active = kActive) {
  return "<ClassRet><ListID>80000001-1193155558</ListID>"
         "<TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
         "<TimeModified>2007-10-23T15:05:58-08:00</TimeModified>"
         "<EditSequence>1193155558</EditSequence><Name>Consulting</Name>"
         "<FullName>Consulting</FullName>" +
         active + "<Sublevel>0</Sublevel></ClassRet>";
}

// The update of the class; `status` goes in after [ClassFullName].
std::string ConsultingUpdate(const std::string& status) {
  return "UPDATE ClassInfo SET [ClassName]='Consulting',[ClassFullName]='Consulting'," + status +
         "[SubLevel]=1,[QBEditSequence]='1193155558',[QBModifiedDate]='10/23/2007 3:05:58 PM',"
         "[QBListID]='80000001-1193155558',[UpdatedBy]='jsmith',[UpdatedDate]='10/23/2007 "
         "15:05:58' WHERE [QBListId] = '80000001-1193155558'\r\n";
}

const std::string kConsultingUpsert =
    "IF (SELECT Count(ClassRowID) FROM [ClassInfo] WHERE [QBListID] = '80000001-1193155558') "
    "<= 0\r\n"
    "\tINSERT INTO ClassInfo ([ClassRowID],[ClassID],[ClassName],[ClassCode],[ClassFullCode],"
    "[ClassFullName],[ClassFullRefID],[ParentFullRefID],[ParentFullName],[Status],[ParentRefID],"
    "[SubLevel],[QBEditSequence],[QBModifiedDate],[QBListID],[CreatedDate],[CreatedBy],"
    "[UpdatedBy],[UpdatedDate]) VALUES (9000000,'','Consulting','','','Consulting','','','',-1,"
    "'',1,'1193155558','10/23/2007 3:05:58 PM','80000001-1193155558','10/23/2007 15:05:58',"
    "'jsmith','jsmith','10/23/2007 15:05:58')\r\nElse\r\n\t" +
    ConsultingUpdate("");

struct Account {
  std::string is_active = kActive;
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

struct Employee {
  std::string name = "Ann Lee";
  std::string is_active = kActive;
  std::string gender = "<Gender>Female</Gender>";
  std::string hired = "<HiredDate>2007-06-01</HiredDate>";
  std::string released{};

  std::string Xml() const {
    return "<EmployeeRet><ListID>80000003-1193155700</ListID>"
           "<TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
           "<TimeModified>2008-01-15T10:23:45-08:00</TimeModified>"
           "<EditSequence>1193155700</EditSequence><Name>" +
           name + "</Name>" + is_active +
           "<Salutation>Ms.</Salutation><FirstName>Ann</FirstName><MiddleName>B</MiddleName>"
           "<LastName>Lee</LastName><EmployeeAddress><Addr1>1 Main St</Addr1>"
           "<City>Springfield</City></EmployeeAddress><PrintAs>Ann Lee</PrintAs>"
           "<Phone>555-0100</Phone><Mobile>555-0101</Mobile><Email>ann@example.com</Email>"
           "<EmployeeType>Officer</EmployeeType>" +
           gender + hired + released +
           "<BirthDate>1970-02-03</BirthDate><AccountNumber>A-1</AccountNumber></EmployeeRet>";
  }
};

// The update of Ann Lee; `status` goes in after [EmployeeName].
std::string AnnLeeUpdate(const std::string& status) {
  return "UPDATE EmployeeInfo SET [Salutation]='Ms.',[FirstName]='Ann',[MI]='B',[LastName]='Lee',"
         "[EmployeeName]='Ann Lee'," +
         status +
         "[EmailAddress]='ann@example.com',[TerminationDate]='12:00:00 AM',"
         "[HireDate]='06/01/2007 00:00:00',[QBModifiedDate]='1/15/2008 10:23:45 AM',"
         "[QBListID]='80000003-1193155700',[QBEditSequence]='1193155700',[PrintAs]='Ann Lee',"
         "[AccountNumber]='A-1',[CreateDate]='10/23/2007 15:05:58',[UpdateBy]='jsmith',"
         "[UpdateDate]='01/15/2008 10:23:45',[Gender]='Female'"
         " WHERE [QBListId] = '80000003-1193155700'\r\n";
}

const std::string kAnnLeeUpsert =
    "IF (SELECT Count(EmployeeID) FROM [EmployeeInfo] WHERE [QBListID] = '80000003-1193155700')"
    " <= 0\r\n"
    "\tINSERT INTO EmployeeInfo ([EmployeeID],[Salutation],[FirstName],[MI],[LastName],"
    "[EmployeeName],[Title],[Supervisor],[EmployeeType],[Status],[OfficePhone],"
    "[OfficePhoneExtn],[CellPhone],[HomePhone],[AlternateHomePhone],[FaxNumber],[EmailAddress],"
    "[HomeLine1],[HomeLine2],[HomeLine3],[HomeLine4],[HomeCity],[HomeState],[HomeZipCode],"
    "[HomeCountry],[OfficeLine1],[OfficeLine2],[OfficeLine3],[OfficeLine4],[OfficeCity],"
    "[OfficeState],[OfficeZipCode],[OfficeCountry],[Birthday],[TerminationDate],[Refferedby],"
    "[ContactName],[ContactRelationship],[ContactHomeNumber],[ContactEmailAddress],"
    "[CustomDate1],[CustomDate2],[CustomText1],[CustomText2],[HireDate],[AnnualBeginDate],"
    "[HourlyBeginDate],[BenchPayBeginDate],[BenchPlusBeginDate],[SalaryPerYear],"
    "[SalaryPerHour],[BenchPay],[BenchPlus],[HolidaysCarriedForward],[HolidaysPerYear],"
    "[YTDHolidays],[HolidaysRemaining],[VacationsCarriedForward],[VacationsPerYear],"
    "[YTDVacations],[VacationsRemaining],[SickLeavesCarriedForward],[SickLeavesPerYear],"
    "[YTDSickLeaves],[SickLeavesRemaining],[GetPaidForHolidays],[VendorID],[QBModifiedDate],"
    "[QBListID],[QBEditSequence],[PrintAs],[AccountNumber],[CreateBy],[CreateDate],[UpdateBy],"
    "[UpdateDate],[Gender],[WebUserID],[WebPassword],[AllowWebAccess],[IsSalaried],"
    "[OtherFlag1],[OtherFlag2],[EmployeeCode],[ClassFullRefID],[RatesheetHeaderID]) VALUES ("
    "9000000,'Ms.','Ann','B','Lee','Ann Lee','','',3,'Active','','','','','','','ann@example.com',"
    "'','','','','','','','','','','','','','','','','','12:00:00 AM','','','','','','12:00:00 AM',"
    "'12:00:00 AM','','','06/01/2007 00:00:00','12:00:00 AM','12:00:00 AM','12:00:00 AM',"
    "'12:00:00 AM',0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,'1/15/2008 10:23:45 AM',"
    "'80000003-1193155700','1193155700','Ann Lee','A-1','jsmith','10/23/2007 15:05:58','jsmith',"
    "'01/15/2008 10:23:45','Female','','',0,0,0,0,'','',0)\r\n"
    "Else\r\n\t" +
    AnnLeeUpdate("");

std::string AcmeSupply(const std::string& is_active = kActive,
                       const std::string& alt_contact = "Jane Doe") {
  return "<VendorRet><ListID>80000004-1193155800</ListID>"
         "<TimeCreated>2007-10-23T15:05:58-08:00</TimeCreated>"
         "<TimeModified>2008-01-15T10:23:45-08:00</TimeModified>"
         "<EditSequence>1193155800</EditSequence><Name>Acme Supply</Name>" +
         is_active +
         "<CompanyName>Acme Supply Inc</CompanyName><Salutation>Mr.</Salutation>"
         "<FirstName>Bob</FirstName><MiddleName>C</MiddleName><LastName>Smith</LastName>"
         "<VendorAddress><Addr1>2 Supply Road</Addr1><City>Shelbyville</City>"
         "</VendorAddress><Phone>555-0199</Phone><AltPhone>555-0198</AltPhone>"
         "<Fax>555-0197</Fax><Email>bob@acme.example</Email><Contact>Bob Smith</Contact>"
         "<AltContact>" +
         alt_contact +
         "</AltContact><NameOnCheck>Acme Supply Co</NameOnCheck>"
         "<AccountNumber>V-1</AccountNumber><Balance>125.00</Balance></VendorRet>";
}

// The update of Acme Supply; `active` goes in after [QBListID].
std::string AcmeUpdate(const std::string& active) {
  return "UPDATE Vendors SET [VendorName]='Acme Supply',[VendorCompanyName]='Acme Supply Inc',"
         "[Salutation]='Mr.',[FirstName]='Bob',[MI]='C',[LastName]='Smith',"
         "[EditSequence]='1193155800',[QBModifiedDate]='2008-01-15T10:23:45-08:00',"
         "[QBListID]='80000004-1193155800'," +
         active +
         "[ContactName]='Bob Smith',[Reference]='Jane Doe',[AccountNumber]='V-1',"
         "[NameOnCheck]='Acme Supply Co',[CreatedDate]='10/23/2007 15:05:58',"
         "[CreatedBy]='jsmith',[UpdatedDate]='01/15/2008 10:23:45',[UpdatedBy]='jsmith'"
         " WHERE [QBListId] = '80000004-1193155800'\r\n";
}

// QuickBooks' own TimeModified text goes into [QBModifiedDate].
const std::string kAcmeUpsert =
    "IF (SELECT Count(VendorID) FROM [Vendors] WHERE [QBListID] = '80000004-1193155800') <= 0\r\n"
    "\tINSERT INTO Vendors ([VendorID],[VendorCode],[VendorName],[VendorCompanyName],"
    "[Salutation],[FirstName],[MI],[LastName],[SubLevel],[EditSequence],[QBModifiedDate],"
    "[QBListID],[Active],[VendorGroup],[ContactName],[PhoneNo],[PExt],[AltPhoneNo],[AltExt],"
    "[FaxNo],[Email],[Website],[Reference],[BSA_Manager],[VendorAddress1],[VendorAddress2],"
    "[VendorAddress3],[VendorAddress4],[VendorCity],[VendorState],[VendorZipCode],"
    "[VendorCountry],[RemitAddress1],[RemitAddress2],[RemitAddress3],[RemitAddress4],"
    "[RemitCity],[RemitState],[RemitZipCode],[RemitCountry],[BankName],[AccountNumber],"
    "[NameOnCheck],[PaymentMode],[PaymentTerms],[CreditLimit],[CreditUsed],[TaxID],"
    "[Vendor1099],[FederalID],[DBNumber],[CreditRating],[OverdueInvoices],[ChargeFinance],"
    "[MonthlyInterestRate],[DiscountPercentage],[GLAccount],[InvoicingTerms],[Notes],"
    "[CreatedDate],[CreatedBy],[UpdatedDate],[UpdatedBy],[EmployeeID]) VALUES ("
    "9000000,'','Acme Supply','Acme Supply Inc','Mr.','Bob','C','Smith',0,'1193155800',"
    "'2008-01-15T10:23:45-08:00','80000004-1193155800',-1,0,'Bob Smith','',0,'',0,'','','',"
    "'Jane Doe','','','','','','','','','','','','','','','','','','','V-1','Acme Supply Co','','',"
    "0,0,'',0,'','','',0,0,0,0,'',0,'','10/23/2007 15:05:58','jsmith','01/15/2008 10:23:45',"
    "'jsmith',0)\r\n"
    "Else\r\n\t" +
    AcmeUpdate("");

using ListsTest = ConvertTest;

struct ListCase {
  EntityKind kind;
  const char* query;
  std::string record, upsert;
  const char* letter;
  std::vector<std::string> captions;  // the progress label's redraws
  // Inactive forms of the record, each only updated, and their statements.
  std::vector<std::pair<std::string, std::string>> updated_only;
  platform::DateTime LastSyncDates::*
      last_sync;  // the pass's own date (classes are never filtered by it)
  long VantrelCtl::*failures;
  // The failure counter is cleared even when the response does not parse, or
  // has no records; else only once there are records to show.
  bool cleared_on_parse_error, cleared_without_records;
};

// Without IsActive a class counts as inactive: its update carries [Status]=0.
// An employee without it keeps the status it has. A vendor without it is
// written as active (-1) but, being inactive in its row, only updated, and the
// update leaves [Active] alone. Only the pass's own last-sync date keeps out a
// record unchanged since then.
TEST_F(ListsTest, EachDocumentedRecordIsWrittenByteForByte) {
  // clang-format off
  const ListCase cases[] = {
      {EntityKind::kClasses, "ClassQueryRs", ConsultingClass(), kConsultingUpsert, "C",
       {"lblProcess:Getting Classes from QB", "lblProcess:Getting Classes from QB (1)"},
       {{ConsultingClass(kInactive), ConsultingUpdate("[Status]=0,")},
        {ConsultingClass(""), ConsultingUpdate("[Status]=0,")}},
       &LastSyncDates::ClassLastSyncDate, &VantrelCtl::lngFailedClassCnt, true, true},
      {EntityKind::kAccounts, "AccountQueryRs", Account().Xml(), kElectricUpsert, "G",
       {"lblProcess:Getting Chart of Accounts from QB", "lblProcess:Getting GLs from QB (1)"},
       {{Account{.is_active = kInactive}.Xml(), ElectricUpdate("[InActiveYN]=0,")}},
       &LastSyncDates::GLAccountsLastSyncDate, &VantrelCtl::lngFailedGLCnt, false, false},
      {EntityKind::kEmployees, "EmployeeQueryRs", Employee().Xml(), kAnnLeeUpsert, "E",
       {"lblProcess:Getting Workers from QB", "lblProcess:Getting Workers from QB (1)"},
       {{Employee{.is_active = kInactive}.Xml(), AnnLeeUpdate("[Status]='In Active',")},
        {Employee{.is_active = ""}.Xml(), AnnLeeUpdate("")}},
       &LastSyncDates::EmployeeLastSyncDate, &VantrelCtl::lngFailedEmpCnt, false, true},
      {EntityKind::kVendors, "VendorQueryRs", AcmeSupply(), kAcmeUpsert, "V",
       {"lblProcess:Getting Vendors from QB", "lblProcess:Getting Vendors from QB (1)"},
       {{AcmeSupply(kInactive), AcmeUpdate("[Active]=0,")},
        {AcmeSupply(""), AcmeUpdate("")}},
       &LastSyncDates::VendorsLastSyncDate, &VantrelCtl::lngFailedVendCnt, false, true},
  };
  // clang-format on
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.query);
    StartOver();
    host_.redraws.clear();
    EXPECT_EQ(Posted(c.kind, c.query, c.record), c.upsert);
    EXPECT_EQ(PostLetters(), std::vector<std::string>{c.letter});
    EXPECT_EQ(StatusLetters(), std::vector<std::string>{c.letter});
    EXPECT_EQ(ctl_.nOptions, c.letter);
    EXPECT_EQ(ctl_.run().counts[c.kind], 1);
    std::erase_if(host_.redraws, [](const auto& r) { return !r.starts_with("lblProcess:"); });
    EXPECT_EQ(host_.redraws, c.captions);
    for (const auto& [record, update] : c.updated_only) {
      EXPECT_EQ(Posted(c.kind, c.query, record), update);
    }

    long& failures = ctl_.*c.failures;
    failures = 3;
    SetResponse("<QBXML><" + c.record.substr(1, c.record.find('>')));
    Run(c.kind);
    EXPECT_EQ(failures, c.cleared_on_parse_error ? 0 : 3);
    failures = 3;
    Posted(c.kind, c.query, "");
    EXPECT_EQ(failures, c.cleared_without_records ? 0 : 3);
    modWizard().last_sync.*c.last_sync = *platform::DateTime::FromParts(2009, 1, 1);
    failures = 3;
    EXPECT_EQ(Posted(c.kind, c.query, c.record).empty(), c.kind != EntityKind::kClasses);
    EXPECT_EQ(failures, 0);
  }
}

// Cuts and defaults of the lists' own columns, each shown by pieces of the
// statements posted.
TEST_F(ListsTest, TextsAreCutAndMissingElementsTakeTheirDefaults) {
  std::string other_types;  // no type but exactly "Expense" allows expenses
  for (const char* type : {"OtherExpense", "CostOfGoodsSold", "expense", "Expenses"}) {
    other_types += Account{.type = type}.Xml();
  }
  const std::string user(60, 'u');  // [CreatedBy] takes 30, [UpdatedBy] 50
  struct Case {
    EntityKind kind;
    const char* query;
    std::string records;
    std::vector<std::string> present, absent = {};
  };
  // clang-format off
  const Case cases[] = {
      {EntityKind::kClasses, "ClassQueryRs",
       "<ClassRet><ListID>L1</ListID><Name>" + std::string(40, 'n') + "</Name><FullName>" +
           std::string(200, 'f') + "</FullName><IsActive>true</IsActive></ClassRet>",
       {"[ClassName]='" + std::string(31, 'n') + "',",
        "[ClassFullName]='" + std::string(159, 'f') + "',",
        ",'" + user.substr(0, 30) + "','" + user.substr(0, 50) + "',",
        "[UpdatedBy]='" + user.substr(0, 50) + "',"}},
      // [ReportingLevel] is the Sublevel as received, 1 without one.
      {EntityKind::kAccounts, "AccountQueryRs",
       "<AccountRet><ListID>L</ListID><IsActive>true</IsActive></AccountRet>",
       {"VALUES (9000000,'','','','','',0,1,0,-1,0,'12:00:00 AM','','L','','" +
        user.substr(0, 50) + "','12/30/1899 00:00:00','" + user.substr(0, 50) +
        "','12/30/1899 00:00:00','',0,'',0,0,0,0,0,0,0)"}},
      {EntityKind::kAccounts, "AccountQueryRs",
       Account{.type = std::string(40, 't'), .desc = std::string(60, 'd')}.Xml(),
       {",'Utilities:Electric','" + std::string(30, 't') + "','',",
        ",'" + std::string(50, 'd') + "','" + user.substr(0, 50) + "',"}},
      {EntityKind::kAccounts, "AccountQueryRs", other_types, {",'',0,'',0,0,0,0,0,0,0)"},
       {",'',-1,'',0,0,0,0,0,0,0)"}},
      {EntityKind::kEmployees, "EmployeeQueryRs",
       Employee{.name = std::string(50, 'x'), .gender = "", .hired = ""}.Xml(),
       {"[EmployeeName]='" + std::string(41, 'x') + "',",
        ",'Male','','',0,0,0,0,'','',0)", ",[Gender]='Male' WHERE",
        "[TerminationDate]='12:00:00 AM',[HireDate]='12:00:00 AM',"}},
      {EntityKind::kEmployees, "EmployeeQueryRs",
       Employee{.hired = "<HiredDate>the first of June</HiredDate>",
                .released = "<ReleasedDate>2008-01-31</ReleasedDate>"}.Xml(),
       {"[TerminationDate]='01/31/2008 00:00:00',[HireDate]='12:00:00 AM',"}},
      {EntityKind::kVendors, "VendorQueryRs", AcmeSupply("", std::string(50, 'a')),
       {"[Reference]='" + std::string(41, 'a') + "',"}},
  };
  // clang-format on
  ctl_.TessalyUser = user;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.records);
    const std::string posted = Posted(c.kind, c.query, c.records);
    for (const std::string& piece : c.present) EXPECT_THAT(posted, HasSubstr(piece));
    for (const std::string& piece : c.absent) EXPECT_THAT(posted, Not(HasSubstr(piece)));
  }
}

}  // namespace
}  // namespace vantrel
