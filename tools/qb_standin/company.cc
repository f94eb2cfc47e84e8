// Loading company files.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/text_util.h"
#include "qb_standin/company_impl.h"
#include "qb_standin/qb_standin.h"

namespace vantrel::qb {

namespace {

constexpr std::string_view kRootName = "QuickBooksCompany";

std::vector<std::string> SplitVersions(std::string_view list) {
  std::vector<std::string> versions;
  while (true) {
    size_t comma = list.find(',');
    std::string_view item = platform::TrimWhitespace(list.substr(0, comma));
    if (!item.empty()) versions.emplace_back(item);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return versions;
}

CompanySettings ReadSettings(const pugi::xml_node& root, std::string path) {
  CompanySettings settings;
  pugi::xml_attribute file = root.attribute("file");
  settings.file = file ? std::string(file.value()) : std::move(path);
  pugi::xml_attribute versions = root.attribute("qbxmlVersions");
  settings.qbxml_versions =
      versions ? SplitVersions(versions.value()) : std::vector<std::string>{"1.0", "1.1", "2.0"};
  std::string_view running = platform::TrimWhitespace(root.attribute("running").value());
  settings.running = !(platform::EqualsNoCase(running, "false") || running == "0");
  settings.has_session =
      !platform::EqualsNoCase(platform::TrimWhitespace(root.attribute("session").value()), "none");
  settings.has_versions =
      !platform::EqualsNoCase(platform::TrimWhitespace(root.attribute("versions").value()), "none");
  const std::string_view response = platform::TrimWhitespace(root.attribute("response").value());
  if (platform::EqualsNoCase(response, "empty")) {
    settings.response = CompanySettings::Response::kEmpty;
  } else if (platform::EqualsNoCase(response, "garbled")) {
    settings.response = CompanySettings::Response::kGarbled;
  } else if (platform::EqualsNoCase(response, "truncated")) {
    settings.response = CompanySettings::Response::kTruncated;
  }
  if (pugi::xml_attribute error = root.attribute("processError")) {
    settings.process_error = error.value();
  }
  return settings;
}

std::string ParseFailure(const std::string& path, const pugi::xml_parse_result& result) {
  return "Company file '" + path + "' is not well-formed XML: " + result.description() +
         " at offset " + std::to_string(result.offset);
}

}  // namespace

bool HasSingleRoot(const pugi::xml_document& doc) {
  int elements = 0;
  for (pugi::xml_node child : doc.children()) {
    switch (child.type()) {
      case pugi::node_element:
        ++elements;
        break;
      case pugi::node_declaration:
      case pugi::node_doctype:
      case pugi::node_pi:
      case pugi::node_comment:
        break;
      default:
        return false;
    }
  }
  return elements == 1;
}

Company::Company() : impl_(std::make_unique<Impl>()) {}
Company::~Company() = default;

std::size_t Company::RecordCount(std::string_view ret_element) const {
  if (!impl_->whole) {
    auto it = impl_->spans.find(ret_element);
    return it == impl_->spans.end() ? 0 : it->second.size();
  }
  auto it = impl_->records.find(ret_element);
  return it == impl_->records.end() ? 0 : it->second.size();
}

namespace {

// Fills `company` from its parsed document; throws when the root is wrong.
void Index(Company::Impl& impl, const std::string& path) {
  if (!HasSingleRoot(impl.doc)) {
    throw std::runtime_error("Company file '" + path +
                             "' is not well-formed XML: it must hold exactly one root element");
  }
  pugi::xml_node root = impl.doc.document_element();
  if (std::string_view(root.name()) != kRootName) {
    throw std::runtime_error("Company file '" + path + "' has the root element '" +
                             std::string(root.name()) + "'; expected '" + std::string(kRootName) +
                             "'");
  }
  for (pugi::xml_node record : root.children()) {
    if (record.type() != pugi::node_element) continue;
    auto it = impl.records.find(std::string_view(record.name()));
    if (it == impl.records.end()) {
      it = impl.records.emplace(record.name(), std::vector<pugi::xml_node>()).first;
    }
    it->second.push_back(record);
  }
}

}  // namespace

namespace {

std::string WrongRoot(const std::string& path, std::string_view root) {
  return "Company file '" + path + "' has the root element '" + std::string(root) +
         "'; expected '" + std::string(kRootName) + "'";
}

// Builds `company` from its file's text: in the text form when the quick
// check takes the text, else parsed whole. Throws naming `path` when the text
// is no company file.
void Build(Company::Impl& impl, std::string text, const std::string& path,
           CompanySettings& settings, std::string default_name) {
  platform::XmlScanIndex index;
  if (platform::ScanXml(text, index, 2)) {
    if (index.root != kRootName) throw std::runtime_error(WrongRoot(path, index.root));
    // The root's attributes: its start tag, closed, is parsed on its own.
    std::uint64_t first_record = text.size();
    for (const auto& [name, spans] : index.upper) {
      if (name != index.root && !spans.empty())
        first_record = std::min(first_record, spans[0].begin);
    }
    std::string head = text.substr(0, first_record);
    if (first_record < text.size()) {
      head += "</";
      head += kRootName;
      head += '>';
    }
    pugi::xml_document root;
    root.load_buffer(head.data(), head.size(), kParseOptions, pugi::encoding_utf8);
    settings = ReadSettings(root.document_element(), std::move(default_name));
    for (auto& [name, spans] : index.upper) {
      if (name != index.root) impl.spans.emplace(std::string(name), std::move(spans));
    }
    impl.text = std::move(text);
    return;
  }
  impl.whole = true;
  const pugi::xml_parse_result result =
      impl.doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) throw std::runtime_error(ParseFailure(path, result));
  Index(impl, path);
  settings = ReadSettings(impl.doc.document_element(), std::move(default_name));
}

}  // namespace

std::shared_ptr<const Company> ParseCompany(std::string_view xml_text,
                                            std::string path_for_default_name) {
  std::shared_ptr<Company> company(new Company());
  const std::string path = path_for_default_name;
  Build(*company->impl_, std::string(xml_text), path, company->settings_,
        std::move(path_for_default_name));
  return company;
}

std::shared_ptr<const Company> LoadCompany(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    throw std::runtime_error("Cannot open company file '" + path + "': no such file");
  }
  // Read in one go into a text of the file's size (a company file runs to
  // hundreds of megabytes: growing the text would copy it again and again),
  // then whatever a file that grew meanwhile still holds.
  std::string text;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    std::rewind(file);
    if (size > 0) {
      text.resize(static_cast<std::size_t>(size));
      text.resize(std::fread(text.data(), 1, text.size(), file));
    }
  }
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw std::runtime_error("Cannot read company file '" + path + "': I/O error");
  std::shared_ptr<Company> company(new Company());
  Build(*company->impl_, std::move(text), path, company->settings_, path);
  return company;
}

}  // namespace vantrel::qb
