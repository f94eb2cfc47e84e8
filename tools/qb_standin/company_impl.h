// The inside of a loaded company file, shared by the stand-in's units.
#ifndef VANTREL_QB_STANDIN_COMPANY_IMPL_H_
#define VANTREL_QB_STANDIN_COMPANY_IMPL_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "qb_standin/qb_standin.h"

namespace vantrel::qb {

struct Company::Impl {
  pugi::xml_document doc;
  // The root's child elements by name, in file order.
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
