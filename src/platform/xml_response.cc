#include "platform/xml_response.h"

#include <cstring>

#include <pugixml.hpp>

namespace vantrel::platform {

namespace {

// A batch ends after this many records or once it holds this many bytes.
constexpr std::size_t kBatchRecords = 2048;
constexpr std::uint64_t kBatchBytes = std::uint64_t{1} << 20;

// True when no span starts before the one before it has ended: the elements
// of the name hold none of their own kind.
// True when only blanks lie between `from` and `to` in `text`.
bool BlankBetween(std::string_view text, std::uint64_t from, std::uint64_t to) {
  for (std::uint64_t i = from; i < to; ++i) {
    const char c = text[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return true;
}

bool Disjoint(const std::vector<XmlSpan>& spans) {
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].begin < spans[i - 1].end) return false;
  }
  return true;
}

}  // namespace

struct XmlRecords::Batch {
  pugi::xml_document doc;
  std::vector<void*> nodes;
  std::size_t first = 0;  // the index of nodes[0] among the records
};

XmlRecords::XmlRecords(std::string_view text, std::string_view name,
                       const std::vector<XmlSpan>* spans, std::vector<XmlNode> nodes)
    : text_(text),
      name_(name),
      spans_(spans),
      nodes_(std::move(nodes)),
      size_(spans != nullptr ? spans->size() : nodes_.size()) {}

XmlRecords::XmlRecords(XmlRecords&&) noexcept = default;
XmlRecords& XmlRecords::operator=(XmlRecords&&) noexcept = default;
XmlRecords::~XmlRecords() = default;

void XmlRecords::PassOver(std::function<bool(std::string_view)> pass_over) {
  pass_over_ = std::move(pass_over);
  judged_ = static_cast<std::size_t>(-1);
}

bool XmlRecords::PassesOver(std::size_t index) {
  if (!pass_over_) return false;
  if (judged_ != index) {
    const XmlSpan& span = (*spans_)[index];
    judged_ = index;
    judged_pass_over_ = pass_over_(text_.substr(span.begin, span.end - span.begin));
  }
  return judged_pass_over_;
}

XmlNode XmlRecords::Next() {
  passed_over_ = false;
  if (next_ >= size_) return XmlNode();
  if (spans_ == nullptr) return nodes_[next_++];
  if (!batch_) batch_ = std::make_unique<Batch>();
  if (next_ >= batch_->first + batch_->nodes.size()) {
    if (PassesOver(next_)) {
      ++next_;
      passed_over_ = true;
      return XmlNode();
    }
    ParseBatch();
    if (next_ >= size_) return XmlNode();
  }
  const Batch& batch = *batch_;
  return XmlNode(batch.nodes[next_++ - batch.first]);
}

void XmlRecords::ParseBatch() {
  // The next records from the first not parsed yet, as long as nothing
  // but blanks lies between them (so that they are siblings) and none is
  // passed over.
  Batch& batch = *batch_;
  const std::vector<XmlSpan>& spans = *spans_;
  std::size_t last = next_;
  while (last + 1 < spans.size() && last + 1 - next_ < kBatchRecords &&
         spans[last + 1].end - spans[next_].begin <= kBatchBytes &&
         BlankBetween(text_, spans[last].end, spans[last + 1].begin) && !PassesOver(last + 1)) {
    ++last;
  }
  const std::uint64_t begin = spans[next_].begin;
  const std::uint64_t end = spans[last].end;
  batch.nodes.clear();
  batch.first = next_;
  const pugi::xml_parse_result result =
      batch.doc.load_buffer(text_.data() + begin, end - begin,
                            pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
  if (result) {
    for (pugi::xml_node node = batch.doc.first_child(); node; node = node.next_sibling()) {
      if (node.type() == pugi::node_element && name_ == node.name()) {
        batch.nodes.push_back(node.internal_object());
      }
    }
  }
  // The whole text parsed, so its pieces do; a short batch would be a fault
  // of the index, and ends the walk rather than give other nodes.
  if (batch.nodes.size() != last - next_ + 1) {
    batch.nodes.clear();
    size_ = next_;
  }
}

XmlResponse::XmlResponse() = default;
XmlResponse::~XmlResponse() = default;

bool XmlResponse::Load(std::string_view text) {
  text_ = text;
  whole_.reset();
  loaded_ = true;
  parse_error_.clear();
  if (ScanXml(text, index_)) {
    parsed_ = true;
    return true;
  }
  // The quick check is not the judge of what parses: the parser is.
  index_ = XmlScanIndex();
  auto whole = std::make_unique<XmlDocument>();
  parsed_ = whole->LoadXml(text);
  if (parsed_) {
    whole_ = std::move(whole);
  } else {
    parse_error_ = whole->parse_error();
  }
  return parsed_;
}

const XmlDocument& XmlResponse::Whole() const {
  if (!whole_) {
    whole_ = std::make_unique<XmlDocument>();
    whole_->LoadXml(text_);
  }
  return *whole_;
}

XmlRecords XmlResponse::Records(std::string_view name) const {
  if (!parsed_) return XmlRecords({}, name, nullptr, {});
  if (!whole_ && !index_.deeper.contains(name)) {
    const auto it = index_.upper.find(name);
    if (it == index_.upper.end()) return XmlRecords(text_, name, nullptr, {});
    if (Disjoint(it->second)) return XmlRecords(text_, name, &it->second, {});
  }
  return XmlRecords(text_, name, nullptr, Whole().GetElementsByTagName(name));
}

}  // namespace vantrel::platform
