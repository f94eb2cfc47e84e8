#include <gtest/gtest.h>

#include <string>

#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::Response;

struct Employee {
  std::string name = "Ann Lee";
  std::string is_active = "<IsActive>true</IsActive>";
  std::string gender = "<Gender>Female</Gender>";
  std::string hired = "<HiredDate>2007-06-01</HiredDate>";
  std::string released;

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

class EmployeesTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    browser().navigations.clear();
    SetResponse(Response(records, "EmployeeQueryRs"));
    Run(EntityKind::kEmployees);
    return AllPosted();
  }
};

TEST_F(EmployeesTest, AnActiveEmployeeIsWrittenByteForByte) {
  ctl_.EmpLexicon = "Worker";
  EXPECT_EQ(Convert(Employee().Xml()), kAnnLeeUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"E"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"E"});
  EXPECT_EQ(ctl_.run().counts.employees, 1);
  EXPECT_EQ(Captions(),
            (std::vector<std::string>{"Getting Workers from QB", "Getting Workers from QB (1)"}));
}

// An inactive employee's update carries [Status]='In Active'; one without
// IsActive keeps the status it has.
TEST_F(EmployeesTest, AnInactiveOrUnmarkedEmployeeIsOnlyUpdated) {
  Employee employee;
  employee.is_active = "<IsActive>false</IsActive>";
  EXPECT_EQ(Convert(employee.Xml()), AnnLeeUpdate("[Status]='In Active',"));
  employee.is_active = "";
  EXPECT_EQ(Convert(employee.Xml()), AnnLeeUpdate(""));
}

TEST_F(EmployeesTest, GenderAndDatesTakeTheirDefaults) {
  Employee employee;
  employee.gender = "";
  employee.hired = "";
  std::string posted = Convert(employee.Xml());
  EXPECT_NE(posted.find(",'01/15/2008 10:23:45','Male','','',0,0,0,0,'','',0)"), std::string::npos);
  EXPECT_NE(posted.find("[TerminationDate]='12:00:00 AM',[HireDate]='12:00:00 AM',"),
            std::string::npos);
  EXPECT_NE(posted.find(",[Gender]='Male' WHERE"), std::string::npos);
  employee.released = "<ReleasedDate>2008-01-31</ReleasedDate>";
  employee.hired = "<HiredDate>the first of June</HiredDate>";
  posted = Convert(employee.Xml());
  EXPECT_NE(posted.find("[TerminationDate]='01/31/2008 00:00:00',[HireDate]='12:00:00 AM',"),
            std::string::npos);
}

TEST_F(EmployeesTest, TheNameIsCutToFortyOneCharacters) {
  Employee employee;
  employee.name = std::string(50, 'x');
  EXPECT_NE(Convert(employee.Xml()).find("[EmployeeName]='" + std::string(41, 'x') + "',"),
            std::string::npos);
}

}  // namespace
}  // namespace vantrel
