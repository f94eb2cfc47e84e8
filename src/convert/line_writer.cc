#include "convert/line_writer.h"

#include "convert/date_helpers.h"
#include "convert/sql_values.h"
#include "platform/com_error.h"
#include "platform/values.h"

namespace vantrel {

long LineNumber(const RecordContext& record) { return record.pass.count - record.entries; }

namespace {

// The name a field's text is reported under: "Notes", "EntityRef/FullName".
std::string FieldName(const Field& field) {
  std::string name(field.kind == FieldKind::kCustom ? field.label : field.element);
  if (!field.subelement.empty()) name += "/" + std::string(field.subelement);
  return name;
}

}  // namespace

void LineWriter::CheckFreeText(RecordContext& record, const Field& field, std::size_t start) {
  const std::size_t at = line_.find_first_of("|\r\n", start);
  if (at == std::string::npos) return;
  RunState& run = record.pass.run;
  if (run.safe_lines) {
    for (std::size_t i = at; i < line_.size(); ++i) {
      if (line_[i] == '|' || line_[i] == '\r' || line_[i] == '\n') line_[i] = ' ';
    }
  }
  // One report per record and field, however many lines the record makes.
  std::string name = FieldName(field);
  if (issue_record_ != record.position) {
    issue_record_ = record.position;
    issue_fields_.clear();
  }
  for (const std::string& reported : issue_fields_) {
    if (reported == name) return;
  }
  issue_fields_.push_back(name);
  std::string_view id;
  const std::string key(record.ChildText("TxnID", &id) ? id : std::string_view());
  const char letter = record.letter.empty() ? '?' : record.letter.front();
  run.line_issues.push_back({letter, key, std::move(name), run.safe_lines});
}

void LineWriter::Write(RecordContext& record, EntryOut& out) {
  for (const LineKind& kind : kinds_) {
    if (!kind.element.empty()) continue;
    if (!WriteLine(record, record.record, kind, out)) return;
  }
  for (platform::XmlNode child = record.record.FirstChildElement(); child;
       child = child.NextSiblingElement()) {
    for (const LineKind& kind : kinds_) {
      if (kind.element.empty() || child.Name() != kind.element) continue;
      if (kind.take != nullptr && !kind.take(record, child)) break;
      if (!WriteLine(record, child, kind, out)) return;
      break;
    }
  }
}

bool LineWriter::WriteLine(RecordContext& record, const platform::XmlNode& line,
                           const LineKind& kind, EntryOut& out) {
  line_.clear();
  bool first = true;
  for (const Field& field : kind.fields) {
    if (!first) line_ += '|';
    first = false;
    const platform::XmlNode& source = field.of_record ? record.record : line;
    const std::size_t field_start = line_.size();
    switch (field.kind) {
      case FieldKind::kText: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        line_ += node ? node.TextView(scratch_) : field.fixed;
        break;
      }
      case FieldKind::kConstant:
        line_ += field.fixed;
        break;
      case FieldKind::kNumber: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        const std::optional<double> number =
            node ? platform::TextToNumber(node.TextView(scratch_)) : std::nullopt;
        line_ += number ? platform::NumberToText(*number) : std::string(field.fixed);
        break;
      }
      case FieldKind::kBoolean: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        bool value = false;
        try {
          if (node) value = platform::TextToBoolean(node.TextView(scratch_));
        } catch (const platform::ComError&) {
          // No Boolean: the field keeps its default.
        }
        line_ += value ? "True" : "False";
        break;
      }
      case FieldKind::kDate: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        const std::optional<platform::DateTime> date =
            node ? ParseQBDate(node.TextView(scratch_)) : std::nullopt;
        AppendGeneralDate(line_, date ? ToWholeSeconds(*date) : platform::DateTime());
        break;
      }
      case FieldKind::kCreated:
        AppendGeneralDate(line_, record.row.TimeCreated);
        break;
      case FieldKind::kModified:
        AppendGeneralDate(line_, record.row.TimeModified);
        break;
      case FieldKind::kCustom:
        if (field.custom != nullptr) field.custom(record, line, line_);
        break;
    }
    if (field.kind == FieldKind::kText || field.kind == FieldKind::kCustom) {
      CheckFreeText(record, field, field_start);
    }
  }
  line_ += "\r\n";
  return out.Put(line_);
}

}  // namespace vantrel
