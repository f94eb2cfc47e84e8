// XML documents as the converters use them: a synchronous load of a text, the
// elements of a name anywhere in the document, a node's first child element of
// a name, its child elements with their base names, and a node's text.
#ifndef VANTREL_PLATFORM_XML_DOCUMENT_H_
#define VANTREL_PLATFORM_XML_DOCUMENT_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

// A handle to an element of a loaded document; valid while the document lives.
// A null handle stands for "no node".
class XmlNode {
 public:
  XmlNode() = default;
  bool IsNull() const { return node_ == nullptr; }
  explicit operator bool() const { return node_ != nullptr; }

  // The first child element named `name`; a null node when there is none.
  XmlNode SelectSingleNode(std::string_view name) const;
  // The child elements, in document order.
  std::vector<XmlNode> ChildElements() const;
  // The element's name without a namespace prefix.
  std::string_view BaseName() const;
  // The node's text: for an element holding only text, that text as it stands;
  // for one with child elements, the texts of its descendants in document
  // order, joined by a single blank. Empty for a null node.
  std::string Text() const;

  // Text() without copying when the element holds at most one text node: the
  // view points into the document. Otherwise the text is assembled in
  // `scratch` and the view points there. Valid while both live unchanged.
  std::string_view TextView(std::string& scratch) const;
  // The element's name as written, prefix included ("" for a null node).
  std::string_view Name() const;
  // Walking the child elements without building a list: the first child
  // element, and the next sibling element; null nodes at the end.
  XmlNode FirstChildElement() const;
  XmlNode NextSiblingElement() const;

 private:
  friend class XmlDocument;
  friend class XmlRecords;
  explicit XmlNode(void* node) : node_(node) {}
  void* node_ = nullptr;
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Parses `text`, replacing what was loaded before. Returns whether it parsed.
  bool LoadXml(std::string_view text);
  bool parsed() const { return parsed_; }
  // The parser's description of the last failed load ("" after a good one).
  const std::string& parse_error() const { return parse_error_; }

  // Every element named `name` anywhere in the document, in document order.
  std::vector<XmlNode> GetElementsByTagName(std::string_view name) const;
  // The root element; a null node when nothing parsed.
  XmlNode DocumentElement() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool parsed_ = false;
  std::string parse_error_;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_XML_DOCUMENT_H_
