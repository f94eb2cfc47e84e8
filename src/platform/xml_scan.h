// A fast check of an XML text's structure that also finds where its upper
// elements lie, without building a tree.
#ifndef VANTREL_PLATFORM_XML_SCAN_H_
#define VANTREL_PLATFORM_XML_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel::platform {

// Where an element's text lies: from its "<" to just after its last ">".
struct XmlSpan {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
};

// The elements of the text by name, for those at most `kIndexedDepth` levels
// deep (the document element is level 1; ScanXml may be asked for fewer),
// and the names of the deeper ones.
struct XmlScanIndex {
  static constexpr int kIndexedDepth = 4;
  std::unordered_map<std::string_view, std::vector<XmlSpan>> upper;
  std::unordered_set<std::string_view> deeper;
  std::string_view root;  // the document element's name
};

// Checks that `text` is a document of the plain kind every response is: an
// optional declaration at its start, comments, one document element, and
// below it elements with quoted attributes, text, comments and CDATA
// sections. True only when the parser would take the document as well; a
// false result says nothing about it (a document type, processing
// instructions or a stray character send it to the parser). The views in
// `index` point into `text`.
bool ScanXml(std::string_view text, XmlScanIndex& index,
             int indexed_depth = XmlScanIndex::kIndexedDepth);

// What a quick look finds of an element's child.
struct ChildPeek {
  enum Result {
    kFound,    // `text` is the child's text, as the parser reads it
    kMissing,  // the element has no such child
    kUnsure,   // the element holds markup a quick look leaves to the parser
  };
  Result result = kUnsure;
  std::string_view text;  // for kFound: a view into the element's text
};

// The first child element `name` of the element whose whole text (from its
// "<" to its last ">", as ScanXml found it) is `element`, read without
// parsing. The look is sure only of plain markup: it answers kUnsure for
// comments, CDATA sections, processing instructions, quoted attribute
// values, and a child whose text holds markup, an entity or a carriage
// return; kFound only for a child that holds plain text alone.
ChildPeek PeekChild(std::string_view element, std::string_view name);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_XML_SCAN_H_
