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

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_XML_SCAN_H_
