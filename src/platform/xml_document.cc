#include "platform/xml_document.h"

#include <cstring>

#include <pugixml.hpp>

namespace vantrel::platform {

namespace {

pugi::xml_node ToPugi(void* node) {
  return pugi::xml_node(static_cast<pugi::xml_node_struct*>(node));
}

bool IsText(const pugi::xml_node& node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// True when the C string `name` is exactly `wanted`.
bool NameIs(const char* name, std::string_view wanted) {
  return std::strncmp(name, wanted.data(), wanted.size()) == 0 && name[wanted.size()] == '\0';
}

// The next node after `node` in document order within the subtree of `root`;
// a null node when the walk is over.
pugi::xml_node NextInSubtree(pugi::xml_node node, const pugi::xml_node& root) {
  if (pugi::xml_node child = node.first_child()) return child;
  while (node && node != root) {
    if (pugi::xml_node sibling = node.next_sibling()) return sibling;
    node = node.parent();
  }
  return pugi::xml_node();
}

// Appends the text of `element` as Text() defines it.
void AppendText(const pugi::xml_node& element, std::string& out) {
  bool has_element_child = false;
  for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) {
      has_element_child = true;
      break;
    }
  }
  if (!has_element_child) {
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
      if (IsText(child)) out += child.value();
    }
    return;
  }
  // Texts of the descendants in document order, one blank between them.
  bool first = true;
  for (pugi::xml_node node = element.first_child(); node; node = NextInSubtree(node, element)) {
    if (!IsText(node)) continue;
    if (!first) out += ' ';
    out += node.value();
    first = false;
  }
}

}  // namespace

struct XmlDocument::Impl {
  pugi::xml_document doc;
};

XmlNode XmlNode::SelectSingleNode(std::string_view name) const {
  if (node_ == nullptr) return XmlNode();
  for (pugi::xml_node child = ToPugi(node_).first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && NameIs(child.name(), name)) {
      return XmlNode(child.internal_object());
    }
  }
  return XmlNode();
}

std::vector<XmlNode> XmlNode::ChildElements() const {
  std::vector<XmlNode> children;
  for (XmlNode child = FirstChildElement(); child; child = child.NextSiblingElement()) {
    children.push_back(child);
  }
  return children;
}

std::string_view XmlNode::BaseName() const {
  std::string_view name = Name();
  const std::size_t colon = name.find(':');
  if (colon != std::string_view::npos) name.remove_prefix(colon + 1);
  return name;
}

std::string_view XmlNode::Name() const {
  if (node_ == nullptr) return {};
  return ToPugi(node_).name();
}

std::string XmlNode::Text() const {
  std::string text;
  if (node_ != nullptr) AppendText(ToPugi(node_), text);
  return text;
}

std::string_view XmlNode::TextView(std::string& scratch) const {
  if (node_ == nullptr) return {};
  const pugi::xml_node element = ToPugi(node_);
  const pugi::xml_node first = element.first_child();
  if (!first) return {};
  if (IsText(first) && !first.next_sibling()) return first.value();
  scratch.clear();
  AppendText(element, scratch);
  return scratch;
}

XmlNode XmlNode::FirstChildElement() const {
  if (node_ == nullptr) return XmlNode();
  for (pugi::xml_node child = ToPugi(node_).first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) return XmlNode(child.internal_object());
  }
  return XmlNode();
}

XmlNode XmlNode::NextSiblingElement() const {
  if (node_ == nullptr) return XmlNode();
  for (pugi::xml_node next = ToPugi(node_).next_sibling(); next; next = next.next_sibling()) {
    if (next.type() == pugi::node_element) return XmlNode(next.internal_object());
  }
  return XmlNode();
}

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}
XmlDocument::~XmlDocument() = default;

bool XmlDocument::LoadXml(std::string_view text) {
  // The text is already Unicode: an encoding named in its declaration plays
  // no part, as when a document is loaded from a string.
  const pugi::xml_parse_result result =
      impl_->doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  parsed_ = static_cast<bool>(result);
  if (parsed_) {
    parse_error_.clear();
  } else {
    parse_error_ = std::string(result.description()) + " at offset " +
                   std::to_string(static_cast<long long>(result.offset));
    impl_->doc.reset();
  }
  return parsed_;
}

std::vector<XmlNode> XmlDocument::GetElementsByTagName(std::string_view name) const {
  std::vector<XmlNode> found;
  if (!parsed_) return found;
  const pugi::xml_node root = impl_->doc;
  for (pugi::xml_node node = root.first_child(); node; node = NextInSubtree(node, root)) {
    if (node.type() == pugi::node_element && NameIs(node.name(), name)) {
      found.push_back(XmlNode(node.internal_object()));
    }
  }
  return found;
}

XmlNode XmlDocument::DocumentElement() const {
  if (!parsed_) return XmlNode();
  const pugi::xml_node element = impl_->doc.document_element();
  return element ? XmlNode(element.internal_object()) : XmlNode();
}

}  // namespace vantrel::platform
