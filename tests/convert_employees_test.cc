#include <gtest/gtest.h>

#include <string>

#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::CountOf;
using testing::Response;

struct Employee {
  std::string list_id = "80000003-1193155700";
  std::string created = "2007-10-23T15:05:58-08:00";
  std::string modified = "2008-01-15T10:23:45-08:00";
  std::string name = "Ann Lee";
  std::string is_active = "<IsActive>true</IsActive>";
  std::string gender = "<Gender>Female</Gender>";
  std::string hired = "<HiredDate>2007-06-01</HiredDate>";
  std::string released;

  std::string Xml() const {
    return "<EmployeeRet><ListID>" + list_id + "</ListID><TimeCreated>" + created +
           "</TimeCreated><TimeModified>" + modified +
           "</TimeModified><EditSequence>1193155700</EditSequence><Name>" + name + "</Name>" +
           is_active +
           "<Salutation>Ms.</Salutation><FirstName>Ann</FirstName><MiddleName>B</MiddleName>"
           "<LastName>Lee</LastName><EmployeeAddress><Addr1>1 Main St</Addr1>"
           "<City>Springfield</City></EmployeeAddress><PrintAs>Ann Lee</PrintAs>"
           "<Phone>555-0100</Phone><Mobile>555-0101</Mobile><Email>ann@example.com</Email>"
           "<EmployeeType>Officer</EmployeeType>" +
           gender + hired + released +
           "<BirthDate>1970-02-03</BirthDate><AccountNumber>A-1</AccountNumber></EmployeeRet>";
  }
};

const char kAnnLeeUpsert[] =
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
    "9000000,'Ms.','Ann','B','Lee','Ann Lee','','',3,'Active',"
    "'','','','','','',"
    "'ann@example.com',"
    "'','','','','','','','',"
    "'','','','','','','','',"
    "'',"
    "'12:00:00 AM',"
    "'','','','','',"
    "'12:00:00 AM','12:00:00 AM','','',"
    "'06/01/2007 00:00:00',"
    "'12:00:00 AM','12:00:00 AM','12:00:00 AM','12:00:00 AM',"
    "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
    "'1/15/2008 10:23:45 AM','80000003-1193155700','1193155700','Ann Lee','A-1',"
    "'jsmith','10/23/2007 15:05:58','jsmith','01/15/2008 10:23:45','Female',"
    "'','',0,0,0,0,'','',0)\r\n"
    "Else\r\n"
    "\tUPDATE EmployeeInfo SET [Salutation]='Ms.',[FirstName]='Ann',[MI]='B',[LastName]='Lee',"
    "[EmployeeName]='Ann Lee',[EmailAddress]='ann@example.com',[TerminationDate]='12:00:00 AM',"
    "[HireDate]='06/01/2007 00:00:00',[QBModifiedDate]='1/15/2008 10:23:45 AM',"
    "[QBListID]='80000003-1193155700',[QBEditSequence]='1193155700',[PrintAs]='Ann Lee',"
    "[AccountNumber]='A-1',[CreateDate]='10/23/2007 15:05:58',[UpdateBy]='jsmith',"
    "[UpdateDate]='01/15/2008 10:23:45',[Gender]='Female'"
    " WHERE [QBListId] = '80000003-1193155700'\r\n";

class EmployeesTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    SetResponse(Response(records, "EmployeeQueryRs"));
    Run(EntityKind::kEmployees);
    return AllPosted();
  }
};

TEST_F(EmployeesTest, AnActiveEmployeeIsWrittenByteForByte) {
  EXPECT_EQ(Convert(Employee().Xml()), kAnnLeeUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"E"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"E"});
  EXPECT_EQ(ctl_.run().counts.employees, 1);
}

TEST_F(EmployeesTest, AnInactiveEmployeeIsOnlyUpdatedWithItsStatus) {
  Employee employee;
  employee.is_active = "<IsActive>false</IsActive>";
  const std::string posted = Convert(employee.Xml());
  EXPECT_TRUE(posted.starts_with("UPDATE EmployeeInfo SET [Salutation]='Ms.',"));
  EXPECT_NE(posted.find(",[EmployeeName]='Ann Lee',[Status]='In Active',[EmailAddress]="),
            std::string::npos);
  EXPECT_EQ(CountOf(posted, "\r\n"), 1);
}

TEST_F(EmployeesTest, WithoutIsActiveTheEmployeeIsOnlyUpdatedAndKeepsItsStatus) {
  Employee employee;
  employee.is_active = "";
  const std::string posted = Convert(employee.Xml());
  EXPECT_TRUE(posted.starts_with("UPDATE EmployeeInfo SET "));
  EXPECT_EQ(posted.find("[Status]"), std::string::npos);
}

TEST_F(EmployeesTest, MissingGenderAndDatesTakeTheirDefaults) {
  Employee employee;
  employee.gender = "";
  employee.hired = "";
  const std::string posted = Convert(employee.Xml());
  EXPECT_NE(posted.find(",'','',0,0,0,0,'','',0)"), std::string::npos);
  EXPECT_NE(posted.find(",'01/15/2008 10:23:45','Male',"), std::string::npos);
  EXPECT_NE(posted.find(",[Gender]='Male' WHERE"), std::string::npos);
  EXPECT_NE(posted.find("[TerminationDate]='12:00:00 AM',[HireDate]='12:00:00 AM',"),
            std::string::npos);
}

TEST_F(EmployeesTest, DatesAreReadAsDatesAndBadOnesGiveMidnight) {
  Employee employee;
  employee.released = "<ReleasedDate>2008-01-31</ReleasedDate>";
  employee.hired = "<HiredDate>the first of June</HiredDate>";
  const std::string posted = Convert(employee.Xml());
  EXPECT_NE(posted.find("[TerminationDate]='01/31/2008 00:00:00',[HireDate]='12:00:00 AM',"),
            std::string::npos);
}

TEST_F(EmployeesTest, TheNameIsCutToFortyOneCharactersThenItsApostrophesDoubled) {
  Employee employee;
  employee.name = "D'Angelo " + std::string(50, 'x');
  const std::string posted = Convert(employee.Xml());
  EXPECT_NE(posted.find("[EmployeeName]='D''Angelo " + std::string(32, 'x') + "',"),
            std::string::npos);
}

TEST_F(EmployeesTest, OnlyEmployeesChangedSinceTheLastSyncAreSent) {
  modWizard().last_sync.EmployeeLastSyncDate = *platform::DateTime::FromParts(2008, 1, 1);
  Employee unchanged;
  unchanged.list_id = "UNCHANGED";
  unchanged.modified = "2007-12-31T23:59:59-08:00";
  const std::string posted = Convert(unchanged.Xml() + Employee().Xml());
  EXPECT_EQ(CountOf(posted, "INSERT INTO EmployeeInfo"), 1);
  EXPECT_NE(posted.find(") VALUES (9000001,'Ms.',"), std::string::npos);
  EXPECT_EQ(posted.find("UNCHANGED"), std::string::npos);
  EXPECT_EQ(ctl_.run().counts.employees, 1);
}

TEST_F(EmployeesTest, TheProgressTextsUseTheSitesWordForEmployees) {
  ctl_.EmpLexicon = "Worker";
  Convert(Employee().Xml() + Employee().Xml());
  std::vector<std::string> captions;
  for (const std::string& redraw : host_.redraws) {
    if (redraw.starts_with("lblProcess:")) captions.push_back(redraw.substr(11));
  }
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Getting Workers from QB", "Getting Workers from QB (1)",
                                      "Getting Workers from QB (2)"}));
}

TEST_F(EmployeesTest, TheFailureCounterStartsAtZeroOnceTheResponseParsed) {
  ctl_.lngFailedEmpCnt = 2;
  SetResponse("<<<");
  Run(EntityKind::kEmployees);
  EXPECT_EQ(ctl_.lngFailedEmpCnt, 2);
  modWizard().blnSyncError = false;
  Convert("");
  EXPECT_EQ(ctl_.lngFailedEmpCnt, 0);
  EXPECT_TRUE(browser().navigations.empty());
}

}  // namespace
}  // namespace vantrel
