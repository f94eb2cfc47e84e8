// Fuzzes the qbXML validator's DOCTYPE handling: the input is the document,
// validated against the bundled schema; its text also goes through the
// declaration's word split and check on their own.
//
// Beyond crashes, it checks their contracts: the result and the message agree
// (a valid document's message starts "XML instance is Valid.", an invalid
// one's with the parse report or a stage prefix), the split gives at most 9
// words without separators in them, and a passing check leaves no message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "quickbooks/xml_validator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string document(reinterpret_cast<const char*>(data), size);

  vantrel::XMLValidator validator;
  const bool valid = validator.ValidateXML(document, VANTREL_SOURCE_DIR "/samples/qbxml-mini.xsd");
  const std::string& message = validator.ValidateMsg();
  if (valid) {
    Require(message.starts_with("XML instance is Valid."));
  } else {
    Require(message.starts_with("Line: ") || message.starts_with("Error loading XML Instance: ") ||
            message.starts_with("Error during validation: "));
  }

  const std::vector<std::string> words = vantrel::SplitDoctypeWords(document);
  Require(words.size() <= 9);
  for (const std::string& word : words) {
    Require(word.find_first_of(" \t\n\v\f\r") == std::string::npos);
  }
  std::string check_message = "unset";
  if (vantrel::CheckDoctype(document, &check_message)) Require(check_message.empty());
  return 0;
}
