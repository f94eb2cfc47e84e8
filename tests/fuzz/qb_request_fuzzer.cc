// Fuzzes the QuickBooks stand-in's request reader: the bundled sample company
// is loaded once, and the input is the qbXML request sent in an open session.
//
// Beyond crashes, it checks the processor's contract: a request is either
// refused as not well-formed qbXML, or answered with a response that the
// control's own XML document loads, rooted at QBXML.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "platform/com_error.h"
#include "platform/xml_document.h"
#include "qb_standin/qb_standin.h"

namespace {

const std::shared_ptr<const vantrel::qb::Company>& SampleCompany() {
  static const std::shared_ptr<const vantrel::qb::Company> company =
      vantrel::qb::LoadCompany(VANTREL_SOURCE_DIR "/samples/Acme.QBW");
  return company;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::qb::StandinProcessor processor(SampleCompany());
  processor.OpenConnection("", "VantrelFuzz");
  const std::string ticket = processor.BeginSession("", 2);

  std::string response;
  try {
    response =
        processor.ProcessRequest(ticket, std::string(reinterpret_cast<const char*>(data), size));
  } catch (const vantrel::platform::ComError& e) {
    Require(e.number() == vantrel::qb::kErrXmlParse);
    return 0;
  }
  vantrel::platform::XmlDocument document;
  Require(document.LoadXml(response));
  Require(document.DocumentElement().Name() == "QBXML");
  processor.EndSession(ticket);
  processor.CloseConnection();
  return 0;
}
