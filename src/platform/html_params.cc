#include "platform/html_params.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cstring>
#include <memory>
#include <string>

namespace vantrel::platform {

namespace {

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

xmlNode* FindFirst(xmlNode* node, const char* name) {
  for (; node != nullptr; node = node->next) {
    if (node->type == XML_ELEMENT_NODE &&
        xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0) {
      return node;
    }
    if (xmlNode* found = FindFirst(node->children, name)) return found;
  }
  return nullptr;
}

std::optional<std::string> Attribute(xmlNode* node, const char* name) {
  for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
    if (xmlStrcasecmp(attr->name, reinterpret_cast<const xmlChar*>(name)) != 0) continue;
    xmlChar* value = xmlNodeListGetString(node->doc, attr->children, 1);
    std::string text = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
  }
  return std::nullopt;
}

void CollectParams(xmlNode* node, PropertyBag& bag) {
  for (; node != nullptr; node = node->next) {
    if (node->type != XML_ELEMENT_NODE) continue;
    // A nested object holds its own parameters.
    if (xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>("object")) == 0) continue;
    if (xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>("param")) == 0) {
      const auto name = Attribute(node, "name");
      if (name && !name->empty()) bag.Set(*name, Attribute(node, "value").value_or(""));
    }
    CollectParams(node->children, bag);
  }
}

}  // namespace

std::optional<PropertyBag> ReadObjectParams(std::string_view html) {
  const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                      HTML_PARSE_NONET | HTML_PARSE_NOBLANKS;
  std::unique_ptr<xmlDoc, DocFree> doc(
      htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8", options));
  if (!doc) return std::nullopt;
  xmlNode* object = FindFirst(xmlDocGetRootElement(doc.get()), "object");
  if (object == nullptr) return std::nullopt;
  PropertyBag bag;
  CollectParams(object->children, bag);
  return bag;
}

}  // namespace vantrel::platform
