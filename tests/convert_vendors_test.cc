#include <gtest/gtest.h>

#include <string>

#include "convert/list_converters.h"
#include "convert_fixture.h"

namespace vantrel {
namespace {

using testing::ConvertTest;
using testing::Response;

std::string AcmeSupply(const std::string& is_active = "<IsActive>true</IsActive>",
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

class VendorsTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    browser().navigations.clear();
    SetResponse(Response(records, "VendorQueryRs"));
    Run(EntityKind::kVendors);
    return AllPosted();
  }
};

TEST_F(VendorsTest, AnActiveVendorIsWrittenByteForByte) {
  EXPECT_EQ(Convert(AcmeSupply()), kAcmeUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"V"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"V"});
  EXPECT_EQ(ctl_.run().counts.vendors, 1);
  EXPECT_EQ(Captions(),
            (std::vector<std::string>{"Getting Vendors from QB", "Getting Vendors from QB (1)"}));
}

// Without IsActive a vendor is written as active (-1) but, being inactive
// in its row, only updated, and the update leaves [Active] alone.
TEST_F(VendorsTest, AnInactiveOrUnmarkedVendorIsOnlyUpdated) {
  EXPECT_EQ(Convert(AcmeSupply("<IsActive>false</IsActive>")), AcmeUpdate("[Active]=0,"));
  EXPECT_EQ(Convert(AcmeSupply("")), AcmeUpdate(""));
}

TEST_F(VendorsTest, TheAlternateContactIsCutToFortyOneCharacters) {
  const std::string posted = Convert(AcmeSupply("", std::string(50, 'a')));
  EXPECT_NE(posted.find("[Reference]='" + std::string(41, 'a') + "',"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
