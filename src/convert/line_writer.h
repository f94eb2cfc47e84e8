// The writer of the transaction converters: "|"-separated lines, one per
// record or one per line element of a record, by a field table for each kind
// of line. Fields are neither quoted nor escaped.
#ifndef VANTREL_CONVERT_LINE_WRITER_H_
#define VANTREL_CONVERT_LINE_WRITER_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/record_walk.h"

namespace vantrel {

enum class FieldKind : std::uint8_t {
  kText,      // the element's text as it stands; missing: `fixed`
  kConstant,  // `fixed`
  kNumber,    // the element read as a number, in the general number form
              // (125.50 gives 125.5); missing or no number: `fixed`
  kBoolean,   // the element read as a Boolean: "True" or "False"; missing or
              // no Boolean: "False"
  kDate,      // the element read as a date, in the general date form
              // (1/15/2008); missing or no date: the zero date's form
  kCreated,   // the record's TimeCreated in the general date form
  kModified,  // the record's TimeModified in the general date form
  kCustom,    // written by the field's `custom` hook
};

// Appends a kCustom field's text to `out`; `line` is the line element (the
// record itself for a kind that writes one line per record).
using FieldValue = void (*)(RecordContext& record, const platform::XmlNode& line, std::string& out);

struct Field {
  FieldKind kind = FieldKind::kConstant;
  std::string_view element = {};     // child element of the line (or record) holding the value
  std::string_view subelement = {};  // for a two-step source: child element of `element`
  bool of_record = false;            // read from the record rather than the line element
  std::string_view fixed = {};
  FieldValue custom = nullptr;
  std::string_view label = {};  // kCustom: the element its text comes from, for reports
};

constexpr Field TextField(std::string_view element, std::string_view subelement = {}) {
  return {.kind = FieldKind::kText, .element = element, .subelement = subelement};
}
// A field of the record that holds the line element.
constexpr Field RecordTextField(std::string_view element, std::string_view subelement = {}) {
  return {
      .kind = FieldKind::kText, .element = element, .subelement = subelement, .of_record = true};
}
constexpr Field ConstantField(std::string_view text) {
  return {.kind = FieldKind::kConstant, .fixed = text};
}
constexpr Field NumberField(std::string_view element, std::string_view missing) {
  return {.kind = FieldKind::kNumber, .element = element, .fixed = missing};
}
constexpr Field BooleanField(std::string_view element) {
  return {.kind = FieldKind::kBoolean, .element = element};
}
constexpr Field DateField(std::string_view element) {
  return {.kind = FieldKind::kDate, .element = element};
}
constexpr Field CreatedField() { return {.kind = FieldKind::kCreated}; }
constexpr Field ModifiedField() { return {.kind = FieldKind::kModified}; }
// A field written by `custom`; `label` names the element whose text it
// carries ("TxnID"), for the reports of texts the format cannot carry.
constexpr Field CustomField(FieldValue custom, std::string_view label) {
  return {.kind = FieldKind::kCustom, .custom = custom, .label = label};
}

// Whether the line element `line` of `record` is written.
using LineTest = bool (*)(RecordContext& record, const platform::XmlNode& line);

// One kind of line: the child element of a record that yields one line each
// (empty: the record itself yields one line), its fields in order, and the
// test that leaves a line out (none: every line is written).
struct LineKind {
  std::string_view element = {};
  std::span<const Field> fields = {};
  LineTest take = nullptr;
};

// The number of lines of `record` written before the one being built.
long LineNumber(const RecordContext& record);

class LineWriter final : public EntryWriter {
 public:
  // `kinds` must outlive the writer.
  explicit LineWriter(std::span<const LineKind> kinds) : kinds_(kinds) {}

  // One line per record for a kind without element; then one line per child
  // element of a kind that its test takes, in document order. Each line ends
  // with CR LF. A free text (a text or custom field) holding "|", CR or LF is
  // reported in the run's line_issues; with the run's safe_lines those
  // characters become blanks.
  void Write(RecordContext& record, EntryOut& out) override;

 private:
  // Reports (and with safe lines, blanks) the "|" and line breaks of the
  // field `field` that begins at `start` of the line being built.
  void CheckFreeText(RecordContext& record, const Field& field, std::size_t start);
  // False when `out` asked to stop.
  bool WriteLine(RecordContext& record, const platform::XmlNode& line, const LineKind& kind,
                 EntryOut& out);

  std::span<const LineKind> kinds_;
  long issue_record_ = -1;                 // the record whose fields issue_fields_ lists
  std::vector<std::string> issue_fields_;  // its fields reported so far
  std::string line_;
  std::string scratch_;
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_LINE_WRITER_H_
