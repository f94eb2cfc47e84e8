// A stand-alone check of a qbXML document against an XML schema.
#ifndef VANTREL_QUICKBOOKS_XML_VALIDATOR_H_
#define VANTREL_QUICKBOOKS_XML_VALIDATOR_H_

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// Validates qbXML documents against a schema. The document's DOCTYPE
// declaration is turned into a comment before validation (it names the
// QuickBooks DTD, which the schema replaces) and checked separately against
// the expected form. Line breaks inside messages are a single CR.
class XMLValidator {
 public:
  XMLValidator() = default;
  // Test seam: `before_stage` is called with 1 to 4 as each stage starts; an
  // exception it throws counts as a run-time error of that stage.
  explicit XMLValidator(std::function<void(int)> before_stage)
      : before_stage_(std::move(before_stage)) {}

  // Validates `xmlInStr` against the schema file `schemaFile`. Returns true
  // when the document is well-formed and satisfies the schema (a missing or
  // wrong DOCTYPE only adds to the message). On a run-time error of a stage
  // the message is the stage's prefix, the error number in hexadecimal, ", "
  // and the description, and the result is false; on a parse or validation
  // error of the document the message gives line, position, source text and
  // reason, and the result is false.
  bool ValidateXML(const std::string& xmlInStr, const std::string& schemaFile);

  // The message of the last ValidateXML.
  const std::string& ValidateMsg() const { return msg_; }

 private:
  std::function<void(int)> before_stage_;
  std::string msg_;
};

// The expected declaration text, from "DOCTYPE" up to the closing ">".
inline constexpr const char* kExpectedDoctype =
    "DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 1.0//EN' ['uri']";

// Splits a declaration text into at most 9 words separated by runs of blank,
// tab, LF, VT, FF and CR; a separator at the very start gives an empty first
// word.
std::vector<std::string> SplitDoctypeWords(const std::string& text);

// Checks a declaration text: words 1 to 7 must equal those of the expected
// text, letter case aside. On a difference returns false and sets `message`
// to "Incorrect DOCTYPE declaration. Please use:", CR and the expected text.
bool CheckDoctype(const std::string& declaration, std::string* message);

}  // namespace vantrel

#endif  // VANTREL_QUICKBOOKS_XML_VALIDATOR_H_
