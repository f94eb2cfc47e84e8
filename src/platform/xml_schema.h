// Schema validation of XML documents.
#ifndef VANTREL_PLATFORM_XML_SCHEMA_H_
#define VANTREL_PLATFORM_XML_SCHEMA_H_

#include <memory>
#include <string>
#include <string_view>

namespace vantrel::platform {

// The parse-error report of a document load: error_code 0 when the document
// parsed and satisfied the schema.
struct XmlParseError {
  long error_code = 0;
  long line = 0;
  long linepos = 0;
  std::string src_text;
  std::string reason;
};

class XmlSchema {
 public:
  virtual ~XmlSchema() = default;
  // Loads an XML schema from a file path. Throws ComError when the file cannot
  // be read or is not a schema.
  static std::unique_ptr<XmlSchema> Load(const std::string& path);
  // Parses `text` and validates it against the schema.
  virtual XmlParseError Validate(std::string_view text) const = 0;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_XML_SCHEMA_H_
