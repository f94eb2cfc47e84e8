// XML schema validation on libxml2.
#include "platform/xml_schema.h"

#include <cstdio>
#include <string>
#include <string_view>

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>

#include "platform/com_error.h"
#include "platform/text_util.h"

namespace vantrel::platform {

namespace {

// Error numbers of a schema that cannot be used: the file cannot be found or
// read, or it is not a schema.
constexpr long kErrSchemaNotFound = static_cast<long>(static_cast<int>(0x800C0006u));
constexpr long kErrSchemaInvalid = static_cast<long>(static_cast<int>(0x80004005u));

#if LIBXML_VERSION >= 21200
using ErrorArg = const xmlError*;
#else
using ErrorArg = xmlErrorPtr;
#endif

// The first error libxml2 reports during one operation; warnings are ignored.
struct FirstError {
  bool set = false;
  int code = 0;
  int line = 0;
  int column = 0;
  std::string message;
  const xmlNode* node = nullptr;
};

void CollectError(void* data, ErrorArg error) {
  auto* first = static_cast<FirstError*>(data);
  if (first->set || error == nullptr || error->level < XML_ERR_ERROR) return;
  first->set = true;
  first->code = error->code;
  first->line = error->line;
  first->column = error->int2;
  first->message = error->message != nullptr ? error->message : "";
  if (error->node != nullptr) first->node = static_cast<const xmlNode*>(error->node);
}

void IgnoreGenericError(void*, const char*, ...) {}

// Routes libxml2's errors of this thread to `first` while it lives, so that
// nothing is printed to stderr, and restores the previous handlers after.
class ErrorCapture {
 public:
  explicit ErrorCapture(FirstError* first)
      : saved_structured_(xmlStructuredError),
        saved_structured_context_(xmlStructuredErrorContext),
        saved_generic_(xmlGenericError),
        saved_generic_context_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(nullptr, IgnoreGenericError);
    xmlSetStructuredErrorFunc(first, CollectError);
  }
  ~ErrorCapture() {
    xmlSetStructuredErrorFunc(saved_structured_context_, saved_structured_);
    xmlSetGenericErrorFunc(saved_generic_context_, saved_generic_);
  }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

 private:
  xmlStructuredErrorFunc saved_structured_;
  void* saved_structured_context_;
  xmlGenericErrorFunc saved_generic_;
  void* saved_generic_context_;
};

// A parser message without the blanks, tabs and line breaks around it.
std::string Trim(std::string_view text) { return std::string(TrimChars(text, " \t\r\n")); }

// The text of line `number` (from 1) of `text`, without its line break. Lines
// end with CR LF, LF or CR, as the parser counts them.
std::string_view LineOf(std::string_view text, long number) {
  if (number <= 0) return {};
  size_t start = 0;
  for (long line = 1; line < number; ++line) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) return {};
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

bool FileReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

class LibXmlSchema : public XmlSchema {
 public:
  explicit LibXmlSchema(xmlSchemaPtr schema) : schema_(schema) {}
  ~LibXmlSchema() override { xmlSchemaFree(schema_); }
  LibXmlSchema(const LibXmlSchema&) = delete;
  LibXmlSchema& operator=(const LibXmlSchema&) = delete;

  XmlParseError Validate(std::string_view text) const override;

 private:
  xmlSchemaPtr schema_;
};

XmlParseError ReportOf(const FirstError& first, std::string_view text) {
  XmlParseError report;
  report.error_code = first.code != 0 ? first.code : 1;
  report.line = first.line;
  report.linepos = first.column;
  std::string_view line = LineOf(text, report.line);
  if (report.linepos <= 0 && first.node != nullptr && first.node->type == XML_ELEMENT_NODE) {
    // Validation errors carry no column: point at the element's start tag.
    std::string tag = "<";
    tag += reinterpret_cast<const char*>(first.node->name);
    size_t at = line.find(tag);
    if (at != std::string_view::npos) report.linepos = static_cast<long>(at) + 1;
  }
  report.src_text = std::string(line);
  report.reason = Trim(first.message);
  return report;
}

XmlParseError LibXmlSchema::Validate(std::string_view text) const {
  FirstError first;
  xmlDocPtr doc = nullptr;
  {
    ErrorCapture capture(&first);
    doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                        XML_PARSE_NONET | XML_PARSE_NOWARNING);
  }
  if (doc == nullptr || first.set) {
    if (doc != nullptr) xmlFreeDoc(doc);
    if (!first.set) {
      first.set = true;
      first.code = 1;
      first.message = "Document is empty";
    }
    return ReportOf(first, text);
  }
  xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema_);
  int outcome = -1;
  if (valid != nullptr) {
    ErrorCapture capture(&first);
    xmlSchemaSetValidStructuredErrors(valid, CollectError, &first);
    outcome = xmlSchemaValidateDoc(valid, doc);
    xmlSchemaFreeValidCtxt(valid);
  }
  XmlParseError report;
  if (outcome != 0) {
    if (!first.set) {
      first.set = true;
      first.code = outcome > 0 ? outcome : 1;
      first.message = "The document could not be validated.";
    }
    report = ReportOf(first, text);
  }
  xmlFreeDoc(doc);
  return report;
}

}  // namespace

std::unique_ptr<XmlSchema> XmlSchema::Load(const std::string& path) {
  xmlInitParser();
  FirstError first;
  xmlSchemaPtr schema = nullptr;
  {
    ErrorCapture capture(&first);
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.c_str());
    if (parser != nullptr) {
      xmlSchemaSetParserStructuredErrors(parser, CollectError, &first);
      schema = xmlSchemaParse(parser);
      xmlSchemaFreeParserCtxt(parser);
    }
  }
  if (schema == nullptr) {
    const bool readable = FileReadable(path);
    std::string description = Trim(first.message);
    if (description.empty()) {
      description = readable ? "The file '" + path + "' is not an XML schema."
                             : "The file '" + path + "' cannot be read.";
    }
    throw ComError(readable ? kErrSchemaInvalid : kErrSchemaNotFound, description, "libxml2");
  }
  return std::make_unique<LibXmlSchema>(schema);
}

}  // namespace vantrel::platform
