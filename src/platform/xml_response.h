// A response read for its records: the text is checked and indexed once, and
// the records of a name are parsed a batch at a time as they are walked, so
// that what is held besides the text is its index and one batch of nodes.
#ifndef VANTREL_PLATFORM_XML_RESPONSE_H_
#define VANTREL_PLATFORM_XML_RESPONSE_H_

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xml_document.h"
#include "platform/xml_scan.h"

namespace vantrel::platform {

class XmlResponse;

// The elements of one name in document order, walked once from the first.
class XmlRecords {
 public:
  XmlRecords(XmlRecords&&) noexcept;
  XmlRecords& operator=(XmlRecords&&) noexcept;
  ~XmlRecords();

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The next element; a null node after the last. A node stays valid until
  // the next call.
  XmlNode Next();

  // Tells which records need not be parsed: from now on, a record whose
  // whole text makes `pass_over` true is not parsed, and Next() gives a null
  // node for it with passed_over() true. The filter is asked at most once a
  // record, ahead of the record's turn; it must outlive the walk. Records of
  // a whole document (held_whole()) are all given.
  void PassOver(std::function<bool(std::string_view)> pass_over);
  // Whether the last Next() passed over its record.
  bool passed_over() const { return passed_over_; }

 private:
  friend class XmlResponse;
  struct Batch;
  XmlRecords(std::string_view text, std::string_view name, const std::vector<XmlSpan>* spans,
             std::vector<XmlNode> nodes);

  std::string_view text_;
  std::string name_;
  const std::vector<XmlSpan>* spans_ = nullptr;  // the records' places, when parsed in batches
  std::vector<XmlNode> nodes_;                   // else the records of a whole document
  std::size_t size_ = 0;
  std::size_t next_ = 0;
  std::unique_ptr<Batch> batch_;
  std::function<bool(std::string_view)> pass_over_;
  bool passed_over_ = false;
  // The record the filter was asked of last, and its answer.
  std::size_t judged_ = static_cast<std::size_t>(-1);
  bool judged_pass_over_ = false;

  bool PassesOver(std::size_t index);
  void ParseBatch();
};

class XmlResponse {
 public:
  XmlResponse();
  ~XmlResponse();
  XmlResponse(const XmlResponse&) = delete;
  XmlResponse& operator=(const XmlResponse&) = delete;

  // Checks and indexes `text`, which must outlive this object unchanged (it
  // is not copied). Returns whether it parsed; a text the quick check does not
  // take is parsed whole, so parse_error() is the parser's own description
  // (as XmlDocument::LoadXml gives it) and a document it takes is kept whole.
  bool Load(std::string_view text);
  bool loaded() const { return loaded_; }
  bool parsed() const { return parsed_; }
  const std::string& parse_error() const { return parse_error_; }

  // Every element named `name` anywhere in the document, in document order,
  // as XmlDocument::GetElementsByTagName gives them. Valid while this object
  // lives; walk one at a time.
  XmlRecords Records(std::string_view name) const;

  // True when the document is held whole: the quick check did not take the
  // text, or a name was asked for that the index cannot serve.
  bool held_whole() const { return whole_ != nullptr; }

 private:
  // The whole document, for texts or names the index does not serve.
  const XmlDocument& Whole() const;

  std::string_view text_;
  XmlScanIndex index_;
  mutable std::unique_ptr<XmlDocument> whole_;
  bool loaded_ = false;
  bool parsed_ = false;
  std::string parse_error_;
};

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_XML_RESPONSE_H_
