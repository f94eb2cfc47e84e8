// The inside of a loaded company file, shared by the stand-in's units.
#ifndef VANTREL_QB_STANDIN_COMPANY_IMPL_H_
#define VANTREL_QB_STANDIN_COMPANY_IMPL_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "platform/xml_scan.h"
#include "qb_standin/qb_standin.h"

namespace vantrel::qb {

// A company is held in one of two forms. Most files are kept as their text
// with the places of the root's child elements, so that loading costs one
// quick check of the text and answering copies records as they stand. A file
// the quick check does not take (a document type, processing instructions,
// a byte order mark) is parsed whole and its records printed from the tree.
struct Company::Impl {
  bool whole = false;
  // The text form: the file's text and the root's child elements by name.
  std::string text;
  std::map<std::string, std::vector<platform::XmlSpan>, std::less<>> spans;
  // The whole form: the parsed document and the root's child elements.
  pugi::xml_document doc;
  std::map<std::string, std::vector<pugi::xml_node>, std::less<>> records;
};

// Parse options for company files and requests: whitespace-only text is kept
// when it is an element's only content (a description of blanks stays one),
// and text outside the root element is kept as a node (parsing as a fragment)
// so that HasSingleRoot can refuse it.
inline constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_declaration |
    pugi::parse_doctype | pugi::parse_pi | pugi::parse_comments | pugi::parse_fragment;

// True when the parsed document has exactly one element at its top level and
// nothing there but that element, the prolog and comments.
bool HasSingleRoot(const pugi::xml_document& doc);

}  // namespace vantrel::qb

#endif  // VANTREL_QB_STANDIN_COMPANY_IMPL_H_
