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

struct Vendor {
  std::string list_id = "80000004-1193155800";
  std::string created = "2007-10-23T15:05:58-08:00";
  std::string modified = "2008-01-15T10:23:45-08:00";
  std::string is_active = "<IsActive>true</IsActive>";
  std::string alt_contact = "Jane Doe";

  std::string Xml() const {
    return "<VendorRet><ListID>" + list_id + "</ListID><TimeCreated>" + created +
           "</TimeCreated><TimeModified>" + modified +
           "</TimeModified><EditSequence>1193155800</EditSequence><Name>Acme Supply</Name>" +
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
};

const char kAcmeUpsert[] =
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
    "'Jane Doe','',"
    "'','','','','','','','',"
    "'','','','','','','','',"
    "'','V-1','Acme Supply Co','','',0,0,'',0,'','','',0,0,0,0,'',0,'',"
    "'10/23/2007 15:05:58','jsmith','01/15/2008 10:23:45','jsmith',0)\r\n"
    "Else\r\n"
    "\tUPDATE Vendors SET [VendorName]='Acme Supply',[VendorCompanyName]='Acme Supply Inc',"
    "[Salutation]='Mr.',[FirstName]='Bob',[MI]='C',[LastName]='Smith',"
    "[EditSequence]='1193155800',[QBModifiedDate]='2008-01-15T10:23:45-08:00',"
    "[QBListID]='80000004-1193155800',[ContactName]='Bob Smith',[Reference]='Jane Doe',"
    "[AccountNumber]='V-1',[NameOnCheck]='Acme Supply Co',[CreatedDate]='10/23/2007 15:05:58',"
    "[CreatedBy]='jsmith',[UpdatedDate]='01/15/2008 10:23:45',[UpdatedBy]='jsmith'"
    " WHERE [QBListId] = '80000004-1193155800'\r\n";

class VendorsTest : public ConvertTest {
 protected:
  std::string Convert(const std::string& records) {
    SetResponse(Response(records, "VendorQueryRs"));
    Run(EntityKind::kVendors);
    return AllPosted();
  }
};

TEST_F(VendorsTest, AnActiveVendorIsWrittenByteForByte) {
  EXPECT_EQ(Convert(Vendor().Xml()), kAcmeUpsert);
  EXPECT_EQ(PostLetters(), std::vector<std::string>{"V"});
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"V"});
  EXPECT_EQ(ctl_.run().counts.vendors, 1);
  EXPECT_EQ(ctl_.screen().lblProcess.caption(), "Getting Vendors from QB (1)");
}

TEST_F(VendorsTest, AnInactiveVendorIsOnlyUpdatedWithItsActiveFlag) {
  Vendor vendor;
  vendor.is_active = "<IsActive>false</IsActive>";
  const std::string posted = Convert(vendor.Xml());
  EXPECT_TRUE(posted.starts_with("UPDATE Vendors SET [VendorName]='Acme Supply',"));
  EXPECT_NE(posted.find(",[QBListID]='80000004-1193155800',[Active]=0,[ContactName]="),
            std::string::npos);
  EXPECT_EQ(CountOf(posted, "\r\n"), 1);
}

TEST_F(VendorsTest, WithoutIsActiveTheVendorCountsAsActiveButIsOnlyUpdated) {
  Vendor vendor;
  vendor.is_active = "";
  const std::string posted = Convert(vendor.Xml());
  EXPECT_TRUE(posted.starts_with("UPDATE Vendors SET "));
  EXPECT_EQ(posted.find("[Active]"), std::string::npos);
  EXPECT_FALSE(converterStores().vendors.at(1).IsActive);
}

TEST_F(VendorsTest, TheAlternateContactIsCutThenItsApostropheDoubled) {
  Vendor vendor;
  vendor.alt_contact = "Mary O'Connor of the Accounts Payable Department";
  const std::string posted = Convert(vendor.Xml());
  EXPECT_NE(posted.find("[Reference]='Mary O''Connor of the Accounts Payable Dep',"),
            std::string::npos);
}

TEST_F(VendorsTest, VendorsUntouchedSinceTheLastSyncSendNothing) {
  modWizard().last_sync.VendorsLastSyncDate = *platform::DateTime::FromParts(2009, 1, 1);
  ctl_.run().counts.vendors = 9;
  Vendor a, b, c;
  b.list_id = "B";
  c.list_id = "C";
  Convert(a.Xml() + b.Xml() + c.Xml());
  EXPECT_TRUE(browser().navigations.empty());
  EXPECT_EQ(ctl_.run().counts.vendors, 0);
  EXPECT_FALSE(ctl_.screen().fraProgress.visible());
}

TEST_F(VendorsTest, ManyVendorsArePostedInBatchesWithTheirLetter) {
  std::string records;
  for (int i = 0; i < 250; ++i) {
    Vendor vendor;
    vendor.list_id = "V-" + std::to_string(i);
    records += vendor.Xml();
  }
  Convert(records);
  ASSERT_EQ(PostBodies().size(), 3u);
  EXPECT_EQ(CountOf(PostBodies()[2], "INSERT INTO Vendors"), 50);
  EXPECT_EQ(PostLetters(), (std::vector<std::string>{"V", "V", "V"}));
  EXPECT_EQ(StatusLetters(), std::vector<std::string>{"V"});
  EXPECT_TRUE(StatusCameLast());
}

}  // namespace
}  // namespace vantrel
